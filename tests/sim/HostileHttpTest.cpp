// The hostile modes of the HTTP devices, driven in-process: hostile strings in every text the
// recorder, a camera and the portal send, 401 for ever with fresh nonces, and the shapes of
// body the bodyMode knob gives an answer.

#include <gtest/gtest.h>

#include <set>

#include "BodyModes.h"
#include "CameraHttp.h"
#include "HostileStrings.h"
#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "PortalHttp.h"
#include "SimState.h"

using namespace sim;
using simtest::BasicHeader;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");
const QString kAll = QStringLiteral("all");

QByteArray All() {
    return HostileText(kAll);
}

class HostileRecorderTest : public ::testing::Test {
protected:
    HostileRecorderTest() : state(simtest::SmallScenario()), recorder(state, kMac) {
        state.with([](Scenario& s) { s.recorders[0].faults.hostileStrings = kAll; });
    }

    HttpReply get(const QByteArray& target) {
        return recorder.handle(simtest::Get(target, BasicHeader("admin:")));
    }

    SimState state;
    HttpRecorder recorder;
};

TEST_F(HostileRecorderTest, ZoneNamesDriveTextsAndPortalValuesCarryTheSet) {
    const QByteArray zones = get("/config/timezonelist?language=4").body;
    EXPECT_TRUE(zones.startsWith("timezonelist=")) << "the prefix stays";
    EXPECT_TRUE(zones.contains("(GMT) Dublin, Edinburgh, Lisbon, London" + All() + ';'));

    const QByteArray storage = get("/config/storageinfo?storageid=0").body;
    EXPECT_TRUE(storage.startsWith("plug=1\r\nready=1\r\ntype=1\r\n")) << "flags stay plain";
    EXPECT_TRUE(storage.contains("devicename=HD1" + All() + "\r\n"));
    EXPECT_TRUE(storage.contains("modelname=ST1000DM010" + All() + "\r\n"));

    const QByteArray portal = get("/config/nubraportal").body;
    EXPECT_TRUE(portal.startsWith("status=0\r\naccess=1\r\n"));
    for (const QByteArray& value :
         {QByteArray("portal_url=10.77.0.100"), QByteArray("portal_number=0"),
          QByteArray("portal_dfp=5A3F9C27E1D04B88"), QByteArray("model=ORB-780Z"),
          QByteArray("localhyperlink=http://10.77.0.10/")}) {
        EXPECT_TRUE(portal.contains(value + All() + "\r\n")) << value.toStdString();
    }
    EXPECT_TRUE(
        get("/config/nubrareginfo?email=a@b.example").body.contains("email=a@b.example" + All()));
}

TEST_F(HostileRecorderTest, CameraBrandAndModelCarryTheCamerasSetOrElseTheRecorders) {
    state.with([](Scenario& s) {
        s.recorders[0].cameras[1].faults.hostileStrings = QStringLiteral("utf8");
    });
    const QByteArray list = get("/config/nubradiscovery").body;
    EXPECT_TRUE(list.startsWith("1;10.77.0.21;00:1c:2a:00:00:21;corvane" + All() + ";LUX-410" +
                                All() + ";admin;Cam-Pass1;cgi;1\r\n"))
        << "address, MAC, account and password stay plain";
    const QByteArray utf8 = HostileText(QStringLiteral("utf8"));
    EXPECT_TRUE(list.contains(";corvane" + utf8 + ";LUX-7731K" + utf8 + ";admin;;onvif;0\r\n"));

    const QByteArray channels = get("/live/avdevlist").body;
    EXPECT_TRUE(channels.startsWith("avdevid=0;avdevname=LUX-410" + All() +
                                    ";hostname=10.77.0.21;hostid=00:1c:2a:00:00:21;"));
    EXPECT_TRUE(channels.contains(";brand=corvane" + All() + ";product=LUX-410" + All() + "\r\n"));
}

