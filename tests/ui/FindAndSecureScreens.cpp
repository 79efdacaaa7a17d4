#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "RecorderStandIn.h"
#include "UiSupport.h"
#include "controls/CIconButton.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CNvrListCtrl.h"
#include "pages/CNvrPwdDlg.h"
#include "pages/CNvrSearchDlg.h"

using namespace std::chrono_literals;

// Pages 7 and 8 in their states, in English and Japanese, at the screen's density (the suite
// runs once more at 2x).
TEST(Screenshots, FindAndSecurePagesInEnglishAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/secure");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString suffix = qGuiApp->devicePixelRatio() > 1 ? QStringLiteral("@2x") : QString();
    const std::vector<Bytes> two = {
        RecorderReply("ORB-780Z", {0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x01}, {10, 77, 0, 10}),
        RecorderReply("ORB-780Z", {0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x02}, {10, 77, 0, 11}, false)};
    for (int language : {0, 21}) {
        HostFixture fixture;
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        auto save = [&](const QString& name) {
            const QString path = QStringLiteral("%1/%2-%3%4.png").arg(dir, stem, name, suffix);
            EXPECT_TRUE(fixture.host->grab().toImage().save(path)) << path.toStdString();
        };
        RecorderStandIn recorders(two);
        auto worker = std::make_shared<DeviceCommandWorker>();
        worker->setUdpDestination(QStringLiteral("127.0.0.1"));
        fixture.host->setServices(recorders.search(1500ms), worker);

        fixture.post(msg::kNavigate, msg::kNext, 5);
        auto* search = qobject_cast<CNvrSearchDlg*>(fixture.host->currentPage());
        ASSERT_NE(search, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return search->busy(); }));
        WaitUntil([] { return false; }, 450);  // a few frames of the animation
        save(QStringLiteral("07-searching"));
        ASSERT_TRUE(WaitUntil([&] { return !search->busy(); }));
        save(QStringLiteral("07-two-rows"));
        recorders.setReplies({RecorderReply("ORB-740", {0, 0x1c, 0x2a, 0, 0, 3}, {10, 77, 0, 12})});
        search->rescanButton()->click();
        ASSERT_TRUE(WaitUntil([&] { return !search->busy(); }, 8000));
        save(QStringLiteral("07-no-device"));

        // The last search's record stands for the chosen recorder.
        fixture.host->session().setRecorderIp(QStringLiteral("10.77.0.12"));
        fixture.host->session().setRecorderMac(QStringLiteral("00:1c:2a:00:00:03"));
        for (const ProbeOutcome verdict : {ProbeOutcome::Accepted, ProbeOutcome::Refused}) {
            fixture.host->loginProbe().setSender(
                [verdict](const RecorderTarget&, const auto&) { return verdict; });
            fixture.post(msg::kStartLoginProbe);
            ASSERT_TRUE(
                WaitUntil([&] { return fixture.host->loginProbe().words().busy.load() == 0; }));
            fixture.post(msg::kNavigate, msg::kNext, 8 - fixture.host->currentPageId() - 1);
            auto* page = qobject_cast<CNvrPwdDlg*>(fixture.host->currentPage());
            ASSERT_NE(page, nullptr);
            const bool create = verdict == ProbeOutcome::Accepted;
            save(create ? QStringLiteral("08-create") : QStringLiteral("08-verify"));
            if (create) {
                QTest::keyClicks(page->firstBox(), QStringLiteral("abc"));
            } else {
                AccountAnswerer recorder(worker, 0xA3, 1);
                QTest::keyClicks(page->firstBox(), QStringLiteral("wrong"));
                page->onNext();
            }
            save(create ? QStringLiteral("08-create-banner") : QStringLiteral("08-verify-banner"));
            fixture.post(msg::kNavigate, msg::kBack);
        }
    }
    shell::SetLanguageIndex(shell::kEnglish);
}
