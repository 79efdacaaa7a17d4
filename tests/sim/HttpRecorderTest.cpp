// The recorder's HTTP interface driven in-process: exact paths, authentication as the
// password changes, the reply format, and the state the wizard's commands change.

#include <gtest/gtest.h>

#include <utility>

#include "HttpCredentialCipher.h"
#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "SimState.h"
#include "TimeZones.h"

using namespace sim;
using simtest::BasicHeader;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");

class RecorderTest : public ::testing::Test {
protected:
    RecorderTest()
        : state(simtest::SmallScenario()), recorder(state, kMac, [this] { return now; }) {}

    HttpReply get(const QByteArray& target) {
        return recorder.handle(simtest::Get(target, BasicHeader("admin:" + password.toUtf8())));
    }
    QByteArray body(const QByteArray& target) {
        const HttpReply reply = get(target);
        EXPECT_EQ(reply.status, 200) << target.toStdString() << ": " << reply.body.toStdString();
        return reply.body;
    }
    template <typename F>
    auto edit(F&& f) {
        return state.with([&](Scenario& s) { return f(s.recorders[0]); });
    }

    qint64 now = 1'700'000'000'000;
    QString password;  // what the client sends
    SimState state;
    HttpRecorder recorder;
};

TEST_F(RecorderTest, FactoryStateTakesAdminColonUntilAPasswordIsSet) {
    EXPECT_EQ(get("/config/datamatch").status, 200);
    EXPECT_EQ(recorder.handle(simtest::Get("/config/datamatch")).status, 401);

    // The datagram password change writes the new password into the same state.
    edit([](Recorder& r) { r.adminPassword = QStringLiteral("NewPass#1"); });
    EXPECT_EQ(get("/config/datamatch").status, 401);
    password = QStringLiteral("NewPass#1");
    EXPECT_EQ(get("/config/datamatch").status, 200);
    password = QStringLiteral("newpass#1");
    EXPECT_EQ(get("/config/datamatch").status, 401);
}

TEST_F(RecorderTest, DigestRecorderAnswersAResponseBuiltFromItsChallenge) {
    edit([](Recorder& r) {
        r.adminPassword = QStringLiteral("Secret1");
        r.authScheme = QStringLiteral("digest");
    });
    const HttpReply challenge = recorder.handle(simtest::Get("/config/nubraportal"));
    ASSERT_EQ(challenge.status, 401);
    const QByteArray offer = simtest::ReplyHeader(challenge, "WWW-Authenticate");
    ASSERT_TRUE(offer.startsWith("Digest ")) << offer.toStdString();
    EXPECT_TRUE(offer.contains("qop=\"auth\"") && offer.contains("opaque=\""));

    const auto ask = [&](const QByteArray& nc, const QByteArray& password) {
        return recorder.handle(simtest::Get(
            "/config/nubraportal",
            simtest::WizardDigest(offer, password, "GET", "/config/nubraportal", nc, "c0ffee00")));
    };
    const HttpReply first = ask("00000001", "Secret1");
    EXPECT_EQ(first.status, 200);
    EXPECT_TRUE(first.body.startsWith("status=0\r\naccess=1\r\n")) << first.body.toStdString();
    EXPECT_EQ(ask("00000002", "Secret1").status, 200);
    EXPECT_EQ(ask("00000002", "Secret1").status, 401) << "replayed nonce count";
    EXPECT_EQ(ask("00000003", "Secret2").status, 401);
    password = QStringLiteral("Secret1");
    EXPECT_EQ(get("/config/nubraportal").status, 401) << "Basic is not enough";

    // The Digest fault asks for Digest from a Basic recorder too.
    edit([](Recorder& r) {
        r.authScheme = QStringLiteral("basic");
        r.faults.digestChallenge = true;
    });
    EXPECT_EQ(get("/config/nubraportal").status, 401);
}

TEST_F(RecorderTest, OnlyTheExactPathsExist) {
    EXPECT_EQ(get("/config/storageinfo?storageid=0").status, 200);
    for (const QByteArray target :
         {"/config/storageinfo/", "/config/Storageinfo", "/config/storageinfo/x",
          "/configstorageinfo", "/config/storageformatpol", "/config/../config/datamatch",
          "//config/datamatch", "/nope"}) {
        EXPECT_EQ(get(target).status, 404) << target.toStdString();
    }
    EXPECT_EQ(recorder.handle(simtest::Get("/nope")).status, 401) << "strangers learn nothing";
    HttpRequest post = simtest::Get("/config/datamatch", BasicHeader("admin:"));
    post.method = "POST";
    EXPECT_EQ(recorder.handle(post).status, 405);
    EXPECT_EQ(recorder.handle(simtest::Get("/")).status, 200) << "the web page needs no login here";
}