TEST_F(HostileRecorderTest, ReplyTextsOfRefusalsAndSuccessCarryTheSet) {
    const HttpReply refused = get("/config/delavdev?avdevid=9");
    EXPECT_EQ(refused.status, 409);
    EXPECT_EQ(refused.body, "result=no such camera" + All() + "\r\n");
    EXPECT_EQ(get("/config/delavdev?avdevid=0").body, "result=ok" + All() + "\r\n");
    EXPECT_EQ(get("/config/nothing").body, "404 Not Found" + All() + "\r\n");
    const HttpReply unauthorized = recorder.handle(simtest::Get("/config/datamatch"));
    EXPECT_EQ(unauthorized.status, 401);
    EXPECT_TRUE(unauthorized.body.endsWith(All()));
    // Numbers, keys and the key of /config/login stay readable.
    EXPECT_EQ(get("/config/datamatch").body, "match=0\r\n");
    EXPECT_TRUE(get("/config/login").body.startsWith("key="));
}

TEST(HostileCamera, SystemCgiKeepsTheEchoedPasswordAndDecoratesTheRest) {
    SimState state(simtest::SmallScenario());
    state.with([](Scenario& s) {
        s.recorders[0].cameras[0].faults.hostileStrings = QStringLiteral("shell");
    });
    CameraHttp camera(state, QStringLiteral("10.77.0.21"), 80);
    const QByteArray shell = HostileText(QStringLiteral("shell"));
    const HttpReply reply = camera.handle(
        simtest::Get("/system.cgi?AdminID=admin&AdminPassword=New-Pass2&ConfigReboot=No",
                     BasicHeader("admin:Cam-Pass1")));
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "AdminID=admin" + shell +
                              "\r\nAdminPassword=New-Pass2\r\nConfigReboot=No" + shell + "\r\n");
    EXPECT_EQ(camera.handle(simtest::Get("/other", BasicHeader("admin:New-Pass2"))).body,
              "404 Not Found" + shell + "\r\n");
}

class HostilePortalTest : public ::testing::Test {
protected:
    HostilePortalTest() : state(simtest::SmallScenario()), portal(state) {
        state.with([](Scenario& s) {
            s.portal.faults.hostileStrings = kAll;
            s.recorders[0].adminPassword = QStringLiteral("Rec-Pass1");
        });
    }

    HttpReply signIn() {
        return portal.handle(simtest::Post(
            "/account/?signin",
            "client=wizard&email=owner@example.com&password=Portal-Pass1&err_count=0\r\n\r\n"));
    }

    SimState state;
    PortalHttp portal;
};

TEST_F(HostilePortalTest, RepliesAndTheCookieCarryTheSetYetABindStillFindsItsSession) {
    const HttpReply reply = signIn();
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "success" + All());
    const QByteArray cookie = simtest::ReplyHeader(reply, "Set-Cookie");
    ASSERT_TRUE(cookie.startsWith("nubra=")) << cookie.toStdString();
    const QByteArray token = cookie.mid(6, 32);
    EXPECT_EQ(QByteArray::fromHex(token).toHex(), token) << "32 hex digits first";
    EXPECT_EQ(cookie.mid(38, HostileHeaderText(kAll).size()), HostileHeaderText(kAll));
    EXPECT_FALSE(cookie.contains('\r') || cookie.contains('\n') || cookie.contains('\0'));

    // The client sends back what it took, up to where it stopped reading (here, the first ";").
    const QByteArray sentBack = cookie.left(cookie.indexOf(';') + 1);
    const HttpReply bound = portal.handle(simtest::Post(
        "/account/?add",
        "client=wizard&nubra_no=0&device_password=Rec-Pass1&dfp=5A3F9C27E1D04B88\r\n\r\n",
        sentBack));
    EXPECT_TRUE(bound.body.startsWith("success" + All() + "\r\nnubra_no=0" + All() + "\r\n"))
        << bound.body.toStdString();

    const HttpReply refused = portal.handle(simtest::Post(
        "/account/?signin", "client=wizard&email=nobody@example.com&password=x\r\n\r\n"));
    EXPECT_EQ(refused.body, "SIGNINERR002: no such account" + All());
}

