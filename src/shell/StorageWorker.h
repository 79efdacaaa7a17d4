#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/RestartableWorker.h"
#include "platform/WindowMessage.h"
#include "shell/RecorderAccount.h"

class DeviceCommandWorker;

// What the storage worker has learnt of the recorder's drive. Only the current run of the
// worker writes it; readers take the words as they are when a drive report arrives.
struct StorageState {
    std::array<std::atomic<std::int32_t>, 2> driveReady{};      // slot 1 stays 0
    std::array<std::atomic<std::int32_t>, 2> fileSystemCode{};  // slot 1 stays 0
    std::atomic<std::int32_t> dataMatch{0};
};

// The pauses of one pass; tests shorten or lengthen them.
struct StorageTimings {
    std::chrono::milliseconds afterRequest{50};
    std::chrono::milliseconds betweenRequests{300};
    std::chrono::milliseconds afterPass{500};
};

// The host's background poller of the recorder's drive for the hard-drive page: asks for the
// drive and for its data match over and over, and reports the ready word to the page whenever
// it changes (and after the first pass of each run).
class StorageWorker final {
public:
    using Body = std::function<void(StorageState& state, const std::atomic<std::int32_t>& run)>;
    using TargetSource = std::function<RecorderHttpTarget()>;

    static constexpr int kRequestTimeoutMs = 6000;
    static constexpr std::size_t kReplyBytes = 8200;

    explicit StorageWorker(std::chrono::milliseconds stopWait = std::chrono::milliseconds(3000));
    ~StorageWorker();
    StorageWorker(const StorageWorker&) = delete;
    StorageWorker& operator=(const StorageWorker&) = delete;

    // Replaces the polling with a body of the caller's (tests).
    void setBody(Body body) { body_ = std::move(body); }
    // Asked on the caller's thread at every start: the recorder to poll.
    void setTargetSource(TargetSource source) { targetSource_ = std::move(source); }
    // Its command is stopped when a run begins, so the two never talk to the recorder at once.
    void setCommandWorker(std::shared_ptr<DeviceCommandWorker> worker) {
        commands_ = std::move(worker);
    }
    void setTimings(const StorageTimings& timings) { timings_ = timings; }
    // The hard-drive page (0 for none); any thread. Once it returns, nothing more is posted
    // to the previous target.
    void setReportTarget(platform::WindowId page);

    // Stops a running worker (bounded), clears the state and starts anew.
    void start();
    // Clears the run flag, wakes the run and aborts its request, then waits at most the stop
    // wait. True when the run ended in time (or there was none).
    bool stop();

    bool running() const { return worker_.exists(); }
    // Shared, so a page may keep it while runs come and go.
    std::shared_ptr<const StorageState> state() const;

private:
    struct Shared;
    class RunControl;
    struct Pass;

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<RunControl> control_;  // of the current run
    Body body_;
    TargetSource targetSource_;
    std::shared_ptr<DeviceCommandWorker> commands_;
    StorageTimings timings_;
    platform::RestartableWorker worker_;
};
