#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// One background thread with a bounded wait. A thread that does not end in time can be
// abandoned: it runs on detached, so the body must keep everything it touches alive itself
// (capture shared_ptrs, never `this` of a window).
class WorkerThread final {
public:
    WorkerThread() = default;
    // Joins a finished thread; abandons one that is still running rather than block.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body on a new thread. False when a thread is already held (wait or abandon it
    // first) or the system refused to start one.
    bool start(std::function<void()> body);

    // True while a thread is held (running, or finished but not yet waited for).
    bool exists() const { return thread_.joinable(); }
    bool finished() const;

    // Waits up to `timeout` for the body to return; on success the thread is released.
    bool waitFor(std::chrono::milliseconds timeout);

    // Lets a running thread go on by itself; the handle is released at once.
    void abandon();

    // Waits as long as waitFor allows and abandons the thread if it is still running.
    // Returns true when the thread ended in time (or there was none).
    bool stop(std::chrono::milliseconds timeout);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace platform
