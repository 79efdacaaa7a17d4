#include <QDir>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "ScreenSupport.h"
#include "UiSupport.h"
#include "controls/CSummaryScrollView.h"
#include "pages/CSummaryDlg.h"

// Page 13 with a cloud account and nine cameras, and without one with four cameras scrolled to
// the right, in English and Japanese, at the screen's density (the suite runs once more at 2x).
TEST(Screenshots, SummaryWithAndWithoutTheCloudInEnglishAndJapanese) {
    for (int language : {0, 21}) {
        for (const bool cloud : {true, false}) {
            HostFixture fixture;
            InLanguage pack(language);
            WizardSession& session = fixture.host->session();
            session.setRecorderIp(QStringLiteral("192.168.1.40"));
            session.setAdminPassword(QStringLiteral("Harbour-7731"));
            if (cloud) {
                session.setCloudEmail(QStringLiteral("owner@example.com"));
                session.setCloudPassword(QStringLiteral("Nubra-2024"));
            }
            const int cameras = cloud ? 9 : 4;
            for (int i = 0; i < cameras + 2; ++i) {
                auto camera = std::make_unique<CameraEntry>();
                camera->model = QStringLiteral("LUX-%1").arg(410 + i);
                camera->selected = i < cameras ? 1 : 0;
                session.addCamera(std::move(camera));
            }
            fixture.post(msg::kNavigate, msg::kNext, 11);
            auto* page = qobject_cast<CSummaryDlg*>(fixture.host->currentPage());
            ASSERT_NE(page, nullptr);
            if (!cloud) {
                controls::CSummaryScrollView* strip = page->strip();
                QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(100, 135));
                QMouseEvent move(QEvent::MouseMove, QPointF(400, 135),
                                 strip->mapToGlobal(QPointF(400, 135)), Qt::NoButton,
                                 Qt::LeftButton, {});
                QCoreApplication::sendEvent(strip, &move);
                QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(400, 135));
                ASSERT_EQ(strip->sourceX(), 240);
            }
            const QString path =
                ScreenPath(QStringLiteral("summary"), language,
                           cloud ? QStringLiteral("13-cloud-9") : QStringLiteral("13-local-4"));
            EXPECT_TRUE(Composed(*fixture.host).save(path)) << path.toStdString();
        }
    }
}
