#include "shell/RecorderAccount.h"

#include <optional>

#include "device/DeviceCommandWorker.h"
#include "discovery/AddressText.h"
#include "discovery/DeviceSearch.h"
#include "shell/WizardSession.h"

namespace {

struct Addresses {
    std::array<std::uint8_t, 4> ip;
    std::array<std::uint8_t, 6> mac;
};

// Parses the target and opens the worker's channel on the recorder's interface.
std::optional<Addresses> OpenChannel(const DeviceSearch& search, DeviceCommandWorker& worker,
                                     const RecorderTarget& target) {
    const auto ip = ParseIpv4Text(target.ip);
    const auto mac = ParseMacText(target.mac);
    if (!ip || !mac) {
        return std::nullopt;
    }
    const auto endpoint = search.EndpointAt(search.FindInterfaceByIp(target.ip));
    if (!endpoint || !worker.OpenUdpChannel(endpoint->localIp())) {
        return std::nullopt;
    }
    return Addresses{*ip, *mac};
}

}  // namespace

AccountStart StartLoginCheck(const DeviceSearch& search, DeviceCommandWorker& worker,
                             const RecorderTarget& target, const QString& user,
                             const QString& password) {
    const auto addresses = OpenChannel(search, worker, target);
    if (!addresses) {
        return AccountStart::NotStarted;
    }
    return worker.SendLoginCheck(user, password, addresses->ip, DeviceCommandWorker::kUdpPort,
                                 addresses->mac, target.replyType, target.clockDelta)
               ? AccountStart::Sent
               : AccountStart::SendFailed;
}

AccountStart StartPasswordChange(const DeviceSearch& search, DeviceCommandWorker& worker,
                                 const RecorderTarget& target, const QString& user,
                                 const QString& currentPassword, const QString& newPassword) {
    const auto addresses = OpenChannel(search, worker, target);
    if (!addresses) {
        return AccountStart::NotStarted;
    }
    return worker.SendPasswordChange(user, currentPassword, newPassword, addresses->ip,
                                     DeviceCommandWorker::kUdpPort, addresses->mac,
                                     target.replyType, target.clockDelta)
               ? AccountStart::Sent
               : AccountStart::SendFailed;
}

std::int32_t WaitForAccountReply(const DeviceCommandWorker& worker,
                                 const std::function<bool(std::chrono::milliseconds)>& pause,
                                 std::chrono::milliseconds interval, int polls) {
    for (int i = 0; i < polls && worker.status() == kCommandRunning; ++i) {
        if (!pause(interval)) {
            break;
        }
    }
    return worker.status();
}

QString RecorderWebPage(const QString& ip, int port) {
    return port == 80 || port == 0 ? QStringLiteral("http://%1/").arg(ip)
                                   : QStringLiteral("http://%1:%2/").arg(ip).arg(port);
}

RecorderHttpTarget HttpTargetOf(const WizardSession& session, const DeviceSearch* search) {
    RecorderHttpTarget target{session.recorderIp(), 0, session.adminUser(),
                              session.adminPassword()};
    if (search != nullptr) {
        const int index = search->FindByMac(session.recorderMac());
        if (index >= 0) {
            target.port = search->Port(index);
        }
    }
    return target;
}
