#include "device/DeviceCommandWorker.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "device/AccountRequests.h"
#include "device/CommandCatalogue.h"
#include "device/HttpGet.h"
#include "discovery/UdpEndpoint.h"
#include "platform/PrescribedWait.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kPause = 50ms;
constexpr auto kRunStartPause = 100ms;
constexpr auto kThreadWait = 3000ms;

}  // namespace

// One run of an HTTP command: its own client, a copy of its parameters and its results. An
// abandoned run keeps it alive and never touches anything newer.
struct DeviceCommandWorker::CommandRun {
    std::int32_t code = 0;
    CommandParams params;
    std::uint64_t generation = 0;
    HttpGet client;
    CommandResults results;
    std::int32_t errCount = 0;
};

DeviceCommandWorker::DeviceCommandWorker() : udp_(std::make_shared<UdpShared>()) {}

DeviceCommandWorker::~DeviceCommandWorker() {
    std::lock_guard control(controlMutex_);
    CloseClient();
    thread_.stop(kThreadWait);
    udp_->timer.cancel();
    if (udpEndpoint_) {
        udpEndpoint_->Close();
        udpEndpoint_.reset();
    }
    ForceStatus(*udp_, kCommandIdle);
}

QString DeviceCommandWorker::lastUdpUser() const {
    std::lock_guard lock(dataMutex_);
    return lastUdpUser_;
}

QString DeviceCommandWorker::lastUdpPassword() const {
    std::lock_guard lock(dataMutex_);
    return lastUdpPassword_;
}

QString DeviceCommandWorker::lastUdpNewPassword() const {
    std::lock_guard lock(dataMutex_);
    return lastUdpNewPassword_;
}

void DeviceCommandWorker::setLastUdpPassword(const QString& password) {
    std::lock_guard lock(dataMutex_);
    lastUdpPassword_ = password;
}

std::int32_t DeviceCommandWorker::code() const {
    std::lock_guard lock(dataMutex_);
    return code_;
}

CommandParams DeviceCommandWorker::params() const {
    std::lock_guard lock(dataMutex_);
    return params_;
}

void DeviceCommandWorker::setAvdevid(std::int32_t avdevid) {
    std::lock_guard control(controlMutex_);
    std::lock_guard lock(dataMutex_);
    params_.avdevid = avdevid;
}

void DeviceCommandWorker::setSecurePort(int port) {
    securePort_.store(port);
}

void DeviceCommandWorker::setUdpDestination(const QString& ip, std::uint16_t port) {
    std::lock_guard control(controlMutex_);
    udpDestination_ = ip;
    udpDestinationPort_ = port;
}

void DeviceCommandWorker::setUdpTimeoutMs(int ms) {
    std::lock_guard control(controlMutex_);
    udpTimeoutMs_ = ms;
}

void DeviceCommandWorker::setClock(std::uint32_t (*clock)()) {
    std::lock_guard control(controlMutex_);
    clock_ = clock;
}

bool DeviceCommandWorker::OpenUdpChannel(const QString& localIp) {
    std::lock_guard control(controlMutex_);
    if (udpEndpoint_) {
        udpEndpoint_->Close();
        udpEndpoint_.reset();
    }
    ForceStatus(*udp_, kCommandIdle);
    std::shared_ptr<UdpShared> shared = udp_;
    udpEndpoint_ = std::make_unique<UdpEndpoint>(
        0,
        [shared](int, const platform::UdpDatagram& datagram) { OnReply(*shared, datagram.bytes); });
    const bool opened = udpEndpoint_->Open(localIp);
    ForceStatus(*udp_, opened ? kCommandDone : kCommandIdle);
    return opened;
}

