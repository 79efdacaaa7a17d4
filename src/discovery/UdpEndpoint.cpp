#include "discovery/UdpEndpoint.h"

#include <algorithm>
#include <array>
#include <chrono>

std::shared_ptr<UdpEndpoint::Shared> UdpEndpoint::MakeShared(Callback callback, int index) {
    auto shared = std::make_shared<Shared>();
    shared->callback = std::move(callback);
    shared->index = index;
    return shared;
}

UdpEndpoint::UdpEndpoint(int index, Callback callback)
    : index_(index), shared_(MakeShared(std::move(callback), index)) {}

UdpEndpoint::~UdpEndpoint() {
    Close();
}

bool UdpEndpoint::Open(const QString& localIp) {
    Close();
    shared_ = MakeShared(shared_->callback, index_);
    if (!shared_->socket.open(localIp, kReceiveBufferBytes)) {
        return false;
    }
    localIp_ = localIp;
    shared_->running = 1;
    if (!thread_.start([shared = shared_] { ReceiveLoop(shared); })) {
        shared_->running = 0;
        shared_->socket.close();
        return false;
    }
    return true;
}

bool UdpEndpoint::Send(std::span<const std::uint8_t> data, const QString& destinationIp,
                       std::uint16_t port) {
    std::array<std::uint8_t, kMaxDatagram> buffer{};
    const std::size_t length = std::min(data.size(), buffer.size());
    std::copy_n(data.begin(), length, buffer.begin());
    destination_ = destinationIp;
    destinationPort_ = port;
    return shared_->socket.sendTo(destinationIp, port, std::span(buffer.data(), length));
}

void UdpEndpoint::Close() {
    if (thread_.exists()) {
        shared_->socket.wake();
        shared_->running = 0;
        if (!thread_.stop(std::chrono::milliseconds(600))) {
            // The abandoned thread still holds the socket; it closes with the last owner.
            shared_ = MakeShared(shared_->callback, index_);
            return;
        }
    }
    shared_->socket.close();
}

bool UdpEndpoint::running() const {
    return shared_->running.load() != 0;
}

std::uint16_t UdpEndpoint::localPort() const {
    return shared_->socket.localPort();
}

int UdpEndpoint::receiveBufferBytes() const {
    return shared_->socket.receiveBufferBytes();
}

void UdpEndpoint::ReceiveLoop(const std::shared_ptr<Shared>& shared) {
    while (shared->running.load() != 0) {
        const auto waited = shared->socket.wait();
        if (waited == platform::UdpSocket::WaitResult::Woken) {
            shared->running = 0;
            break;
        }
        if (waited == platform::UdpSocket::WaitResult::Failed) {
            break;
        }
        const auto datagram = shared->socket.receive(kMaxDatagram);
        if (datagram && shared->callback) {
            shared->callback(shared->index, *datagram);
        }
    }
}