TEST_F(HostilePortalTest, FixedRepliesCarryTheSetToo) {
    state.with([](Scenario& s) { s.portal.replies[QStringLiteral("bind")] = "success"; });
    const HttpReply bound = portal.handle(simtest::Post("/account/?add", "nubra_no=x\r\n\r\n"));
    EXPECT_EQ(bound.body, "success" + All());
}

QByteArray NonceOf(const HttpReply& reply) {
    return simtest::ChallengeParam(simtest::ReplyHeader(reply, "WWW-Authenticate"), "nonce");
}

TEST(UnauthorizedForever, EveryRequestGetsAFreshStaleDigestChallengeWhateverItCarries) {
    Scenario scenario = simtest::SmallScenario();
    scenario.recorders[0].adminPassword = QStringLiteral("Secret1");
    scenario.recorders[0].authScheme = QStringLiteral("digest");
    SimState state(scenario);
    HttpRecorder recorder(state, kMac);

    // A proper answer to the recorder's own challenge passes before the knob.
    const HttpReply first = recorder.handle(simtest::Get("/config/datamatch"));
    const QByteArray offer = simtest::ReplyHeader(first, "WWW-Authenticate");
    const auto answered = [&](const QByteArray& challenge, const QByteArray& nc) {
        return recorder.handle(simtest::Get(
            "/config/datamatch", simtest::WizardDigest(challenge, "Secret1", "GET",
                                                       "/config/datamatch", nc, "0a4f113b")));
    };
    EXPECT_EQ(answered(offer, "00000001").status, 200);

    state.with([](Scenario& s) { s.recorders[0].faults.unauthorizedForever = true; });
    std::set<QByteArray> nonces;
    QByteArray challenge = offer;
    for (int i = 2; i < 12; ++i) {
        const HttpReply reply = answered(challenge, QByteArray::number(i).rightJustified(8, '0'));
        ASSERT_EQ(reply.status, 401);
        challenge = simtest::ReplyHeader(reply, "WWW-Authenticate");
        EXPECT_TRUE(challenge.startsWith("Digest realm=\"orb-sim\", qop=\"auth\", nonce=\""));
        EXPECT_TRUE(challenge.endsWith(", algorithm=MD5, stale=true"));
        EXPECT_EQ(NonceOf(reply).size(), 32);
        nonces.insert(NonceOf(reply));
    }
    EXPECT_EQ(nonces.size(), 10u) << "a new nonce every time";
    EXPECT_EQ(
        recorder.handle(simtest::Get("/config/datamatch", BasicHeader("admin:Secret1"))).status,
        401);

    state.with([](Scenario& s) { s.recorders[0].faults.unauthorizedForever = false; });
    EXPECT_EQ(recorder.handle(simtest::Get("/config/datamatch")).status, 401);
}

TEST(UnauthorizedForever, CamerasAndThePortalToo) {
    SimState state(simtest::SmallScenario());
    state.with([](Scenario& s) {
        s.recorders[0].cameras[0].faults.unauthorizedForever = true;
        s.portal.faults.unauthorizedForever = true;
    });
    CameraHttp camera(state, QStringLiteral("10.77.0.21"), 80);
    const HttpReply one =
        camera.handle(simtest::Get("/image/jpeg.cgi", BasicHeader("admin:Cam-Pass1")));
    const HttpReply two =
        camera.handle(simtest::Get("/image/jpeg.cgi", BasicHeader("admin:Cam-Pass1")));
    EXPECT_EQ(one.status, 401);
    EXPECT_EQ(two.status, 401);
    EXPECT_NE(NonceOf(one), NonceOf(two));

    PortalHttp portal(state);
    const HttpReply refused = portal.handle(simtest::Post(
        "/account/?signin",
        "client=wizard&email=owner@example.com&password=Portal-Pass1&err_count=0\r\n\r\n"));
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(NonceOf(refused).size(), 32);
}

