#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/RestartableWorker.h"
#include "platform/WindowMessage.h"
#include "shell/RecorderAccount.h"

class DeviceCommandWorker;
class DeviceSearch;

// The verdict words the password page reads. Open and Locked are never both 1 once a probe
// has ended.
struct LoginProbeWords {
    std::atomic<std::int32_t> open{0};    // factory password accepted, or recorder unreachable
    std::atomic<std::int32_t> locked{0};  // the recorder refused the empty password
    std::atomic<std::int32_t> busy{0};    // 1 while a probe runs
};

// How one login check ended.
enum class ProbeOutcome {
    NotSent,   // no address, no discovery record, no interface or no channel
    Accepted,  // status done and the login accepted
    TimedOut,  // the recorder did not answer
    Refused,   // any other ending
};

// Asks the chosen recorder, in the background, whether it still accepts "admin" with an empty
// password, and leaves the verdict in LoginProbeWords.
class LoginProbe final {
public:
    // Sends the check to the recorder and waits for its end while `run` is set.
    using Sender = std::function<ProbeOutcome(const RecorderTarget& target,
                                              const std::atomic<std::int32_t>& run)>;

    static constexpr std::chrono::milliseconds kPollInterval{50};
    static constexpr int kPolls = 128;
    // How long the host's end waits for a probe it has stopped.
    static constexpr std::chrono::milliseconds kExitWait{4 * kPollInterval};

    // The real check: "admin" with an empty password as a datagram through `worker`, on the
    // interface where `search` saw the recorder. The probe thread shares both, so they outlive
    // a host that lets it go.
    static Sender DatagramSender(std::shared_ptr<const DeviceSearch> search,
                                 std::shared_ptr<DeviceCommandWorker> worker);

    explicit LoginProbe(std::chrono::milliseconds stopWait = std::chrono::milliseconds(3000));
    ~LoginProbe();
    LoginProbe(const LoginProbe&) = delete;
    LoginProbe& operator=(const LoginProbe&) = delete;

    void setSender(Sender sender) { sender_ = std::move(sender); }

    // The password page that hears of an unreachable recorder (0 when none is shown).
    void setNoticeTarget(platform::WindowId page) { shared_->noticeTarget.store(page); }

    // Stops a running probe (bounded) and starts a new one.
    void start(const RecorderTarget& target);

    const LoginProbeWords& words() const { return shared_->words; }
    // The same words for a thread that may outlive the host.
    std::shared_ptr<const LoginProbeWords> sharedWords() const {
        return {shared_, &shared_->words};
    }
    bool threadExists() const { return worker_.exists(); }

private:
    struct Shared {
        LoginProbeWords words;
        std::atomic<platform::WindowId> noticeTarget{0};
        std::mutex verdictMutex;  // a run writes its verdict only while it is the current one
        std::shared_ptr<platform::RestartableWorker::RunFlag> current;
    };

    static void Run(const std::shared_ptr<Shared>& shared,
                    const std::shared_ptr<platform::RestartableWorker::RunFlag>& run,
                    const Sender& sender, const RecorderTarget& target);

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    Sender sender_;
    platform::RestartableWorker worker_;
};
