#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "SimRecorder.h"
#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CApproButton.h"
#include "controls/CErrorPage.h"
#include "pages/CHddFormatDlg.h"
#include "pages/CWaitingPage.h"

namespace {

const QString kFormatPath = QStringLiteral("/config/storageformat");
const QString kPollPath = QStringLiteral("/config/storageformatpoll");

void Unplug(sim::Recorder& r) {
    r.drive.plug = QStringLiteral("0");
    r.drive.ready = QStringLiteral("0");
    r.drive.deviceName.clear();
}

void PlugIn(sim::Recorder& r) {
    r.drive.plug = QStringLiteral("1");
    r.drive.ready = QStringLiteral("1");
    r.drive.deviceName = QStringLiteral("HD1");
}

sim::ReplyOverride Refusal(const QString& path, int times = 0) {
    sim::ReplyOverride reply;
    reply.path = path;
    reply.status = 409;
    reply.body = QStringLiteral("result=refused\r\n");
    reply.times = times;
    return reply;
}

class DriveStep : public ::testing::Test, public HostFixture {
protected:
    DriveStep() {
        // Side pages are answered as the test says; notices are closed and their texts kept.
        QObject::connect(&sidePages_, &QTimer::timeout, [this] {
            if (auto* alarm = Shown<controls::CAlarmDisplayPage>()) {
                alarms.push_back(alarm->title());
                if (beforeAnswer) {
                    std::exchange(beforeAnswer, nullptr)();
                }
                alarm->done(alarmAnswers.empty() ? overlay::kCancel : alarmAnswers.front());
                if (!alarmAnswers.empty()) {
                    alarmAnswers.erase(alarmAnswers.begin());
                }
            } else if (auto* notice = Shown<controls::CErrorPage>()) {
                notices.push_back(notice->errorText());
                notice->reject();
            } else if (Shown<CWaitingPage>() != nullptr) {
                sawFormatting =
                    sawFormatting || Shown<CWaitingPage>()->text() ==
                                         CWaitingPage::TextOf(CWaitingPage::kFormattingMode);
            }
        });
        sidePages_.start(5);
    }
    ~DriveStep() override { host.reset(); }

    // Page 10 as the time-zone step hands over to it, after the storage worker's first report.
    CHddFormatDlg* open(SimRecorder& recorder) {
        EXPECT_TRUE(recorder.choose(*host));
        post(msg::kNavigate, msg::kNext, 10 - host->currentPageId() - 1);
        post(msg::kStorageWorker, 0);
        CHddFormatDlg* shown = page();
        EXPECT_NE(shown, nullptr);
        if (shown != nullptr) {
            EXPECT_TRUE(WaitUntil([&] { return shown->reports() >= 1; }));
        }
        return shown;
    }

    CHddFormatDlg* page() const { return qobject_cast<CHddFormatDlg*>(host->currentPage()); }

    // Next, and the wait for whatever it opened to be over.
    void next(CHddFormatDlg& drive) {
        drive.nextButton()->click();
        QCoreApplication::processEvents();
    }

    std::vector<int> alarmAnswers;
    std::function<void()> beforeAnswer;
    std::vector<QString> alarms;
    std::vector<QString> notices;
    bool sawFormatting = false;
    QTimer sidePages_;
};

const QString kNoDrive = QStringLiteral("No HD Found");
const QString kWarning = QStringLiteral("Important Alert");

}  // namespace

TEST_F(DriveStep, ADrivePluggedInWhileThePageIsOpenGetsItsCheck) {
    SimRecorder recorder(Unplug);
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    EXPECT_FALSE(drive->driveReady());
    EXPECT_EQ(drive->shownPicture(), CHddFormatDlg::kPortPicture);
    EXPECT_FALSE(drive->skipButton()->isEnabled());
    recorder.change(PlugIn);
    ASSERT_TRUE(WaitUntil([&] { return drive->driveReady(); }, 10000));
    EXPECT_EQ(drive->shownPicture(), CHddFormatDlg::kPortReadyPicture);
    // Only changes are reported.
    const int reports = drive->reports();
    const QStringList asked = recorder.targets();
    WaitUntil([&] { return recorder.targets().size() >= asked.size() + 4; }, 10000);
    EXPECT_EQ(drive->reports(), reports);
    recorder.change(Unplug);
    ASSERT_TRUE(WaitUntil([&] { return !drive->driveReady(); }, 10000));
    EXPECT_EQ(drive->shownPicture(), CHddFormatDlg::kPortPicture);
}

TEST_F(DriveStep, ADeviceNameMeansMountedWhateverReadySays) {
    SimRecorder recorder([](sim::Recorder& r) {
        r.drive.ready = QStringLiteral("0");
        r.drive.deviceName = QStringLiteral("HD1");
    });
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    EXPECT_TRUE(drive->driveReady());
    EXPECT_EQ(drive->shownPicture(), CHddFormatDlg::kPortReadyPicture);
}

TEST_F(DriveStep, MatchingDataEnablesSkipForGood) {
    SimRecorder recorder([](sim::Recorder& r) {
        Unplug(r);
        r.drive.plug = QStringLiteral("1");
        r.drive.dataMatch = QStringLiteral("1");
    });
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    // The first report can come before the first data match: the next change brings it.
    recorder.change([](sim::Recorder& r) { r.drive.ready = QStringLiteral("1"); });
    ASSERT_TRUE(WaitUntil([&] { return drive->skipButton()->isEnabled(); }, 10000));
    recorder.change([](sim::Recorder& r) {
        r.drive.dataMatch = QStringLiteral("0");
        r.drive.ready = QStringLiteral("0");
    });
    ASSERT_TRUE(WaitUntil([&] { return !drive->driveReady(); }, 10000));
    EXPECT_TRUE(drive->skipButton()->isEnabled());
    drive->skipButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 11; }));
    EXPECT_TRUE(WaitUntil([&] { return !host->storageWorker().running(); }));
    EXPECT_EQ(recorder.count(QStringLiteral("/config/storageformat?storageid=0&partition=0&fs=1")),
              0);
}

