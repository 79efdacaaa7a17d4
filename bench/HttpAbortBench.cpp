// How long a SendGet blocked on a silent server takes to return once another thread calls
// Close. Loopback only: run it inside `unshare --net` (after `ip link set lo up`).
// Usage: bench_http_abort [rounds] (default 20). Exits 1 when the median exceeds 200 ms.
#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <vector>

#include "LoopbackHttpServer.h"
#include "device/HttpGet.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

constexpr int kTimeoutMs = 300;

// Prints min/median/max; returns the median.
double Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%s, %zu rounds: min %.2f ms, median %.2f ms, max %.2f ms\n", what, n, ms.front(),
                median, ms.back());
    return median;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    LoopbackHttpServer server([](const LoopbackRequest&) {
        LoopbackResponse response;
        response.silent = true;
        return response;
    });
    if (!server.ok()) {
        std::printf("cannot listen: %s\n", server.error().c_str());
        return 2;
    }
    std::vector<double> abortMs;
    int wrongResults = 0;
    for (int round = 0; round < rounds; ++round) {
        HttpGet http;
        http.Open(QStringLiteral("127.0.0.1"), QString(), QString(), 60000, 0, server.port());
        auto blocked = std::async(std::launch::async, [&http] {
            const bool ok = http.SendGet(QStringLiteral("/silent"));
            return std::make_pair(ok, Clock::now());
        });
        if (!server.WaitForRequests(static_cast<std::size_t>(round) + 1,
                                    std::chrono::seconds(10))) {
            std::printf("round %d: the request never arrived\n", round);
            http.Close();
            blocked.wait();
            return 2;
        }
        const auto closeAt = Clock::now();
        http.Close();
        if (blocked.wait_for(std::chrono::seconds(70)) != std::future_status::ready) {
            std::printf("round %d: SendGet still blocked 70 s after Close\n", round);
            std::fflush(stdout);
            std::_Exit(1);
        }
        const auto [ok, returnedAt] = blocked.get();
        wrongResults += ok ? 1 : 0;
        abortMs.push_back(Ms(returnedAt - closeAt));
    }
    const double median = Report("Close -> blocked SendGet returned", abortMs);
    std::printf("%d of %d aborted requests returned true\n", wrongResults, rounds);

    // For information: the receive time-out against the same silent server.
    std::vector<double> timeoutMs;
    for (int round = 0; round < 5; ++round) {
        HttpGet http;
        http.Open(QStringLiteral("127.0.0.1"), QString(), QString(), kTimeoutMs, 0, server.port());
        const auto start = Clock::now();
        const bool ok = http.SendGet(QStringLiteral("/silent"));
        timeoutMs.push_back(Ms(Clock::now() - start));
        wrongResults += ok ? 1 : 0;
    }
    Report("SendGet with a 300 ms time-out returned (incl. its 50 ms pause)", timeoutMs);
    return median > 200.0 || wrongResults > 0 ? 1 : 0;
}
