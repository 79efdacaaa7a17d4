#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "SimRecorder.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "controls/CComboBoxList.h"
#include "controls/CErrorPage.h"
#include "controls/CErrorStatic.h"
#include "pages/CNvrTimeZoneDlg.h"
#include "pages/CWaitingPage.h"
#include "pages/PageRegistry.h"

#include <thread>

namespace {

const QString kList = QStringLiteral("/config/timezonelist?language=4");
const QString kRead = QStringLiteral("/config/datetime");
const QString kRecord = QStringLiteral("/config/manrecord?record=1");

QString SetZone(int zone) {
    return QStringLiteral("/config/datetime?timezone=%1").arg(zone);
}

sim::ReplyOverride Answer(const QString& path, int status, const QString& body, int times = 1) {
    sim::ReplyOverride reply;
    reply.path = path;
    reply.status = status;
    reply.body = body;
    reply.times = times;
    return reply;
}

class TimeZoneStep : public ::testing::Test, public HostFixture {
protected:
    TimeZoneStep() {
        // Every network notice is closed as soon as it shows; its text is kept.
        QObject::connect(&noticeCloser_, &QTimer::timeout, [this] {
            if (auto* notice = Shown<controls::CErrorPage>()) {
                noticeText = notice->errorText();
                notice->reject();
            }
        });
        noticeCloser_.start(5);
    }

    // Opens page 9 on `recorder` and waits for its first fetch; a network notice is closed and
    // its text kept.
    CNvrTimeZoneDlg* open(SimRecorder& recorder) {
        EXPECT_TRUE(recorder.choose(*host));
        post(msg::kNavigate, msg::kNext, 9 - host->currentPageId() - 1);
        CNvrTimeZoneDlg* shown = page();
        EXPECT_NE(shown, nullptr);
        if (shown != nullptr) {
            EXPECT_TRUE(WaitUntil([&] { return shown->fetchesTaken() == 1 && settled(); }, 15000));
        }
        return shown;
    }

    CNvrTimeZoneDlg* page() const { return qobject_cast<CNvrTimeZoneDlg*>(host->currentPage()); }

    static bool settled() {
        return Shown<CWaitingPage>() == nullptr && Shown<controls::CErrorPage>() == nullptr;
    }

    // Chooses list entry `index` with the mouse: the field, then the entry's row.
    void pick(CNvrTimeZoneDlg& zones, int index) {
        controls::CApproComboBox* field = zones.field();
        QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
        controls::CComboBoxList* list = field->list();
        ASSERT_TRUE(list->isVisible());
        list->scrollBy(index - list->firstRow());
        const QRect row = list->listGeometry().itemRect(index);
        ASSERT_FALSE(row.isEmpty()) << index;
        QTest::mouseMove(list, row.center());
        QTest::mouseClick(list, Qt::LeftButton, {}, row.center());
        QCoreApplication::processEvents();
        ASSERT_FALSE(list->isVisible());
    }

    // Next, and the wait for the write it starts.
    void next(CNvrTimeZoneDlg& zones) {
        zones.nextButton()->click();
        WaitUntil([&] { return settled() && (page() == nullptr || !page()->busy()); }, 15000);
        QCoreApplication::processEvents();
    }

    QString noticeText;
    QTimer noticeCloser_;
};

}  // namespace

TEST_F(TimeZoneStep, TheListIsAskedForInTheWizardsLanguage) {
    const struct {
        int language;
        int number;
    } cases[] = {{shell::kEnglish, 4}, {11, 0}, {14, 0}, {16, 0}, {17, 0}, {21, 11}, {6, 2}};
    for (const auto& c : cases) {
        InLanguage language(c.language);
        SimRecorder recorder;
        CNvrTimeZoneDlg* zones = open(recorder);
        ASSERT_NE(zones, nullptr);
        const QStringList asked = recorder.targets(2);
        ASSERT_EQ(asked.size(), 2) << asked.join(u' ').toStdString();
        EXPECT_EQ(asked[0], QStringLiteral("/config/timezonelist?language=%1").arg(c.number))
            << c.language;
        EXPECT_EQ(asked[1], kRead);
        EXPECT_EQ(zones->zoneNames().size(), 154);
        post(msg::kNavigate, msg::kHome);
    }
}

