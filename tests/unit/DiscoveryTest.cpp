#include <QStringList>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <vector>

#include "discovery/CDataQueue.h"
#include "discovery/DeviceSearch.h"
#include "discovery/DiscoveredDevice.h"
#include "discovery/UdpEndpoint.h"
#include "platform/LocalAddresses.h"
#include "platform/UdpSocket.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kRecorderClock = 1'700'000'000;

// A 342-byte reply laid out by hand from the offsets of the long layout.
Bytes LongReply(std::array<std::uint8_t, 6> mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F},
                std::array<std::uint8_t, 4> ip = {0xC0, 0xA8, 0x00, 0x14}) {
    Bytes d(342, 0xEE);
    d[0] = d[1] = 0xFD;
    d[22] = kRecorderClock & 0xFF;
    d[23] = (kRecorderClock >> 8) & 0xFF;
    d[24] = (kRecorderClock >> 16) & 0xFF;
    d[25] = (kRecorderClock >> 24) & 0xFF;
    std::memcpy(&d[158], "ORB-780Z", 9);
    std::memcpy(&d[228], mac.data(), 6);
    std::memcpy(&d[234], "Shop", 5);
    std::memcpy(&d[298], ip.data(), 4);
    d[302] = 0x50;
    d[303] = 0x00;
    return d;
}

// The same payload 8 bytes earlier, without time stamp and trailer.
Bytes ShortReply(std::array<std::uint8_t, 6> mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F},
                 std::array<std::uint8_t, 4> ip = {0xC0, 0xA8, 0x00, 0x14}) {
    Bytes d = LongReply(mac, ip);
    d.erase(d.begin() + 22, d.begin() + 30);
    return d;
}

DeviceSearch::Options Loopback(int interfaces, std::uint16_t port) {
    DeviceSearch::Options options;
    options.localAddresses = [interfaces] {
        QStringList addresses;
        for (int i = 0; i < interfaces; ++i) {
            addresses << QStringLiteral("127.0.0.1");
        }
        return addresses;
    };
    options.destination = QStringLiteral("127.0.0.1");
    options.port = port;
    return options;
}

// Stands where the recorders would be: a loopback socket that the requests reach.
struct FakeRecorder {
    platform::UdpSocket socket;
    FakeRecorder() { EXPECT_TRUE(socket.open(QStringLiteral("127.0.0.1"), 1 << 16)); }
    std::uint16_t port() const { return socket.localPort(); }
};

}  // namespace

TEST(DiscoveryRecord, LongReplyGivesTheExampleFields) {
    const auto record = DiscoveredDevice::FromReply(LongReply(), 2, kRecorderClock + 3600);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->IpText(), QStringLiteral("192.168.0.20"));
    EXPECT_EQ(record->Port(), 80);
    EXPECT_EQ(record->MacText(), QStringLiteral("00:1b:2c:3d:4e:5f"));
    EXPECT_EQ(record->ModelName(), QStringLiteral("ORB-780Z"));
    EXPECT_EQ(record->DeviceName(), QStringLiteral("Shop"));
    EXPECT_EQ(record->replyType(), 3);
    EXPECT_EQ(record->clockDelta(), 3600);
    EXPECT_EQ(record->interfaceIndex(), 2);
    const auto reply = LongReply();
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), record->normalised().begin()));
}

TEST(DiscoveryRecord, ShortReplyGivesTheSameFieldsNormalised) {
    const auto reply = ShortReply();
    const auto record = DiscoveredDevice::FromReply(reply, 0, kRecorderClock);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->IpText(), QStringLiteral("192.168.0.20"));
    EXPECT_EQ(record->Port(), 80);
    EXPECT_EQ(record->MacText(), QStringLiteral("00:1b:2c:3d:4e:5f"));
    EXPECT_EQ(record->ModelName(), QStringLiteral("ORB-780Z"));
    EXPECT_EQ(record->replyType(), 1);
    EXPECT_EQ(record->clockDelta(), 0);
    const auto& n = record->normalised();
    EXPECT_TRUE(std::equal(reply.begin(), reply.begin() + 22, n.begin()));
    EXPECT_TRUE(std::equal(reply.begin() + 22, reply.end(), n.begin() + 30));
}

