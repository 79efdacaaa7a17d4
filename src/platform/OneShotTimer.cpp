#include "platform/OneShotTimer.h"

namespace platform {

OneShotTimer::~OneShotTimer() {
    cancel();
}

void OneShotTimer::start(std::chrono::milliseconds delay, std::function<void()> onExpiry) {
    cancel();
    std::lock_guard lock(mutex_);
    armed_ = true;
    auto arm = std::make_shared<Arm>();
    arm_ = arm;
    const auto deadline = std::chrono::steady_clock::now() + delay;
    thread_ = std::thread([this, arm, deadline, onExpiry = std::move(onExpiry)] {
        {
            std::unique_lock wait(mutex_);
            if (wake_.wait_until(wait, deadline, [&arm] { return arm->cancelled; })) {
                return;
            }
            if (arm_ == arm) {
                armed_ = false;
            }
        }
        if (onExpiry) {
            onExpiry();
        }
    });
}

void OneShotTimer::cancel() {
    std::thread finished;
    {
        std::lock_guard lock(mutex_);
        if (arm_) {
            arm_->cancelled = true;
        }
        armed_ = false;
        wake_.notify_all();
        finished = std::move(thread_);
    }
    if (!finished.joinable()) {
        return;
    }
    if (finished.get_id() == std::this_thread::get_id()) {
        finished.detach();  // the callback cancels its own timer; it is about to return
    } else {
        finished.join();
    }
}

bool OneShotTimer::pending() const {
    std::lock_guard lock(mutex_);
    return armed_;
}

}  // namespace platform