TEST_F(TimeZoneStep, TheCurrentZoneIsPreselected) {
    SimRecorder recorder([](sim::Recorder& r) {
        r.timeZones[4] = QStringList();
        for (int i = 1; i <= 20; ++i) {
            r.timeZones[4].append(QStringLiteral("(GMT) Zone %1").arg(i));
        }
        r.currentZone = 13;
    });
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    EXPECT_EQ(zones->selectedZone(), 13);
    EXPECT_EQ(zones->field()->currentIndex(), 12);
    EXPECT_EQ(zones->field()->currentText(), QStringLiteral("(GMT) Zone 13"));
    EXPECT_TRUE(noticeText.isEmpty());
    EXPECT_TRUE(zones->nextButton()->isEnabled());
}

TEST_F(TimeZoneStep, ARefusedListGivesTheBuiltInNames) {
    SimRecorder recorder([](sim::Recorder& r) { r.faults.accessError = true; });
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    ASSERT_EQ(zones->zoneNames().size(), 154);
    EXPECT_EQ(zones->zoneNames()[44], QStringLiteral("(GMT) Dublin, Edinburgh, Lisbon, London"));
    EXPECT_EQ(zones->field()->count(), 154);
    EXPECT_EQ(zones->field()->currentText(),
              QStringLiteral("(GMT) Dublin, Edinburgh, Lisbon, London"));
}

TEST_F(TimeZoneStep, EmptyPiecesAreDroppedAndEscapesDecoded) {
    SimRecorder recorder([](sim::Recorder& r) {
        r.currentZone = 2;
        r.overrides.append(
            Answer(QStringLiteral("/config/timezonelist"), 200,
                   QStringLiteral("timezonelist=(GMT) A &amp;#40;x&#41;;;(GMT) B;")));
    });
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    EXPECT_EQ(zones->zoneNames(), QStringList({"(GMT) A (x)", "(GMT) B"}));
    EXPECT_EQ(zones->field()->currentText(), QStringLiteral("(GMT) B"));
}

TEST_F(TimeZoneStep, ACurrentZoneOutsideTheListIsNoChoice) {
    SimRecorder recorder([](sim::Recorder& r) {
        r.timeZones[4] = QStringList{"(GMT) One", "(GMT) Two"};
        r.currentZone = 3;
    });
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    EXPECT_EQ(zones->selectedZone(), -1);
    EXPECT_EQ(zones->field()->currentIndex(), -1);
    // Next asks for a choice instead of writing one.
    next(*zones);
    EXPECT_EQ(host->currentPageId(), 9);
    EXPECT_TRUE(zones->banner()->isVisible());
    EXPECT_EQ(zones->banner()->text(), shell::LookupText(u"SetupTimeZone_error", u"x"));
    EXPECT_EQ(recorder.count(SetZone(3)), 0);
    // Opening the list hides the banner; a choice lets Next write it.
    pick(*zones, 1);
    EXPECT_FALSE(zones->banner()->isVisible());
    EXPECT_EQ(zones->selectedZone(), 2);
    next(*zones);
    EXPECT_EQ(host->currentPageId(), 10);
    EXPECT_EQ(recorder.count(SetZone(2)), 1);
}

TEST_F(TimeZoneStep, ABadRequestKeepsThePageAndAnotherZoneGoesThrough) {
    SimRecorder recorder;
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    recorder.change([](sim::Recorder& r) {
        r.overrides.append(
            Answer(QStringLiteral("/config/datetime"), 400, QStringLiteral("400 Bad Request")));
        r.overrides.back().queryPrefix = QStringLiteral("timezone=");
    });
    pick(*zones, 50);
    next(*zones);
    EXPECT_EQ(host->currentPageId(), 9);
    EXPECT_TRUE(zones->banner()->isVisible());
    EXPECT_EQ(zones->banner()->text(), QStringLiteral("400 Bad Request"));
    EXPECT_TRUE(noticeText.isEmpty());
    // Recording is started after a refused write too.
    EXPECT_EQ(recorder.targets(4).mid(2), QStringList({SetZone(51), kRecord}));

    pick(*zones, 119);
    next(*zones);
    EXPECT_EQ(host->currentPageId(), 10);
    // The drive step's storage worker may have asked already: only the write and the recording.
    EXPECT_EQ(recorder.targets(6).mid(4, 2), QStringList({SetZone(120), kRecord}));
    EXPECT_EQ(recorder.read<int>([](const sim::Recorder& r) { return r.currentZone; }), 120);
    // Leaving forward started the storage worker for the drive step.
    EXPECT_TRUE(host->storageWorker().running());
}

