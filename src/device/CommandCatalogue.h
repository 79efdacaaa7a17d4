#pragma once

#include <QString>

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

// The error count after a portal reply.
std::int32_t NextErrCount(std::int32_t code, const QString& replyText, std::int32_t errCount);

// Runs the command's requests; returns 2 (done) or 4 (failed), or 0 for an unknown code.
std::int32_t RunCatalogueCommand(std::int32_t code, const CommandParams& params,
                                 CommandContext& context);
