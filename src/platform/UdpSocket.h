#pragma once

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// One received datagram and where it came from.
struct UdpDatagram {
    std::vector<std::uint8_t> bytes;
    QString senderIp;
    std::uint16_t senderPort = 0;
};

// An IPv4 datagram socket with broadcast enabled and a wake-up that another thread can pull,
// so a receive loop can block without a time-out and still be stopped.
class UdpSocket final {
public:
    enum class WaitResult { Readable, Woken, Failed };

    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to (localIp, any port), or to any address when localIp is empty. The receive
    // buffer request is a wish: systems may cap it.
    bool open(const QString& localIp, int receiveBufferBytes);
    void close();
    bool isOpen() const { return handle_ != kInvalid; }

    std::uint16_t localPort() const;
    int receiveBufferBytes() const;

    bool sendTo(const QString& ip, std::uint16_t port, std::span<const std::uint8_t> data);

    // Blocks until a datagram can be read or wake() was called (the wake-up stays pulled).
    WaitResult wait();
    // Safe from any thread while the socket is open.
    void wake();

    // Reads one datagram of at most maxBytes (longer ones are cut); nothing on failure.
    std::optional<UdpDatagram> receive(std::size_t maxBytes);

private:
#ifdef Q_OS_WIN
    using Handle = std::uintptr_t;
    static constexpr Handle kInvalid = ~Handle{0};
    void* readEvent_ = nullptr;
    void* wakeEvent_ = nullptr;
#else
    using Handle = int;
    static constexpr Handle kInvalid = -1;
    int wakePipe_[2] = {-1, -1};
#endif
    Handle handle_ = kInvalid;
};

}  // namespace platform
