#pragma once

// Ends one TCP connection of this process with a reset, as a device that crashes or drops a
// connection mid-answer does. The server library owns the socket and closes it itself later;
// this only tears the connection down under it.

#include <QString>

#include <chrono>
#include <functional>

namespace sim {

// The socket of this process connected from local to peer (IPv4 "address", port), or -1.
int FindConnection(const QString& localIp, int localPort, const QString& peerIp, int peerPort);

// Waits until the peer has acknowledged everything sent on fd (at most drainWait, asking
// keepWaiting(step) between looks; it returns false to give up), then resets the connection:
// the peer sees ECONNRESET. False when fd is no connected TCP socket.
bool ResetConnection(int fd, std::chrono::milliseconds drainWait,
                     const std::function<bool(std::chrono::milliseconds)>& keepWaiting);

}  // namespace sim
