#include "platform/WorkerThread.h"

#include <system_error>

namespace platform {

WorkerThread::~WorkerThread() {
    if (!thread_.joinable()) {
        return;
    }
    if (finished()) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

bool WorkerThread::start(std::function<void()> body) {
    if (thread_.joinable() || !body) {
        return false;
    }
    auto state = std::make_shared<State>();
    try {
        thread_ = std::thread([state, body = std::move(body)] {
            body();
            std::lock_guard lock(state->mutex);
            state->done = true;
            state->ended.notify_all();
        });
    } catch (const std::system_error&) {
        return false;
    }
    state_ = std::move(state);
    return true;
}

bool WorkerThread::finished() const {
    if (!state_) {
        return true;
    }
    std::lock_guard lock(state_->mutex);
    return state_->done;
}

bool WorkerThread::waitFor(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) {
        return true;
    }
    {
        std::unique_lock lock(state_->mutex);
        if (!state_->ended.wait_for(lock, timeout, [this] { return state_->done; })) {
            return false;
        }
    }
    thread_.join();
    state_.reset();
    return true;
}

void WorkerThread::abandon() {
    if (thread_.joinable()) {
        thread_.detach();
    }
    state_.reset();
}

bool WorkerThread::stop(std::chrono::milliseconds timeout) {
    if (waitFor(timeout)) {
        return true;
    }
    abandon();
    return false;
}

}  // namespace platform
