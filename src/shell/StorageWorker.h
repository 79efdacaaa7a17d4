#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/RestartableWorker.h"

// What the storage worker has learnt of the recorder's drive; only the worker writes it.
struct StorageState {
    std::array<std::atomic<std::int32_t>, 7> words{};
};

// The host's background poller of the recorder's drive state for the hard-drive page. Started
// when the time-zone step is left forward, stopped when the hard-drive step is left.
class StorageWorker final {
public:
    using Body = std::function<void(StorageState& state, const std::atomic<std::int32_t>& run)>;

    explicit StorageWorker(std::chrono::milliseconds stopWait = std::chrono::milliseconds(3000))
        : worker_(stopWait) {}

    void setBody(Body body) { body_ = std::move(body); }

    // Stops a running worker (bounded) and starts it anew.
    void start();
    // Clears the run flag and waits at most the stop wait.
    void stop() { worker_.stop(); }

    bool running() const { return worker_.exists(); }
    const std::shared_ptr<StorageState>& state() const { return state_; }

private:
    std::shared_ptr<StorageState> state_ = std::make_shared<StorageState>();
    Body body_;
    platform::RestartableWorker worker_;
};
