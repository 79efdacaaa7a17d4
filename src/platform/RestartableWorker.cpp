#include "platform/RestartableWorker.h"

namespace platform {

bool RestartableWorker::start(
    Body body, const std::function<void(const std::shared_ptr<RunFlag>&)>& beforeStart) {
    stop();
    auto run = std::make_shared<RunFlag>(1);
    run_ = run;
    if (beforeStart) {
        beforeStart(run);
    }
    return thread_.start([run, body = std::move(body)] { body(run); });
}

bool RestartableWorker::stop(std::chrono::milliseconds wait) {
    if (run_) {
        run_->store(0);
    }
    if (!thread_.exists()) {
        return true;
    }
    return thread_.stop(wait);
}

}  // namespace platform
