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
// the last finished search as an indexed table. Every public call may come from any thread:
// pages search and poll, the login probe and page workers look records up, replies arrive on
// the endpoints' threads and the table is built on the timer's thread.
class DeviceSearch final {
public:
    enum State : std::int32_t { Failed = 0, Searching = 1, Finished = 2 };

    // Where a search goes and how long it listens. Tests point it at the loopback.
    struct Options {
        std::function<QStringList()> localAddresses;  // default: every local IPv4 address
        QString destination = QStringLiteral("255.255.255.255");
        std::uint16_t port = 62976;
        std::chrono::milliseconds timeout{6000};
        // Called on the timer thread after state becomes 2. A new search and destruction wait
        // for it, so it must not start a search or destroy the service itself.
        std::function<void()> finished;
    };

    DeviceSearch();
    explicit DeviceSearch(Options options);
    ~DeviceSearch();
    DeviceSearch(const DeviceSearch&) = delete;
    DeviceSearch& operator=(const DeviceSearch&) = delete;

    // Returns 1 while the search runs, 0 when a send failed.
    std::int32_t Search();

    std::int32_t state() const { return state_.load(); }
    int recordCount() const;
    int timeoutMs() const { return timeoutMs_.load(); }
    int endpointCount() const;

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
    // Null for an index out of range. The caller's reference keeps the endpoint alive after
    // the next search has closed it; its localIp stays readable.
    std::shared_ptr<UdpEndpoint> EndpointAt(int interfaceIndex) const;

    // The handlers the endpoints' threads and the timer call, acting on the current search;
    // public so that tests can drive a search without a network.
    void OnReply(int endpointIndex, std::span<const std::uint8_t> datagram);
    void OnTimeout();
    // Buffers waiting in the queues of the current search.
    std::size_t QueuedCount() const;

private:
    // The queues of one search. Endpoint threads and the search's time-out hold their own
    // round, so neither ever reaches the queues of a later search or freed memory.
    struct Round {
        std::vector<std::unique_ptr<CDataQueue>> queues;
        // True from the sends until the time-out starts draining: replies are taken only then.
        std::atomic<bool> listening{false};
    };

    static void HandleReply(Round& round, int endpointIndex,
                            std::span<const std::uint8_t> datagram);
    // The time-out of one round: builds its table and publishes it while that round is still
    // the current one.
    void Expire(const std::shared_ptr<Round>& round);
    std::shared_ptr<Round> CurrentRound() const;
    static std::size_t QueuedIn(const Round& round);
    const DiscoveredDevice* RecordAt(int index) const;
    const DiscoveredDevice* UniqueByMac(const QString& macText) const;

    Options options_;
    std::atomic<std::int32_t> state_{Failed};
    std::atomic<int> timeoutMs_{3000};

    // Serialises Search, the test hook OnTimeout and destruction, which re-arm or cancel the
    // timer. Never taken by the time-out handler, so a cancel may wait for a running one.
    std::mutex controlMutex_;
    platform::OneShotTimer timer_;

    // The current round, its endpoints, and the table with the state it belongs to.
    mutable std::mutex mutex_;
    std::shared_ptr<Round> round_;
    std::vector<std::shared_ptr<UdpEndpoint>> endpoints_;
    std::vector<DiscoveredDevice> records_;
};
