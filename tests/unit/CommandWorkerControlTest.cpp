#include <gtest/gtest.h>

#include <QUrlQuery>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "device/DeviceCommandWorker.h"
#include "platform/UdpSocket.h"

// Page workers, the login probe and the host's storage worker share one worker; these tests
// drive it from two threads at once and break its sends on purpose.

namespace {

constexpr std::array<std::uint8_t, 4> kIp{127, 0, 0, 1};
constexpr std::array<std::uint8_t, 6> kMac{0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
const QString kHost = QStringLiteral("127.0.0.1");
// sendto cannot even begin with this, so the send fails at once, every time.
const QString kUnsendable = QStringLiteral("not an address");

std::vector<std::uint8_t> Reply(std::uint16_t opcode, std::uint16_t result) {
    std::vector<std::uint8_t> reply(22, 0);
    reply[0] = reply[1] = 0xFD;
    reply[4] = static_cast<std::uint8_t>(opcode);
    reply[5] = static_cast<std::uint8_t>(opcode >> 8);
    reply[16] = static_cast<std::uint8_t>(result);
    reply[17] = static_cast<std::uint8_t>(result >> 8);
    return reply;
}

// A loopback recorder; with answerAll it accepts every request on a thread of its own.
class Recorder {
public:
    explicit Recorder(bool answerAll = false) {
        EXPECT_TRUE(socket_.open(kHost, 1 << 20));
        if (answerAll) {
            thread_ = std::thread([this] {
                while (socket_.wait() == platform::UdpSocket::WaitResult::Readable) {
                    if (const auto request = socket_.receive(2048); request) {
                        Answer(*request,
                               Reply(request->bytes.at(4) | request->bytes.at(5) << 8, 0));
                    }
                }
            });
        }
    }
    ~Recorder() {
        if (thread_.joinable()) {
            socket_.wake();
            thread_.join();
        }
    }
    std::uint16_t port() const { return socket_.localPort(); }
    platform::UdpDatagram Receive() {
        EXPECT_EQ(socket_.wait(), platform::UdpSocket::WaitResult::Readable);
        return socket_.receive(2048).value_or(platform::UdpDatagram{});
    }
    void Answer(const platform::UdpDatagram& to, const std::vector<std::uint8_t>& reply) {
        socket_.sendTo(to.senderIp, to.senderPort, reply);
    }

private:
    platform::UdpSocket socket_;
    std::thread thread_;
};

bool SendLogin(DeviceCommandWorker& worker, std::uint16_t port) {
    return worker.SendLoginCheck("admin", "pw", kIp, port, kMac, 3, 0);
}

QString QueryValue(const LoopbackRequest& request, const char* key) {
    const std::string query = request.target.substr(request.target.find('?') + 1);
    return QUrlQuery(QString::fromStdString(query)).queryItemValue(QString::fromLatin1(key));
}

}  // namespace

TEST(CommandWorkerFailedSend, APendingRequestKeepsItsTimerAndIsSettledByItsReplyOrTimeOut) {
    for (const bool answered : {true, false}) {
        Recorder recorder;
        DeviceCommandWorker worker;
        worker.setUdpDestination(kHost);
        worker.setUdpTimeoutMs(300);
        ASSERT_TRUE(worker.OpenUdpChannel(kHost));
        ASSERT_TRUE(SendLogin(worker, recorder.port()));
        const auto request = recorder.Receive();

        worker.setUdpDestination(kUnsendable);
        EXPECT_FALSE(SendLogin(worker, recorder.port()));
        EXPECT_FALSE(
            worker.SendPasswordChange("admin", "pw", "next", kIp, recorder.port(), kMac, 3, 0));
        EXPECT_EQ(worker.status(), kCommandRunning);
        EXPECT_TRUE(worker.udpTimerPending()) << answered;
        EXPECT_EQ(worker.udpSequence(), 3);
        if (answered) {
            recorder.Answer(request, Reply(0xA3, 0));
        }
        const std::int32_t outcome = answered ? kCommandDone : kCommandTimedOut;
        EXPECT_TRUE(WaitUntil([&] { return worker.status() == outcome; }, 10000)) << answered;
        EXPECT_EQ(worker.loginAccepted(), answered ? 1 : 0);
        EXPECT_FALSE(worker.udpTimerPending());
    }
}

TEST(CommandWorkerFailedSend, WithNothingPendingTheStatusStaysAsItWas) {
    Recorder recorder;
    DeviceCommandWorker worker;
    worker.setUdpTimeoutMs(300);
    ASSERT_TRUE(worker.OpenUdpChannel(kHost));
    for (const std::int32_t before : {kCommandDone, kCommandFailed, kCommandTimedOut}) {
        worker.setUdpDestination(kHost);
        if (before != kCommandDone) {  // done is what the open channel shows
            ASSERT_TRUE(SendLogin(worker, recorder.port()));
            if (before == kCommandFailed) {
                recorder.Answer(recorder.Receive(), Reply(0xA3, 1));
            }
            ASSERT_TRUE(WaitUntil([&] { return worker.status() == before; }, 10000));
        }
        worker.setUdpDestination(kUnsendable);
        EXPECT_FALSE(SendLogin(worker, recorder.port())) << before;
        EXPECT_EQ(worker.status(), before);
        EXPECT_FALSE(worker.udpTimerPending()) << before;
    }
}

TEST(CommandWorkerControl, TwoThreadsTakeTurnsWithCommandsSendsAndSetters) {
    LoopbackHttpServer server([](const LoopbackRequest& request) {
        return LoopbackResponse::Text(200, "OK",
                                      request.target == "/config/nubraportal"
                                          ? "status=0\r\naccess=1\r\nportal_url=portal.example\r\n"
                                          : "");
    });
    ASSERT_TRUE(server.ok()) << server.error();
    Recorder recorder(true);
    DeviceCommandWorker worker;
    worker.setUdpDestination(kHost);
    ASSERT_TRUE(worker.OpenUdpChannel(kHost));

    std::atomic<int> sent{0};
    std::atomic<int> unsent{0};
    auto count = [&](bool ok) { ++(ok ? sent : unsent); };
    std::thread page([&] {  // adds cameras, checking the login between them
        for (int i = 0; i < 3; ++i) {
            worker.StartAddCamera(kHost, server.port(), "admin", "", i,
                                  QStringLiteral("cam-%1").arg(i), "h", "id", 0, "a", "p", "b",
                                  "m");
            count(SendLogin(worker, recorder.port()));
            worker.StopCommand();
        }
    });
    std::thread other([&] {  // picks the camera to delete, reopens the channel, formats
        for (int j = 0; j < 200; ++j) {
            worker.setAvdevid(1000 + j);
            if (j % 25 == 0) {
                worker.OpenUdpChannel(kHost);
            }
            count(worker.SendPasswordChange("admin", "", "next", kIp, recorder.port(), kMac, 3, 0));
            if (j % 100 == 50) {
                worker.StartFormatDisk(kHost, server.port(), "admin", "", j, j, 1);
                worker.StopCommand();
            }
        }
    });
    page.join();
    other.join();

    // No send ever met a channel being replaced, and each counted once.
    EXPECT_EQ(unsent.load(), 0);
    EXPECT_EQ(worker.udpSequence(), sent.load());
    // Each command went out with the parameters its own start stored.
    int added = 0;
    for (const auto& request : server.Requests()) {
        if (request.target.rfind("/config/addavdev?", 0) == 0) {
            ++added;
            EXPECT_EQ(QueryValue(request, "avdevname"), "cam-" + QueryValue(request, "avdevid"));
        } else if (request.target.rfind("/config/storageformat?", 0) == 0) {
            EXPECT_EQ(QueryValue(request, "storageid"), QueryValue(request, "partition"));
        }
    }
    EXPECT_GT(added, 0);

    // And the worker is whole afterwards.
    ASSERT_TRUE(worker.StartGetNubraPortal(kHost, server.port(), "admin", ""));
    EXPECT_TRUE(WaitUntil([&] { return worker.status() == kCommandDone; }, 20000));
    EXPECT_EQ(worker.GetPortalInfo(), "0&1&portal.example&&&&");
    ASSERT_TRUE(SendLogin(worker, recorder.port()));
    EXPECT_TRUE(WaitUntil([&] { return worker.status() == kCommandDone; }));
    EXPECT_EQ(worker.loginAccepted(), 1);
}

TEST(CommandWorkerControl, GettersReturnWholeValuesWhileAnotherThreadSetsThem) {
    Recorder sink;  // never read: the requests only have to leave
    DeviceCommandWorker worker;
    worker.setUdpDestination(kHost);
    ASSERT_TRUE(worker.OpenUdpChannel(kHost));
    const std::array<QString, 2> users{"admin", "operator-two"};
    const std::array<QString, 2> passwords{"first password", "the second, longer password"};
    const std::array<QString, 2> confirmed{"Conf1rmed-A", "Conf1rmed-B-longer"};
    const std::array<QString, 2> fresh{"N3w-A", "N3w-B-longer"};
    constexpr int kRounds = 400;

    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; i < kRounds; ++i) {
            const auto k = static_cast<std::size_t>(i % 2);
            worker.SendLoginCheck(users[k], passwords[k], kIp, sink.port(), kMac, 1, 0);
            worker.setLastUdpPassword(confirmed[k]);
            worker.SendPasswordChange(users[k], passwords[k], fresh[k], kIp, sink.port(), kMac, 1,
                                      0);
            worker.setAvdevid(i);
        }
        writing = false;
    });
    auto oneOf = [](const QString& value, const std::array<QString, 2>& a,
                    const std::array<QString, 2>& b) {
        return value.isEmpty() || value == a[0] || value == a[1] || value == b[0] || value == b[1];
    };
    bool whole = true;
    while (writing.load() && whole) {
        const QString user = worker.lastUdpUser();
        const QString password = worker.lastUdpPassword();
        const QString newPassword = worker.lastUdpNewPassword();
        const int avdevid = worker.params().avdevid;
        whole = oneOf(user, users, users) && oneOf(password, passwords, confirmed) &&
                oneOf(newPassword, fresh, fresh) && avdevid >= 0 && avdevid < kRounds &&
                worker.code() == 0;
        EXPECT_TRUE(whole) << user.toStdString() << " / " << password.toStdString() << " / "
                           << newPassword.toStdString() << " / " << avdevid;
    }
    writer.join();
    EXPECT_EQ(worker.lastUdpUser(), users[1]);
    EXPECT_EQ(worker.lastUdpPassword(), confirmed[1]);
    EXPECT_EQ(worker.lastUdpNewPassword(), fresh[1]);
    EXPECT_EQ(worker.udpSequence(), 2 * kRounds);
}
