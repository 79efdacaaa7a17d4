#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/WorkerThread.h"

namespace platform {

// A background job that is stopped and started again on request: clearing its run flag asks
// it to stop, the wait for it is bounded, and a job that overstays is abandoned. Each run has
// its own flag, so an abandoned run can never clear the flag of the run that replaced it.
class RestartableWorker final {
public:
    using RunFlag = std::atomic<std::int32_t>;
    using Body = std::function<void(const std::shared_ptr<RunFlag>& run)>;

    explicit RestartableWorker(std::chrono::milliseconds stopWait) : stopWait_(stopWait) {}
    ~RestartableWorker() { stop(); }
    RestartableWorker(const RestartableWorker&) = delete;
    RestartableWorker& operator=(const RestartableWorker&) = delete;

    // Stops a running job (bounded), then starts `body` with a fresh run flag set to 1.
    // `beforeStart` sees the new flag on the caller's thread before the job can run.
    bool start(Body body,
               const std::function<void(const std::shared_ptr<RunFlag>&)>& beforeStart = {});

    // Clears the run flag and waits for the job, at most the stop wait. True when it ended.
    bool stop() { return stop(stopWait_); }
    // The same with a wait of the caller's choosing; a job that overstays it is abandoned.
    bool stop(std::chrono::milliseconds wait);

    bool exists() const { return thread_.exists(); }
    // The flag of the current run; null before the first start.
    std::shared_ptr<RunFlag> runFlag() const { return run_; }

private:
    std::chrono::milliseconds stopWait_;
    std::shared_ptr<RunFlag> run_;
    WorkerThread thread_;
};

}  // namespace platform
