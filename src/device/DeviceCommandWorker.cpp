#include "device/DeviceCommandWorker.h"

#include <algorithm>
#include <ctime>
#include <string_view>
#include <vector>

#include "device/AccountRequests.h"
#include "discovery/UdpEndpoint.h"

namespace {

std::uint16_t ReadWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Only the first writer after a send decides the outcome: a late reply never overrides the
// time-out, and the time-out never overrides a reply.
bool Settle(std::atomic<std::int32_t>& status, std::int32_t outcome) {
    std::int32_t running = kCommandRunning;
    return status.compare_exchange_strong(running, outcome);
}

}  // namespace

DeviceCommandWorker::DeviceCommandWorker() : udp_(std::make_shared<UdpShared>()) {}

DeviceCommandWorker::~DeviceCommandWorker() {
    udp_->timer.cancel();
    if (udpEndpoint_) {
        udpEndpoint_->Close();
        udpEndpoint_.reset();
    }
    udp_->status = kCommandIdle;
}

bool DeviceCommandWorker::OpenUdpChannel(const QString& localIp) {
    if (udpEndpoint_) {
        udpEndpoint_->Close();
        udpEndpoint_.reset();
    }
    udp_->status = kCommandIdle;
    std::shared_ptr<UdpShared> shared = udp_;
    udpEndpoint_ = std::make_unique<UdpEndpoint>(
        0,
        [shared](int, const platform::UdpDatagram& datagram) { OnReply(*shared, datagram.bytes); });
    const bool opened = udpEndpoint_->Open(localIp);
    udp_->status = opened ? kCommandDone : kCommandIdle;
    return opened;
}

bool DeviceCommandWorker::SendLoginCheck(const QString& user, const QString& password,
                                         const std::array<std::uint8_t, 4>& ip, std::uint16_t port,
                                         const std::array<std::uint8_t, 6>& mac, int replyType,
                                         std::int32_t clockDelta) {
    if (udp_->status == kCommandIdle || !udpEndpoint_) {
        return false;
    }
    const AccountRequestTarget target{ip, mac, replyType, TimeStamp(clockDelta)};
    const bool sent = SendUdp(
        BuildLoginCheck(static_cast<std::uint16_t>(udpSequence_), user, password, target), port);
    lastUdpUser_ = user;
    lastUdpPassword_ = password;
    return sent;
}

bool DeviceCommandWorker::SendPasswordChange(const QString& user, const QString& password,
                                             const QString& newPassword,
                                             const std::array<std::uint8_t, 4>& ip,
                                             std::uint16_t port,
                                             const std::array<std::uint8_t, 6>& mac, int replyType,
                                             std::int32_t clockDelta) {
    if (udp_->status == kCommandIdle || !udpEndpoint_) {
        return false;
    }
    const AccountRequestTarget target{ip, mac, replyType, TimeStamp(clockDelta)};
    const bool sent = SendUdp(BuildPasswordChange(static_cast<std::uint16_t>(udpSequence_), user,
                                                  password, newPassword, target),
                              port);
    lastUdpNewPassword_ = newPassword;
    return sent;
}

bool DeviceCommandWorker::SendUdp(const std::vector<std::uint8_t>& datagram, std::uint16_t port) {
    // Running before the datagram leaves: a recorder on the same host can answer before
    // sendto returns, and a reply is only taken while the status is 1.
    std::int32_t before = kCommandIdle;
    {
        std::lock_guard lock(udp_->timerMutex);
        before = udp_->status.exchange(kCommandRunning);
        // The timer belongs to the shared block, so the block outlives every expiry.
        UdpShared* shared = udp_.get();
        udp_->timer.start(std::chrono::milliseconds(udpTimeoutMs_),
                          [shared] { Settle(shared->status, kCommandTimedOut); });
    }
    const bool sent = udpEndpoint_->Send(datagram, udpDestination_, port);
    if (!sent) {
        std::lock_guard lock(udp_->timerMutex);
        udp_->timer.cancel();
        Settle(udp_->status, before);
    }
    ++udpSequence_;
    return sent;
}

std::uint32_t DeviceCommandWorker::TimeStamp(std::int32_t clockDelta) const {
    const auto now = clock_ ? clock_() : static_cast<std::uint32_t>(std::time(nullptr));
    return now + static_cast<std::uint32_t>(clockDelta);
}

void DeviceCommandWorker::HandleUdpReply(std::span<const std::uint8_t> datagram) {
    OnReply(*udp_, datagram);
}

void DeviceCommandWorker::OnReply(UdpShared& shared, std::span<const std::uint8_t> datagram) {
    if (shared.status != kCommandRunning) {
        return;
    }
    std::int32_t outcome = kCommandRunning;
    const int opcode = datagram.size() >= 18 ? ReadWord(datagram, 4) : -1;
    const bool success = datagram.size() >= 18 && ReadWord(datagram, 16) == 0;
    switch (opcode) {
        case 0xA3:
            // The verdict is written before the status, which is what pollers look at first.
            shared.loginAccepted = success ? 1 : 0;
            outcome = success ? kCommandDone : kCommandFailed;
            break;
        case 0xA2:
        case 0xA4:
        case 0xA6:
        case 0xA7:
        case 0xAA:
        case 0xC0:
            outcome = success ? kCommandDone : kCommandFailed;
            break;
        case 0xA1:
            if (!success) {
                outcome = kCommandFailed;
            }
            break;
        default:
            if (datagram.size() >= 5 && std::equal(datagram.begin(), datagram.begin() + 5,
                                                   std::string_view("yesno").begin())) {
                outcome = kCommandFailed;
            }
            break;
    }
    if (outcome == kCommandRunning) {
        return;
    }
    std::lock_guard lock(shared.timerMutex);
    if (Settle(shared.status, outcome)) {
        shared.timer.cancel();
    }
}
