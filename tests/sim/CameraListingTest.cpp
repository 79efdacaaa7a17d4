// What the recorder lists of its cameras and what it does with them: raw discovery lines, a
// listed host apart from the serving address, refused adds, and the reported password after
// each of the three ways a camera password changes.

#include <gtest/gtest.h>

#include <functional>

#include "CameraHttp.h"
#include "HttpCredentialCipher.h"
#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "ScenarioEdit.h"
#include "ScenarioJson.h"
#include "SimState.h"
#include "UdpServer.h"

using namespace sim;
using simtest::BasicHeader;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");

class ListingTest : public ::testing::Test {
protected:
    HttpReply get(const QByteArray& target) {
        return recorder.handle(simtest::Get(target, BasicHeader("admin:")));
    }
    QByteArray discovery() { return get("/config/nubradiscovery").body; }
    // Field 6 of the camera's discovery line: the password the recorder reports.
    QString reportedPassword(qsizetype camera) {
        const QList<QByteArray> lines = discovery().split('\n');
        return QString::fromUtf8(lines.value(camera).trimmed().split(';').value(6));
    }
    template <typename F>
    auto camera(qsizetype i, F&& f) {
        return state.with([&](Scenario& s) { return f(s.recorders[0].cameras[i]); });
    }
    QByteArray addQuery(const QByteArray& host) {
        return "/config/addavdev?avdevid=0&avdevname=LUX-7731K&hostname=" + host +
               "&hostid=00:1c:2a:00:00:22&protocol=1&protocoltype=0&account=" +
               QByteArray("admin").toBase64() + "&pass=" + QByteArray("Yard-Pass1").toBase64() +
               "&brand=corvane&product=LUX-7731K";
    }

    SimState state{simtest::SmallScenario()};
    HttpRecorder recorder{state, kMac};
};

TEST_F(ListingTest, RawDiscoveryLinesReplaceTheCamerasFramedLineByLine) {
    const QByteArray generated = discovery();
    const QStringList lines = {
        QStringLiteral("1;;00:1c:2a:00:00:99;corvane;LUX-410;admin;pw;cgi;1"),
        QStringLiteral("0;10.77.0.40;00:1c:2a:00:00:40"),
        QStringLiteral("0;10.77.0.41;00:1c:2a:00:00:41;b;m;admin;p;cgi;1;extra;more"),
        QString(),
    };
    state.with([&](Scenario& s) { s.recorders[0].discoveryLines = lines; });
    EXPECT_EQ(discovery(),
              "1;;00:1c:2a:00:00:99;corvane;LUX-410;admin;pw;cgi;1\r\n"
              "0;10.77.0.40;00:1c:2a:00:00:40\r\n"
              "0;10.77.0.41;00:1c:2a:00:00:41;b;m;admin;p;cgi;1;extra;more\r\n"
              "\r\n");

    QStringList many;
    for (int i = 0; i < 300; ++i) {
        many.append(QStringLiteral("0;10.77.1.%1;00:1c:2a:00:01:%2;b;m;admin;;cgi;1")
                        .arg(i % 250)
                        .arg(i % 100, 2, 10, QLatin1Char('0')));
    }
    state.with([&](Scenario& s) { s.recorders[0].discoveryLines = many; });
    const QByteArray body = discovery();
    EXPECT_EQ(body.count("\r\n"), 300);
    EXPECT_TRUE(body.endsWith("0;10.77.1.49;00:1c:2a:00:01:99;b;m;admin;;cgi;1\r\n"));

    state.with([](Scenario& s) { s.recorders[0].discoveryLines = QStringList(); });
    const HttpReply empty = get("/config/nubradiscovery");
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.body.isEmpty());

    // The control channel sets the lines and takes them away again with null.
    const QString set = state.with(
        [](Scenario& s) { return SetFields(s, kMac, R"({"discoveryLines": ["a;b"]})").text; });
    EXPECT_EQ(discovery(), "a;b\r\n") << set.toStdString();
    state.with([](Scenario& s) { SetFields(s, kMac, R"({"discoveryLines": null})"); });
    EXPECT_EQ(discovery(), generated);
}