TEST_F(RecorderTest, StorageRepliesAreKeyValueLines) {
    EXPECT_EQ(body("/config/storageinfo?storageid=0"),
              "plug=1\r\nready=1\r\ntype=1\r\ndevicename=HD1\r\nmodelname=ST1000DM010\r\n"
              "usedpartition=1\r\npartitioninfo1=1,0,931,931,0,1\r\n");
    EXPECT_EQ(body("/config/datamatch"), "match=0\r\n");
    EXPECT_TRUE(body("/config/storageinfo?storageid=1").startsWith("plug=0\r\nready=0\r\n"));
    edit([](Recorder& r) { r.drive.plug = QStringLiteral("0"); });
    EXPECT_TRUE(body("/config/storageinfo?storageid=0").startsWith("plug=0\r\nready=0\r\n"));
}

TEST_F(RecorderTest, FormatProgressRisesToAHundredOverItsDuration) {
    edit([](Recorder& r) { r.drive.formatDurationMs = 4000; });
    EXPECT_EQ(body("/config/storageformatpoll"), "status=0\r\n") << "no format yet";
    EXPECT_EQ(get("/config/storageformat?storageid=1&partition=0&fs=2").status, 409);
    EXPECT_EQ(get("/config/storageformat?storageid=0&partition=0").status, 409) << "no fs";
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=2").status, 200);

    EXPECT_EQ(body("/config/storageformatpoll"), "status=0\r\n");
    EXPECT_TRUE(body("/config/storageinfo?storageid=0").contains("ready=0\r\n"));
    now += 1000;
    EXPECT_EQ(body("/config/storageformatpoll"), "status=25\r\n");
    now += 1000;
    EXPECT_EQ(body("/config/storageformatpoll"), "status=50\r\n");
    now += 2500;
    EXPECT_EQ(body("/config/storageformatpoll"), "status=100\r\n");
    const QByteArray info = body("/config/storageinfo?storageid=0");
    EXPECT_TRUE(info.contains("ready=1\r\n"));
    EXPECT_TRUE(info.contains("partitioninfo1=1,0,931,931,0,2\r\n")) << "formatted with fs 2";
    EXPECT_EQ(body("/config/datamatch"), "match=1\r\n");
}

TEST_F(RecorderTest, FailingFormatIsRefusedAtThePollAndLeavesTheDriveNotReady) {
    edit([](Recorder& r) {
        r.drive.formatDurationMs = 1000;
        r.faults.failFormat = true;
    });
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=1").status, 200);
    now += 300;
    const HttpReply poll = get("/config/storageformatpoll");
    EXPECT_EQ(poll.status, 409);
    EXPECT_EQ(poll.body, "status=30\r\n");
    now += 5000;
    EXPECT_EQ(body("/config/storageformatpoll"), "status=0\r\n") << "it does not go on";
    EXPECT_TRUE(body("/config/storageinfo?storageid=0").contains("ready=0\r\n"));

    edit([](Recorder& r) { r.faults.failFormat = false; });
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=1").status, 200);
    now += 1000;
    EXPECT_EQ(body("/config/storageformatpoll"), "status=100\r\n");
    EXPECT_TRUE(body("/config/storageinfo?storageid=0").contains("ready=1\r\n"));
}

