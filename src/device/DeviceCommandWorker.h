#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/OneShotTimer.h"
#include "platform/WorkerThread.h"

class HttpGet;
class UdpEndpoint;

// CommandStatus: the worker's one status word, shared by HTTP commands and UDP requests.
enum CommandStatus : std::int32_t {
    kCommandIdle = 0,
    kCommandRunning = 1,
    kCommandDone = 2,
    kCommandTimedOut = 3,  // UDP requests only
    kCommandFailed = 4,
};

// Command codes.
enum CommandCode : std::int32_t {
    CMD_PORTAL_SIGNUP = 1000,
    CMD_PORTAL_SIGNIN = 1001,
    CMD_PORTAL_BIND = 1002,
    CMD_FORMAT_DISK = 2006,
    CMD_FORMAT_POLL = 2008,
    CMD_ADD_CAMERA = 2010,
    CMD_DELETE_CAMERA = 2011,
    CMD_SET_NUBRA_REG_STATUS = 2012,
    CMD_GET_NUBRA_PORTAL = 2014,
    CMD_SET_NUBRA_REG_INFO = 2016,
    CMD_NUBRA_DISCOVERY = 2017,
    CMD_SET_CAMERA_ADMIN_PASSWORD = 2030,
    CMD_CHANGE_CAMERA_PASSWORD = 2037,
    CMD_DETECT_CAMERA = 2038,
};

// What a command sends; each start operation fills its own fields.
struct CommandParams {
    // 2006
    std::int32_t storageId = 0;
    std::int32_t partition = 0;
    std::int32_t fileSystem = 0;
    // 2010, 2011
    std::int32_t avdevid = 0;
    QString avdevname, hostname, hostid;
    std::int32_t protocol = 1;
    std::int32_t protocoltype = 0;
    QString account, pass, brand, product;
    // 2012
    std::int32_t regStatus = 1;
    // 2016 and the portal: the account; the bind sends the recorder's password here
    QString email, password;
    // 2030
    QString newAdminPassword;
    // 2037, 2038
    QString camHost, camProtocol, camProtocolType, camUser, camOldPassword, camNewPassword;
    QString camPassword, camBrand, camProduct;
    // portal
    QString portalHost, client, wizardVersion, lang;
    QString passwordVerify, nameFirst, nameLast, nubraNo, dfp;
};

// What a finished command leaves for the pages.
struct CommandResults {
    std::int32_t pollStatus = 0;
    // 2014, in this order: status, access, portal_url, portal_number, portal_dfp, model,
    // localhyperlink
    QStringList portalValues;
    QStringList list;  // 2017, at most 256 lines
    int cursor = 0;
    QString replyText;
    QString portalCookie;
};

// Runs one request at a time against the recorder or the cloud portal, on a thread of its own;
// pages start it and poll status(). HTTP commands and the datagram account requests share the
// status word. Each run has its own HTTP client and results, which it hands over only while it
// is still the latest request, so a run that ends late can never overwrite a newer one.
// Page workers and the host's storage worker call it at the same time: the start, stop, send
// and set operations take turns, and every getter returns a copy.
class DeviceCommandWorker final {
public:
    static constexpr std::uint16_t kUdpPort = 62976;
    static constexpr std::size_t kReplyBytes = 64000;
    static constexpr int kMaxListItems = 256;

    DeviceCommandWorker();
    ~DeviceCommandWorker();
    DeviceCommandWorker(const DeviceCommandWorker&) = delete;
    DeviceCommandWorker& operator=(const DeviceCommandWorker&) = delete;

    std::int32_t status() const { return udp_->status.load(); }
    std::int32_t loginAccepted() const { return udp_->loginAccepted.load(); }
    std::int32_t udpSequence() const { return udpSequence_.load(); }
    int udpTimeoutMs() const { return udpTimeoutMs_.load(); }
    bool udpTimerPending() const { return udp_->timer.pending(); }
    QString lastUdpUser() const;
    QString lastUdpPassword() const;
    QString lastUdpNewPassword() const;
    // The password page keeps the confirmed new password as the one to send from now on.
    void setLastUdpPassword(const QString& password);

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

    // HTTP commands. port: of plain HTTP; secure commands always use HTTPS on 443.
    bool StartCommand(const QString& host, int port, const QString& user, const QString& password,
                      std::int32_t code, int timeoutMs, bool secure);
    bool StartPlainCommand(const QString& host, int port, const QString& user,
                           const QString& password, std::int32_t code, int timeoutMs = 6000);
    // Waits for a running command (at most 3000 ms), then closes the connection.
    bool StopCommand();

