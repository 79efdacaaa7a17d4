#include <gtest/gtest.h>

#include "TestSupport.h"

#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "discovery/DeviceSearch.h"
#include "discovery/UdpEndpoint.h"
#include "platform/UdpSocket.h"

// The selection page's thread, the login probe, page workers, the timer thread and the GUI
// thread all use one search; these tests overlap them on purpose.

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kClock = 1'700'000'000;
constexpr std::int64_t kFarClock = kClock - 1'000'000;
constexpr auto kBound = 30s;

// A long-layout reply from 00:1b:2c:00:00:<last>, or the same payload in the short layout.
Bytes Reply(std::uint8_t last, bool longLayout = true, std::int64_t clock = kClock) {
    Bytes d(342, 0);
    d[0] = d[1] = 0xFD;
    for (int i = 0; i < 4; ++i) {
        d[22 + i] = static_cast<std::uint8_t>(clock >> (8 * i));
    }
    const std::uint8_t mac[6] = {0x00, 0x1b, 0x2c, 0x00, 0x00, last};
    std::memcpy(&d[228], mac, 6);
    const std::uint8_t ip[4] = {192, 168, 0, 20};
    std::memcpy(&d[298], ip, 4);
    if (!longLayout) {
        d.erase(d.begin() + 22, d.begin() + 30);
    }
    return d;
}

std::string Mac(std::uint8_t last) {
    return QString::asprintf("00:1b:2c:00:00:%.2x", last).toStdString();
}

// Searches on the loopback; the requests go to a socket nobody needs to read.
struct Loopback {
    platform::UdpSocket sink;
    DeviceSearch::Options options;
    explicit Loopback(int interfaces) {
        EXPECT_TRUE(sink.open(QStringLiteral("127.0.0.1"), 1 << 16));
        options.localAddresses = [interfaces] {
            return QStringList(interfaces, QStringLiteral("127.0.0.1"));
        };
        options.destination = QStringLiteral("127.0.0.1");
        options.port = sink.localPort();
    }
};

}  // namespace