TEST(ListingJson, NewFieldsReadBackAndRefuseWhatWouldBreakTheLines) {
    Scenario s = simtest::SmallScenario();
    s.recorders[0].discoveryLines = QStringList();  // present but empty is not absent
    s.recorders[0].cameras[0].listedIp = QStringLiteral("10.77.0.31:8080");
    s.recorders[0].cameras[0].echoPassword = QString();
    s.recorders[0].cameras[0].jpegMode = QStringLiteral("trickle");
    s.recorders[0].cameras[0].jpegPieceBytes = 100;
    s.recorders[0].cameras[0].jpegPauseMs = 0;
    s.recorders[0].cameras[0].faults.refuseAdd = true;
    QString error;
    const auto back = ParseScenario(ScenarioToJson(s), &error);
    ASSERT_TRUE(back) << error.toStdString();
    const Camera& c = back->recorders[0].cameras[0];
    EXPECT_EQ(back->recorders[0].discoveryLines, QStringList());
    EXPECT_EQ(c.listedIp, "10.77.0.31:8080");
    EXPECT_EQ(c.echoPassword, QString());
    EXPECT_EQ(c.jpegMode, "trickle");
    EXPECT_EQ(c.jpegPieceBytes, 100);
    EXPECT_EQ(c.jpegPauseMs, 0);
    EXPECT_TRUE(c.faults.refuseAdd);
    EXPECT_FALSE(back->recorders[0].cameras[1].echoPassword);
    EXPECT_FALSE(ParseScenario(ScenarioToJson(simtest::SmallScenario()), nullptr)
                     ->recorders[0]
                     .discoveryLines);

    const auto refused = [](const char* recorder, const char* camera) {
        const QByteArray json = QByteArray(R"({"recorders": [{)") + recorder +
                                R"("cameras": [{"ip": "10.77.0.21", "mac": "00:1c:2a:00:00:21")" +
                                camera + "}]}]}";
        QString why;
        EXPECT_FALSE(ParseScenario(json, &why)) << json.toStdString();
        return why.toStdString();
    };
    EXPECT_EQ(refused(R"("discoveryLines": ["ok", "a\r\nb"], )", "")
                  .rfind("recorders[0].discoveryLines[1]: ", 0),
              0u);
    EXPECT_NE(refused("", R"(, "listedIp": "10.77.0.31;x")").find("cameras[0].listedIp"),
              std::string::npos);
    EXPECT_NE(refused("", R"(, "jpegMode": "Double")").find("cameras[0].jpegMode"),
              std::string::npos);
}

TEST_F(ListingTest, ListedHostIsWhatTheRecorderReportsAndIsAskedFor) {
    camera(0, [](Camera& c) { c.listedIp = QStringLiteral("10.77.0.31:8080"); });
    camera(1, [](Camera& c) { c.listedIp = QStringLiteral("10.77.0.32:8081"); });
    EXPECT_TRUE(discovery().startsWith("1;10.77.0.31:8080;00:1c:2a:00:00:21;"));
    EXPECT_TRUE(get("/live/avdevlist").body.contains(";hostname=10.77.0.31:8080;"));

    // The recorder knows the camera by its listed text only.
    EXPECT_EQ(get(addQuery("10.77.0.22")).status, 409);
    EXPECT_EQ(camera(1, [](Camera& c) { return c.addedFlag; }), "0");
    EXPECT_EQ(get(addQuery("10.77.0.32:8081")).status, 200);
    EXPECT_EQ(camera(1, [](Camera& c) { return c.addedFlag; }), "1");
    EXPECT_EQ(get("/config/avdevdetect?hostname=10.77.0.31:8080&account=" +
                  QByteArray("admin").toBase64() + "&pass=" + QByteArray("Cam-Pass1").toBase64())
                  .status,
              200);

    // It still serves where it is.
    CameraHttp served(state, QStringLiteral("10.77.0.21"), 80);
    EXPECT_EQ(served.handle(simtest::Get("/image/jpeg.cgi", BasicHeader("admin:Cam-Pass1"))).status,
              200);
}