bool DeviceCommandWorker::SendLoginCheck(const QString& user, const QString& password,
                                         const std::array<std::uint8_t, 4>& ip, std::uint16_t port,
                                         const std::array<std::uint8_t, 6>& mac, int replyType,
                                         std::int32_t clockDelta) {
    std::lock_guard control(controlMutex_);
    if (udp_->status == kCommandIdle || !udpEndpoint_) {
        return false;
    }
    const AccountRequestTarget target{ip, mac, replyType, TimeStamp(clockDelta)};
    const bool sent = SendUdpLocked(
        BuildLoginCheck(static_cast<std::uint16_t>(udpSequence_), user, password, target), port);
    std::lock_guard lock(dataMutex_);
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
    std::lock_guard control(controlMutex_);
    if (udp_->status == kCommandIdle || !udpEndpoint_) {
        return false;
    }
    const AccountRequestTarget target{ip, mac, replyType, TimeStamp(clockDelta)};
    const bool sent = SendUdpLocked(BuildPasswordChange(static_cast<std::uint16_t>(udpSequence_),
                                                        user, password, newPassword, target),
                                    port);
    std::lock_guard lock(dataMutex_);
    lastUdpNewPassword_ = newPassword;
    return sent;
}

bool DeviceCommandWorker::SendUdpLocked(const std::vector<std::uint8_t>& datagram,
                                        std::uint16_t port) {
    UdpShared& shared = *udp_;
    bool sent = false;
    {
        // Held across sendto: a recorder on this host can answer before it returns, and a
        // reply is only taken while the status is 1, so the handler waits here until the
        // request is marked running. A send that fails has changed nothing: an earlier
        // request keeps its timer, and its reply or time-out still settles it.
        std::lock_guard lock(shared.timerMutex);
        sent = udpEndpoint_->Send(datagram, udpDestination_,
                                  udpDestinationPort_ != 0 ? udpDestinationPort_ : port);
        if (sent) {
            const std::uint64_t generation = BeginGeneration(shared, true);
            // The timer belongs to the shared block, so the block outlives every expiry.
            UdpShared* raw = &shared;
            shared.timer.start(std::chrono::milliseconds(udpTimeoutMs_.load()), [raw, generation] {
                SettleGeneration(*raw, generation, kCommandTimedOut);
            });
        }
    }
    ++udpSequence_;
    return sent;
}

void DeviceCommandWorker::ForceStatus(UdpShared& shared, std::int32_t status) {
    std::lock_guard lock(shared.resultMutex);
    ++shared.generation;
    shared.udpPending = false;
    shared.status = status;
}

std::uint64_t DeviceCommandWorker::BeginGeneration(UdpShared& shared, bool udp) {
    std::lock_guard lock(shared.resultMutex);
    shared.udpPending = udp;
    shared.status = kCommandRunning;
    return ++shared.generation;
}

bool DeviceCommandWorker::SettleGeneration(UdpShared& shared, std::uint64_t generation,
                                           std::int32_t outcome) {
    std::lock_guard lock(shared.resultMutex);
    if (generation != shared.generation || shared.status != kCommandRunning) {
        return false;
    }
    shared.udpPending = false;
    shared.status = outcome;
    return true;
}

std::uint32_t DeviceCommandWorker::TimeStamp(std::int32_t clockDelta) const {
    const auto now = clock_ ? clock_() : static_cast<std::uint32_t>(std::time(nullptr));
    return now + static_cast<std::uint32_t>(clockDelta);
}

void DeviceCommandWorker::HandleUdpReply(std::span<const std::uint8_t> datagram) {
    OnReply(*udp_, datagram);
}

void DeviceCommandWorker::OnReply(UdpShared& shared, std::span<const std::uint8_t> datagram) {
    const AccountReply reply = ReadAccountReply(datagram);
    if (reply.verdict == AccountVerdict::None) {
        return;
    }
    const std::int32_t outcome =
        reply.verdict == AccountVerdict::Done ? kCommandDone : kCommandFailed;
    // The status is looked at only under the lock a send holds: a reply that beats sendto
    // must see the request it answers.
    std::lock_guard lock(shared.timerMutex);
    {
        std::lock_guard results(shared.resultMutex);
        if (!shared.udpPending || shared.status != kCommandRunning) {
            return;  // nothing waits for a datagram, or the status belongs to an HTTP command
        }
        // The verdict is written before the status, which is what pollers look at first.
        if (reply.loginAccepted >= 0) {
            shared.loginAccepted = reply.loginAccepted;
        }
        shared.udpPending = false;
        shared.status = outcome;
    }
    shared.timer.cancel();
}