TEST(DiscoveryRecord, ClockBehindThePcGivesANegativeDelta) {
    const auto record = DiscoveredDevice::FromReply(LongReply(), 0, kRecorderClock - 7);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->clockDelta(), -7);
}

TEST(DiscoveryRecord, OnlyTheTwoReplyLengthsMakeRecords) {
    std::mt19937 random(780);
    for (std::size_t length = 0; length <= 1100; ++length) {
        Bytes d(length);
        for (auto& b : d) {
            b = static_cast<std::uint8_t>(random());
        }
        const auto record = DiscoveredDevice::FromReply(d, 0, 0);
        EXPECT_EQ(record.has_value(), length == 334 || length == 342) << length;
        if (record) {
            // Hostile text without a terminating zero stays inside its field.
            EXPECT_LE(record->ModelName().toLocal8Bit().size(), 70 * 4);
            EXPECT_LE(record->DeviceName().toLocal8Bit().size(), 64 * 4);
        }
    }
}

TEST(DiscoveryCDataQueue, FirstInFirstOut) {
    CDataQueue queue;
    EXPECT_FALSE(queue.PopFront().has_value());
    queue.Push({1});
    queue.Push({2, 2});
    EXPECT_EQ(queue.Count(), 2u);
    EXPECT_EQ(*queue.PopFront(), Bytes{1});
    EXPECT_EQ(*queue.PopFront(), (Bytes{2, 2}));
    queue.Push({3});
    queue.Clear();
    EXPECT_FALSE(queue.PopFront().has_value());
}

