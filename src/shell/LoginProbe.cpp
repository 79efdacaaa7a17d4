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
    auto shared = shared_;
    Sender sender = sender_;
    const bool started =
        worker_.start([shared, sender, recorderIp, recorderMac](
                          const auto& run) { Run(shared, run, sender, recorderIp, recorderMac); },
                      [&shared](const auto& run) {
                          // The new run owns the words from now on; an older one that ends late is
                          // ignored. They read "running" before the page that waits on them can be
                          // made.
                          std::lock_guard lock(shared->verdictMutex);
                          shared->current = run;
                          shared->words.open.store(0);
                          shared->words.locked.store(1);
                          shared->words.busy.store(1);
                      });
    if (!started) {
        // No thread, no datagram: counts as an unreachable recorder.
        std::lock_guard lock(shared->verdictMutex);
        shared->words.open.store(1);
        shared->words.locked.store(0);
        shared->words.busy.store(0);
        platform::PostMessage(shared->noticeTarget.load(), msg::kNetworkNotice);
    }
}

void LoginProbe::Run(const std::shared_ptr<Shared>& shared,
                     const std::shared_ptr<platform::RestartableWorker::RunFlag>& run,
                     const Sender& sender, const QString& ip, const QString& mac) {
    LoginProbeWords& words = shared->words;
    ProbeOutcome outcome = ProbeOutcome::NotSent;
    if (run->load() != 0) {
        outcome = sender ? sender(ip, mac, *run) : ProbeOutcome::NotSent;
    }

    std::lock_guard lock(shared->verdictMutex);
    if (shared->current != run) {
        return;  // abandoned and replaced: the words belong to the newer probe
    }
    // A stopped probe leaves the verdict "password set"; an unreachable recorder counts as open.
    const bool stopped = run->load() == 0;
    const bool unreachable = outcome == ProbeOutcome::TimedOut || outcome == ProbeOutcome::NotSent;
    const bool open = !stopped && (outcome == ProbeOutcome::Accepted || unreachable);
    const bool notice = !stopped && unreachable;
    words.open.store(open ? 1 : 0);
    words.locked.store(open ? 0 : 1);
    if (notice) {
        platform::PostMessage(shared->noticeTarget.load(), msg::kNetworkNotice);
    }
    run->store(0);
    words.busy.store(0);
}
