// A camera's own interface: JPEG frames behind its password, and the older password setting.

#include <gtest/gtest.h>

#include <QImage>

#include "CameraFrame.h"
#include "CameraHttp.h"
#include "HttpTestSupport.h"
#include "SimState.h"

using namespace sim;
using simtest::BasicHeader;

namespace {

class CameraTest : public ::testing::Test {
protected:
    CameraTest()
        : state(simtest::SmallScenario()),
          camera(state, "10.77.0.21", 80, [this] { return now; }) {}

    HttpReply get(const QByteArray& target, const QByteArray& userColonPassword) {
        return camera.handle(simtest::Get(target, BasicHeader(userColonPassword)));
    }

    qint64 now = 1'700'000'000'000;
    SimState state;
    CameraHttp camera;
};

TEST_F(CameraTest, ServesAJpegFrameBehindItsPassword) {
    EXPECT_EQ(camera.handle(simtest::Get("/image/jpeg.cgi")).status, 401);
    EXPECT_EQ(get("/image/jpeg.cgi", "admin:").status, 401);
    EXPECT_EQ(get("/image/jpeg.cgi", "admin:cam-pass1").status, 401);

    const HttpReply frame = get("/image/jpeg.cgi", "admin:Cam-Pass1");
    ASSERT_EQ(frame.status, 200);
    EXPECT_EQ(frame.contentType, "image/jpeg");
    ASSERT_GT(frame.body.size(), 4);
    EXPECT_TRUE(frame.body.startsWith("\xFF\xD8"));
    EXPECT_TRUE(frame.body.endsWith("\xFF\xD9"));
    const QImage image = QImage::fromData(frame.body, "JPEG");
    EXPECT_EQ(image.size(), QSize(kCameraFrameWidth, kCameraFrameHeight));

    now += 1000;
    EXPECT_NE(get("/image/jpeg.cgi", "admin:Cam-Pass1").body, frame.body) << "the clock moves";
    EXPECT_EQ(get("/image/jpeg.cgi?x=1", "admin:Cam-Pass1").status, 200);
    EXPECT_EQ(get("/image/jpeg.cgi/", "admin:Cam-Pass1").status, 404);
    EXPECT_EQ(get("/image/JPEG.cgi", "admin:Cam-Pass1").status, 404);
}

TEST_F(CameraTest, SystemCgiSetsThePasswordAndEchoesIt) {
    const HttpReply reply = get(
        "/system.cgi?AdminID=admin&AdminPassword=Next-Pass2&ConfigReboot=No", "admin:Cam-Pass1");
    ASSERT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body.contains("AdminPassword=Next-Pass2\r\n")) << reply.body.toStdString();
    EXPECT_EQ(get("/image/jpeg.cgi", "admin:Cam-Pass1").status, 401);
    EXPECT_EQ(get("/image/jpeg.cgi", "admin:Next-Pass2").status, 200);

    EXPECT_EQ(
        get("/system.cgi?AdminID=root&AdminPassword=x12345&ConfigReboot=No", "admin:Next-Pass2")
            .status,
        400);
    EXPECT_EQ(
        get("/system.cgi?AdminID=admin&AdminPassword=&ConfigReboot=No", "admin:Next-Pass2").status,
        400);
    EXPECT_EQ(get("/system.cgi?AdminID=admin", "admin:Next-Pass2").status, 400);
    EXPECT_EQ(get("/image/jpeg.cgi", "admin:Next-Pass2").status, 200) << "refusals change nothing";
}

TEST_F(CameraTest, FreshCameraTakesAdminColonAndAsksForDigestOnDemand) {
    CameraHttp fresh(state, "10.77.0.22", 80);
    EXPECT_EQ(fresh.handle(simtest::Get("/image/jpeg.cgi", BasicHeader("admin:"))).status, 200);
    CameraHttp nobody(state, "10.77.0.23", 80);
    EXPECT_EQ(nobody.handle(simtest::Get("/image/jpeg.cgi", BasicHeader("admin:"))).status, 404);

    state.with([](Scenario& s) { s.recorders[0].cameras[0].faults.digestChallenge = true; });
    const HttpReply challenge = get("/image/jpeg.cgi", "admin:Cam-Pass1");
    ASSERT_EQ(challenge.status, 401);
    const QByteArray offer = simtest::ReplyHeader(challenge, "WWW-Authenticate");
    ASSERT_TRUE(offer.startsWith("Digest "));
    const HttpReply frame = camera.handle(simtest::Get(
        "/image/jpeg.cgi", simtest::WizardDigest(offer, "Cam-Pass1", "GET", "/image/jpeg.cgi",
                                                 "00000001", "abcdef12")));
    EXPECT_EQ(frame.status, 200);
}

TEST(CameraFrame, NameAndClockAreDrawn) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    const QImage a = CameraPicture(QStringLiteral("Front door"), when);
    const QImage b = CameraPicture(QStringLiteral("Front door"), when.addSecs(1));
    const QImage c = CameraPicture(QStringLiteral("Front doos"), when);
    // Only the clock rows change with the time, only the title rows with the name.
    const auto rowsDiffer = [](const QImage& x, const QImage& y, int top, int bottom) {
        for (int row = top; row < bottom; ++row) {
            if (memcmp(x.constScanLine(row), y.constScanLine(row),
                       static_cast<size_t>(x.bytesPerLine())) != 0) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(rowsDiffer(a, b, 0, 60));
    EXPECT_TRUE(rowsDiffer(a, b, 120, 160));
    EXPECT_TRUE(rowsDiffer(a, c, 0, 60));
}

}  // namespace
