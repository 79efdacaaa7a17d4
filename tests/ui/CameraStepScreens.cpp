#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include "CameraStepSupport.h"
#include "ModalSupport.h"
#include "ScreenSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CErrorPage.h"
#include "controls/CIconButton.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CPreview.h"
#include "pages/CCameraPwd2Page.h"
#include "pages/CCameraPwdPage.h"
#include "pages/CPreviewPage.h"

// Page 11 in its states, its password pages with an error and the preview with a frame, in
// English and Japanese, at the screen's density (the suite runs once more at 2x).
TEST(Screenshots, CameraStepInEnglishAndJapanese) {
    const int port = FreePort("127.0.0.8");
    ASSERT_GT(port, 0);
    for (int language : {0, 21}) {
        HostFixture fixture;
        InLanguage pack(language);
        const auto save = [&](const QString& name) {
            const QString path = ScreenPath(QStringLiteral("cameras"), language, name);
            EXPECT_TRUE(Composed(*fixture.host).save(path)) << path.toStdString();
        };
        SimRecorder recorder([port](sim::Recorder& r) {
            Secure(r);
            for (int i = 0; i < 11; ++i) {
                r.cameras.append(Camera(QStringLiteral("127.0.2.%1").arg(i + 1), Mac(i),
                                        QStringLiteral("OC-4%1").arg(i), "admin", "pw", "pw"));
            }
            // One the preview can reach, one that needs its password, one without any.
            r.cameras[0].ip = QStringLiteral("127.0.0.8");
            r.cameras[0].httpPort = port;
            r.cameras[0].listedIp = QStringLiteral("127.0.0.8:%1").arg(port);
            r.cameras[0].name = QStringLiteral("Front door");
            r.cameras[1].password.clear();
            r.cameras[2].account = QStringLiteral("root");
            r.cameras[2].password.clear();
        });
        CCameraSearchDlg* step = OpenCameraStep(fixture, recorder);
        ASSERT_NE(step, nullptr);
        for (int row : {0, 3}) {
            ClickBox(*step, row);
        }
        save(QStringLiteral("11-list"));

        // The enter page after a refusal, and the create page with texts that differ.
        Script script;
        script
            .when([] { return Shown<CCameraPwdPage>() != nullptr; },
                  [] {
                      auto* page = Shown<CCameraPwdPage>();
                      QTest::keyClicks(page->box(), QStringLiteral("wrong"));
                      page->okButton()->click();
                  })
            .when([] { return Shown<controls::CErrorPage>() != nullptr; },
                  [&] {
                      save(QStringLiteral("11-enter-error"));
                      Shown<controls::CErrorPage>()->reject();
                      Shown<CCameraPwdPage>()->reject();
                  });
        ClickBox(*step, 1);
        EXPECT_TRUE(script.finished());
        Script create;
        create
            .when([] { return Shown<CCameraPwd2Page>() != nullptr; },
                  [] {
                      auto* page = Shown<CCameraPwd2Page>();
                      QTest::keyClicks(page->firstBox(), QStringLiteral("abcdef"));
                      QTest::keyClicks(page->secondBox(), QStringLiteral("abcdeg"));
                      // Queued: the notice runs its own loop, which this step must not hold.
                      QMetaObject::invokeMethod(page->okButton(), "click", Qt::QueuedConnection);
                  })
            .when([] { return Shown<controls::CErrorPage>() != nullptr; },
                  [&] {
                      save(QStringLiteral("11-create-error"));
                      Shown<controls::CErrorPage>()->reject();
                      Shown<CCameraPwd2Page>()->reject();
                  });
        ClickBox(*step, 2);
        EXPECT_TRUE(create.finished());

        WhenShown<CPreviewPage> preview([&](CPreviewPage& page) {
            EXPECT_TRUE(WaitUntil([&] { return !page.preview()->frame().isNull(); }, 10000));
            save(QStringLiteral("11-preview"));
            page.reject();
        });
        step->list()->requestPreview(0);
        EXPECT_TRUE(WaitUntil([&] { return preview.acted(); }));

        for (int row = 4; row < 11; ++row) {
            ClickBox(*step, row);
        }
        ASSERT_TRUE(step->list()->greyed());
        step->list()->scrollToRow(0);
        save(QStringLiteral("11-nine"));

        recorder.change([](sim::Recorder& r) { r.cameras.clear(); });
        step->rescanButton()->click();
        QCoreApplication::processEvents();
        save(QStringLiteral("11-scanning"));
        ASSERT_TRUE(WaitUntil([&] { return step->scansTaken() >= 2; }, 10000));
        save(QStringLiteral("11-none"));
        // The note is seen over the empty list, not hidden under it.
        const QImage shown = fixture.host->grab().toImage();
        const QRect note = step->noCameraNote()->geometry();
        int accent = 0;
        for (int y = note.top(); y <= note.bottom(); ++y) {
            for (int x = note.left(); x <= note.right(); ++x) {
                const QColor c =
                    shown.pixelColor(QPointF(x, y).toPoint() * shown.devicePixelRatio());
                accent += c.blue() > 150 && c.red() < 150 ? 1 : 0;
            }
        }
        EXPECT_GT(accent, 20);
    }
}
