#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

#include "device/DeviceCommandWorker.h"

class HttpGet;

// What one run of a command works with: its client (opened by the worker), its reply buffer,
// and the results and error count it leaves behind.
struct CommandContext {
    HttpGet& client;
    std::span<char> reply;
    CommandResults& results;
    std::int32_t& errCount;
};

// The path and query of the commands that send a single, fixed request; empty for the others.
QString CommandPath(std::int32_t code, const CommandParams& params);

// The portal commands' path, header lines and form body (err_count included).
struct PortalRequest {
    QString path;
    QString headers;
    QString body;
};
PortalRequest BuildPortalRequest(std::int32_t code, const CommandParams& params,
                                 const QString& cookie, std::int32_t errCount);

// Readers of the replies, as the commands store them.

// A reply body as text: up to its first NUL and at most `size` bytes, in the system's 8-bit
// encoding.
QString ReplyText(std::span<const char> reply, std::size_t size);

// 2014: the seven portal values in their order, missing keys empty.
QStringList PortalValuesOf(const QString& reply);
// What GetPortalInfo gives for stored values: the first seven joined by "&", missing ones empty.
QString JoinPortalValues(const QStringList& values);

// 2017: the non-empty lines of a list reply, at most DeviceCommandWorker::kMaxListItems.
QStringList DiscoveryListOf(const QString& reply);

// 2037: the recorder's id of the camera, from the last "/live/avdevlist" line that names its
// host; empty without one.
QString CameraIdOf(const QString& list, const QString& camHost);

// 1000, 1001: the value of the "nubra" pair of a cookie text, empty without one.
QString PortalCookieOf(const QString& cookieText);

// The error count after a portal reply.
std::int32_t NextErrCount(std::int32_t code, const QString& replyText, std::int32_t errCount);

// Runs the command's requests; returns 2 (done) or 4 (failed), or 0 for an unknown code.
std::int32_t RunCatalogueCommand(std::int32_t code, const CommandParams& params,
                                 CommandContext& context);