// --- HTTP commands

void DeviceCommandWorker::CloseClient() {
    if (run_) {
        run_->client.Close();
    }
}

bool DeviceCommandWorker::StartCommand(const QString& host, int port, const QString& user,
                                       const QString& password, std::int32_t code, int timeoutMs,
                                       bool secure) {
    std::lock_guard control(controlMutex_);
    return StartCommandLocked(host, port, user, password, code, timeoutMs, secure);
}

bool DeviceCommandWorker::StartCommandLocked(const QString& host, int port, const QString& user,
                                             const QString& password, std::int32_t code,
                                             int timeoutMs, bool secure) {
    {
        std::lock_guard lock(dataMutex_);
        code_ = code;
    }
    host_ = host;
    user_ = user;
    password_ = password;
    port_ = secure ? securePort_.load() : port;
    const std::uint64_t generation = BeginGeneration(*udp_, false);
    platform::PrescribedSleep(kPause);
    // Aborts a request still running on an older thread, which then ends quickly.
    CloseClient();
    {
        const platform::PrescribedWait wait;
        thread_.stop(kThreadWait);
    }

    auto run = std::make_shared<CommandRun>();
    run->code = code;
    run->params = params_;
    run->generation = generation;
    {
        std::lock_guard lock(udp_->resultMutex);
        run->results.portalCookie = udp_->results.portalCookie;
        run->errCount = udp_->errCount;
    }
    run_ = run;
    if (!run->client.Open(host_, user_, password_, timeoutMs, secure ? 1 : 0, port_)) {
        return false;
    }
    std::shared_ptr<UdpShared> shared = udp_;
    if (!thread_.start([shared, run] { RunCommand(shared, run); })) {
        SettleGeneration(*udp_, generation, kCommandFailed);
        return false;
    }
    return true;
}

bool DeviceCommandWorker::StartPlainCommand(const QString& host, int port, const QString& user,
                                            const QString& password, std::int32_t code,
                                            int timeoutMs) {
    return StartCommand(host, port, user, password, code, timeoutMs, false);
}

bool DeviceCommandWorker::StopCommand() {
    std::lock_guard control(controlMutex_);
    StopCommandLocked();
    return true;
}

void DeviceCommandWorker::StopCommandLocked() {
    {
        const platform::PrescribedWait wait;
        thread_.stop(kThreadWait);
    }
    platform::PrescribedSleep(kPause);
    CloseClient();
}

void DeviceCommandWorker::RunCommand(const std::shared_ptr<UdpShared>& shared,
                                     const std::shared_ptr<CommandRun>& run) {
    platform::PrescribedSleep(kRunStartPause);
    std::vector<char> reply(kReplyBytes, '\0');
    std::int32_t errCount = run->errCount;
    CommandContext context{run->client, reply, run->results, errCount};
    const std::int32_t outcome = RunCatalogueCommand(run->code, run->params, context);
    if (outcome == kCommandDone || outcome == kCommandFailed) {
        std::lock_guard lock(shared->resultMutex);
        // Only the latest request speaks; a run overtaken by a newer start says nothing.
        if (run->generation == shared->generation && shared->status == kCommandRunning) {
            if (outcome == kCommandDone) {
                shared->results = run->results;
                shared->errCount = errCount;
            }
            shared->status = outcome;
        }
    }
    reply = {};
    platform::PrescribedSleep(kPause);
    run->client.Close();
}

