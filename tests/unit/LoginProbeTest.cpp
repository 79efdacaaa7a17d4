#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "../ui/RecorderStandIn.h"
#include "TestSupport.h"
#include "platform/MessageWindow.h"
#include "shell/LoginProbe.h"
#include "shell/Messages.h"

using namespace std::chrono_literals;

namespace {

// Stands in for the password page: counts network notices.
class PasswordPage : public platform::MessageWindow<QObject> {
public:
    int notices = 0;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        if (event.message() == msg::kNetworkNotice) {
            ++notices;
        }
    }
};

// A sender the test releases with the outcome it chooses. Its state is shared with the probe
// threads, so one that a test abandoned may end after the test.
class ScriptedSender {
public:
    LoginProbe::Sender sender() {
        return
            [state = state_](const RecorderTarget& target, const std::atomic<std::int32_t>& run) {
                std::unique_lock lock(state->mutex);
                state->seenIp = target.ip;
                ++state->calls;
                state->cv.notify_all();
                // Polls like the real probe, so a cleared run flag is seen without a wake-up.
                while (!state->released && !(state->honourStop && run.load() == 0)) {
                    state->cv.wait_for(lock, 5ms);
                }
                return state->outcome;
            };
    }
    void release(ProbeOutcome outcome) {
        std::lock_guard lock(state_->mutex);
        state_->outcome = outcome;
        state_->released = true;
        state_->cv.notify_all();
    }
    bool waitForCalls(int n) {
        std::unique_lock lock(state_->mutex);
        return state_->cv.wait_for(lock, 10s, [&] { return state_->calls >= n; });
    }
    void ignoreStop() {
        std::lock_guard lock(state_->mutex);
        state_->honourStop = false;
    }
    QString seenIp() {
        std::lock_guard lock(state_->mutex);
        return state_->seenIp;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cv;
        bool released = false;
        bool honourStop = true;
        int calls = 0;
        ProbeOutcome outcome = ProbeOutcome::Refused;
        QString seenIp;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

bool Idle(const LoginProbe& probe) {
    return probe.words().busy.load() == 0;
}

}  // namespace

TEST(LoginProbe, VerdictFollowsTheOutcome) {
    struct Case {
        ProbeOutcome outcome;
        int open;
        int locked;
        int notices;
    };
    for (const Case& c :
         {Case{ProbeOutcome::Accepted, 1, 0, 0}, Case{ProbeOutcome::Refused, 0, 1, 0},
          Case{ProbeOutcome::TimedOut, 1, 0, 1}, Case{ProbeOutcome::NotSent, 1, 0, 1}}) {
        PasswordPage page;
        ScriptedSender script;
        LoginProbe probe;
        probe.setSender(script.sender());
        probe.setNoticeTarget(page.windowId());
        probe.start({QStringLiteral("192.168.0.30"), QStringLiteral("00:11:22:33:44:55")});
        // Running from the moment start returns, so a page made next never reads a stale verdict.
        EXPECT_EQ(probe.words().busy.load(), 1);
        ASSERT_TRUE(script.waitForCalls(1));
        EXPECT_EQ(probe.words().busy.load(), 1);
        EXPECT_EQ(probe.words().open.load(), 0);
        EXPECT_EQ(probe.words().locked.load(), 1);
        EXPECT_EQ(script.seenIp(), QStringLiteral("192.168.0.30"));
        script.release(c.outcome);
        ASSERT_TRUE(WaitUntil([&] { return Idle(probe) && page.notices == c.notices; }));
        EXPECT_EQ(probe.words().open.load(), c.open);
        EXPECT_EQ(probe.words().locked.load(), c.locked);
        EXPECT_NE(probe.words().open.load(), probe.words().locked.load());
    }
}

TEST(LoginProbe, WithoutASenderItCountsAsUnreachable) {
    PasswordPage page;
    LoginProbe probe;
    probe.setNoticeTarget(page.windowId());
    probe.start({QString(), QString()});
    ASSERT_TRUE(WaitUntil([&] { return Idle(probe) && page.notices == 1; }));
    EXPECT_EQ(probe.words().open.load(), 1);
    EXPECT_EQ(probe.words().locked.load(), 0);
}

TEST(LoginProbe, RestartStopsTheOldProbeAndStartsAfresh) {
    PasswordPage page;
    ScriptedSender first;
    LoginProbe probe;
    probe.setNoticeTarget(page.windowId());
    probe.setSender(first.sender());
    probe.start({QStringLiteral("10.1.1.1"), QStringLiteral("00:00:00:00:00:01")});
    ASSERT_TRUE(first.waitForCalls(1));

    ScriptedSender second;
    probe.setSender(second.sender());
    probe.start({QStringLiteral("10.1.1.2"), QStringLiteral("00:00:00:00:00:02")});
    EXPECT_TRUE(probe.threadExists());
    ASSERT_TRUE(second.waitForCalls(1));
    EXPECT_EQ(probe.words().busy.load(), 1);
    EXPECT_EQ(probe.words().open.load(), 0);
    EXPECT_EQ(probe.words().locked.load(), 1);
    EXPECT_EQ(second.seenIp(), QStringLiteral("10.1.1.2"));
    second.release(ProbeOutcome::Accepted);
    ASSERT_TRUE(WaitUntil([&] { return Idle(probe); }));
    EXPECT_EQ(probe.words().open.load(), 1);
    EXPECT_EQ(page.notices, 0) << "the stopped probe says nothing";
}

TEST(LoginProbe, AnAbandonedProbeNeverOverwritesTheNewVerdict) {
    ScriptedSender stubborn;
    stubborn.ignoreStop();
    LoginProbe probe(20ms);
    probe.setSender(stubborn.sender());
    probe.start({QStringLiteral("10.1.1.1"), QStringLiteral("00:00:00:00:00:01")});
    ASSERT_TRUE(stubborn.waitForCalls(1));

    ScriptedSender second;
    probe.setSender(second.sender());
    probe.start({QStringLiteral("10.1.1.2"), QStringLiteral("00:00:00:00:00:02")});  // abandons
    ASSERT_TRUE(second.waitForCalls(1));
    stubborn.release(ProbeOutcome::Accepted);  // the old probe ends late with a verdict
    second.release(ProbeOutcome::Refused);
    ASSERT_TRUE(WaitUntil([&] { return Idle(probe); }));
    EXPECT_EQ(probe.words().open.load(), 0);
    EXPECT_EQ(probe.words().locked.load(), 1);
}

TEST(LoginProbe, TheHostsEndStopsAProbeThatHeedsItsFlagAndLetsAStubbornOneGo) {
    // The words of a probe whose host ended while `sender` was being called.
    const auto wordsAfterTheHost = [](ScriptedSender& sender) {
        LoginProbe probe;
        probe.setSender(sender.sender());
        probe.start({QStringLiteral("10.1.1.1"), QStringLiteral("00:00:00:00:00:01")});
        EXPECT_TRUE(sender.waitForCalls(1));
        return probe.sharedWords();
    };

    // One that heeds its flag has ended, verdict and all, when the host is gone: nothing of it
    // runs on into the process's exit.
    ScriptedSender heeding;
    std::shared_ptr<const LoginProbeWords> words = wordsAfterTheHost(heeding);
    EXPECT_EQ(words->busy.load(), 0);
    EXPECT_EQ(words->open.load(), 0);
    EXPECT_EQ(words->locked.load(), 1);

    // One that never looks at its flag does not hold the host's end up; it ends later on its
    // own words.
    ScriptedSender stubborn;
    stubborn.ignoreStop();
    words = wordsAfterTheHost(stubborn);
    EXPECT_EQ(words->busy.load(), 1);
    stubborn.release(ProbeOutcome::Accepted);
    EXPECT_TRUE(WaitUntil([&] { return words->busy.load() == 0; }));
    EXPECT_EQ(words->open.load(), 0) << "a stopped probe leaves the verdict as it started";
}

namespace {

// A search that saw one recorder at 10.77.0.10 through a loopback interface, and a worker whose
// datagrams stay on the loopback; the test hands the worker the recorder's answer itself.
struct ProbeBench {
    ProbeBench() {
        recorders = std::make_unique<RecorderStandIn>(std::vector<Bytes>{
            RecorderReply("ORB-780Z", {0, 0x1c, 0x2a, 0x78, 0x0e, 0x01}, {10, 77, 0, 10})});
        search = recorders->search(100ms);
        worker->setUdpDestination(QStringLiteral("127.0.0.1"));
        worker->setUdpTimeoutMs(150);
    }
    bool searched() {
        return search->Search() == DeviceSearch::Searching &&
               WaitUntil([this] { return search->state() == DeviceSearch::Finished; });
    }
    ProbeOutcome probe(const QString& ip = QStringLiteral("10.77.0.10"),
                       const QString& mac = QStringLiteral("00:1c:2a:78:0e:01")) {
        const std::atomic<std::int32_t> run{1};
        return LoginProbe::DatagramSender(search, worker)({ip, mac, 3, -5}, run);
    }