TEST(DiscoveryUdpEndpoint, DeliversDatagramsAndClosesWithinItsBound) {
    Signal got;
    Bytes received;
    int from = -1;
    UdpEndpoint endpoint(4, [&](int index, const platform::UdpDatagram& d) {
        std::lock_guard lock(got.mutex);
        received = d.bytes;
        from = index;
        got.raised = true;
        got.changed.notify_all();
    });
    ASSERT_TRUE(endpoint.Open(QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(endpoint.running());
    EXPECT_EQ(endpoint.localIp(), QStringLiteral("127.0.0.1"));
    // The 4 MiB wish may be capped by the system, but never below its plain default.
    EXPECT_GT(endpoint.receiveBufferBytes(), 0);

    FakeRecorder sender;
    const Bytes payload{0xFD, 0xFD, 0x01};
    ASSERT_TRUE(sender.socket.sendTo(QStringLiteral("127.0.0.1"), endpoint.localPort(), payload));
    ASSERT_TRUE(got.waitFor(std::chrono::seconds(20)));
    {
        std::lock_guard lock(got.mutex);
        EXPECT_EQ(received, payload);
        EXPECT_EQ(from, 4);
    }

    const auto before = std::chrono::steady_clock::now();
    endpoint.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(600));
    EXPECT_FALSE(endpoint.running());
}

TEST(DiscoveryUdpEndpoint, SendCutsAt1024BytesAndRecordsTheDestination) {
    FakeRecorder target;
    UdpEndpoint endpoint(0, nullptr);
    ASSERT_TRUE(endpoint.Open(QStringLiteral("127.0.0.1")));
    const Bytes big(1500, 0x42);
    ASSERT_TRUE(endpoint.Send(big, QStringLiteral("127.0.0.1"), target.port()));
    EXPECT_EQ(endpoint.destination(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(endpoint.destinationPort(), target.port());
    const auto d = target.socket.receive(2048);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->bytes.size(), 1024u);
    EXPECT_FALSE(endpoint.Send(big, QStringLiteral("not an address"), target.port()));
}

TEST(DiscoveryDeviceSearch, SendsTheRequestAndBuildsRecordsInEndpointThenArrivalOrder) {
    FakeRecorder recorder;
    DeviceSearch search(Loopback(2, recorder.port()));
    EXPECT_EQ(search.state(), DeviceSearch::Failed);
    EXPECT_EQ(search.timeoutMs(), 3000);

    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    ASSERT_EQ(search.Search(), DeviceSearch::Searching);
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_EQ(search.timeoutMs(), 6000);
    ASSERT_EQ(search.endpointCount(), 2);

    for (int i = 0; i < 2; ++i) {
        const auto request = recorder.socket.receive(2048);
        ASSERT_TRUE(request.has_value());
        ASSERT_EQ(request->bytes.size(), 30u);
        const Bytes head(request->bytes.begin(), request->bytes.begin() + 22);
        const Bytes expectedHead{0xFD, 0xFD, 0x00, 0x00, 0xA1, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x15, 0x50};
        EXPECT_EQ(head, expectedHead);
        const std::uint32_t stamp = request->bytes[22] | (request->bytes[23] << 8) |
                                    (request->bytes[24] << 16) |
                                    (std::uint32_t{request->bytes[25]} << 24);
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, after);
        EXPECT_EQ(Bytes(request->bytes.begin() + 26, request->bytes.end()),
                  (Bytes{0xFF, 0xFF, 0x00, 0x00}));
    }

    const std::array<std::uint8_t, 6> other{0x00, 0x1C, 0x2A, 0x78, 0x0E, 0x02};
    search.OnReply(1, LongReply());  // the same recorder seen on the second interface
    search.OnReply(0, Bytes(333, 0));
    search.OnReply(1, Bytes(343, 0));
    search.OnReply(0, LongReply());
    search.OnReply(0, ShortReply(other, {10, 0, 0, 11}));
    EXPECT_EQ(search.QueuedCount(), 3u);
    search.OnTimeout();

    ASSERT_EQ(search.state(), DeviceSearch::Finished);
    ASSERT_EQ(search.recordCount(), 3);
    EXPECT_EQ(search.MacText(0), QStringLiteral("00:1b:2c:3d:4e:5f"));
    EXPECT_EQ(search.InterfaceIndex(0), 0);
    EXPECT_TRUE(search.Unique(0));
    EXPECT_EQ(search.MacText(1), QStringLiteral("00:1c:2a:78:0e:02"));
    EXPECT_EQ(search.InterfaceIndex(1), 0);
    EXPECT_TRUE(search.Unique(1));
    EXPECT_EQ(search.MacText(2), QStringLiteral("00:1b:2c:3d:4e:5f"));
    EXPECT_EQ(search.InterfaceIndex(2), 1);
    EXPECT_FALSE(search.Unique(2));

    EXPECT_EQ(search.FindByMac("00:1b:2c:3d:4e:5f"), 0);
    EXPECT_EQ(search.FindByMac(QStringLiteral("00:1c:2a:78:0e:02")), 1);
    EXPECT_EQ(search.FindByMac("00:1B:2C:3D:4E:5F"), -1);
    EXPECT_EQ(search.FindByMac(QStringLiteral("00:1C:2A:78:0E:02")), -1);
    EXPECT_EQ(search.FindInterfaceByIp(QStringLiteral("192.168.0.20")), 0);
    EXPECT_EQ(search.FindInterfaceByIp(QStringLiteral("10.0.0.11")), 0);
    EXPECT_EQ(search.FindInterfaceByIp(QStringLiteral("10.0.0.12")), -1);
    EXPECT_EQ(search.ReplyTypeOf(QStringLiteral("00:1b:2c:3d:4e:5f")), 3);
    EXPECT_EQ(search.ReplyTypeOf(QStringLiteral("00:1c:2a:78:0e:02")), 1);
    EXPECT_EQ(search.ReplyTypeOf(QStringLiteral("00:1B:2C:3D:4E:5F")), 0);
    const auto delta = search.ClockDeltaOf(QStringLiteral("00:1b:2c:3d:4e:5f"));
    EXPECT_GE(delta, static_cast<std::int32_t>(before - kRecorderClock));
    EXPECT_LE(delta, static_cast<std::int32_t>(std::time(nullptr) - kRecorderClock));
    EXPECT_EQ(search.ClockDeltaOf(QStringLiteral("00:1c:2a:78:0e:02")), 0);
    EXPECT_EQ(search.Port(1), 80);
    EXPECT_EQ(search.ModelName(1), QStringLiteral("ORB-780Z"));
    ASSERT_NE(search.EndpointAt(1), nullptr);
    EXPECT_EQ(search.EndpointAt(1)->localIp(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(search.EndpointAt(2), nullptr);
    EXPECT_EQ(search.EndpointAt(-1), nullptr);

    // Too late: the search has ended.
    search.OnReply(0, LongReply({0, 0, 0, 0, 0, 9}));
    EXPECT_EQ(search.QueuedCount(), 0u);
    EXPECT_EQ(search.recordCount(), 3);
}

TEST(DiscoveryDeviceSearch, RealRepliesArriveThroughTheEndpointsBeforeTheTimer) {
    FakeRecorder recorder;
    Signal finished;
    auto options = Loopback(1, recorder.port());
    options.timeout = std::chrono::milliseconds(1500);
    options.finished = [&finished] { finished.raise(); };
    DeviceSearch search(std::move(options));
    ASSERT_EQ(search.Search(), DeviceSearch::Searching);

    const auto request = recorder.socket.receive(2048);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->bytes.size(), 30u);
    ASSERT_TRUE(recorder.socket.sendTo(request->senderIp, request->senderPort, ShortReply()));
    ASSERT_TRUE(recorder.socket.sendTo(request->senderIp, request->senderPort, Bytes(341, 1)));
    ASSERT_TRUE(finished.waitFor(std::chrono::seconds(30)));

    EXPECT_EQ(search.state(), DeviceSearch::Finished);
    ASSERT_EQ(search.recordCount(), 1);
    EXPECT_EQ(search.IpText(0), QStringLiteral("192.168.0.20"));
    EXPECT_EQ(search.ReplyTypeOf(QStringLiteral("00:1b:2c:3d:4e:5f")), 1);
}

TEST(DiscoveryDeviceSearch, WithoutInterfacesItStillFinishesEmpty) {
    auto options = Loopback(0, 9);
    DeviceSearch search(std::move(options));
    ASSERT_EQ(search.Search(), DeviceSearch::Searching);
    EXPECT_EQ(search.endpointCount(), 0);
    search.OnReply(0, LongReply());  // no queue to put it on
    search.OnTimeout();
    EXPECT_EQ(search.state(), DeviceSearch::Finished);
    EXPECT_EQ(search.recordCount(), 0);
    EXPECT_EQ(search.FindInterfaceByIp(QStringLiteral("192.168.0.20")), -1);
    EXPECT_EQ(search.FindByMac("00:1b:2c:3d:4e:5f"), -1);
    EXPECT_EQ(search.ClockDeltaOf(QStringLiteral("00:1b:2c:3d:4e:5f")), 0);
    EXPECT_TRUE(search.IpText(0).isEmpty());
}

TEST(DiscoveryDeviceSearch, AFailedSendLeavesStateZeroAndDropsReplies) {
    FakeRecorder recorder;
    auto options = Loopback(1, recorder.port());
    options.destination = QStringLiteral("no such address");
    DeviceSearch search(std::move(options));
    EXPECT_EQ(search.Search(), DeviceSearch::Failed);
    EXPECT_EQ(search.state(), DeviceSearch::Failed);
    search.OnReply(0, LongReply());  // not searching: dropped
    EXPECT_EQ(search.QueuedCount(), 0u);
    EXPECT_EQ(search.recordCount(), 0);
}

TEST(DiscoveryDeviceSearch, AnEndpointThatCannotOpenLeavesNoEndpoints) {
    DeviceSearch::Options options;
    options.localAddresses = [] {
        return QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("300.1.1.1")};
    };
    options.destination = QStringLiteral("127.0.0.1");
    options.port = 9;
    DeviceSearch search(std::move(options));
    EXPECT_EQ(search.Search(), DeviceSearch::Searching);
    EXPECT_EQ(search.endpointCount(), 0);
    search.OnTimeout();
    EXPECT_EQ(search.state(), DeviceSearch::Finished);
}

TEST(DiscoveryLocalAddresses, AreIpv4AndLoopbackOnlyAlone) {
    const QStringList addresses = platform::LocalIpv4Addresses();
    bool loopback = false;
    bool other = false;
    for (const QString& text : addresses) {
        const QStringList octets = text.split(QLatin1Char('.'));
        ASSERT_EQ(octets.size(), 4) << text.toStdString();
        for (const QString& octet : octets) {
            bool ok = false;
            EXPECT_TRUE(octet.toInt(&ok) <= 255 && ok) << text.toStdString();
        }
        (octets[0] == QLatin1String("127") ? loopback : other) = true;
    }
    EXPECT_FALSE(loopback && other);
}
