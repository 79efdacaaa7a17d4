#pragma once

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "platform/OneShotTimer.h"

class UdpEndpoint;

// CommandStatus: the worker's one status word, shared by HTTP commands and UDP requests.
enum CommandStatus : std::int32_t {
    kCommandIdle = 0,
    kCommandRunning = 1,
    kCommandDone = 2,
    kCommandTimedOut = 3,  // UDP requests only
    kCommandFailed = 4,
};

// Runs one request at a time against the recorder; pages start it and poll status().
// This part holds the datagram account requests (login check, password change); recorder
// commands over HTTP share the status word.
class DeviceCommandWorker final {
public:
    static constexpr std::uint16_t kUdpPort = 62976;

    DeviceCommandWorker();
    ~DeviceCommandWorker();
    DeviceCommandWorker(const DeviceCommandWorker&) = delete;
    DeviceCommandWorker& operator=(const DeviceCommandWorker&) = delete;

    std::int32_t status() const { return udp_->status.load(); }
    std::int32_t loginAccepted() const { return udp_->loginAccepted.load(); }
    std::int32_t udpSequence() const { return udpSequence_; }
    int udpTimeoutMs() const { return udpTimeoutMs_; }
    bool udpTimerPending() const { return udp_->timer.pending(); }
    const QString& lastUdpUser() const { return lastUdpUser_; }
    const QString& lastUdpPassword() const { return lastUdpPassword_; }
    const QString& lastUdpNewPassword() const { return lastUdpNewPassword_; }

    // Replaces the endpoint by one bound to localIp; status becomes 2 when it opened, else 0.
    bool OpenUdpChannel(const QString& localIp);
    bool SendLoginCheck(const QString& user, const QString& password,
                        const std::array<std::uint8_t, 4>& ip, std::uint16_t port,
                        const std::array<std::uint8_t, 6>& mac, int replyType,
                        std::int32_t clockDelta);
    bool SendPasswordChange(const QString& user, const QString& password,
                            const QString& newPassword, const std::array<std::uint8_t, 4>& ip,
                            std::uint16_t port, const std::array<std::uint8_t, 6>& mac,
                            int replyType, std::int32_t clockDelta);

    // What the endpoint's receive thread calls for every datagram; public so tests can inject.
    void HandleUdpReply(std::span<const std::uint8_t> datagram);

    // Where requests go; the recorder is named inside the datagram, so this is the limited
    // broadcast address except in tests that stay on the loopback.
    void setUdpDestination(const QString& ip) { udpDestination_ = ip; }
    void setUdpTimeoutMs(int ms) { udpTimeoutMs_ = ms; }
    // The time source of the long header, seconds since 1970; tests fix it.
    void setClock(std::uint32_t (*clock)()) { clock_ = clock; }

private:
    // What the receive thread and the reply timer touch; an abandoned receive thread keeps it.
    struct UdpShared {
        std::atomic<std::int32_t> status{kCommandIdle};
        std::atomic<std::int32_t> loginAccepted{0};
        // Arming the timer for a new request and disarming it for a settled one are serialised,
        // so a reply to one request never disarms the timer of the next.
        std::mutex timerMutex;
        platform::OneShotTimer timer;
    };

    static void OnReply(UdpShared& shared, std::span<const std::uint8_t> datagram);
    bool SendUdp(const std::vector<std::uint8_t>& datagram, std::uint16_t port);
    std::uint32_t TimeStamp(std::int32_t clockDelta) const;

    std::shared_ptr<UdpShared> udp_;
    int udpTimeoutMs_ = 3000;
    QString lastUdpUser_;
    QString lastUdpPassword_;
    QString lastUdpNewPassword_;
    std::int32_t udpSequence_ = 0;
    std::unique_ptr<UdpEndpoint> udpEndpoint_;
    QString udpDestination_ = QStringLiteral("255.255.255.255");
    std::uint32_t (*clock_)() = nullptr;
};
