// How many of N search replies, sent as one burst within about 10 ms, become records, and how
// long the time-out handler takes to build them. Loopback only: run it inside `unshare --net`
// (after `ip link set lo up`). Usage: bench_discovery_burst [N ...] (default 1000 5000).
#include <QCoreApplication>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "discovery/DeviceSearch.h"
#include "platform/UdpSocket.h"

namespace {

std::vector<std::uint8_t> Reply(int n) {
    std::vector<std::uint8_t> d(342, 0);
    d[0] = d[1] = 0xFD;
    std::memcpy(&d[158], "ORB-780Z", 9);
    const std::uint8_t mac[6] = {
        0x00, 0x1C, 0x2A, 0x00, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    std::memcpy(&d[228], mac, 6);
    d[298] = 10;
    d[299] = 77;
    d[300] = static_cast<std::uint8_t>(n >> 8);
    d[301] = static_cast<std::uint8_t>(n);
    d[302] = 80;
    return d;
}

void Run(int count) {
    platform::UdpSocket recorder;
    if (!recorder.open(QStringLiteral("127.0.0.1"), 1 << 20)) {
        std::printf("cannot open the recorder socket\n");
        return;
    }
    DeviceSearch::Options options;
    options.localAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
    options.destination = QStringLiteral("127.0.0.1");
    options.port = recorder.localPort();
    options.timeout = std::chrono::hours(1);  // the handler is called by hand below
    DeviceSearch search(std::move(options));
    search.Search();
    const auto request = recorder.receive(64);
    if (!request) {
        std::printf("no request\n");
        return;
    }
    std::vector<std::vector<std::uint8_t>> replies;
    for (int i = 0; i < count; ++i) {
        replies.push_back(Reply(i));
    }
    const auto burstStart = std::chrono::steady_clock::now();
    for (const auto& reply : replies) {
        recorder.sendTo(request->senderIp, request->senderPort, reply);
    }
    const auto burst = std::chrono::steady_clock::now() - burstStart;
    // Let the receive thread drain its buffer; a benchmark may wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto handlerStart = std::chrono::steady_clock::now();
    search.OnTimeout();
    const auto handler = std::chrono::steady_clock::now() - handlerStart;
    using std::chrono::duration;
    std::printf(
        "%5d replies sent in %7.2f ms: %5d records, time-out handler %7.2f ms, "
        "receive buffer %d bytes\n",
        count, duration<double, std::milli>(burst).count(), search.recordCount(),
        duration<double, std::milli>(handler).count(),
        search.EndpointAt(0) ? search.EndpointAt(0)->receiveBufferBytes() : 0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) {
        counts = {1000, 5000};
    }
    for (int count : counts) {
        Run(count);
    }
    return 0;
}
