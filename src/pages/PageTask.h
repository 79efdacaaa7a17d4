#pragma once

#include <QPoint>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/WindowMessage.h"
#include "platform/WorkerThread.h"

class QWidget;

// One background job of a page: a run flag the page clears to stop it, a busy word that the
// waiting overlay watches, a bounded stop on leaving, and calls back to the page on the GUI
// thread. The job never touches a widget itself.
class PageTask final {
public:
    static constexpr std::chrono::milliseconds kStopWait{3000};

    // What the job and the page share. The job holds its own, so a job abandoned by a page
    // that went away never reaches freed memory, and never clears the busy word of a newer job.
    class Control final {
    public:
        // While the returned guard lives, a stop request also calls `abort` (on the stopping
        // thread), so a job blocked in a read that may never end is freed at once. Called at
        // once when the stop came first.
        class StopHook final {
        public:
            ~StopHook();
            StopHook(const StopHook&) = delete;
            StopHook& operator=(const StopHook&) = delete;

        private:
            friend class Control;
            explicit StopHook(Control& control) : control_(control) {}
            Control& control_;
        };
        [[nodiscard]] StopHook onStop(std::function<void()> abort);

        bool running() const { return run_.load() != 0; }
        // Sleeps up to `duration`, waking at once when the page stops the job. False when the
        // job has been asked to stop.
        bool pause(std::chrono::milliseconds duration);
        // Runs `call` on the page's thread, after everything posted before it, while the page
        // exists; dropped otherwise.
        void post(std::function<void()> call) const;

    private:
        friend class PageTask;
        explicit Control(platform::WindowId page) : page_(page) {}
        void requestStop();

        const platform::WindowId page_;
        std::atomic<std::int32_t> run_{0};
        std::atomic<std::int32_t> busy_{0};
        std::mutex mutex_;
        std::condition_variable wake_;
        std::function<void()> abort_;  // guarded by mutex_
    };
    using Body = std::function<void(Control& control)>;

    explicit PageTask(platform::WindowId page, std::chrono::milliseconds stopWait = kStopWait);
    // Stops the job (bounded) and abandons it when it overstays.
    ~PageTask();
    PageTask(const PageTask&) = delete;
    PageTask& operator=(const PageTask&) = delete;

    // Starts `body` on its own thread unless a job still runs. The run flag and the busy word
    // read 1 before the job can run; busy returns to 0 only after `body` has returned, so
    // whatever the job wrote before is final when busy reads 0.
    bool start(Body body);

    // Clears the run flag and wakes a pausing job without waiting for it, so the caller can
    // abort what the job is blocked in before stop() waits.
    void requestStop() { control_->requestStop(); }

    // Clears the run flag, wakes a pausing job and waits for it at most the stop wait; a job
    // that overstays is abandoned. True when it ended in time (or none ran).
    bool stop();

    // Clears the run flag, wakes a pausing job and lets it end by itself, not waiting at all:
    // for jobs that hold everything they touch and only post to the page.
    void release();

    bool running() const;
    bool busy() const { return control_->busy_.load() != 0; }
    const std::atomic<std::int32_t>& busyWord() const { return control_->busy_; }

    // The waiting overlay over `page` until the busy word reads 0 or `waitTicks` ticks of 100 ms
    // have passed. `mode` as the overlay takes it (-1 plain).
    void showWaiting(QWidget* page, int waitTicks, int mode = -1) const;
    // The same, and whether `page` still exists afterwards: the host may have gone on while
    // the overlay ran.
    bool waitOver(QWidget* page, int waitTicks, int mode = -1) const;

private:
    platform::WindowId page_;
    std::chrono::milliseconds stopWait_;
    std::shared_ptr<Control> control_;
    platform::WorkerThread thread_;
};

// A value a job writes and its page reads: after the busy word returned to 0 it is final;
// before that (an overlay that gave up), reading is still safe.
template <typename T>
class TaskResult final {
public:
    void set(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};