QString DeviceCommandWorker::GetReplyText() const {
    std::lock_guard lock(udp_->resultMutex);
    switch (udp_->status) {
        case kCommandRunning:
            return {};
        case kCommandDone:
            return udp_->results.replyText;
        default:
            return QStringLiteral("-1");
    }
}

QString DeviceCommandWorker::GetPortalInfo() const {
    std::lock_guard lock(udp_->resultMutex);
    switch (udp_->status) {
        case kCommandRunning:
            return {};
        case kCommandDone:
            return JoinPortalValues(udp_->results.portalValues);
        default:
            return QStringLiteral("-1");
    }
}

QString DeviceCommandWorker::NextListItem() {
    std::lock_guard lock(udp_->resultMutex);
    if (udp_->status != kCommandDone) {
        return {};
    }
    CommandResults& results = udp_->results;
    if (results.cursor >= 0 && results.cursor < results.list.size()) {
        return results.list[results.cursor++];
    }
    results.cursor = 0;
    return {};
}

std::int32_t DeviceCommandWorker::pollStatus() const {
    std::lock_guard lock(udp_->resultMutex);
    return udp_->results.pollStatus;
}

std::int32_t DeviceCommandWorker::errCount() const {
    std::lock_guard lock(udp_->resultMutex);
    return udp_->errCount;
}

QString DeviceCommandWorker::portalCookie() const {
    std::lock_guard lock(udp_->resultMutex);
    return udp_->results.portalCookie;
}

// --- start operations: each stores its parameters, then starts the command, in one turn

bool DeviceCommandWorker::StartFormatDisk(const QString& host, int port, const QString& user,
                                          const QString& password, std::int32_t storageId,
                                          std::int32_t partition, std::int32_t fileSystem) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        params_.storageId = storageId;
        params_.partition = partition;
        params_.fileSystem = fileSystem;
    }
    return StartCommandLocked(host, port, user, password, CMD_FORMAT_DISK, 6000, false);
}

bool DeviceCommandWorker::StartAddCamera(const QString& host, int port, const QString& user,
                                         const QString& password, std::int32_t avdevid,
                                         const QString& avdevname, const QString& hostname,
                                         const QString& hostid, std::int32_t protocoltype,
                                         const QString& account, const QString& pass,
                                         const QString& brand, const QString& product) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        params_.avdevid = avdevid;
        params_.avdevname = avdevname;
        params_.hostname = hostname;
        params_.hostid = hostid;
        params_.protocol = 1;
        params_.protocoltype = protocoltype;
        params_.account = account;
        params_.pass = pass;
        params_.brand = brand;
        params_.product = product;
    }
    return StartCommandLocked(host, port, user, password, CMD_ADD_CAMERA, 6000, false);
}

bool DeviceCommandWorker::StartSetNubraRegStatus(const QString& host, int port, const QString& user,
                                                 const QString& password) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        params_.regStatus = 1;
    }
    return StartCommandLocked(host, port, user, password, CMD_SET_NUBRA_REG_STATUS, 15000, false);
}

bool DeviceCommandWorker::StartGetNubraPortal(const QString& host, int port, const QString& user,
                                              const QString& password) {
    return StartCommand(host, port, user, password, CMD_GET_NUBRA_PORTAL, 15000, false);
}

bool DeviceCommandWorker::StartSetNubraRegInfo(const QString& host, int port, const QString& user,
                                               const QString& password, const QString& email,
                                               const QString& accountPassword) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        params_.email = email;
        params_.password = accountPassword;
    }
    return StartCommandLocked(host, port, user, password, CMD_SET_NUBRA_REG_INFO, 15000, true);
}

bool DeviceCommandWorker::StartNubraDiscovery(const QString& host, int port, const QString& user,
                                              const QString& password) {
    return StartCommand(host, port, user, password, CMD_NUBRA_DISCOVERY, 30000, true);
}