    std::unique_ptr<RecorderStandIn> recorders;
    std::shared_ptr<DeviceSearch> search;
    std::shared_ptr<DeviceCommandWorker> worker = std::make_shared<DeviceCommandWorker>();
};

}  // namespace

TEST(LoginProbeSender, WithoutARecordOrWithBadAddressesNothingIsSent) {
    ProbeBench bench;
    EXPECT_EQ(bench.probe(), ProbeOutcome::NotSent) << "no search yet";
    ASSERT_TRUE(bench.searched());
    EXPECT_EQ(bench.probe(QStringLiteral("10.77.0.99")), ProbeOutcome::NotSent);
    EXPECT_EQ(bench.probe(QStringLiteral("10.77.0.10"), QStringLiteral("00:1c:2a:78:0e")),
              ProbeOutcome::NotSent);
    EXPECT_EQ(bench.worker->lastUdpUser(), QString()) << "no check left the worker";
}

TEST(LoginProbeSender, TheAnswerDecidesAndSilenceIsATimeOut) {
    ProbeBench bench;
    ASSERT_TRUE(bench.searched());
    EXPECT_EQ(bench.probe(), ProbeOutcome::TimedOut);
    EXPECT_EQ(bench.worker->lastUdpUser(), QStringLiteral("admin"));
    EXPECT_EQ(bench.worker->lastUdpPassword(), QString());
    for (const int status : {0, 1}) {
        AccountAnswerer answerer(bench.worker, 0xA3, status);
        EXPECT_EQ(bench.probe(), status == 0 ? ProbeOutcome::Accepted : ProbeOutcome::Refused);
        EXPECT_GE(answerer.answered(), 1);
    }
}