TEST_F(TimeZoneStep, AnUnansweredWriteShowsTheNoticeAndStartsNoRecording) {
    SimRecorder recorder;
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    recorder.change([](sim::Recorder& r) { r.faults.silentHttp = true; });
    next(*zones);
    EXPECT_EQ(host->currentPageId(), 9);
    EXPECT_EQ(noticeText, shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"));
    EXPECT_FALSE(host->storageWorker().running());
    recorder.change([](sim::Recorder& r) { r.faults.silentHttp = false; });
    EXPECT_EQ(recorder.count(kRecord), 0);
}

TEST_F(TimeZoneStep, AFailedZoneReadLeavesOnlyBack) {
    SimRecorder recorder([](sim::Recorder& r) {
        r.overrides.append(Answer(QStringLiteral("/config/datetime"), 500, QStringLiteral("")));
    });
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    EXPECT_EQ(noticeText, shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"));
    EXPECT_FALSE(zones->nextButton()->isEnabled());
    EXPECT_EQ(zones->selectedZone(), -1);
    zones->nextButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.targets().size(), 2);
    EXPECT_EQ(host->currentPageId(), 9);
}

TEST_F(TimeZoneStep, AnUnreachableRecorderIsANoticeToo) {
    SimRecorder recorder([](sim::Recorder& r) { r.faults.silentHttp = true; });
    // A short time-out would be nicer; the recorder's six seconds are what the page waits.
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    recorder.change([](sim::Recorder& r) { r.faults.silentHttp = false; });
    EXPECT_EQ(noticeText, shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"));
    EXPECT_FALSE(zones->nextButton()->isEnabled());
    EXPECT_TRUE(zones->zoneNames().isEmpty());
}

TEST_F(TimeZoneStep, AListTrickledPastTheWaitIsANoticeAndLeavesOnlyBack) {
    SimRecorder recorder([](sim::Recorder& r) { r.faults.bodyMode = QStringLiteral("trickle"); });
    ASSERT_TRUE(recorder.choose(*host));
    post(msg::kNavigate, msg::kNext, 9 - host->currentPageId() - 1);
    CNvrTimeZoneDlg* zones = page();
    ASSERT_NE(zones, nullptr);
    // The overlay's own limit ends the wait; the list would take hours.
    ASSERT_TRUE(WaitUntil([&] { return zones->fetchesTaken() == 1 && settled(); }, 60000));
    EXPECT_EQ(noticeText, shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"));
    EXPECT_FALSE(zones->nextButton()->isEnabled());
    EXPECT_EQ(zones->selectedZone(), -1);
    EXPECT_TRUE(zones->zoneNames().isEmpty());
    EXPECT_FALSE(zones->busy()) << "the read was ended with the wait";
    noticeText.clear();
    zones->backButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 8; }));
    EXPECT_TRUE(noticeText.isEmpty()) << "the abandoned read never reported again";
    // Back started the login probe; it ends before the test does.
    EXPECT_TRUE(WaitUntil([&] { return host->loginProbe().words().busy.load() == 0; }));
}