TEST_F(RecorderTest, TimeZonesAreListedReadAndSet) {
    const QByteArray list = body("/config/timezonelist?language=4");
    ASSERT_TRUE(list.startsWith("timezonelist=(GMT-12:00) International Date Line West;"));
    EXPECT_FALSE(list.endsWith("\r\n")) << "everything after the prefix is names";
    EXPECT_TRUE(list.contains(";(GMT-08:00) Pacific Time (US &amp; Canada);"));
    // Entities are decoded before the list is split, as the wizard reads it.
    const QList<QByteArray> names = QByteArray(list).replace("&amp;", "&").mid(13).split(';');
    ASSERT_EQ(names.size(), BuiltInTimeZones().size());
    EXPECT_EQ(names[5], "(GMT-08:00) Pacific Time (US & Canada)");
    EXPECT_EQ(names[44], "(GMT) Dublin, Edinburgh, Lisbon, London");

    edit([](Recorder& r) {
        r.timeZones.insert(2, {QStringLiteral("Zone A"), QStringLiteral("Zone B")});
    });
    EXPECT_EQ(body("/config/timezonelist?language=2"), "timezonelist=Zone A;Zone B");

    EXPECT_TRUE(body("/config/datetime").startsWith("timezone=45\r\n")) << "the default";
    EXPECT_EQ(body("/config/datetime?timezone=13"), "timezone=13\r\n");
    EXPECT_TRUE(body("/config/datetime").startsWith("timezone=13\r\ndate=2023-11-14\r\ntime="));
    for (const QByteArray target : {"/config/datetime?timezone=0", "/config/datetime?timezone=155",
                                    "/config/datetime?timezone=x", "/config/datetime?timezone="}) {
        const HttpReply refused = get(target);
        EXPECT_EQ(refused.status, 400) << target.toStdString();
        EXPECT_TRUE(refused.body.contains("400 Bad Request"));
    }
    EXPECT_EQ(body("/config/manrecord?record=1"), "record=1\r\n");
    EXPECT_TRUE(body("/config/datetime").startsWith("timezone=13\r\n"));
}

TEST_F(RecorderTest, FaultsAnswerTheirStatusesAndTexts) {
    for (const int status : {409, 404, 401}) {
        edit([status](Recorder& r) { r.faults.forceStatus = status; });
        const HttpReply reply = get("/config/datamatch");
        EXPECT_EQ(reply.status, status);
        if (status == 401) {
            EXPECT_FALSE(simtest::ReplyHeader(reply, "WWW-Authenticate").isEmpty());
        }
    }
    edit([](Recorder& r) {
        r.faults.forceStatus = 0;
        r.faults.accessError = true;
        r.faults.badRequest = true;
    });
    EXPECT_EQ(body("/config/timezonelist?language=4"), "Access Error");
    EXPECT_EQ(get("/config/datetime?timezone=3").body, "400 Bad Request");
    EXPECT_TRUE(body("/config/datetime").startsWith("timezone=45\r\n")) << "zone unchanged";
}

TEST_F(RecorderTest, CloudDiscoveryListsTheNineFields) {
    EXPECT_EQ(body("/config/nubradiscovery"),
              "1;10.77.0.21;00:1c:2a:00:00:21;corvane;LUX-410;admin;Cam-Pass1;cgi;1\r\n"
              "0;10.77.0.22;00:1c:2a:00:00:22;corvane;LUX-7731K;admin;;onvif;0\r\n");
}

TEST_F(RecorderTest, AddingAndDeletingCamerasChangesTheLists) {
    EXPECT_EQ(body("/live/avdevlist"),
              "avdevid=0;avdevname=LUX-410;hostname=10.77.0.21;hostid=00:1c:2a:00:00:21;"
              "protocol=cgi;protocoltype=1;brand=corvane;product=LUX-410\r\n");

    // Account and pass travel as standard Base64, "=" padding unencoded.
    const QByteArray add =
        "/config/addavdev?avdevid=0&avdevname=LUX-7731K&hostname=10.77.0.22"
        "&hostid=00:1c:2a:00:00:22&protocol=1&protocoltype=0&account=" +
        QByteArray("admin").toBase64() + "&pass=" + QByteArray("Yard>Pass?1").toBase64() +
        "&brand=corvane&product=LUX-7731K";
    ASSERT_TRUE(add.contains("pass=WWFyZD5QYXNzPzE="));
    EXPECT_EQ(get(add).status, 200);
    EXPECT_TRUE(
        body("/config/nubradiscovery")
            .contains("1;10.77.0.22;00:1c:2a:00:00:22;corvane;LUX-7731K;admin;Yard>Pass?1;"));
    EXPECT_TRUE(
        body("/live/avdevlist").contains("avdevid=1;avdevname=LUX-7731K;hostname=10.77.0.22;"));

    EXPECT_EQ(get("/config/delavdev?avdevid=0").status, 200);
    EXPECT_FALSE(body("/live/avdevlist").contains("10.77.0.21"));
    EXPECT_TRUE(body("/config/nubradiscovery").startsWith("0;10.77.0.21;"));

    EXPECT_EQ(get("/config/delavdev?avdevid=2").status, 409);
    EXPECT_EQ(get("/config/delavdev?avdevid=-1").status, 409);
    EXPECT_EQ(get("/config/delavdev").status, 409);
    EXPECT_EQ(get("/config/addavdev?hostname=10.77.0.99&account=YWRtaW4=&pass=").status, 409);
    EXPECT_EQ(get("/config/addavdev?hostname=10.77.0.22&account=!!&pass=").status, 409);
}

