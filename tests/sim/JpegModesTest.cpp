// The shapes of reply a camera's /image/jpeg.cgi can take: the bytes of each mode, and the
// paced ones over real sockets (the suite runs in its own network namespace), including a stop
// in the middle of a body and mode changes racing with requests.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QImage>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CameraFrame.h"
#include "CameraHttp.h"
#include "HttpServers.h"
#include "HttpTestSupport.h"
#include "Journal.h"
#include "JpegModes.h"
#include "ScenarioEdit.h"
#include "SimState.h"
#include "unit/TestSupport.h"

using namespace sim;

namespace {

const QByteArray kEnd("\xFF\xD9", 2);
const QByteArray kStart("\xFF\xD8", 2);

class ModesTest : public ::testing::Test {
protected:
    HttpReply frame(const QString& mode, int pieceBytes = 64) {
        state.with([&](Scenario& s) {
            s.recorders[0].cameras[0].jpegMode = mode;
            s.recorders[0].cameras[0].jpegPieceBytes = pieceBytes;
        });
        const HttpReply reply =
            camera.handle(simtest::Get("/image/jpeg.cgi", simtest::BasicHeader("admin:Cam-Pass1")));
        EXPECT_EQ(reply.status, 200) << mode.toStdString();
        EXPECT_EQ(reply.contentType, "image/jpeg");
        return reply;
    }

