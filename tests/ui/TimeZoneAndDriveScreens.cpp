#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "ScreenSupport.h"
#include "SimRecorder.h"
#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "controls/CComboBoxList.h"
#include "pages/CHddFormatDlg.h"
#include "pages/CNvrTimeZoneDlg.h"
#include "pages/CWaitingPage.h"
#include "shell/CTransparentPage.h"

// Pages 9 and 10 in their states, in English and Japanese, at the screen's density (the suite
// runs once more at 2x).
TEST(Screenshots, TimeZoneAndDrivePagesInEnglishAndJapanese) {
    for (int language : {0, 21}) {
        HostFixture fixture;
        InLanguage pack(language);
        auto save = [&](const QString& name) {
            const QString path = ScreenPath(QStringLiteral("zone-drive"), language, name);
            EXPECT_TRUE(Composed(*fixture.host).save(path)) << path.toStdString();
        };
        SimRecorder recorder([](sim::Recorder& r) {
            r.currentZone = 0;
            r.drive.plug = QStringLiteral("0");
            r.drive.formatDurationMs = 2000;
        });
        ASSERT_TRUE(recorder.choose(*fixture.host));

        fixture.post(msg::kNavigate, msg::kNext, 7);
        auto* zones = qobject_cast<CNvrTimeZoneDlg*>(fixture.host->currentPage());
        ASSERT_NE(zones, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return zones->fetchesTaken() == 1; }));
        save(QStringLiteral("09"));
        zones->onNext();  // no zone yet
        save(QStringLiteral("09-banner"));
        QTest::mouseClick(zones->field(), Qt::LeftButton);
        ASSERT_TRUE(zones->field()->isListShown());
        save(QStringLiteral("09-list"));
        QTest::keyClick(zones->field()->list(), Qt::Key_Down);
        QTest::keyClick(zones->field()->list(), Qt::Key_Return);
        ASSERT_TRUE(WaitUntil([&] { return zones->selectedZone() == 1; }));
        save(QStringLiteral("09-chosen"));
        zones->onNext();
        ASSERT_TRUE(WaitUntil([&] { return fixture.host->currentPageId() == 10; }));

        auto* drive = qobject_cast<CHddFormatDlg*>(fixture.host->currentPage());
        ASSERT_NE(drive, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return drive->reports() >= 1; }));
        save(QStringLiteral("10-no-drive"));
        recorder.change([](sim::Recorder& r) { r.drive.plug = QStringLiteral("1"); });
        ASSERT_TRUE(WaitUntil([&] { return drive->driveReady(); }, 8000));
        save(QStringLiteral("10-ready"));
        recorder.change([](sim::Recorder& r) {
            r.drive.dataMatch = QStringLiteral("1");
            r.drive.ready = QStringLiteral("0");
            r.drive.deviceName.clear();
        });
        ASSERT_TRUE(WaitUntil([&] { return drive->skipButton()->isEnabled(); }, 8000));
        recorder.change([](sim::Recorder& r) { r.drive.ready = QStringLiteral("1"); });
        ASSERT_TRUE(WaitUntil([&] { return drive->driveReady(); }, 8000));
        save(QStringLiteral("10-skip"));

        Script script;
        script
            .when([] { return Shown<controls::CAlarmDisplayPage>() != nullptr; },
                  [&] {
                      save(QStringLiteral("10-warning"));
                      Shown<controls::CAlarmDisplayPage>()->done(overlay::kOk);
                  })
            .when([] { return Shown<CWaitingPage>() != nullptr; },
                  [&] { save(QStringLiteral("10-formatting")); });
        drive->onNext();
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(WaitUntil([&] { return fixture.host->currentPageId() == 11; }));
    }
}
