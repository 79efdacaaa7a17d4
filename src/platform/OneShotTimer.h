#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// Calls a function once on its own thread after a delay, unless cancelled first. Stands in for
// the one-shot multimedia timers of the recorder protocols.
class OneShotTimer final {
public:
    OneShotTimer() = default;
    ~OneShotTimer();
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    // Cancels an earlier timer, then arms a new one.
    void start(std::chrono::milliseconds delay, std::function<void()> onExpiry);

    // After this returns the function is not running and will not run. From inside the
    // function itself it only prevents nothing further (the function is already running).
    // Do not call it while holding a lock the function takes.
    void cancel();

    // True from start until the function has been called or the timer cancelled.
    bool pending() const;

private:
    // One arming of the timer. Each has its own flag, so re-arming can never revive an older
    // arming that another thread is cancelling at the same moment.
    struct Arm {
        bool cancelled = false;
    };

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    std::shared_ptr<Arm> arm_;
    std::thread thread_;
};

}  // namespace platform