    SimState state{simtest::SmallScenario()};
    CameraHttp camera{state, QStringLiteral("10.77.0.21"), 80, [] { return 1'700'000'000'000; }};
};

// Red minus blue of a background pixel, away from the drawn text and sweep.
int RedOverBlue(const QByteArray& jpeg) {
    const QImage image = QImage::fromData(jpeg, "JPEG");
    EXPECT_FALSE(image.isNull());
    const QColor pixel = image.pixelColor(kCameraFrameWidth - 5, kCameraFrameHeight - 5);
    return pixel.red() - pixel.blue();
}

TEST_F(ModesTest, DoubleSendsTwoWholeFramesRedThenBlue) {
    const QByteArray body = frame(QStringLiteral("double")).body;
    const qsizetype end = body.indexOf(kEnd);
    ASSERT_GT(end, 0);
    const QByteArray first = body.left(end + 2);
    const QByteArray second = body.mid(end + 2);
    EXPECT_TRUE(first.startsWith(kStart) && second.startsWith(kStart));
    EXPECT_EQ(second.indexOf(kEnd), second.size() - 2) << "nothing after the second frame";
    EXPECT_GT(RedOverBlue(first), 100);
    EXPECT_LT(RedOverBlue(second), -100);
}

TEST_F(ModesTest, HugeAndOverEndTheirOnlyMarkerPastThePreviewsLimits) {
    const QByteArray huge = frame(QStringLiteral("huge")).body;
    EXPECT_EQ(huge.size(), 1'440'001);
    EXPECT_EQ(huge.indexOf(kEnd), huge.size() - 2);
    EXPECT_EQ(QImage::fromData(huge, "JPEG").size(), QSize(kCameraFrameWidth, kCameraFrameHeight));

    const QByteArray over = frame(QStringLiteral("over")).body;
    EXPECT_GE(over.indexOf(kEnd), 2'160'000);
    EXPECT_EQ(over.indexOf(kEnd), over.size() - 2);
    EXPECT_FALSE(QImage::fromData(over, "JPEG").isNull());

    // Every length from one segment's room up, including the split into several segments.
    const QByteArray plain = frame(QStringLiteral("normal")).body;
    for (const qsizetype extra : {4, 5, 65537, 65538, 131074, 131075, 200000}) {
        const QByteArray padded = PaddedJpeg(plain, plain.size() + extra);
        ASSERT_EQ(padded.size(), plain.size() + extra) << extra;
        EXPECT_EQ(padded.indexOf(kEnd), padded.size() - 2) << extra;
        EXPECT_FALSE(QImage::fromData(padded, "JPEG").isNull()) << extra;
    }
    EXPECT_EQ(PaddedJpeg(plain, plain.size() + 3), plain);
    EXPECT_EQ(PaddedJpeg("not a jpeg", 100), "not a jpeg");
}

TEST_F(ModesTest, GarbageHasAnEarlyMarkerAndDecodesAsNothing) {
    const QByteArray body = frame(QStringLiteral("garbage")).body;
    const qsizetype end = body.indexOf(kEnd);
    ASSERT_GE(end, 0);
    EXPECT_LT(end, 64);
    EXPECT_TRUE(QImage::fromData(body.left(end + 2)).isNull());
    EXPECT_TRUE(QImage::fromData(body).isNull());
}

TEST_F(ModesTest, PacedModesCutTheirBytesIntoPieces) {
    const QByteArray plain = frame(QStringLiteral("normal")).body;

    const HttpReply trickle = frame(QStringLiteral("trickle"), 100);
    ASSERT_TRUE(trickle.paced);
    EXPECT_TRUE(trickle.body.isEmpty());
    QByteArray joined;
    for (QByteArray piece; !(piece = PieceAt(*trickle.paced, joined.size())).isEmpty();) {
        ASSERT_LE(piece.size(), 100);
        joined += piece;
    }
    EXPECT_EQ(joined, plain);

    const HttpReply endless = frame(QStringLiteral("nomarker"), 4099);
    ASSERT_TRUE(endless.paced);
    QByteArray stream;
    while (stream.size() < 2'300'000) {
        const QByteArray piece = PieceAt(*endless.paced, stream.size());
        ASSERT_FALSE(piece.isEmpty()) << "it never ends";
        ASSERT_LE(piece.size(), 4099);
        stream += piece;
    }
    EXPECT_TRUE(stream.startsWith(plain.chopped(2)));
    EXPECT_EQ(stream.indexOf(kEnd), -1);
    EXPECT_EQ(PieceAt(*endless.paced, 10'000'000'000LL).size(), 4099);
}

// ---- Over sockets --------------------------------------------------------------------------

constexpr int kCameraPort = 18281;
const char* const kCameraIp = "127.0.0.6";

Scenario StreamingScenario() {
    Scenario scenario = simtest::SmallScenario();
    Recorder& recorder = scenario.recorders[0];
    recorder.ip = QStringLiteral("127.0.0.1");
    recorder.httpPort = -1;
    recorder.httpsPort = -1;
    recorder.cameras.removeLast();
    recorder.cameras[0].ip = QLatin1String(kCameraIp);
    recorder.cameras[0].httpPort = kCameraPort;
    scenario.portal.ip.clear();
    return scenario;
}

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(servers.start(&error)) << error.toStdString();
    }
    void setCamera(const QByteArray& json) {
        const ControlAnswer answer =
            state.with([&](Scenario& s) { return SetFields(s, QLatin1String(kCameraIp), json); });
        ASSERT_EQ(answer.status, 200) << answer.text.toStdString();
    }
    std::unique_ptr<httplib::Client> client() {
        auto c = std::make_unique<httplib::Client>(kCameraIp, kCameraPort);
        c->set_basic_auth("admin", "Cam-Pass1");
        c->set_read_timeout(30, 0);
        return c;
    }
    bool journalled(const QString& target) {
        for (const QJsonObject& entry : journal.entries()) {
            if (entry.value("type").toString() == QLatin1String("http") &&
                entry.value("target").toString() == target) {
                return true;
            }
        }
        return false;
    }

    SimState state{StreamingScenario()};
    Journal journal{Journal::InMemory{}};
    HttpServers servers{state, journal, QString()};
};

TEST_F(StreamTest, TrickleArrivesWholeWithItsLength) {
    setCamera(R"({"jpegMode": "trickle", "jpegPieceBytes": 512, "jpegPauseMs": 1})");
    const auto reply = client()->Get("/image/jpeg.cgi");
    ASSERT_TRUE(reply) << httplib::to_string(reply.error());
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->get_header_value("Content-Length"), std::to_string(reply->body.size()));
    const QByteArray body = QByteArray::fromStdString(reply->body);
    EXPECT_EQ(body.indexOf(kEnd), body.size() - 2);
    EXPECT_EQ(QImage::fromData(body, "JPEG").size(), QSize(kCameraFrameWidth, kCameraFrameHeight));
}

