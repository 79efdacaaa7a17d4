#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "RecorderStandIn.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CErrorMark.h"
#include "controls/CErrorPage.h"
#include "controls/CErrorStatic.h"
#include "controls/CIconButton.h"
#include "controls/CImageButton.h"
#include "controls/CLoadingStatic.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CNvrListCtrl.h"
#include "pages/CNvrPwdDlg.h"
#include "pages/CNvrSearchDlg.h"
#include "pages/CWaitingPage.h"

using namespace std::chrono_literals;

namespace {

constexpr std::array<std::uint8_t, 6> kShopMac{0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x01};
constexpr std::array<std::uint8_t, 6> kOfficeMac{0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x02};
constexpr std::array<std::uint8_t, 6> kOtherMac{0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x03};
constexpr std::array<std::uint8_t, 4> kShopIp{10, 77, 0, 10};
constexpr std::array<std::uint8_t, 4> kOfficeIp{10, 77, 0, 11};

class FindAndSecure : public ::testing::Test, public HostFixture {
protected:
    // The host does not wait for its probe; the test does, so no thread outlives it.
    void TearDown() override {
        EXPECT_TRUE(WaitUntil([&] { return host->loginProbe().words().busy.load() == 0; }, 10000));
    }

    void useRecorders(std::vector<Bytes> replies, std::chrono::milliseconds timeout = 150ms) {
        recorders = std::make_unique<RecorderStandIn>(std::move(replies));
        worker = std::make_shared<DeviceCommandWorker>();
        worker->setUdpDestination(QStringLiteral("127.0.0.1"));
        worker->setUdpTimeoutMs(400);
        host->setServices(recorders->search(timeout), worker);
        // Nothing here answers a login check; tests that need a verdict set their own.
        host->loginProbe().setSender(
            [](const RecorderTarget&, const auto&) { return ProbeOutcome::Refused; });
    }

    void goTo(int id) {
        post(msg::kNavigate, msg::kNext, id - host->currentPageId() - 1);
        ASSERT_EQ(host->currentPageId(), id);
    }

    CNvrSearchDlg* selection() const { return qobject_cast<CNvrSearchDlg*>(host->currentPage()); }
    CNvrPwdDlg* password() const { return qobject_cast<CNvrPwdDlg*>(host->currentPage()); }

    // Page 7 once its first search has ended.
    CNvrSearchDlg* searched() {
        goTo(7);
        CNvrSearchDlg* page = selection();
        EXPECT_NE(page, nullptr);
        if (page == nullptr) {
            return nullptr;
        }
        EXPECT_TRUE(WaitUntil([&] { return page->busy(); }));
        EXPECT_TRUE(WaitUntil([&] { return !page->busy(); }));
        return page;
    }

    std::unique_ptr<RecorderStandIn> recorders;
    std::shared_ptr<DeviceCommandWorker> worker;
};

}  // namespace

TEST_F(FindAndSecure, OnlyUniqueRecordersOfTheModelWithAnAddressAreListed) {
    useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp),
                  RecorderReply("ORB-780Z", kOfficeMac, kOfficeIp, false, 8080),
                  RecorderReply("ORB-740", kOtherMac, {10, 77, 0, 12}),
                  RecorderReply("ORB-780Z", kShopMac, {10, 77, 0, 13}),  // same MAC again
                  RecorderReply("ORB-780Z", {0, 0x1c, 0x2a, 0x78, 0x0e, 0x04}, {0, 0, 0, 0}),
                  RecorderReply("ORB-780Z1", {0, 0x1c, 0x2a, 0x78, 0x0e, 0x05}, {10, 77, 0, 15})});
    CNvrSearchDlg* page = searched();
    ASSERT_NE(page, nullptr);
    controls::CNvrListCtrl* list = page->list();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->ipText(0), QStringLiteral("10.77.0.10"));
    EXPECT_EQ(list->macText(0), QStringLiteral("00:1c:2a:78:0e:01"));
    EXPECT_EQ(list->ipText(1), QStringLiteral("10.77.0.11"));
    EXPECT_EQ(list->firstMarkedRow(), 0);
    EXPECT_TRUE(page->nextButton()->isEnabled());
    EXPECT_FALSE(page->noDeviceText()->isVisible());
    EXPECT_FALSE(page->animation()->isVisible());
    EXPECT_TRUE(page->rescanButton()->isEnabled());
    EXPECT_TRUE(page->closeButton()->isEnabled());
    EXPECT_EQ(page->macForHelp(), QStringLiteral("001C2A780E01"));

    // The second recorder, chosen: Next fills the session from its record and moves on.
    list->markRow(1, true);
    QCoreApplication::processEvents();
    page->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 8; }));
    WizardSession& session = host->session();
    EXPECT_EQ(session.recorderIp(), QStringLiteral("10.77.0.11"));
    EXPECT_EQ(session.recorderMac(), QStringLiteral("00:1c:2a:78:0e:02"));
    EXPECT_EQ(session.recorderPort.load(), 8080);
    EXPECT_EQ(session.replyType.load(), 1);
    EXPECT_EQ(session.adminUser(), QStringLiteral("admin"));
}

