#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

class DeviceCommandWorker;
class DeviceSearch;
class WizardSession;

// The chosen recorder as a datagram account request addresses it.
struct RecorderTarget {
    QString ip;   // dotted IPv4 text, as the search spells it
    QString mac;  // lower-case, colon-separated
    std::int32_t replyType = 0;
    std::int32_t clockDelta = 0;
};

// Where and as whom the recorder's configuration interface is reached over plain HTTP.
struct RecorderHttpTarget {
    QString ip;
    int port = 0;  // 0: the default port
    QString user;
    QString password;
};

// The recorder's own web page for the browser: "http://<ip>/", with ":<port>" unless the port
// is 80 or 0 (the default).
QString RecorderWebPage(const QString& ip, int port);

// The session's recorder and account, on the HTTP port its search record gives (0 without one).
RecorderHttpTarget HttpTargetOf(const WizardSession& session, const DeviceSearch* search);

// How the start of an account request went.
enum class AccountStart {
    Sent,
    NotStarted,  // bad address text, no search record or interface, no channel
    SendFailed,  // the channel opened but the datagram did not leave
};

// Open the channel on the interface the recorder answered on, then send the request. The
// password travels as typed; checks belong to the caller.
AccountStart StartLoginCheck(const DeviceSearch& search, DeviceCommandWorker& worker,
                             const RecorderTarget& target, const QString& user,
                             const QString& password);
AccountStart StartPasswordChange(const DeviceSearch& search, DeviceCommandWorker& worker,
                                 const RecorderTarget& target, const QString& user,
                                 const QString& currentPassword, const QString& newPassword);

// Waits for the request to end: at most `polls` pauses of `interval`, until `pause` says the
// caller was stopped or the request no longer runs. Returns the status it ended with.
std::int32_t WaitForAccountReply(const DeviceCommandWorker& worker,
                                 const std::function<bool(std::chrono::milliseconds)>& pause,
                                 std::chrono::milliseconds interval, int polls);
