#include <QApplication>
#include <QThread>
#include <QWidget>

#include <thread>

#include <gtest/gtest.h>

#include "../unit/TestSupport.h"
#include "pages/PageTask.h"
#include "platform/MessageWindow.h"

using namespace std::chrono_literals;

namespace {

using Page = platform::MessageWindow<QWidget>;

// A gate a job waits at until the test opens it.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex);
        opened.wait(lock, [this] { return open; });
    }
};

}  // namespace

TEST(PageTask, FlagsReadOneBeforeTheJobAndBusyClearsAfterItsResults) {
    Page page;
    PageTask task(page.windowId());
    auto result = std::make_shared<TaskResult<int>>();
    std::atomic<int> seenRun{-1};
    std::atomic<int> seenBusy{-1};
    Gate gate;
    ASSERT_TRUE(task.start([&, result](PageTask::Control& control) {
        seenRun = control.running() ? 1 : 0;
        seenBusy = task.busy() ? 1 : 0;
        gate.wait();
        result->set(42);
    }));
    EXPECT_TRUE(task.busy());
    EXPECT_TRUE(task.running());
    EXPECT_FALSE(task.start([](PageTask::Control&) {})) << "one job at a time";
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return !task.busy(); }));
    EXPECT_EQ(result->get(), 42) << "final once busy reads 0";
    EXPECT_EQ(seenRun.load(), 1);
    EXPECT_EQ(seenBusy.load(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !task.running(); }));
    EXPECT_TRUE(task.start([](PageTask::Control&) {})) << "a finished job makes room";
}

TEST(PageTask, StopWakesAPausingJob) {
    Page page;
    PageTask task(page.windowId(), 20s);
    std::atomic<bool> woke{false};
    std::atomic<bool> pausing{false};
    ASSERT_TRUE(task.start([&](PageTask::Control& control) {
        pausing = true;
        woke = !control.pause(10min);
    }));
    ASSERT_TRUE(WaitUntil([&] { return pausing.load(); }));
    EXPECT_TRUE(task.stop());
    EXPECT_TRUE(woke.load());
    EXPECT_FALSE(task.busy());
}

TEST(PageTask, AnAbandonedJobNeverClearsTheBusyWordOfTheNextOne) {
    Page page;
    PageTask task(page.windowId(), 10ms);
    Gate first;
    Gate second;
    std::atomic<bool> firstEnded{false};
    ASSERT_TRUE(task.start([&](PageTask::Control&) {
        first.wait();  // deaf to the stop
        firstEnded = true;
    }));
    EXPECT_FALSE(task.stop()) << "abandoned after its bound";
    ASSERT_TRUE(task.start([&](PageTask::Control&) { second.wait(); }));
    first.release();
    ASSERT_TRUE(WaitUntil([&] { return firstEnded.load(); }));
    EXPECT_TRUE(task.busy()) << "the new job still runs";
    second.release();
    ASSERT_TRUE(WaitUntil([&] { return !task.busy(); }));
}

TEST(PageTask, CallsReachThePageOnItsThreadInOrderAndDieWithIt) {
    auto page = std::make_unique<Page>();
    PageTask task(page->windowId());
    std::vector<int> order;
    bool onGuiThread = true;
    std::atomic<bool> posted{false};
    QThread* gui = QThread::currentThread();
    ASSERT_TRUE(task.start([&](PageTask::Control& control) {
        for (int i = 0; i < 3; ++i) {
            control.post([&, i] {
                onGuiThread = onGuiThread && QThread::currentThread() == gui;
                order.push_back(i);
            });
        }
        posted = true;
    }));
    ASSERT_TRUE(WaitUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(onGuiThread);

    Gate gate;
    std::atomic<bool> late{false};
    ASSERT_TRUE(WaitUntil([&] { return !task.running(); }));
    PageTask orphan(page->windowId(), 10ms);
    ASSERT_TRUE(orphan.start([&](PageTask::Control& control) {
        gate.wait();
        control.post([&] { late = true; });
    }));
    page.reset();
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return !orphan.busy(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(late.load()) << "a call for a page that is gone is dropped";
}

TEST(PageTask, ReleaseLetsTheJobEndByItselfWhileThePageGoesOn) {
    auto page = std::make_unique<Page>();
    auto gate = std::make_shared<Gate>();
    auto sawStop = std::make_shared<std::atomic<bool>>(false);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool> late{false};
    {
        PageTask task(page->windowId(), 20s);
        ASSERT_TRUE(task.start([gate, sawStop, ended, &late](PageTask::Control& control) {
            gate->wait();
            *sawStop = !control.running();
            control.post([&late] { late = true; });
            *ended = true;
        }));
        // Would hang here if release waited for the job, which is held at the gate.
        task.release();
        EXPECT_FALSE(task.running()) << "the task no longer holds the job";
    }
    page.reset();
    gate->release();
    ASSERT_TRUE(WaitUntil([&] { return ended->load(); }));
    EXPECT_TRUE(sawStop->load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(late.load()) << "what it posts after its page went is dropped";
}

TEST(PageTask, AStopRunsTheHookOfABlockedJobOnceAndNeverAfterItsGuard) {
    Page page;
    PageTask task(page.windowId(), 20s);
    auto blocked = std::make_shared<Gate>();
    std::atomic<int> aborts{0};
    std::atomic<bool> hooked{false};
    ASSERT_TRUE(task.start([&, blocked](PageTask::Control& control) {
        // A read that only the hook ends, as an HTTP client's abort ends one.
        const auto hook = control.onStop([&, blocked] {
            ++aborts;
            blocked->release();
        });
        hooked = true;
        blocked->wait();
    }));
    ASSERT_TRUE(WaitUntil([&] { return hooked.load(); }));
    EXPECT_TRUE(task.stop()) << "the hook freed the job, so the stop did not run out";
    task.requestStop();
    EXPECT_EQ(aborts.load(), 1);

    // After its guard is gone the hook is never called; a stop before the hook calls it at once.
    std::atomic<int> late{0};
    std::atomic<int> early{0};
    Gate unhooked;
    ASSERT_TRUE(task.start([&](PageTask::Control& control) {
        {
            const auto hook = control.onStop([&] { ++late; });
        }
        unhooked.release();
        while (control.running()) {
            control.pause(10ms);
        }
        const auto hook = control.onStop([&] { ++early; });
    }));
    unhooked.wait();
    EXPECT_TRUE(task.stop());
    EXPECT_EQ(late.load(), 0);
    EXPECT_EQ(early.load(), 1);
}

TEST(PageTask, AHookEndsWhileAStopComesFromAnotherThread) {
    // The guard may end on the job's thread just as the page stops the job: the hook then runs
    // either completely before the guard ends or not at all.
    Page page;
    for (int round = 0; round < 200; ++round) {
        PageTask task(page.windowId(), 20s);
        auto alive = std::make_shared<std::atomic<bool>>(false);
        auto misuse = std::make_shared<std::atomic<bool>>(false);
        Gate hooked;
        ASSERT_TRUE(task.start([&, alive, misuse](PageTask::Control& control) {
            {
                alive->store(true);
                const auto hook = control.onStop([alive, misuse] {
                    if (!alive->load()) {
                        misuse->store(true);
                    }
                });
                hooked.release();
                std::this_thread::yield();
            }
            alive->store(false);
        }));
        hooked.wait();
        task.requestStop();
        EXPECT_TRUE(task.stop());
        ASSERT_FALSE(misuse->load()) << "round " << round;
    }
}
