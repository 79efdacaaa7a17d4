#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

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

// A sender the test releases with the outcome it chooses.
class ScriptedSender {
public:
    LoginProbe::Sender sender() {
        return [this](const QString& ip, const QString& mac, const std::atomic<std::int32_t>& run) {
            std::unique_lock lock(mutex_);
            seenIp_ = ip;
            seenMac_ = mac;
            ++calls_;
            cv_.notify_all();
            // Polls like the real probe, so a cleared run flag is seen without a wake-up.
            while (!released_ && !(honourStop_ && run.load() == 0)) {
                cv_.wait_for(lock, 5ms);
            }
            return outcome_;
        };
    }
    void release(ProbeOutcome outcome) {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        released_ = true;
        cv_.notify_all();
    }
    bool waitForCalls(int n) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 10s, [&] { return calls_ >= n; });
    }
    void ignoreStop() { honourStop_ = false; }
    QString seenIp() {
        std::lock_guard lock(mutex_);
        return seenIp_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool released_ = false;
    bool honourStop_ = true;
    int calls_ = 0;
    ProbeOutcome outcome_ = ProbeOutcome::Refused;
    QString seenIp_;
    QString seenMac_;
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
        probe.start(QStringLiteral("192.168.0.30"), QStringLiteral("00:11:22:33:44:55"));
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
    probe.start(QString(), QString());
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
    probe.start(QStringLiteral("10.1.1.1"), QStringLiteral("00:00:00:00:00:01"));
    ASSERT_TRUE(first.waitForCalls(1));

    ScriptedSender second;
    probe.setSender(second.sender());
    probe.start(QStringLiteral("10.1.1.2"), QStringLiteral("00:00:00:00:00:02"));
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
    probe.start(QStringLiteral("10.1.1.1"), QStringLiteral("00:00:00:00:00:01"));
    ASSERT_TRUE(stubborn.waitForCalls(1));

    ScriptedSender second;
    probe.setSender(second.sender());
    probe.start(QStringLiteral("10.1.1.2"), QStringLiteral("00:00:00:00:00:02"));  // abandons
    ASSERT_TRUE(second.waitForCalls(1));
    stubborn.release(ProbeOutcome::Accepted);  // the old probe ends late with a verdict
    second.release(ProbeOutcome::Refused);
    ASSERT_TRUE(WaitUntil([&] { return Idle(probe); }));
    EXPECT_EQ(probe.words().open.load(), 0);
    EXPECT_EQ(probe.words().locked.load(), 1);
}