TEST_F(FindAndSecure, TheLongLayoutCarriesItsClockIntoTheSession) {
    useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp)});
    CNvrSearchDlg* page = searched();
    ASSERT_NE(page, nullptr);
    const std::int32_t delta = host->search()->ClockDeltaOf(QStringLiteral("00:1c:2a:78:0e:01"));
    EXPECT_NE(delta, 0) << "the stand-in's clock is years off";
    page->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 8; }));
    EXPECT_EQ(host->session().replyType.load(), 3);
    EXPECT_EQ(host->session().clockDelta.load(), delta);
    EXPECT_EQ(host->session().recorderPort.load(), 80);
}

TEST_F(FindAndSecure, AnotherModelAloneShowsTheNoDeviceText) {
    useRecorders({RecorderReply("ORB-740", kOtherMac, kShopIp)});
    CNvrSearchDlg* page = searched();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->list()->rowCount(), 0);
    EXPECT_TRUE(page->noDeviceText()->isVisible());
    EXPECT_EQ(page->noDeviceText()->text(), QStringLiteral("No device found."));
    EXPECT_FALSE(page->nextButton()->isEnabled());
    EXPECT_EQ(page->macForHelp(), QStringLiteral("xxxxxxxxxxxxxxxx"));
    page->nextButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 7);
}

TEST_F(FindAndSecure, NextDuringASearchDoesNothingAndRescanSearchesAgain) {
    useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp)}, 600ms);
    CNvrSearchDlg* page = searched();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->list()->rowCount(), 1);
    const int before = recorders->requests();
    page->rescanButton()->click();
    EXPECT_TRUE(page->busy());
    EXPECT_EQ(page->list()->rowCount(), 0) << "Rescan empties the list at once";
    EXPECT_FALSE(page->rescanButton()->isEnabled());
    EXPECT_FALSE(page->closeButton()->isEnabled());
    EXPECT_TRUE(page->animation()->isVisible());
    // Even with a marked row, Next waits for the search to end.
    page->list()->addRow(QStringLiteral("10.77.0.99"), QStringLiteral("00:1c:2a:78:0e:99"));
    page->list()->markRow(0, true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(page->searchRunning());
    page->onNext();
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 7);
    EXPECT_TRUE(host->session().recorderIp().isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return !page->busy(); }));
    EXPECT_GT(recorders->requests(), before);
    EXPECT_EQ(page->list()->rowCount(), 1);
    EXPECT_EQ(page->list()->ipText(0), QStringLiteral("10.77.0.10"));
}

TEST_F(FindAndSecure, BackDuringASearchLeavesAtOnce) {
    useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp)}, 3000ms);
    goTo(7);
    CNvrSearchDlg* page = selection();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return page->searchRunning(); }));
    ASSERT_TRUE(WaitUntil([&] { return page->backButton()->isEnabled() == false; }));
    // Back is disabled while searching; the handler itself is what the window waits for.
    QElapsedTimer handler;
    handler.start();
    page->onBack();
    const qint64 gap = handler.elapsed();
    RecordProperty("backHandlerMs", static_cast<int>(gap));
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 6; }));
    EXPECT_LT(gap, 400) << "the search thread's waits must wake when it is stopped";
}

TEST_F(FindAndSecure, ThePasswordPageTakesTheProbesVerdict) {
    useRecorders({});
    for (const ProbeOutcome outcome : {ProbeOutcome::Accepted, ProbeOutcome::Refused}) {
        host->loginProbe().setSender(
            [outcome](const RecorderTarget&, const auto&) { return outcome; });
        post(msg::kStartLoginProbe);
        ASSERT_TRUE(WaitUntil([&] { return host->loginProbe().words().busy.load() == 0; }));
        goTo(8);
        CNvrPwdDlg* page = password();
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(page->modeDecided());
        const bool create = outcome == ProbeOutcome::Accepted;
        EXPECT_EQ(page->mode(),
                  create ? NvrPasswordForm::Mode::Create : NvrPasswordForm::Mode::Verify);
        EXPECT_EQ(page->secondBox()->isVisible(), create);
        EXPECT_EQ(page->userBox()->isVisible(), !create);
        EXPECT_EQ(page->helpButton()->isVisible(), !create);
        EXPECT_EQ(host->session().adminUser(), QStringLiteral("admin"));
        EXPECT_EQ(page->firstBox()->echoMode(), QLineEdit::Password);
        ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == page->firstBox(); }));
        goTo(7);
    }
}

