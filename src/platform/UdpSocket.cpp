#include "platform/UdpSocket.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

namespace {

bool ToAddress(const QString& ip, std::uint16_t port, sockaddr_in& out) {
    out = {};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    if (ip.isEmpty()) {
        out.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, ip.toLatin1().constData(), &out.sin_addr) == 1;
}

QString FromAddress(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) {
        return {};
    }
    return QString::fromLatin1(text);
}

#ifdef Q_OS_WIN
struct WinsockStartup {
    WinsockStartup() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockStartup() { WSACleanup(); }
};
#endif

}  // namespace

UdpSocket::UdpSocket() {
#ifdef Q_OS_WIN
    static WinsockStartup startup;
#endif
}

UdpSocket::~UdpSocket() {
    close();
}

bool UdpSocket::open(const QString& localIp, int receiveBufferBytes) {
    close();
    sockaddr_in local;
    if (!ToAddress(localIp, 0, local)) {
        return false;
    }
    handle_ = static_cast<Handle>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (handle_ == kInvalid) {
        return false;
    }
    const int on = 1;
    const bool ok = setsockopt(handle_, SOL_SOCKET, SO_BROADCAST,
                               reinterpret_cast<const char*>(&on), sizeof on) == 0 &&
                    ::bind(handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    if (ok) {
        // A refused size still leaves a working socket.
        setsockopt(handle_, SOL_SOCKET, SO_RCVBUF,
                   reinterpret_cast<const char*>(&receiveBufferBytes), sizeof receiveBufferBytes);
    }
#ifdef Q_OS_WIN
    readEvent_ = ok ? WSACreateEvent() : nullptr;
    wakeEvent_ = ok ? WSACreateEvent() : nullptr;
    const bool ready = ok && readEvent_ != WSA_INVALID_EVENT && wakeEvent_ != WSA_INVALID_EVENT &&
                       WSAEventSelect(handle_, readEvent_, FD_READ) == 0;
#else
    const bool ready =
        ok && ::pipe(wakePipe_) == 0 && fcntl(wakePipe_[1], F_SETFL, O_NONBLOCK) == 0;
#endif
    if (!ready) {
        close();
        return false;
    }
    return true;
}

void UdpSocket::close() {
#ifdef Q_OS_WIN
    if (handle_ != kInvalid) {
        closesocket(handle_);
    }
    if (readEvent_ != nullptr && readEvent_ != WSA_INVALID_EVENT) {
        WSACloseEvent(readEvent_);
    }
    if (wakeEvent_ != nullptr && wakeEvent_ != WSA_INVALID_EVENT) {
        WSACloseEvent(wakeEvent_);
    }
    readEvent_ = wakeEvent_ = nullptr;
#else
    if (handle_ != kInvalid) {
        ::close(handle_);
    }
    for (int& end : wakePipe_) {
        if (end >= 0) {
            ::close(end);
        }
        end = -1;
    }
#endif
    handle_ = kInvalid;
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (handle_ == kInvalid ||
        getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

int UdpSocket::receiveBufferBytes() const {
    int bytes = 0;
    socklen_t size = sizeof bytes;
    if (handle_ == kInvalid ||
        getsockopt(handle_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&bytes), &size) != 0) {
        return 0;
    }
    return bytes;
}

bool UdpSocket::sendTo(const QString& ip, std::uint16_t port, std::span<const std::uint8_t> data) {
    sockaddr_in target;
    if (handle_ == kInvalid || !ToAddress(ip, port, target) || ip.isEmpty()) {
        return false;
    }
    const auto sent =
        ::sendto(handle_, reinterpret_cast<const char*>(data.data()), static_cast<int>(data.size()),
                 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return sent >= 0 && static_cast<std::size_t>(sent) == data.size();
}

UdpSocket::WaitResult UdpSocket::wait() {
    if (handle_ == kInvalid) {
        return WaitResult::Failed;
    }
#ifdef Q_OS_WIN
    WSAEVENT events[2] = {wakeEvent_, readEvent_};
    const DWORD which = WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
    if (which == WSA_WAIT_EVENT_0) {
        return WaitResult::Woken;
    }
    if (which != WSA_WAIT_EVENT_0 + 1) {
        return WaitResult::Failed;
    }
    WSANETWORKEVENTS happened{};
    if (WSAEnumNetworkEvents(handle_, readEvent_, &happened) != 0) {
        return WaitResult::Failed;
    }
    return (happened.lNetworkEvents & FD_READ) ? WaitResult::Readable : wait();
#else
    pollfd watched[2] = {{wakePipe_[0], POLLIN, 0}, {handle_, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return WaitResult::Failed;
        }
        if (watched[0].revents != 0) {
            return WaitResult::Woken;
        }
        if (watched[1].revents & POLLIN) {
            return WaitResult::Readable;
        }
        return WaitResult::Failed;
    }
#endif
}

void UdpSocket::wake() {
#ifdef Q_OS_WIN
    if (wakeEvent_ != nullptr) {
        WSASetEvent(wakeEvent_);
    }
#else
    if (wakePipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(wakePipe_[1], &byte, 1);
    }
#endif
}

std::optional<UdpDatagram> UdpSocket::receive(std::size_t maxBytes) {
    if (handle_ == kInvalid) {
        return std::nullopt;
    }
    UdpDatagram datagram;
    datagram.bytes.resize(maxBytes);
    sockaddr_in sender{};
    socklen_t size = sizeof sender;
    const auto got =
        ::recvfrom(handle_, reinterpret_cast<char*>(datagram.bytes.data()),
                   static_cast<int>(maxBytes), 0, reinterpret_cast<sockaddr*>(&sender), &size);
    if (got < 0) {
        return std::nullopt;
    }
    datagram.bytes.resize(static_cast<std::size_t>(got));
    datagram.senderIp = FromAddress(sender);
    datagram.senderPort = ntohs(sender.sin_port);
    return datagram;
}

}  // namespace platform