bool DeviceCommandWorker::StartSetCameraAdminPassword(const QString& host, int port,
                                                      const QString& user, const QString& password,
                                                      const QString& newPassword) {
    std::lock_guard control(controlMutex_);
    StopCommandLocked();
    {
        std::lock_guard lock(dataMutex_);
        params_.newAdminPassword = newPassword;
    }
    return StartCommandLocked(host, port, user, password, CMD_SET_CAMERA_ADMIN_PASSWORD, 30000,
                              false);
}

bool DeviceCommandWorker::StartChangeCameraPassword(
    const QString& host, int port, const QString& user, const QString& password,
    const QString& camHost, const QString& camProtocol, const QString& camProtocolType,
    const QString& camUser, const QString& camOldPassword, const QString& camNewPassword) {
    std::lock_guard control(controlMutex_);
    StopCommandLocked();
    {
        std::lock_guard lock(dataMutex_);
        params_.camHost = camHost;
        params_.camProtocol = camProtocol;
        params_.camProtocolType = camProtocolType;
        params_.camUser = camUser;
        params_.camOldPassword = camOldPassword;
        params_.camNewPassword = camNewPassword;
    }
    return StartCommandLocked(host, port, user, password, CMD_CHANGE_CAMERA_PASSWORD, 30000, true);
}

bool DeviceCommandWorker::StartDetectCamera(const QString& host, int port, const QString& user,
                                            const QString& password, const QString& camHost,
                                            const QString& camUser, const QString& camPassword,
                                            const QString& camProtocol, const QString& camBrand,
                                            const QString& camProduct) {
    std::lock_guard control(controlMutex_);
    StopCommandLocked();
    {
        std::lock_guard lock(dataMutex_);
        params_.camHost = camHost;
        params_.camUser = camUser;
        params_.camPassword = camPassword;
        params_.camProtocol = camProtocol;
        params_.camBrand = camBrand;
        params_.camProduct = camProduct;
    }
    return StartCommandLocked(host, port, user, password, CMD_DETECT_CAMERA, 30000, true);
}

void DeviceCommandWorker::StorePortalCaller(const QString& portalHost, const QString& client,
                                            const QString& wizardVersion, const QString& lang) {
    params_.portalHost = portalHost;
    params_.client = client;
    params_.wizardVersion = wizardVersion;
    params_.lang = lang;
}

// The portal is asked over HTTPS on 443 without credentials; the form carries the account.
bool DeviceCommandWorker::StartPortalCommandLocked(std::int32_t code) {
    return StartCommandLocked(params_.portalHost, 443, QString(), QString(), code, 15000, true);
}

bool DeviceCommandWorker::StartPortalSignUp(const QString& portalHost, const QString& client,
                                            const QString& wizardVersion, const QString& lang,
                                            const QString& email, const QString& password,
                                            const QString& passwordVerify, const QString& nameFirst,
                                            const QString& nameLast) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        StorePortalCaller(portalHost, client, wizardVersion, lang);
        params_.email = email;
        params_.password = password;
        params_.passwordVerify = passwordVerify;
        params_.nameFirst = nameFirst;
        params_.nameLast = nameLast;
    }
    return StartPortalCommandLocked(CMD_PORTAL_SIGNUP);
}

bool DeviceCommandWorker::StartPortalSignIn(const QString& portalHost, const QString& client,
                                            const QString& wizardVersion, const QString& lang,
                                            const QString& email, const QString& password) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        StorePortalCaller(portalHost, client, wizardVersion, lang);
        params_.email = email;
        params_.password = password;
    }
    return StartPortalCommandLocked(CMD_PORTAL_SIGNIN);
}

bool DeviceCommandWorker::StartPortalBind(const QString& portalHost, const QString& client,
                                          const QString& wizardVersion, const QString& lang,
                                          const QString& nubraNo, const QString& password,
                                          const QString& dfp) {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(dataMutex_);
        StorePortalCaller(portalHost, client, wizardVersion, lang);
        params_.nubraNo = nubraNo;
        params_.password = password;
        params_.dfp = dfp;
    }
    return StartPortalCommandLocked(CMD_PORTAL_BIND);
}
