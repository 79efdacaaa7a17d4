#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/OneShotTimer.h"
#include "platform/RestartableWorker.h"
#include "platform/WorkerThread.h"

using namespace std::chrono_literals;

namespace {

// A gate a test opens to let a worker finish.
class Gate {
public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

}  // namespace

TEST(WorkerThread, WaitIsBoundedAndAFinishedThreadIsReleased) {
    platform::WorkerThread worker;
    auto gate = std::make_shared<Gate>();
    ASSERT_TRUE(worker.start([gate] { gate->wait(); }));
    EXPECT_FALSE(worker.start([] {})) << "one thread at a time";
    EXPECT_FALSE(worker.waitFor(20ms));
    EXPECT_TRUE(worker.exists());
    gate->open();
    EXPECT_TRUE(worker.waitFor(10s));
    EXPECT_FALSE(worker.exists());
    EXPECT_TRUE(worker.start([] {})) << "free again";
    EXPECT_TRUE(worker.waitFor(10s));
}

TEST(WorkerThread, AnAbandonedThreadKeepsItsSharedBlockAlive) {
    auto gate = std::make_shared<Gate>();
    auto finished = std::make_shared<std::promise<int>>();
    std::future<int> result = finished->get_future();
    {
        struct Block {
            std::atomic<int> counter{0};
        };
        auto block = std::make_shared<Block>();
        platform::WorkerThread worker;
        ASSERT_TRUE(worker.start([block, gate, finished] {
            gate->wait();
            block->counter.fetch_add(41);  // after its owner is gone: ASan checks this is safe
            finished->set_value(block->counter.fetch_add(1) + 1);
        }));
        EXPECT_FALSE(worker.stop(10ms)) << "did not end in time";
        EXPECT_FALSE(worker.exists());
    }  // worker and the test's reference to the block are gone
    gate->open();
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get(), 42);
}

TEST(OneShotTimer, FiresOnceAfterItsDelay) {
    platform::OneShotTimer timer;
    std::promise<void> fired;
    std::atomic<int> calls{0};
    const auto started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point firedAt;
    timer.start(30ms, [&] {
        firedAt = std::chrono::steady_clock::now();
        if (calls.fetch_add(1) == 0) {
            fired.set_value();
        }
    });
    EXPECT_TRUE(timer.pending());
    ASSERT_EQ(fired.get_future().wait_for(10s), std::future_status::ready);
    timer.cancel();  // joins the timer thread
    EXPECT_EQ(calls.load(), 1);
    EXPECT_FALSE(timer.pending());
    EXPECT_GE(firedAt - started, 30ms);
}

TEST(OneShotTimer, CancelledOrRestartedTimerNeverCallsTheOldFunction) {
    platform::OneShotTimer timer;
    std::atomic<int> old{0};
    timer.start(10min, [&] { old.fetch_add(1); });
    timer.cancel();
    EXPECT_FALSE(timer.pending());

    std::promise<void> fired;
    timer.start(10min, [&] { old.fetch_add(1); });
    timer.start(1ms, [&] { fired.set_value(); });
    ASSERT_EQ(fired.get_future().wait_for(10s), std::future_status::ready);
    timer.cancel();
    EXPECT_EQ(old.load(), 0);
}

TEST(OneShotTimer, TheFunctionMayCancelItsOwnTimer) {
    platform::OneShotTimer timer;
    std::promise<void> done;
    timer.start(1ms, [&] {
        timer.cancel();
        done.set_value();
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(timer.pending());
}

TEST(RestartableWorker, RestartStopsTheRunningJobFirst) {
    platform::RestartableWorker worker(3000ms);
    std::atomic<int> running{0};
    std::atomic<int> maxRunning{0};
    auto body = [&](const std::shared_ptr<platform::RestartableWorker::RunFlag>& run) {
        const int now = running.fetch_add(1) + 1;
        maxRunning.store(std::max(maxRunning.load(), now));
        while (run->load() != 0) {
            std::this_thread::yield();
        }
        running.fetch_sub(1);
    };
    ASSERT_TRUE(worker.start(body));
    auto firstFlag = worker.runFlag();
    ASSERT_TRUE(worker.start(body));
    EXPECT_EQ(firstFlag->load(), 0);
    EXPECT_EQ(worker.runFlag()->load(), 1);
    EXPECT_TRUE(worker.stop());
    EXPECT_EQ(maxRunning.load(), 1) << "never two runs at once when the old one stops in time";
}

TEST(RestartableWorker, AnAbandonedRunCannotTouchTheNewRunsFlag) {
    platform::RestartableWorker worker(10ms);
    auto gate = std::make_shared<Gate>();
    auto oldDone = std::make_shared<std::promise<void>>();
    ASSERT_TRUE(worker.start([gate, oldDone](const auto& run) {
        gate->wait();  // ignores its run flag until the gate opens
        run->store(0);
        oldDone->set_value();
    }));
    auto newRunSeen = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<Gate>();
    ASSERT_TRUE(worker.start([newRunSeen, release](const auto&) {
        newRunSeen->set_value();
        release->wait();
    }));
    ASSERT_EQ(newRunSeen->get_future().wait_for(10s), std::future_status::ready);
    gate->open();
    ASSERT_EQ(oldDone->get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(worker.runFlag()->load(), 1) << "the late old run cleared only its own flag";
    release->open();
    EXPECT_TRUE(worker.stop());
}

TEST(OneShotTimer, ReArmingNeverRevivesAnArmingBeingCancelledElsewhere) {
    // A reply thread cancels while the next request re-arms: the cancelled arming must stay dead.
    // Only rounds whose cancel and re-arm both ended before the arming was due count: on a busy
    // machine a round may take longer, and then its arming rightly fires. A revived one fires
    // during a later round.
    platform::OneShotTimer timer;
    std::vector<std::shared_ptr<std::atomic<bool>>> cancelledInTime;
    for (int round = 0; round < 1000; ++round) {
        auto fired = std::make_shared<std::atomic<bool>>(false);
        const auto armed = std::chrono::steady_clock::now();
        timer.start(20ms, [fired] { fired->store(true); });
        std::thread canceller([&] { timer.cancel(); });
        timer.start(10min, [] {});
        canceller.join();
        if (std::chrono::steady_clock::now() - armed < 20ms) {
            cancelledInTime.push_back(fired);
        }
        timer.cancel();
    }
    ASSERT_GE(cancelledInTime.size(), 10u) << "hardly a round was quick enough to tell anything";
    for (const auto& fired : cancelledInTime) {
        EXPECT_FALSE(fired->load());
    }
}