// ---- bodyMode ----------------------------------------------------------------------------

HttpReply Answer() {
    return TextReply(200, "status=1\r\nportal_number=70412\r\n");
}

TEST(BodyModes, HugeIsTheAnswerThenFillerToTenMegabytes) {
    const HttpReply reply = WithBodyMode(Answer(), QStringLiteral("huge"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.paced);
    ASSERT_EQ(reply.body.size(), kHugeBodyBytes);
    EXPECT_TRUE(reply.body.startsWith(Answer().body));
    EXPECT_FALSE(reply.body.mid(Answer().body.size()).contains('=')) << "the filler adds no key";
    EXPECT_FALSE(reply.body.contains('\xFF')) << "nor a JPEG marker";
}

TEST(BodyModes, EndlessNeverRunsOut) {
    const HttpReply reply = WithBodyMode(Answer(), QStringLiteral("endless"));
    ASSERT_TRUE(reply.paced);
    EXPECT_TRUE(reply.body.isEmpty());
    EXPECT_EQ(reply.paced->bytes, Answer().body);
    EXPECT_FALSE(reply.paced->filler.isEmpty());
    EXPECT_EQ(reply.paced->pieceBytes, kEndlessPieceBytes);
    const QByteArray far = PieceAt(*reply.paced, qint64{1} << 40);
    EXPECT_EQ(far.size(), kEndlessPieceBytes) << "a terabyte on, still more";
}

TEST(BodyModes, TrickleIsOneByteASecond) {
    const HttpReply reply = WithBodyMode(Answer(), QStringLiteral("trickle"));
    ASSERT_TRUE(reply.paced);
    EXPECT_EQ(reply.paced->bytes, Answer().body);
    EXPECT_TRUE(reply.paced->filler.isEmpty()) << "with its length";
    EXPECT_EQ(reply.paced->pieceBytes, 1);
    EXPECT_EQ(reply.paced->pauseMs, 1000);
    EXPECT_EQ(PieceAt(*reply.paced, 3), QByteArray("t"));
}

TEST(BodyModes, ResetAnnouncesSixtyFourKilobytesAndStopsHalfWay) {
    const HttpReply reply = WithBodyMode(Answer(), QStringLiteral("reset"));
    ASSERT_TRUE(reply.paced);
    EXPECT_EQ(reply.paced->bytes.size(), kResetBodyBytes);
    EXPECT_TRUE(reply.paced->bytes.startsWith(Answer().body));
    EXPECT_EQ(reply.paced->resetAt, kResetBodyBytes / 2);
}

TEST(BodyModes, PacedAndEmptyBodiesAndUnknownModes) {
    HttpReply jpeg;
    jpeg.contentType = "image/jpeg";
    jpeg.paced = PacedBody{"\xFF\xD8 frame \xFF\xD9", "more", 64, 20};
    const HttpReply huge = WithBodyMode(jpeg, QStringLiteral("huge"));
    EXPECT_TRUE(huge.body.startsWith("\xFF\xD8 frame \xFF\xD9"));
    EXPECT_EQ(huge.contentType, QByteArray("image/jpeg"));
    EXPECT_FALSE(huge.paced);

    const HttpReply empty = WithBodyMode(TextReply(401, {}), QStringLiteral("trickle"));
    EXPECT_EQ(empty.status, 401);
    ASSERT_TRUE(empty.paced);
    EXPECT_FALSE(empty.paced->bytes.isEmpty()) << "something to trickle";

    EXPECT_EQ(WithBodyMode(Answer(), QString()).body, Answer().body);
    EXPECT_EQ(WithBodyMode(Answer(), QStringLiteral("sideways")).body, Answer().body);
    EXPECT_EQ(BodyModeNames(), (QStringList{"huge", "endless", "trickle", "reset"}));
}

}  // namespace