TEST(DeviceSearchRace, ANewSearchWaitsForTheOldTimeOutAndKeepsItsOwnStateAndRecords) {
    Loopback net(1);
    std::mutex mutex;
    std::condition_variable published;
    std::vector<std::vector<std::string>> tables;  // as each finished callback saw them
    std::unique_ptr<DeviceSearch> search;
    net.options.timeout = 1000ms;
    net.options.finished = [&] {
        std::vector<std::string> macs;
        for (const auto& record : search->Records()) {
            macs.push_back(record.MacText().toStdString());
        }
        EXPECT_EQ(search->state(), DeviceSearch::Finished);
        std::lock_guard lock(mutex);
        tables.push_back(std::move(macs));
        published.notify_all();
    };
    search = std::make_unique<DeviceSearch>(net.options);
    auto tableCount = [&] {
        std::lock_guard lock(mutex);
        return tables.size();
    };

    ASSERT_EQ(search->Search(), DeviceSearch::Searching);
    // Enough replies that building their table takes a while on the timer thread.
    constexpr std::size_t kBurst = 30000;
    const Bytes a = Reply(0x0a);
    for (std::size_t i = 0; i < kBurst; ++i) {
        search->OnReply(0, a);
    }
    // Nothing signals the start of the drain; the queue shrinking is the sign.
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (search->QueuedCount() == kBurst && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_LT(search->QueuedCount(), kBurst) << "the time-out never began";

    // The old round's handler is draining; the new search must let it finish first.
    ASSERT_EQ(search->Search(), DeviceSearch::Searching);
    EXPECT_EQ(tableCount(), 1u);
    EXPECT_EQ(search->state(), DeviceSearch::Searching);
    search->OnReply(0, Reply(0x0b));
    {
        std::unique_lock lock(mutex);
        published.wait_for(lock, kBound, [&] { return tables.size() >= 2; });
    }
    search.reset();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_FALSE(tables[0].empty());
    EXPECT_EQ(tables[0], std::vector<std::string>(tables[0].size(), Mac(0x0a)));
    EXPECT_EQ(tables[1], std::vector<std::string>{Mac(0x0b)});
}

TEST(DeviceSearchRace, LookUpsAndEndpointsStayValidWhileTwoThreadsReplaceSearches) {
    Loopback net(2);
    DeviceSearch search(net.options);
    const std::int64_t start = std::time(nullptr);
    ASSERT_EQ(search.Search(), DeviceSearch::Searching);  // past state 0 before anyone looks
    const auto kept = search.EndpointAt(1);
    ASSERT_TRUE(kept);

    // Each MAC always comes with the same layout and clock, whichever round it lands in: a
    // look-up may miss it but must never answer with another record's fields.
    std::atomic<int> searchersLeft{2};
    auto searcher = [&](int which) {
        for (int i = 0; i < 150; ++i) {
            search.Search();
            if (which == 0) {
                search.OnReply(i % 2, Reply(0x0a));
            } else {
                search.OnReply(i % 2, i % 2 ? Reply(0x0f, true, kFarClock) : Reply(0x05, false));
            }
            search.OnTimeout();
        }
        --searchersLeft;
    };
    std::atomic<int> lookUps{0};
    std::thread reader([&] {
        const QString a = QString::fromStdString(Mac(0x0a));
        const QString shortOne = QString::fromStdString(Mac(0x05));
        const QString far = QString::fromStdString(Mac(0x0f));
        auto deltaOf = [&](const QString& mac, std::int64_t clock) {
            const std::int64_t delta = search.ClockDeltaOf(mac);
            return delta == 0 || (delta >= start - clock && delta <= std::time(nullptr) - clock);
        };
        while (searchersLeft.load() > 0) {
            const auto endpoint = search.EndpointAt(lookUps.load() % 2);
            const int type = search.ReplyTypeOf(a);
            const int shortType = search.ReplyTypeOf(shortOne);
            const int where = search.FindInterfaceByIp(QStringLiteral("192.168.0.20"));
            const std::int32_t state = search.state();
            ASSERT_TRUE(type == 0 || type == 3) << type;
            ASSERT_TRUE(shortType == 0 || shortType == 1) << shortType;
            ASSERT_TRUE(deltaOf(a, kClock) && deltaOf(far, kFarClock));
            ASSERT_EQ(search.ClockDeltaOf(shortOne), 0);
            ASSERT_GE(search.FindByMac(a), -1);
            ASSERT_TRUE(where >= -1 && where <= 1) << where;
            ASSERT_TRUE(state == DeviceSearch::Searching || state == DeviceSearch::Finished);
            // Taken before the look-ups: a search may have closed it since, not freed it.
            if (endpoint) {
                ASSERT_EQ(endpoint->localIp(), QStringLiteral("127.0.0.1"));
            }
            ++lookUps;
        }
    });
    std::thread first(searcher, 0);
    std::thread second(searcher, 1);
    first.join();
    second.join();
    reader.join();
    EXPECT_GT(lookUps.load(), 0);

    // An endpoint handed out before all that is closed but still the caller's to read.
    EXPECT_FALSE(kept->running());
    EXPECT_EQ(kept->localIp(), QStringLiteral("127.0.0.1"));
    EXPECT_NE(search.EndpointAt(1), kept);
    // And the service is whole afterwards.
    ASSERT_EQ(search.Search(), DeviceSearch::Searching);
    EXPECT_EQ(search.endpointCount(), 2);
    search.OnReply(1, Reply(0x0b));
    search.OnTimeout();
    EXPECT_EQ(search.state(), DeviceSearch::Finished);
    ASSERT_EQ(search.recordCount(), 1);
    EXPECT_EQ(search.FindInterfaceByIp(QStringLiteral("192.168.0.20")), 1);
}

TEST(DeviceSearchRace, DestructionWaitsForATimeOutThatIsRunning) {
    Signal entered;
    Signal release;
    Signal destroyed;
    std::atomic<bool> handlerReturned{false};
    bool returnedBeforeDestroyed = false;
    Loopback net(0);
    net.options.timeout = 20ms;
    net.options.finished = [&] {
        entered.raise();
        release.waitFor(kBound);
        handlerReturned = true;
    };
    auto search = std::make_unique<DeviceSearch>(net.options);
    ASSERT_EQ(search->Search(), DeviceSearch::Searching);
    ASSERT_TRUE(entered.waitFor(kBound));

    std::thread destroyer([&] {
        search.reset();
        returnedBeforeDestroyed = handlerReturned.load();
        destroyed.raise();
    });
    // A bounded wait for something that must not happen: the handler is still held.
    EXPECT_FALSE(destroyed.waitFor(300ms));
    release.raise();
    EXPECT_TRUE(destroyed.waitFor(kBound));
    destroyer.join();
    EXPECT_TRUE(returnedBeforeDestroyed);
}