TEST_F(RecorderTest, DetectAnswers409ForWrongCameraCredentials) {
    const auto detect = [&](const QByteArray& host, const QByteArray& user,
                            const QByteArray& pass) {
        return get("/config/avdevdetect?hostname=" + host + "&account=" + user.toBase64() +
                   "&pass=" + pass.toBase64() + "&brand=corvane&protocol=cgi&product=LUX-410")
            .status;
    };
    EXPECT_EQ(detect("10.77.0.21", "admin", "Cam-Pass1"), 200);
    EXPECT_EQ(detect("10.77.0.21", "admin", "cam-pass1"), 409);
    EXPECT_EQ(detect("10.77.0.21", "root", "Cam-Pass1"), 409);
    EXPECT_EQ(detect("10.77.0.99", "admin", "Cam-Pass1"), 409);
    EXPECT_EQ(detect("10.77.0.22", "admin", ""), 200) << "a camera without a password yet";
    state.with([](Scenario& s) { s.recorders[0].cameras[0].faults.silentHttp = true; });
    EXPECT_EQ(detect("10.77.0.21", "admin", "Cam-Pass1"), 409) << "an unreachable camera";
}

TEST_F(RecorderTest, CameraPasswordChangeNeedsTheLoginKeyAndTheOldPassword) {
    const auto hexOf = [](const QByteArray& key, const QByteArray& text) {
        return NvrEncipher(key, text).toHex().toUpper();
    };
    const QByteArray byHost =
        "/config/avdevchangepassword?hostname=10.77.0.21&protocol=cgi"
        "&protocoltype=1&username=" +
        QByteArray("admin").toBase64();
    EXPECT_EQ(
        get(byHost + "&oldpassword=" + hexOf({}, "Cam-Pass1") + "&newpassword=" + hexOf({}, "x1"))
            .status,
        409)
        << "no key issued yet";

    const QByteArray reply = body("/config/login");
    ASSERT_TRUE(reply.startsWith("key=") && reply.endsWith("\r\n"));
    const QByteArray keyHex = reply.mid(4, reply.size() - 6);
    ASSERT_EQ(keyHex.size(), 64);
    EXPECT_EQ(keyHex, keyHex.toUpper());
    const QByteArray key = QByteArray::fromHex(keyHex);

    EXPECT_EQ(get(byHost + "&oldpassword=" + hexOf(key, "wrong") +
                  "&newpassword=" + hexOf(key, "Fresh-Pass2"))
                  .status,
              409);
    EXPECT_EQ(get(byHost + "&oldpassword=" + hexOf(key, "Cam-Pass1") +
                  "&newpassword=" + hexOf(key, "Fresh-Pass2").left(127))
                  .status,
              409)
        << "127 hex characters";
    EXPECT_EQ(get(byHost + "&oldpassword=" + hexOf(key, "Cam-Pass1") +
                  "&newpassword=" + hexOf(key, "Fresh-Pass2"))
                  .status,
              200);
    EXPECT_EQ(state.with([](Scenario& s) { return s.recorders[0].cameras[0].adminPassword; }),
              QStringLiteral("Fresh-Pass2"));

    // By channel number from the camera list; the old password is now the new one.
    const QByteArray byId = "/config/avdevchangepassword?avdevid=0";
    EXPECT_EQ(get(byId + "&oldpassword=" + hexOf(key, "Cam-Pass1") +
                  "&newpassword=" + hexOf(key, "Third-Pass3"))
                  .status,
              409);
    EXPECT_EQ(get(byId + "&oldpassword=" + hexOf(key, "Fresh-Pass2") +
                  "&newpassword=" + hexOf(key, "Third-Pass3"))
                  .status,
              200);
    EXPECT_EQ(get("/config/avdevchangepassword?avdevid=1&oldpassword=" + hexOf(key, "") +
                  "&newpassword=" + hexOf(key, "Yard-Pass4"))
                  .status,
              409)
        << "channel 1 is not on the recorder";
    // A new login replaces the key.
    body("/config/login");
    EXPECT_EQ(get(byId + "&oldpassword=" + hexOf(key, "Third-Pass3") +
                  "&newpassword=" + hexOf(key, "Fourth-Pass5"))
                  .status,
              409);
}

