#include "shell/LoginProbe.h"

#include <thread>

#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "shell/Messages.h"

LoginProbe::LoginProbe(std::chrono::milliseconds stopWait) : worker_(stopWait) {}

LoginProbe::~LoginProbe() {
    // A cleared flag ends a probe within one poll. Waiting that long keeps it from running on
    // into the process's exit, where the worker and the window registry it touches are being
    // torn down; a probe that overstays is let go, and keeps its own words alive.
    worker_.stop(kExitWait);
}

LoginProbe::Sender LoginProbe::DatagramSender(std::shared_ptr<const DeviceSearch> search,
                                              std::shared_ptr<DeviceCommandWorker> worker) {
    return [search = std::move(search), worker = std::move(worker)](
               const RecorderTarget& target, const std::atomic<std::int32_t>& run) {
        if (!search || !worker) {
            return ProbeOutcome::NotSent;
        }
        // A datagram that did not leave is as good as one that was never answered.
        if (StartLoginCheck(*search, *worker, target, QStringLiteral("admin"), QString()) !=
            AccountStart::Sent) {
            return ProbeOutcome::NotSent;
        }
        const std::int32_t status = WaitForAccountReply(
            *worker,
            [&run](std::chrono::milliseconds interval) {
                if (run.load() == 0) {
                    return false;
                }
                std::this_thread::sleep_for(interval);
                return true;
            },
            kPollInterval, kPolls);
        if (status == kCommandDone && worker->loginAccepted() == 1) {
            return ProbeOutcome::Accepted;
        }
        return status == kCommandTimedOut ? ProbeOutcome::TimedOut : ProbeOutcome::Refused;
    };
}

void LoginProbe::start(const RecorderTarget& target) {
    auto shared = shared_;
    Sender sender = sender_;
    const bool started = worker_.start(
        [shared, sender, target](const auto& run) { Run(shared, run, sender, target); },
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
                     const Sender& sender, const RecorderTarget& target) {
    LoginProbeWords& words = shared->words;
    ProbeOutcome outcome = ProbeOutcome::NotSent;
    if (run->load() != 0) {
        outcome = sender ? sender(target, *run) : ProbeOutcome::NotSent;
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
