#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/UdpSocket.h"
#include "platform/WorkerThread.h"

// One UDP socket bound to a local IPv4 address, with its own receive thread that hands every
// datagram to a callback. The callback runs on the receive thread; it must keep alive whatever
// it touches, because a thread that does not stop within 600 ms is abandoned.
class UdpEndpoint final {
public:
    using Callback = std::function<void(int endpointIndex, const platform::UdpDatagram& datagram)>;

    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
    static constexpr std::size_t kMaxDatagram = 1024;

    UdpEndpoint(int index, Callback callback);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    // Binds to (localIp, any port), or to any address when localIp is empty, and starts the
    // receive thread.
    bool Open(const QString& localIp = {});
    // Sends at most 1024 bytes of data as one datagram.
    bool Send(std::span<const std::uint8_t> data, const QString& destinationIp, std::uint16_t port);
    void Close();

    int index() const { return index_; }
    bool running() const;
    QString localIp() const { return localIp_; }
    std::uint16_t localPort() const;
    QString destination() const { return destination_; }
    int destinationPort() const { return destinationPort_; }
    int receiveBufferBytes() const;

private:
    // What the receive thread touches; it outlives the endpoint when the thread is abandoned.
    struct Shared {
        platform::UdpSocket socket;
        std::atomic<std::int32_t> running{0};
        Callback callback;
        int index = 0;
    };

    static std::shared_ptr<Shared> MakeShared(Callback callback, int index);
    static void ReceiveLoop(const std::shared_ptr<Shared>& shared);

    int index_;
    std::shared_ptr<Shared> shared_;
    platform::WorkerThread thread_;
    QString localIp_;
    QString destination_;
    int destinationPort_ = 0;
};