TEST_F(FindAndSecure, AProbeStillRunningIsWaitedForUnderTheOverlay) {
    useRecorders({});
    std::atomic<bool> release{false};
    host->loginProbe().setSender([&release](const RecorderTarget&, const auto& run) {
        while (!release.load() && run.load() != 0) {
            std::this_thread::sleep_for(1ms);
        }
        return ProbeOutcome::Refused;
    });
    post(msg::kStartLoginProbe);
    bool overlaySeen = false;
    WhenShown<CWaitingPage> waiting([&](CWaitingPage&) {
        overlaySeen = true;
        EXPECT_FALSE(password()->modeDecided());
        release = true;
    });
    goTo(8);
    CNvrPwdDlg* page = password();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return page->modeDecided(); }));
    EXPECT_TRUE(overlaySeen);
    EXPECT_EQ(page->mode(), NvrPasswordForm::Mode::Verify);
}

// Page 8 with a search that knows the recorder, so that requests can start.
class SecureStep : public FindAndSecure {
protected:
    void SetUp() override {
        useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp)});
        ASSERT_EQ(host->search()->Search(), DeviceSearch::Searching);
        ASSERT_TRUE(WaitUntil([&] { return host->search()->state() == DeviceSearch::Finished; }));
        host->session().setRecorderIp(QStringLiteral("10.77.0.10"));
        host->session().setRecorderMac(QStringLiteral("00:1c:2a:78:0e:01"));
        host->session().replyType = 3;
    }

    CNvrPwdDlg* open(ProbeOutcome verdict) {
        host->loginProbe().setSender(
            [verdict](const RecorderTarget&, const auto&) { return verdict; });
        post(msg::kStartLoginProbe);
        EXPECT_TRUE(WaitUntil([&] { return host->loginProbe().words().busy.load() == 0; }));
        goTo(8);
        return password();
    }

    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->clear();
        // The test's keyboard knows ASCII only; other letters arrive as input does.
        bool ascii = true;
        for (const QChar c : text) {
            ascii = ascii && c.unicode() < 0x80;
        }
        if (ascii) {
            QTest::keyClicks(box, text);
        } else {
            box->insert(text);
        }
    }
};

TEST_F(SecureStep, VerifyModeSendsWhatWasTypedAndShowsARefusal) {
    CNvrPwdDlg* page = open(ProbeOutcome::Refused);
    ASSERT_NE(page, nullptr);
    AccountAnswerer recorder(worker, 0xA3, 1);
    type(page->firstBox(), QStringLiteral("wrong pass-é"));
    page->nextButton()->click();
    EXPECT_EQ(host->currentPageId(), 8);
    EXPECT_GE(recorder.answered(), 1);
    EXPECT_EQ(worker->lastUdpPassword(), QStringLiteral("wrong pass-é")) << "sent unchanged";
    EXPECT_EQ(page->bannerText(), QStringLiteral("Error: Incorrect password. Please try again."));
    EXPECT_TRUE(page->banner()->isVisible());
    EXPECT_TRUE(page->firstMark()->isVisible());
    EXPECT_TRUE(page->firstBox()->hasError());
    EXPECT_TRUE(host->session().adminPassword().isEmpty());

    recorder.setStatus(0);
    type(page->firstBox(), QString());  // the empty password is sent too
    EXPECT_FALSE(page->banner()->isVisible()) << "typing clears the refusal";
    QTest::keyClick(page->firstBox(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 9; }));
    EXPECT_EQ(worker->lastUdpPassword(), QString());
}

