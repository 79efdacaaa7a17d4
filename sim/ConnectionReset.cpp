#include "ConnectionReset.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

using namespace std::chrono_literals;

constexpr auto kDrainStep = 10ms;

bool SameEndpoint(const sockaddr_in& address, const QString& ip, int port) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return ntohs(address.sin_port) == port && ip == QLatin1String(text);
}

}  // namespace

int FindConnection(const QString& localIp, int localPort, const QString& peerIp, int peerPort) {
    DIR* fds = opendir("/proc/self/fd");
    if (fds == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent* entry = readdir(fds)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(fds)) {
            continue;
        }
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        const int s = static_cast<int>(fd);
        if (getsockname(s, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
            local.sin_family == AF_INET &&
            getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
            SameEndpoint(local, localIp, localPort) && SameEndpoint(peer, peerIp, peerPort)) {
            found = s;
            break;
        }
    }
    closedir(fds);
    return found;
}

bool ResetConnection(int fd, std::chrono::milliseconds drainWait,
                     const std::function<bool(std::chrono::milliseconds)>& keepWaiting) {
    int type = 0;
    socklen_t length = sizeof type;
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) {
        return false;
    }
    // What the peer has not acknowledged yet would be thrown away by the reset.
    for (auto waited = 0ms; waited < drainWait; waited += kDrainStep) {
        int unacknowledged = 0;
        if (ioctl(fd, SIOCOUTQ, &unacknowledged) != 0 || unacknowledged == 0 ||
            !keepWaiting(kDrainStep)) {
            break;
        }
    }
    // Connecting a TCP socket to AF_UNSPEC disconnects it, with a reset for an open connection,
    // and leaves the descriptor to its owner.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    return ::connect(fd, &unspecified, sizeof unspecified) == 0;
}

}  // namespace sim