TEST_F(ListingTest, RefusedAddAnswers409AndLeavesTheCameraAsItWas) {
    const QByteArray before = discovery();
    QString error;
    ASSERT_TRUE(camera(1, [&](Camera& c) { return SetFault(c.faults, "refuseAdd", "1", &error); }))
        << error.toStdString();
    const HttpReply refused = get(addQuery("10.77.0.22"));
    EXPECT_EQ(refused.status, 409);
    EXPECT_TRUE(refused.body.startsWith("result=") && refused.body.endsWith("\r\n"))
        << refused.body.toStdString();
    EXPECT_EQ(discovery(), before);
    EXPECT_FALSE(get("/live/avdevlist").body.contains("10.77.0.22"));

    camera(1, [](Camera& c) { c.faults.refuseAdd = false; });
    EXPECT_EQ(get(addQuery("10.77.0.22")).status, 200);
    EXPECT_EQ(reportedPassword(1), "Yard-Pass1");
}

// A version-1 datagram password change (Base64 slots, no cipher) for that MAC.
QByteArray ShortPasswordChange(const QByteArray& mac, const QByteArray& old,
                               const QByteArray& fresh) {
    // Sequence 1, opcode, MAC, address, status, version 1, 256 payload bytes.
    QByteArray request = QByteArray::fromHex("fdfd0100a400") + mac +
                         QByteArray::fromHex(
                             "0a4d000a"
                             "0000"
                             "0100"
                             "0001");
    for (const QByteArray& text : {QByteArray("admin"), old, QByteArray("admin"), fresh}) {
        request += text.toBase64().leftJustified(64, '\0', true);
    }
    return request;
}

TEST_F(ListingTest, ReportedPasswordFollowsEveryRouteOfAChange) {
    struct Route {
        const char* name;
        qsizetype camera;
        // Changes the camera's password to "Fresh-Pass2"; returns what the camera echoed, if
        // anything.
        std::function<QByteArray()> change;
    };
    const auto viaRecorder = [this] {
        const QByteArray key = QByteArray::fromHex(get("/config/login").body.mid(4).trimmed());
        const auto hex = [&](const QByteArray& text) {
            return NvrEncipher(key, text).toHex().toUpper();
        };
        EXPECT_EQ(get("/config/avdevchangepassword?avdevid=0&oldpassword=" + hex("Cam-Pass1") +
                      "&newpassword=" + hex("Fresh-Pass2"))
                      .status,
                  200);
        return QByteArray();
    };
    const auto viaCamera = [this] {
        CameraHttp own(state, QStringLiteral("10.77.0.21"), 80);
        const HttpReply reply = own.handle(
            simtest::Get("/system.cgi?AdminID=admin&AdminPassword=Fresh-Pass2&ConfigReboot=No",
                         BasicHeader("admin:Cam-Pass1")));
        EXPECT_EQ(reply.status, 200);
        return reply.body;
    };
    const auto viaDatagram = [this] {
        const auto outcome = HandleDatagram(
            state, ShortPasswordChange(QByteArray::fromHex("001c2a000022"), "", "Fresh-Pass2"), {},
            0);
        EXPECT_EQ(outcome.replies.size(), 1);
        return QByteArray();
    };
    const Route routes[] = {
        {"avdevchangepassword", 0, viaRecorder},
        {"system.cgi", 0, viaCamera},
        {"datagram 0xA4", 1, viaDatagram},
    };
    for (const std::optional<QString>& echo : {std::optional<QString>(), std::optional(QString()),
                                               std::optional(QStringLiteral("Echo-9"))}) {
        for (const Route& route : routes) {
            state.with([](Scenario& s) { s = simtest::SmallScenario(); });
            camera(route.camera, [&](Camera& c) { c.echoPassword = echo; });
            const QByteArray echoed = route.change();
            const QString expected = echo.value_or(QStringLiteral("Fresh-Pass2"));
            const std::string what =
                std::string(route.name) + " echoing " + echo.value_or("(nothing)").toStdString();
            EXPECT_EQ(reportedPassword(route.camera), expected) << what;
            EXPECT_EQ(camera(route.camera, [](Camera& c) { return c.adminPassword; }),
                      "Fresh-Pass2")
                << what << ": the camera itself takes the new one";
            if (route.camera == 0 && !echoed.isEmpty()) {
                EXPECT_TRUE(echoed.contains("\r\nAdminPassword=" + expected.toUtf8() + "\r\n"))
                    << what << ": " << echoed.toStdString();
            }
        }
    }
}

}  // namespace
