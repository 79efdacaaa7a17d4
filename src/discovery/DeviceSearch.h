#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "discovery/CDataQueue.h"
#include "discovery/DiscoveredDevice.h"
#include "discovery/UdpEndpoint.h"
#include "platform/OneShotTimer.h"

// Finds recorders by one broadcast from every local IPv4 interface and keeps the answers of
// the last finished search as an indexed table. Search, the accessors and the look-ups belong
// to one caller thread; replies arrive on the endpoints' threads and the table is built on the
// timer's thread.
class DeviceSearch final {
public:
    enum State : std::int32_t { Failed = 0, Searching = 1, Finished = 2 };

    // Where a search goes and how long it listens. Tests point it at the loopback.
    struct Options {
        std::function<QStringList()> localAddresses;  // default: every local IPv4 address
        QString destination = QStringLiteral("255.255.255.255");
        std::uint16_t port = 62976;
        std::chrono::milliseconds timeout{6000};
        std::function<void()> finished;  // called on the timer thread after state becomes 2
    };

    DeviceSearch();
    explicit DeviceSearch(Options options);
    ~DeviceSearch();
    DeviceSearch(const DeviceSearch&) = delete;
    DeviceSearch& operator=(const DeviceSearch&) = delete;

    // Returns 1 while the search runs, 0 when a send failed.
    std::int32_t Search();

    std::int32_t state() const { return shared_->state.load(); }
    int recordCount() const;
    int timeoutMs() const { return timeoutMs_; }
    int endpointCount() const { return static_cast<int>(endpoints_.size()); }

    // By record index; empty, 0 or false for an index out of range.
    QString IpText(int index) const;
    QString MacText(int index) const;
    QString ModelName(int index) const;
    QString DeviceName(int index) const;
    bool Unique(int index) const;
    int Port(int index) const;
    int InterfaceIndex(int index) const;
    std::vector<DiscoveredDevice> Records() const;

    // First unique record whose MAC text matches exactly (lower-case hex), or -1.
    int FindByMac(const char* macText) const;
    int FindByMac(const QString& macText) const;
    // Interface of the first unique record with this IP text, or -1.
    int FindInterfaceByIp(const QString& ipText) const;
    // 0 when the MAC is not found.
    int ReplyTypeOf(const QString& macText) const;
    std::int32_t ClockDeltaOf(const QString& macText) const;
    // Null for an index out of range.
    UdpEndpoint* EndpointAt(int interfaceIndex) const;

    // The handlers the endpoints' threads and the timer call; public so that tests can drive
    // a search without a network.
    void OnReply(int endpointIndex, std::span<const std::uint8_t> datagram);
    void OnTimeout();
    // Buffers waiting in the queues of the running search.
    std::size_t QueuedCount() const;

private:
    // The queues of one search. Endpoint threads hold their search's block, so a thread that
    // outlives its endpoint never reaches the queues of a later search or freed memory.
    struct Round {
        std::vector<std::unique_ptr<CDataQueue>> queues;
    };
    struct Shared {
        std::atomic<std::int32_t> state{Failed};
    };

    static void HandleReply(Shared& shared, Round& round, int endpointIndex,
                            std::span<const std::uint8_t> datagram);
    void CreateEndpoints();
    void CloseEndpoints();
    const DiscoveredDevice* RecordAt(int index) const;

    Options options_;
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<Round> round_;
    std::vector<std::unique_ptr<UdpEndpoint>> endpoints_;
    int timeoutMs_ = 3000;
    mutable std::mutex recordsMutex_;  // the caller may read while a later search ends
    std::vector<DiscoveredDevice> records_;
    platform::OneShotTimer timer_;
};
