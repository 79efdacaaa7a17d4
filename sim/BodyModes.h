#pragma once

// How a device with the bodyMode knob sends every HTTP body: ten megabytes, without end, one
// byte a second, or cut by a connection reset half-way. The answer itself still comes first.

#include <QString>
#include <QStringList>

#include "HttpTypes.h"

namespace sim {

inline constexpr qsizetype kHugeBodyBytes = 10 * 1024 * 1024;
// The length a "reset" body announces; the connection is reset after half of it.
inline constexpr qsizetype kResetBodyBytes = 64 * 1024;
inline constexpr int kEndlessPieceBytes = 8192;
inline constexpr int kEndlessPauseMs = 10;
inline constexpr int kTricklePauseMs = 1000;

// "huge", "endless", "trickle", "reset".
const QStringList& BodyModeNames();

// The reply with its body (a paced one's bytes) sent as mode says:
//   huge     the body, then filler lines up to kHugeBodyBytes, with its length
//   endless  the body, then filler lines for as long as the client reads, chunked
//   trickle  the body one byte a second, with its length
//   reset    the body and filler up to kResetBodyBytes announced; the connection is reset
//            once half of it has gone out
// An empty body is one filler line. Unchanged for "" and unknown modes.
HttpReply WithBodyMode(HttpReply reply, const QString& mode);

}  // namespace sim
