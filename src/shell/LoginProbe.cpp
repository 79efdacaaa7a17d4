#include "shell/LoginProbe.h"

#include "shell/Messages.h"

LoginProbe::LoginProbe(std::chrono::milliseconds stopWait) : worker_(stopWait) {}

LoginProbe::~LoginProbe() {
    // The host does not wait for a running probe; it keeps its own words alive.
    if (auto run = worker_.runFlag()) {
        run->store(0);
    }
    worker_.abandon();
}

void LoginProbe::start(const QString& recorderIp, const QString& recorderMac) {
    worker_.stop();
    auto shared = shared_;
    Sender sender = sender_;
    worker_.start([shared, sender, recorderIp, recorderMac](const auto& run) {
        Run(shared, run, sender, recorderIp, recorderMac);
    });
    std::lock_guard lock(shared_->verdictMutex);
    shared_->current = worker_.runFlag();
}

void LoginProbe::Run(const std::shared_ptr<Shared>& shared,
                     const std::shared_ptr<platform::RestartableWorker::RunFlag>& run,
                     const Sender& sender, const QString& ip, const QString& mac) {
    LoginProbeWords& words = shared->words;
    {
        std::lock_guard lock(shared->verdictMutex);
        shared->current = run;
        words.open.store(0);
        words.locked.store(1);
        words.busy.store(1);  // after the verdict words, so a reader never sees a stale verdict
    }

    ProbeOutcome outcome = ProbeOutcome::NotSent;
    if (run->load() != 0) {
        outcome = sender ? sender(ip, mac, *run) : ProbeOutcome::NotSent;
    }

    std::lock_guard lock(shared->verdictMutex);
    if (shared->current != run) {
        return;  // abandoned and replaced: the words belong to the newer probe
    }
    const bool stopped = run->load() == 0;
    bool notice = false;
    if (stopped) {
        words.open.store(0);
        words.locked.store(1);
    } else if (outcome == ProbeOutcome::Accepted) {
        words.open.store(1);
        words.locked.store(0);
    } else if (outcome == ProbeOutcome::TimedOut || outcome == ProbeOutcome::NotSent) {
        words.open.store(1);
        words.locked.store(0);
        notice = true;
    } else {
        words.open.store(0);
        words.locked.store(1);
    }
    if (notice) {
        platform::PostMessage(shared->noticeTarget.load(), msg::kNetworkNotice);
    }
    run->store(0);
    words.busy.store(0);
}