TEST_F(DriveStep, NextWithoutADriveLeadsToTheHardwareSetupWhateverTheNoticeSays) {
    for (const int answer : {overlay::kCancel, overlay::kOk}) {
        SimRecorder recorder(Unplug);
        CHddFormatDlg* drive = open(recorder);
        ASSERT_NE(drive, nullptr);
        alarms.clear();
        alarmAnswers = {answer};
        next(*drive);
        ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 3; }));
        EXPECT_EQ(alarms, std::vector<QString>({kNoDrive}));
        EXPECT_FALSE(host->storageWorker().running());
    }
}

TEST_F(DriveStep, ACancelledWarningFormatsNothing) {
    SimRecorder recorder;
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(drive->driveReady());
    alarmAnswers = {overlay::kCancel};
    next(*drive);
    EXPECT_EQ(alarms, std::vector<QString>({kWarning}));
    EXPECT_EQ(host->currentPageId(), 10);
    EXPECT_TRUE(host->storageWorker().running());
    for (const QString& target : recorder.targets()) {
        EXPECT_FALSE(target.startsWith(kFormatPath)) << target.toStdString();
    }
}

TEST_F(DriveStep, ADriveRemovedDuringTheWarningIsNotFormatted) {
    SimRecorder recorder;
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    alarmAnswers = {overlay::kOk, overlay::kOk};
    // The drive goes while the warning is open; its report arrives before the answer.
    beforeAnswer = [&] {
        recorder.change(Unplug);
        WaitUntil([&] { return !drive->driveReady(); }, 10000);
    };
    next(*drive);
    EXPECT_EQ(alarms, std::vector<QString>({kWarning, kNoDrive}));
    EXPECT_EQ(host->currentPageId(), 10);
    for (const QString& target : recorder.targets()) {
        EXPECT_FALSE(target.startsWith(kFormatPath)) << target.toStdString();
    }
}

TEST_F(DriveStep, AFormatToTheEndGoesOnToTheCameras) {
    const struct {
        QString usedPartition;
        QString partitionInfo;
        int code;
    } cases[] = {{QStringLiteral("1"), QStringLiteral("1,0,931,931,0,1"), 1},
                 {QStringLiteral("1"), QStringLiteral("1,0,931,931,0,3"), 2},
                 {QStringLiteral("1"), QStringLiteral("1,0,931"), 2},
                 // Without a partition the bare key is the one asked for.
                 {QString(), QStringLiteral("1,0,931,931,0,1"), 1}};
    for (const auto& c : cases) {
        SimRecorder recorder([&](sim::Recorder& r) {
            r.drive.usedPartition = c.usedPartition;
            r.drive.partitionInfo = c.partitionInfo;
            r.drive.formatDurationMs = 600;
        });
        CHddFormatDlg* drive = open(recorder);
        ASSERT_NE(drive, nullptr);
        // The storage worker's first pass has read the partition by now.
        alarms.clear();
        sawFormatting = false;
        alarmAnswers = {overlay::kOk};
        next(*drive);
        ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 11; }, 20000))
            << c.partitionInfo.toStdString();
        EXPECT_EQ(alarms, std::vector<QString>({kWarning}));
        EXPECT_TRUE(sawFormatting);
        EXPECT_TRUE(notices.empty());
        EXPECT_EQ(
            recorder.count(
                QStringLiteral("/config/storageformat?storageid=0&partition=0&fs=%1").arg(c.code)),
            1)
            << recorder.targets().join(u' ').toStdString();
        EXPECT_GE(recorder.count(kPollPath), 1);
        EXPECT_EQ(recorder.read<int>([](const sim::Recorder& r) { return r.drive.formatProgress; }),
                  100);
        EXPECT_FALSE(host->storageWorker().running());
        post(msg::kNavigate, msg::kHome);
    }
}

TEST_F(DriveStep, AFailedFormatIsSaidAndTheDriveWatchedAgain) {
    const struct {
        const char* what;
        std::function<void(sim::Recorder&)> fault;
    } cases[] = {
        {"refused start", [](sim::Recorder& r) { r.overrides.append(Refusal(kFormatPath)); }},
        {"failing poll", [](sim::Recorder& r) { r.overrides.append(Refusal(kPollPath)); }},
        {"dying format", [](sim::Recorder& r) { r.faults.failFormat = true; }},
    };
    for (const auto& c : cases) {
        SimRecorder recorder;
        CHddFormatDlg* drive = open(recorder);
        ASSERT_NE(drive, nullptr);
        recorder.change(c.fault);
        notices.clear();
        alarmAnswers = {overlay::kOk};
        next(*drive);
        ASSERT_TRUE(WaitUntil([&] { return !notices.empty(); }, 20000)) << c.what;
        EXPECT_EQ(notices, std::vector<QString>({QStringLiteral("Failed to format HDD!")}))
            << c.what;
        EXPECT_EQ(host->currentPageId(), 10) << c.what;
        EXPECT_TRUE(WaitUntil([&] { return host->storageWorker().running(); })) << c.what;
        post(msg::kNavigate, msg::kHome);
    }
}

TEST_F(DriveStep, BackStopsTheWorkerAndReturnsToTheTimeZone) {
    SimRecorder recorder;
    CHddFormatDlg* drive = open(recorder);
    ASSERT_NE(drive, nullptr);
    drive->backButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 9; }));
    EXPECT_TRUE(WaitUntil([&] { return !host->storageWorker().running(); }));
}
