#include "pages/PageTask.h"

#include <QPointer>
#include <QWidget>

#include <utility>

#include "pages/CWaitingPage.h"
#include "platform/PrescribedWait.h"
#include "shell/FlowTrace.h"

bool PageTask::Control::pause(std::chrono::milliseconds duration) {
    const platform::PrescribedWait wait;
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, duration, [this] { return run_.load() == 0; });
    return run_.load() != 0;
}

void PageTask::Control::post(std::function<void()> call) const {
    platform::PostCall(page_, std::move(call));
}

PageTask::Control::StopHook PageTask::Control::onStop(std::function<void()> abort) {
    std::lock_guard lock(mutex_);
    if (run_.load() == 0) {
        abort();
    } else {
        abort_ = std::move(abort);
    }
    return StopHook(*this);
}

PageTask::Control::StopHook::~StopHook() {
    std::lock_guard lock(control_.mutex_);
    control_.abort_ = nullptr;
}

void PageTask::Control::requestStop() {
    {
        // Under the lock, so the hook's guard cannot end (and its client go) meanwhile.
        std::lock_guard lock(mutex_);
        run_.store(0);
        if (abort_) {
            std::exchange(abort_, nullptr)();
        }
    }
    wake_.notify_all();
}

PageTask::PageTask(platform::WindowId page, std::chrono::milliseconds stopWait)
    : page_(page), stopWait_(stopWait), control_(std::shared_ptr<Control>(new Control(page))) {}

PageTask::~PageTask() {
    stop();
}

bool PageTask::start(Body body) {
    if (thread_.exists()) {
        if (!thread_.finished()) {
            return false;
        }
        thread_.waitFor(std::chrono::milliseconds(0));
    }
    // A fresh block for every job: an abandoned one keeps writing only to its own.
    auto control = std::shared_ptr<Control>(new Control(page_));
    control->run_.store(1);
    control->busy_.store(1);
    // In place before the job runs, so the job may ask this task about itself.
    std::shared_ptr<Control> previous = std::exchange(control_, control);
    const bool started = thread_.start([control, body = std::move(body)] {
        const auto begun = std::chrono::steady_clock::now();
        const auto waitedBefore = platform::PrescribedWaitSoFar();
        body(*control);
        qCDebug(lcFlow, "job: %lld ms, prescribed waits %lld ms",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - begun)
                                           .count()),
                static_cast<long long>((platform::PrescribedWaitSoFar() - waitedBefore).count()));
        control->run_.store(0);
        control->busy_.store(0);
    });
    if (!started) {
        control_ = std::move(previous);
    }
    return started;
}

bool PageTask::stop() {
    control_->requestStop();
    return thread_.stop(stopWait_);
}

void PageTask::release() {
    control_->requestStop();
    thread_.abandon();
}

bool PageTask::running() const {
    return thread_.exists() && !thread_.finished();
}

void PageTask::showWaiting(QWidget* page, int waitTicks, int mode) const {
    // The overlay reads the busy word of this job; the block stays alive while it runs.
    const std::shared_ptr<Control> control = control_;
    CWaitingPage waiting(page, control->busy_, waitTicks, page->mapToGlobal(QPoint(0, 0)), mode);
    waiting.exec();
}

bool PageTask::waitOver(QWidget* page, int waitTicks, int mode) const {
    QPointer<QWidget> alive(page);
    showWaiting(page, waitTicks, mode);
    return !alive.isNull();
}