TEST(TimeZoneJobs, AStopEndsReadsThatTrickle) {
    SimRecorder recorder([](sim::Recorder& r) { r.faults.bodyMode = QStringLiteral("trickle"); });
    const RecorderHttpTarget target{QStringLiteral("127.0.0.1"), recorder.port(),
                                    QStringLiteral("admin"),
                                    QString::fromLatin1(SimRecorder::kPassword)};
    platform::MessageWindow<QWidget> page;
    // Far shorter than either trickled body (a dozen bytes at least, at one a second), and far
    // longer than ending a read takes.
    PageTask task(page.windowId(), std::chrono::seconds(5));
    ASSERT_TRUE(task.start(
        [target](PageTask::Control& control) { CNvrTimeZoneDlg::FetchZones(control, target, 4); }));
    // A trickled answer is journalled as its body starts, since it may never end.
    const auto trickling = [&recorder](const QString& asked) {
        const QString note = QStringLiteral(" answers %1,").arg(asked);
        return WaitUntil([&] { return recorder.notes(note) == 1; });
    };
    ASSERT_TRUE(trickling(kList));
    EXPECT_TRUE(task.stop());
    ASSERT_TRUE(task.start(
        [target](PageTask::Control& control) { CNvrTimeZoneDlg::ApplyZone(control, target, 12); }));
    ASSERT_TRUE(trickling(SetZone(12)));
    EXPECT_TRUE(task.stop());
}

TEST_F(TimeZoneStep, NextTwiceQuicklyWritesOnce) {
    SimRecorder recorder;
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    // The second click comes while the first write is still under way.
    recorder.change([](sim::Recorder& r) {
        sim::ReplyOverride slow;
        slow.path = QStringLiteral("/config/datetime");
        slow.queryPrefix = QStringLiteral("timezone=");
        slow.delayMs = 400;
        r.overrides.append(slow);
    });
    Script script;
    script.when([] { return Shown<CWaitingPage>() != nullptr; },
                [zones] {
                    QTest::mouseClick(zones->nextButton(), Qt::LeftButton);
                    zones->onNext();
                });
    zones->onNext();
    WaitUntil([&] { return host->currentPageId() == 10; }, 10000);
    EXPECT_EQ(host->currentPageId(), 10);
    EXPECT_EQ(recorder.count(SetZone(45)), 1);
    EXPECT_EQ(recorder.count(kRecord), 1);
}

TEST_F(TimeZoneStep, BackRestartsTheProbeBeforeThePasswordPage) {
    SimRecorder recorder;
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    // The probe holds on until page 8 has been made: it must have started before.
    std::atomic<bool> pageMade{false};
    bool probeRunning = false;
    host->loginProbe().setSender([&](const RecorderTarget&, const auto&) {
        while (!pageMade.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ProbeOutcome::Refused;
    });
    host->setPageFactory([&](int id, CInterDialog& h) {
        if (id == 8) {
            probeRunning = h.loginProbe().threadExists();
            pageMade = true;
        }
        return CreatePage(id, h);
    });
    zones->backButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 8; }));
    pageMade = true;
    ASSERT_TRUE(WaitUntil([&] { return host->loginProbe().words().busy.load() == 0; }));
    EXPECT_TRUE(probeRunning);
}

TEST_F(TimeZoneStep, TheFieldWorksByKeyboard) {
    SimRecorder recorder;
    CNvrTimeZoneDlg* zones = open(recorder);
    ASSERT_NE(zones, nullptr);
    controls::CApproComboBox* field = zones->field();
    EXPECT_EQ(field->objectName(), QStringLiteral("id5001"));
    EXPECT_EQ(field->list()->objectName(), QStringLiteral("id1033"));
    EXPECT_EQ(field->accessibleName(), shell::LookupText(u"SetupTimeZone_01", u"x"));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(field->isListShown());
    QTest::keyClick(field->list(), Qt::Key_Escape);
    EXPECT_FALSE(field->isListShown());
    EXPECT_EQ(zones->selectedZone(), 45);
    QTest::keyClick(field, Qt::Key_Space);
    ASSERT_TRUE(field->isListShown());
    QTest::keyClick(field->list(), Qt::Key_Down);
    QTest::keyClick(field->list(), Qt::Key_Down);
    QTest::keyClick(field->list(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(field->isListShown());
    EXPECT_EQ(zones->selectedZone(), 47);
    EXPECT_EQ(field->currentIndex(), 46);
}