    bool StartFormatDisk(const QString& host, int port, const QString& user,
                         const QString& password, std::int32_t storageId, std::int32_t partition,
                         std::int32_t fileSystem);
    bool StartAddCamera(const QString& host, int port, const QString& user, const QString& password,
                        std::int32_t avdevid, const QString& avdevname, const QString& hostname,
                        const QString& hostid, std::int32_t protocoltype, const QString& account,
                        const QString& pass, const QString& brand, const QString& product);
    void setAvdevid(std::int32_t avdevid);  // then 2011
    bool StartSetNubraRegStatus(const QString& host, int port, const QString& user,
                                const QString& password);
    bool StartGetNubraPortal(const QString& host, int port, const QString& user,
                             const QString& password);
    bool StartSetNubraRegInfo(const QString& host, int port, const QString& user,
                              const QString& password, const QString& email,
                              const QString& accountPassword);
    bool StartNubraDiscovery(const QString& host, int port, const QString& user,
                             const QString& password);
    bool StartSetCameraAdminPassword(const QString& host, int port, const QString& user,
                                     const QString& password, const QString& newPassword);
    bool StartChangeCameraPassword(const QString& host, int port, const QString& user,
                                   const QString& password, const QString& camHost,
                                   const QString& camProtocol, const QString& camProtocolType,
                                   const QString& camUser, const QString& camOldPassword,
                                   const QString& camNewPassword);
    bool StartDetectCamera(const QString& host, int port, const QString& user,
                           const QString& password, const QString& camHost, const QString& camUser,
                           const QString& camPassword, const QString& camProtocol,
                           const QString& camBrand, const QString& camProduct);
    bool StartPortalSignUp(const QString& portalHost, const QString& client,
                           const QString& wizardVersion, const QString& lang, const QString& email,
                           const QString& password, const QString& passwordVerify,
                           const QString& nameFirst, const QString& nameLast);
    bool StartPortalSignIn(const QString& portalHost, const QString& client,
                           const QString& wizardVersion, const QString& lang, const QString& email,
                           const QString& password);
    bool StartPortalBind(const QString& portalHost, const QString& client,
                         const QString& wizardVersion, const QString& lang, const QString& nubraNo,
                         const QString& password, const QString& dfp);

    // Results, meaningful after status 2.
    QString GetReplyText() const;
    QString GetPortalInfo() const;
    QString NextListItem();
    std::int32_t pollStatus() const;
    std::int32_t errCount() const;
    QString portalCookie() const;
    std::int32_t code() const;
    CommandParams params() const;

    // Where secure commands connect; tests use a port of their own.
    void setSecurePort(int port);
    int securePort() const { return securePort_.load(); }

    // What the endpoint's receive thread calls for every datagram; public so tests can inject.
    void HandleUdpReply(std::span<const std::uint8_t> datagram);

    // Where requests go; the recorder is named inside the datagram, so this is the limited
    // broadcast address except in tests that stay on the loopback, which may also name a port
    // of their own (0: the port each request names).
    void setUdpDestination(const QString& ip, std::uint16_t port = 0);
    void setUdpTimeoutMs(int ms);
    // The time source of the long header, seconds since 1970; tests fix it.
    void setClock(std::uint32_t (*clock)());

private:
    struct CommandRun;

    // What the worker thread, the receive thread and the reply timer touch; an abandoned thread
    // keeps it alive.
    struct UdpShared {
        std::atomic<std::int32_t> status{kCommandIdle};
        std::atomic<std::int32_t> loginAccepted{0};
        // Arming the timer for a new request and disarming it for a settled one are serialised,
        // so a reply to one request never disarms the timer of the next. A datagram send holds
        // it, so a reply that beats sendto waits until its request is marked running.
        std::mutex timerMutex;
        platform::OneShotTimer timer;

        // Every start of a command or datagram request is a new generation; only the latest
        // one may settle the status. Guarded by resultMutex (never held while cancelling).
        std::mutex resultMutex;
        std::uint64_t generation = 0;
        bool udpPending = false;
        CommandResults results;
        std::int32_t errCount = 0;
    };

    // Sets the status outside any request: whatever still runs can no longer settle it.
    static void ForceStatus(UdpShared& shared, std::int32_t status);
    // Makes a new generation with status 1 and returns it.
    static std::uint64_t BeginGeneration(UdpShared& shared, bool udp);
    // Sets the status when generation is still the latest and its request still runs.
    static bool SettleGeneration(UdpShared& shared, std::uint64_t generation, std::int32_t outcome);
    static void OnReply(UdpShared& shared, std::span<const std::uint8_t> datagram);
    static void RunCommand(const std::shared_ptr<UdpShared>& shared,
                           const std::shared_ptr<CommandRun>& run);
    // The ...Locked operations expect controlMutex_ to be held.
    bool SendUdpLocked(const std::vector<std::uint8_t>& datagram, std::uint16_t port);
    bool StartCommandLocked(const QString& host, int port, const QString& user,
                            const QString& password, std::int32_t code, int timeoutMs, bool secure);
    void StopCommandLocked();
    std::uint32_t TimeStamp(std::int32_t clockDelta) const;
    void CloseClient();
    // Under both locks.
    void StorePortalCaller(const QString& portalHost, const QString& client,
                           const QString& wizardVersion, const QString& lang);
    bool StartPortalCommandLocked(std::int32_t code);

    std::shared_ptr<UdpShared> udp_;

    // Held for the whole of every control call, waits for an older run included. Never taken
    // by the worker, receive or timer threads, so holding it while they are waited for is safe.
    std::mutex controlMutex_;
    QString host_;
    QString user_;
    QString password_;
    int port_ = 0;
    std::atomic<int> securePort_{443};
    std::shared_ptr<CommandRun> run_;
    platform::WorkerThread thread_;
    std::unique_ptr<UdpEndpoint> udpEndpoint_;
    QString udpDestination_ = QStringLiteral("255.255.255.255");
    std::uint16_t udpDestinationPort_ = 0;
    std::uint32_t (*clock_)() = nullptr;
    std::atomic<std::int32_t> udpSequence_{0};
    std::atomic<int> udpTimeoutMs_{3000};

    // What the getters copy out. Written under both locks and read under either, so a getter
    // never waits for a start that is waiting for an older run.
    mutable std::mutex dataMutex_;
    std::int32_t code_ = 0;
    CommandParams params_;
    QString lastUdpUser_;
    QString lastUdpPassword_;
    QString lastUdpNewPassword_;
};
