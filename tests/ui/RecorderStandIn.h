#pragma once

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "platform/UdpSocket.h"

using Bytes = std::vector<std::uint8_t>;

// A search reply in the long (342) or short (334) layout, laid out by hand from its offsets.
inline Bytes RecorderReply(const char* model, std::array<std::uint8_t, 6> mac,
                           std::array<std::uint8_t, 4> ip, bool longLayout = true,
                           std::uint16_t httpPort = 80) {
    Bytes d(342, 0);
    d[0] = d[1] = 0xFD;
    const std::uint32_t clock = 1'700'000'000;
    for (int i = 0; i < 4; ++i) {
        d[22 + i] = static_cast<std::uint8_t>(clock >> (8 * i));
    }
    std::memcpy(&d[158], model, std::strlen(model) + 1);
    std::memcpy(&d[228], mac.data(), 6);
    std::memcpy(&d[234], "Shop", 5);
    std::memcpy(&d[298], ip.data(), 4);
    d[302] = static_cast<std::uint8_t>(httpPort & 0xFF);
    d[303] = static_cast<std::uint8_t>(httpPort >> 8);
    if (!longLayout) {
        d.erase(d.begin() + 22, d.begin() + 30);
    }
    return d;
}

// Recorders on the loopback: every search request that reaches the socket is answered with the
// prepared replies, from the socket's own thread.
class RecorderStandIn {
public:
    explicit RecorderStandIn(std::vector<Bytes> replies) : replies_(std::move(replies)) {
        socket_.open(QStringLiteral("127.0.0.1"), 1 << 20);
        thread_ = std::thread([this] { serve(); });
    }
    ~RecorderStandIn() {
        stop_ = true;
        socket_.wake();
        thread_.join();
    }

    void setReplies(std::vector<Bytes> replies) {
        std::lock_guard lock(mutex_);
        replies_ = std::move(replies);
    }
    int requests() const { return requests_.load(); }

    // A search that goes to this stand-in on one loopback interface.
    std::shared_ptr<DeviceSearch> search(std::chrono::milliseconds timeout,
                                         std::function<void()> finished = {}) const {
        DeviceSearch::Options options;
        options.finished = std::move(finished);
        options.localAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
        options.destination = QStringLiteral("127.0.0.1");
        options.port = socket_.localPort();
        options.timeout = timeout;
        return std::make_shared<DeviceSearch>(std::move(options));
    }

private:
    void serve() {
        while (!stop_ && socket_.wait() == platform::UdpSocket::WaitResult::Readable) {
            const auto request = socket_.receive(2048);
            if (!request) {
                continue;
            }
            ++requests_;
            std::vector<Bytes> replies;
            {
                std::lock_guard lock(mutex_);
                replies = replies_;
            }
            for (const Bytes& reply : replies) {
                socket_.sendTo(request->senderIp, request->senderPort, reply);
            }
        }
    }

    platform::UdpSocket socket_;
    std::mutex mutex_;
    std::vector<Bytes> replies_;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Answers the command worker's datagram account requests in place of the recorder: as soon as
// a request runs, the reply with `status` (0 accepted, 1 refused) is handed to the worker.
class AccountAnswerer {
public:
    AccountAnswerer(std::shared_ptr<DeviceCommandWorker> worker, int opcode, int status)
        : worker_(std::move(worker)), opcode_(opcode), status_(status) {
        thread_ = std::thread([this] { serve(); });
    }
    ~AccountAnswerer() {
        stop_ = true;
        thread_.join();
    }
    int answered() const { return answered_.load(); }
    void setStatus(int status) { status_ = status; }

private:
    void serve() {
        while (!stop_) {
            if (worker_->status() == kCommandRunning) {
                Bytes reply(22, 0);
                reply[0] = reply[1] = 0xFD;
                reply[4] = static_cast<std::uint8_t>(opcode_);
                reply[16] = static_cast<std::uint8_t>(status_.load());
                // Counted before it is handed over: the waiting side may read the count as
                // soon as the worker has the reply.
                ++answered_;
                worker_->HandleUdpReply(reply);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::shared_ptr<DeviceCommandWorker> worker_;
    int opcode_;
    std::atomic<int> status_;
    std::atomic<int> answered_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