TEST_F(SecureStep, CreateModeSetsThePasswordAndKeepsItOnlyOnSuccess) {
    CNvrPwdDlg* page = open(ProbeOutcome::Accepted);
    ASSERT_NE(page, nullptr);
    AccountAnswerer recorder(worker, 0xA4, 1);
    type(page->firstBox(), QStringLiteral("Secret12"));
    type(page->secondBox(), QStringLiteral("Secret12"));
    page->nextButton()->click();
    EXPECT_EQ(host->currentPageId(), 8);
    EXPECT_EQ(page->bannerText(), QStringLiteral("Failed to set account password"));
    EXPECT_FALSE(page->firstMark()->isVisible());
    EXPECT_TRUE(host->session().adminPassword().isEmpty());

    recorder.setStatus(0);
    page->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 9; }));
    EXPECT_EQ(host->session().adminPassword(), QStringLiteral("Secret12"));
    EXPECT_EQ(worker->lastUdpNewPassword(), QStringLiteral("Secret12"));
    EXPECT_EQ(worker->lastUdpPassword(), QStringLiteral("Secret12"));
}

TEST_F(SecureStep, ARequestThatCannotStartShowsTheNetworkNotice) {
    host->session().setRecorderIp(QStringLiteral("10.77.0.99"));  // no search record
    CNvrPwdDlg* page = open(ProbeOutcome::Accepted);
    ASSERT_NE(page, nullptr);
    type(page->firstBox(), QStringLiteral("Secret12"));
    type(page->secondBox(), QStringLiteral("Secret12"));
    bool noticeSeen = false;
    WhenShown<controls::CErrorPage> notice([&](controls::CErrorPage& shown) {
        noticeSeen = true;
        shown.reject();
    });
    page->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return noticeSeen; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 8);
    EXPECT_FALSE(page->banner()->isVisible());
    EXPECT_TRUE(host->session().adminPassword().isEmpty());
}

TEST_F(SecureStep, TheProbesNoticeReachesThePage) {
    CNvrPwdDlg* page = open(ProbeOutcome::Accepted);
    ASSERT_NE(page, nullptr);
    bool noticeSeen = false;
    WhenShown<controls::CErrorPage> notice([&](controls::CErrorPage& shown) {
        noticeSeen = true;
        shown.reject();
    });
    host->loginProbe().setSender(
        [](const RecorderTarget&, const auto&) { return ProbeOutcome::TimedOut; });
    post(msg::kStartLoginProbe);
    ASSERT_TRUE(WaitUntil([&] { return noticeSeen; }));
    EXPECT_EQ(host->currentPageId(), 8) << "the notice ends with cancel";
}

TEST_F(SecureStep, TabGoesFromBoxToBoxToNext) {
    CNvrPwdDlg* page = open(ProbeOutcome::Accepted);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == page->firstBox(); }));
    QTest::keyClick(page->firstBox(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), page->secondBox());
    QTest::keyClick(page->secondBox(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), page->nextButton());
}

TEST_F(FindAndSecure, TheKeyboardReachesEveryControlOfTheSelectionAndEachHasAName) {
    useRecorders({RecorderReply("ORB-780Z", kShopMac, kShopIp),
                  RecorderReply("ORB-780Z", kOfficeMac, kOfficeIp)});
    CNvrSearchDlg* page = searched();
    ASSERT_NE(page, nullptr);
    const QList<QWidget*> chain = page->tabOrder();
    const qsizetype rescan = chain.indexOf(page->rescanButton());
    const qsizetype list = chain.indexOf(page->list());
    const qsizetype back = chain.indexOf(page->backButton());
    const qsizetype next = chain.indexOf(page->nextButton());
    ASSERT_GE(rescan, 0);
    EXPECT_EQ(list, rescan + 1);
    EXPECT_EQ(QString::fromLatin1(chain.value(list + 1)->metaObject()->className()),
              QStringLiteral("controls::CLinkStatic"));
    EXPECT_EQ(back, list + 2);
    EXPECT_EQ(next, back + 1);
    for (QWidget* control : chain) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
    }

    // Up and Down move the mark; Next follows the mark.
    page->list()->setFocus();
    QTest::keyClick(page->list(), Qt::Key_Down);
    EXPECT_EQ(page->list()->firstMarkedRow(), 1);
    QTest::keyClick(page->list(), Qt::Key_Down);
    EXPECT_EQ(page->list()->firstMarkedRow(), 1) << "the last row stays marked";
    QTest::keyClick(page->list(), Qt::Key_Up);
    EXPECT_EQ(page->list()->firstMarkedRow(), 0);
    QTest::keyClick(page->list(), Qt::Key_Down);
    QTest::keyClick(page->list(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 8; }));
    EXPECT_EQ(host->session().recorderIp(), QStringLiteral("10.77.0.11"));

    CNvrPwdDlg* secure = password();
    ASSERT_NE(secure, nullptr);
    for (QWidget* control : secure->tabOrder()) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
    }
}
