#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <array>
#include <cstdint>
#include <vector>

#include "TestSupport.h"
#include "device/AccountRequests.h"
#include "device/DeviceCommandWorker.h"
#include "platform/UdpSocket.h"

namespace {

constexpr std::array<std::uint8_t, 4> kIp{127, 0, 0, 1};
constexpr std::array<std::uint8_t, 6> kMac{0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};

std::uint32_t FixedClock() {
    return 0x65A1B2C0;
}

// A reply as a recorder sends it: a short header carrying the answered opcode and result.
std::vector<std::uint8_t> Reply(std::uint16_t opcode, std::uint16_t result) {
    std::vector<std::uint8_t> reply(22, 0);
    reply[0] = 0xFD;
    reply[1] = 0xFD;
    reply[4] = static_cast<std::uint8_t>(opcode);
    reply[5] = static_cast<std::uint8_t>(opcode >> 8);
    reply[16] = static_cast<std::uint8_t>(result);
    reply[17] = static_cast<std::uint8_t>(result >> 8);
    return reply;
}

// A stand-in recorder on the loopback.
class Recorder {
public:
    Recorder() { EXPECT_TRUE(socket_.open("127.0.0.1", 1 << 16)); }
    std::uint16_t port() const { return socket_.localPort(); }
    platform::UdpDatagram Receive() {
        EXPECT_EQ(socket_.wait(), platform::UdpSocket::WaitResult::Readable);
        auto datagram = socket_.receive(2048);
        EXPECT_TRUE(datagram.has_value());
        return datagram.value_or(platform::UdpDatagram{});
    }
    void Answer(const platform::UdpDatagram& to, const std::vector<std::uint8_t>& reply) {
        EXPECT_TRUE(socket_.sendTo(to.senderIp, to.senderPort, reply));
    }

private:
    platform::UdpSocket socket_;
};

class DeviceCommandWorkerTest : public testing::Test {
protected:
    void SetUp() override {
        worker_.setUdpDestination("127.0.0.1");
        worker_.setClock(&FixedClock);
    }
    // Leaves the worker waiting for a reply.
    void StartLoginCheck() {
        ASSERT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
        ASSERT_TRUE(worker_.SendLoginCheck("admin", "pw", kIp, recorder_.port(), kMac, 3, 0));
        ASSERT_EQ(worker_.status(), kCommandRunning);
        recorder_.Receive();
    }

    Recorder recorder_;
    DeviceCommandWorker worker_;
};

}  // namespace

TEST_F(DeviceCommandWorkerTest, StartsIdle) {
    EXPECT_EQ(worker_.status(), kCommandIdle);
    EXPECT_EQ(worker_.loginAccepted(), 0);
    EXPECT_EQ(worker_.udpSequence(), 0);
    EXPECT_EQ(worker_.udpTimeoutMs(), 3000);
    EXPECT_FALSE(worker_.udpTimerPending());
}

TEST_F(DeviceCommandWorkerTest, SendWithoutChannelSendsNothing) {
    EXPECT_FALSE(worker_.SendLoginCheck("admin", "", kIp, recorder_.port(), kMac, 1, 0));
    EXPECT_FALSE(worker_.SendPasswordChange("admin", "", "new", kIp, recorder_.port(), kMac, 1, 0));
    EXPECT_EQ(worker_.status(), kCommandIdle);
    EXPECT_EQ(worker_.udpSequence(), 0);
    EXPECT_TRUE(worker_.lastUdpUser().isEmpty());
}

TEST_F(DeviceCommandWorkerTest, OpenChannelReportsDone) {
    EXPECT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
    EXPECT_EQ(worker_.status(), kCommandDone);
    EXPECT_FALSE(worker_.OpenUdpChannel("10.255.255.254"));  // not a local address
    EXPECT_EQ(worker_.status(), kCommandIdle);
}

TEST_F(DeviceCommandWorkerTest, LoginCheckAcceptedOverLoopback) {
    ASSERT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
    ASSERT_TRUE(worker_.SendLoginCheck("admin", "Orb#2024", kIp, recorder_.port(), kMac, 1, 0));
    EXPECT_EQ(worker_.status(), kCommandRunning);
    EXPECT_EQ(worker_.udpSequence(), 1);
    EXPECT_EQ(worker_.lastUdpUser(), "admin");
    EXPECT_EQ(worker_.lastUdpPassword(), "Orb#2024");

    const auto request = recorder_.Receive();
    EXPECT_EQ(request.bytes, BuildLoginCheck(0, "admin", "Orb#2024", {kIp, kMac, 1, FixedClock()}));
    recorder_.Answer(request, Reply(0xA3, 0));
    EXPECT_TRUE(WaitUntil([&] { return worker_.status() == kCommandDone; }));
    EXPECT_EQ(worker_.loginAccepted(), 1);
    EXPECT_FALSE(worker_.udpTimerPending());
}