TEST_F(RecorderTest, CloudRegistrationIsReadAndRemembered) {
    EXPECT_EQ(body("/config/nubraportal"),
              "status=0\r\naccess=1\r\nportal_url=10.77.0.100\r\nportal_number=0\r\n"
              "portal_dfp=5A3F9C27E1D04B88\r\nmodel=ORB-780Z\r\n"
              "localhyperlink=http://10.77.0.10/\r\n");
    EXPECT_EQ(body("/config/nubrareginfo"), "status=0\r\nemail=\r\npassword=\r\n");
    EXPECT_TRUE(body("/config/nubraregstatus?status=1").contains('1'));
    EXPECT_EQ(body("/config/nubrareginfo?email=a%2Bb@example.com&password=P@ss&status=1"),
              "status=1\r\nemail=a+b@example.com\r\npassword=P@ss\r\n");
    EXPECT_EQ(body("/config/nubrareginfo"),
              "status=1\r\nemail=a+b@example.com\r\npassword=P@ss\r\n");
    EXPECT_TRUE(body("/config/nubraportal").startsWith("status=1\r\n"));
    const auto stored = [this] {
        return edit([](Recorder& r) {
            return std::pair(r.portal.registeredEmail, r.portal.registeredPassword);
        });
    };
    // Escaped separators, blanks and UTF-8 come back as the text the installer typed; "+" is
    // not a blank here and a broken escape stays as it is.
    body("/config/nubrareginfo?email=x%26y%23z@example.com&password=a%20b%25c%2B%C3%A9+d%zz");
    EXPECT_EQ(stored(), std::pair(QStringLiteral("x&y#z@example.com"),
                                  QString::fromUtf8("a b%c+\xc3\xa9+d%zz")));
    // A value without escapes is kept unchanged.
    body("/config/nubrareginfo?email=plain@example.com&password=Secret1");
    EXPECT_EQ(stored(), std::pair(QStringLiteral("plain@example.com"), QStringLiteral("Secret1")));
}

TEST_F(RecorderTest, GarbageRequestsGetAnAnswer) {
    password = QString();
    const QByteArray targets[] = {
        "",
        "?",
        "?&&&===",
        "/config/storageinfo?storageid=99999999999999999999",
        "/config/datetime?timezone=-2147483648",
        "/config/addavdev?=&=&hostname",
        "/config/avdevchangepassword?avdevid=0&oldpassword=" + QByteArray(128, 'Z'),
        "/config/delavdev?avdevid=1e9",
        QByteArray("/config/login\0x", 15),
        "/config/nubrareginfo?email=" + QByteArray(100000, 'e'),
        QByteArray(3, '\xff'),
    };
    for (const QByteArray& target : targets) {
        const HttpReply reply = get(target);
        EXPECT_GE(reply.status, 200) << target.left(50).toStdString();
    }
}

TEST(RecorderCipher, SBoxIsTheOneOfTheStandard) {
    // Entries of the FIPS-197 S-box table.
    EXPECT_EQ(AesSBox(0x00), 0x63);
    EXPECT_EQ(AesSBox(0x01), 0x7C);
    EXPECT_EQ(AesSBox(0x53), 0xED);
    EXPECT_EQ(AesSBox(0xFF), 0x16);
    EXPECT_EQ(AesSBox(0x10), 0xCA);
}

TEST(RecorderCipher, DeciphersVectorsMadeOutsideTheProject) {
    // Computed with a separate Python implementation of the round.
    const QByteArray key =
        QByteArray::fromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
    EXPECT_EQ(
        DecipherPasswordHex(key,
                            "0A5275653414BD260ACEB289E2CD8334737A7565E614BD6C28CE6DDEE2617134"
                            "737A7565E614BD6C28CE6DDEE2617134737A7565E614BD6C28CE6DDEE2617134"),
        QStringLiteral("Cam-Pass1"));
    EXPECT_EQ(
        DecipherPasswordHex(key,
                            "3f29756559f7bdfa98ce872de25e8334737a7565e614bd6c28ce6ddee2617134"
                            "737a7565e614bd6c28ce6ddee2617134737a7565e614bd6c28ce6ddee2617134"),
        QStringLiteral("NewPass#22"));
    // An empty key and an empty text encipher to the S-box value of zero everywhere.
    EXPECT_EQ(NvrEncipher({}, {}), QByteArray(64, '\x63'));
    EXPECT_EQ(DecipherPasswordHex({}, QByteArray(64, '\x63').toHex()), QString());
    EXPECT_FALSE(DecipherPasswordHex(key, QByteArray(126, 'A')));
    EXPECT_FALSE(DecipherPasswordHex(key, QByteArray(127, 'A') + 'G'));
}

}  // namespace