TEST_F(StreamTest, StopCutsATrickleInItsPause) {
    // The second piece would come ten minutes later: only a stop that ends the pause returns.
    setCamera(R"({"jpegMode": "trickle", "jpegPieceBytes": 1000, "jpegPauseMs": 600000})");
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kCameraPort);
    inet_pton(AF_INET, kCameraIp, &address.sin_addr);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QByteArray request = "GET /image/jpeg.cgi HTTP/1.1\r\nHost: x\r\nAuthorization: " +
                               simtest::BasicHeader("admin:Cam-Pass1") + "\r\n\r\n";
    ASSERT_EQ(send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL),
              request.size());

    QByteArray received;
    const auto bodyBytes = [&] {
        const qsizetype head = received.indexOf("\r\n\r\n");
        return head < 0 ? -1 : received.size() - head - 4;
    };
    char buffer[4096];
    while (bodyBytes() < 1000) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        ASSERT_GT(n, 0) << "the first piece comes at once";
        received.append(buffer, n);
    }
    servers.stop();
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        received.append(buffer, n);
    }
    close(fd);
    EXPECT_EQ(bodyBytes(), 1000) << "nothing after the first piece";
    EXPECT_TRUE(received.startsWith("HTTP/1.1 200"));
    const qsizetype length = received.indexOf("Content-Length: ");
    ASSERT_GE(length, 0);
    EXPECT_GT(received.mid(length + 16, 8).split('\r').first().toInt(), 1000);
}

TEST_F(StreamTest, EndlessBodyEndsWhenTheClientLeaves) {
    setCamera(R"({"jpegMode": "nomarker", "jpegPieceBytes": 4096, "jpegPauseMs": 0})");
    QByteArray body;
    const auto reply = client()->Get("/image/jpeg.cgi", [&](const char* data, size_t length) {
        body.append(data, static_cast<qsizetype>(length));
        return body.size() < 300'000;  // then leave
    });
    EXPECT_FALSE(reply) << "the body did not end by itself";
    EXPECT_GE(body.size(), 300'000);
    EXPECT_TRUE(body.startsWith(kStart));
    EXPECT_EQ(body.indexOf(kEnd), -1);
    // The server journals a request once its answer is over, so the entry shows that the
    // endless answer stopped.
    EXPECT_TRUE(WaitUntil([&] { return journalled(QStringLiteral("/image/jpeg.cgi")); }, 20000));
}

TEST_F(StreamTest, ModeChangesRaceWithStreamsAndAStopInTheMiddle) {
    setCamera(R"({"jpegPieceBytes": 4096, "jpegPauseMs": 1})");
    // One request on its own first: the server library sets up a table of its own on the first
    // request, behind a guard ThreadSanitizer cannot see in the uninstrumented library.
    auto first = client();
    first->set_keep_alive(false);
    ASSERT_TRUE(first->Get("/image/jpeg.cgi"));
    std::atomic<bool> running{true};
    std::atomic<int> answered{0};
    std::atomic<int> badStarts{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 2; ++i) {
        clients.emplace_back([&] {
            auto c = client();
            while (running) {
                QByteArray body;
                const auto reply = c->Get("/image/jpeg.cgi", [&](const char* data, size_t n) {
                    body.append(data, static_cast<qsizetype>(n));
                    return body.size() < 100'000;
                });
                if (!body.isEmpty()) {
                    ++answered;
                    badStarts += body.startsWith(kStart) ? 0 : 1;
                }
                if (reply && reply->status != 200) {
                    ++badStarts;
                }
            }
        });
    }
    const char* const modes[] = {"normal", "double", "trickle", "nomarker", "garbage"};
    // Edits go on for as long as the clients ask, so every request meets one.
    const QDeadlineTimer bound(60000);
    for (int round = 0; answered < 30 && !bound.hasExpired(); ++round) {
        setCamera(QByteArray(R"({"jpegMode": ")") + modes[round % 5] + R"(", "echoPassword": "e)" +
                  QByteArray::number(round) + R"("})");
        state.with(
            [round](Scenario& s) { s.recorders[0].cameras[0].faults.refuseAdd = round % 2 == 0; });
    }
    EXPECT_GE(answered, 30);

    // Endless bodies in flight when the servers stop.
    setCamera(R"({"jpegMode": "nomarker", "jpegPauseMs": 50})");
    const int before = answered;
    EXPECT_TRUE(WaitUntil([&] { return answered >= before + 2; }, 60000));
    servers.stop();
    running = false;
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_EQ(badStarts, 0);
}

}  // namespace