TEST_F(DeviceCommandWorkerTest, PasswordChangeCarriesClockDeltaAndSequence) {
    ASSERT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
    ASSERT_TRUE(worker_.SendLoginCheck("admin", "", kIp, recorder_.port(), kMac, 3, 0));
    recorder_.Answer(recorder_.Receive(), Reply(0xA3, 1));
    EXPECT_TRUE(WaitUntil([&] { return worker_.status() == kCommandFailed; }));

    ASSERT_TRUE(
        worker_.SendPasswordChange("admin", "", "N3w-Pass!", kIp, recorder_.port(), kMac, 3, -5));
    EXPECT_EQ(worker_.udpSequence(), 2);
    EXPECT_EQ(worker_.lastUdpNewPassword(), "N3w-Pass!");
    const auto request = recorder_.Receive();
    EXPECT_EQ(request.bytes,
              BuildPasswordChange(1, "admin", "", "N3w-Pass!", {kIp, kMac, 3, FixedClock() - 5}));
    recorder_.Answer(request, Reply(0xA4, 0));
    EXPECT_TRUE(WaitUntil([&] { return worker_.status() == kCommandDone; }));
}

TEST_F(DeviceCommandWorkerTest, FailedSendKeepsStatusAndAdvancesSequence) {
    ASSERT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
    worker_.setUdpDestination("not an address");
    EXPECT_FALSE(worker_.SendLoginCheck("admin", "", kIp, recorder_.port(), kMac, 1, 0));
    EXPECT_EQ(worker_.status(), kCommandDone);
    EXPECT_EQ(worker_.udpSequence(), 1);
    EXPECT_FALSE(worker_.udpTimerPending());
}

TEST_F(DeviceCommandWorkerTest, RefusedLoginStaysFailedAfterTimeOut) {
    StartLoginCheck();
    worker_.HandleUdpReply(Reply(0xA3, 0x0101));
    EXPECT_EQ(worker_.status(), kCommandFailed);
    EXPECT_EQ(worker_.loginAccepted(), 0);
    // The timer is gone, so nothing can turn the failure into a time-out.
    EXPECT_FALSE(worker_.udpTimerPending());
}

TEST_F(DeviceCommandWorkerTest, SilenceTimesOutAfter3000Ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    StartLoginCheck();
    EXPECT_TRUE(WaitUntil([&] { return worker_.status() == kCommandTimedOut; }, 6000));
    EXPECT_GE(elapsed.elapsed(), 2900);
    // A reply after the time-out changes nothing.
    worker_.HandleUdpReply(Reply(0xA3, 0));
    EXPECT_EQ(worker_.status(), kCommandTimedOut);
    EXPECT_EQ(worker_.loginAccepted(), 0);
}

TEST_F(DeviceCommandWorkerTest, OtherOpcodesSettleByResult) {
    for (std::uint16_t opcode : {0xA2, 0xA4, 0xA6, 0xA7, 0xAA, 0xC0}) {
        StartLoginCheck();
        worker_.HandleUdpReply(Reply(opcode, 0));
        EXPECT_EQ(worker_.status(), kCommandDone) << opcode;
        StartLoginCheck();
        worker_.HandleUdpReply(Reply(opcode, 7));
        EXPECT_EQ(worker_.status(), kCommandFailed) << opcode;
    }
    EXPECT_EQ(worker_.loginAccepted(), 0);
}

TEST_F(DeviceCommandWorkerTest, SearchEchoOnlyFailsWithAnError) {
    StartLoginCheck();
    worker_.HandleUdpReply(Reply(0xA1, 0));
    EXPECT_EQ(worker_.status(), kCommandRunning);
    worker_.HandleUdpReply(Reply(0xA1, 2));
    EXPECT_EQ(worker_.status(), kCommandFailed);
}

TEST_F(DeviceCommandWorkerTest, UnknownOpcodesIgnoredUnlessYesno) {
    StartLoginCheck();
    worker_.HandleUdpReply(Reply(0xB5, 0));
    worker_.HandleUdpReply(std::vector<std::uint8_t>{'y', 'e', 's'});
    worker_.HandleUdpReply({});
    EXPECT_EQ(worker_.status(), kCommandRunning);
    worker_.HandleUdpReply(std::vector<std::uint8_t>{'y', 'e', 's', 'n', 'o'});
    EXPECT_EQ(worker_.status(), kCommandFailed);
    EXPECT_FALSE(worker_.udpTimerPending());
}

TEST_F(DeviceCommandWorkerTest, RepliesIgnoredWhenNothingRuns) {
    ASSERT_TRUE(worker_.OpenUdpChannel("127.0.0.1"));
    worker_.HandleUdpReply(Reply(0xA3, 1));
    EXPECT_EQ(worker_.status(), kCommandDone);
    EXPECT_EQ(worker_.loginAccepted(), 0);
}
