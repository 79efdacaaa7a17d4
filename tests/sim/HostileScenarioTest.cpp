// The hostile knobs in scenario files and the control channel's requests, and the cameras a
// recorder's generatedCameras field makes.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "ScenarioEdit.h"
#include "ScenarioJson.h"
#include "SimState.h"

using namespace sim;

namespace {

std::optional<Scenario> Parse(const QByteArray& json, QString* error = nullptr) {
    return ParseScenario(json, error);
}

TEST(HostileKnobs, ReadFromAFileAndPrintedBack) {
    const auto scenario = Parse(R"({"recorders": [{"faults": {
        "floodReplies": 10000, "fullLengthTexts": true, "hostileStrings": "desktop",
        "bodyMode": "trickle", "unauthorizedForever": true}}],
        "portal": {"faults": {"certificate": "wrongHost"}}})");
    ASSERT_TRUE(scenario);
    const Faults& f = scenario->recorders[0].faults;
    EXPECT_EQ(f.floodReplies, 10000);
    EXPECT_TRUE(f.fullLengthTexts);
    EXPECT_EQ(f.hostileStrings, QStringLiteral("desktop"));
    EXPECT_EQ(f.bodyMode, QStringLiteral("trickle"));
    EXPECT_TRUE(f.unauthorizedForever);
    EXPECT_EQ(scenario->portal.faults.certificate, QStringLiteral("wrongHost"));

    const QJsonObject printed = QJsonDocument::fromJson(ScenarioToJson(*scenario)).object();
    const QJsonObject faults = printed["recorders"].toArray().at(0).toObject()["faults"].toObject();
    EXPECT_EQ(faults["floodReplies"].toInt(), 10000);
    EXPECT_EQ(faults["hostileStrings"].toString(), QStringLiteral("desktop"));
    EXPECT_EQ(faults["bodyMode"].toString(), QStringLiteral("trickle"));
    EXPECT_EQ(faults["certificate"].toString(), QString()) << "off prints as empty";
    EXPECT_EQ(printed["portal"].toObject()["faults"].toObject()["certificate"].toString(),
              QStringLiteral("wrongHost"));
    const auto again = Parse(ScenarioToJson(*scenario));
    ASSERT_TRUE(again);
    EXPECT_EQ(ScenarioToJson(*again), ScenarioToJson(*scenario));
}

TEST(HostileKnobs, BadValuesNameTheField) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"recorders": [{"faults": {"hostileStrings": "evil"}}]})",
         "recorders[0].faults.hostileStrings: \"evil\" is none of \"\" (off), utf8, control, "
         "shell, desktop, all"},
        {R"({"recorders": [{"faults": {"bodyMode": "slow"}}]})",
         "recorders[0].faults.bodyMode: \"slow\" is none of \"\" (off), huge, endless, trickle, "
         "reset"},
        {R"({"portal": {"faults": {"certificate": "self-signed"}}})",
         "portal.faults.certificate: \"self-signed\" is none of \"\" (off), expired, selfSigned, "
         "wrongHost"},
        {R"({"recorders": [{"faults": {"floodReplies": 100001}}]})",
         "recorders[0].faults.floodReplies"},
        {R"({"recorders": [{"faults": {"fullLengthTexts": "yes"}}]})",
         "recorders[0].faults.fullLengthTexts"},
        {R"({"recorders": [{"generatedCameras": 1001}]})", "recorders[0].generatedCameras"},
    };
    for (const auto& [json, reason] : cases) {
        QString error;
        EXPECT_FALSE(Parse(json, &error)) << json;
        EXPECT_TRUE(error.startsWith(QLatin1String(reason))) << error.toStdString();
    }
}

TEST(HostileKnobs, SwitchedWhileRunningLikeEveryOtherKnob) {
    Faults faults;
    QString error;
    EXPECT_TRUE(SetFault(faults, QStringLiteral("hostileStrings"), QStringLiteral("utf8"), &error));
    EXPECT_TRUE(SetFault(faults, QStringLiteral("bodyMode"), QStringLiteral("reset"), &error));
    EXPECT_TRUE(SetFault(faults, QStringLiteral("certificate"), QStringLiteral("expired"), &error));
    EXPECT_TRUE(SetFault(faults, QStringLiteral("floodReplies"), QStringLiteral("500"), &error));
    EXPECT_TRUE(SetFault(faults, QStringLiteral("fullLengthTexts"), QStringLiteral("1"), &error));
    EXPECT_TRUE(
        SetFault(faults, QStringLiteral("unauthorizedForever"), QStringLiteral("true"), &error));
    EXPECT_EQ(faults.hostileStrings, QStringLiteral("utf8"));
    EXPECT_EQ(faults.bodyMode, QStringLiteral("reset"));
    EXPECT_EQ(faults.certificate, QStringLiteral("expired"));
    EXPECT_EQ(faults.floodReplies, 500);
    EXPECT_TRUE(faults.fullLengthTexts && faults.unauthorizedForever);

    EXPECT_FALSE(SetFault(faults, QStringLiteral("bodyMode"), QStringLiteral("HUGE"), &error));
    EXPECT_EQ(error.toStdString(),
              "bodyMode: \"HUGE\" is none of \"\" (off), huge, endless, "
              "trickle, reset");
    EXPECT_EQ(faults.bodyMode, QStringLiteral("reset")) << "unchanged";
    // An empty value switches a text knob off.
    EXPECT_TRUE(SetFault(faults, QStringLiteral("hostileStrings"), QString(), &error));
    EXPECT_TRUE(faults.hostileStrings.isEmpty());
}

TEST(GeneratedCameras, ThreeHundredCamerasOfTheirOwnAfterTheListedOnes) {
    const auto scenario = Parse(R"({"recorders": [{"cameras": [
        {"ip": "10.77.0.21", "mac": "00:1c:2a:c4:10:21"}], "generatedCameras": 300}]})");
    ASSERT_TRUE(scenario);
    const QList<Camera>& cameras = scenario->recorders[0].cameras;
    ASSERT_EQ(cameras.size(), 301);
    EXPECT_EQ(cameras[0].ip, QStringLiteral("10.77.0.21"));
    QSet<QString> ips;
    QSet<QString> macs;
    for (qsizetype i = 1; i < cameras.size(); ++i) {
        const Camera& c = cameras[i];
        ips.insert(c.ip);
        macs.insert(c.mac);
        EXPECT_TRUE(IsIpv4Text(c.ip) && IsMacText(c.mac)) << c.ip.toStdString();
        EXPECT_EQ(c.addedFlag, QStringLiteral("0"));
        EXPECT_EQ(c.httpPort, 0) << "not served";
        EXPECT_EQ(c.password, c.adminPassword);
        EXPECT_EQ(c.account, QStringLiteral("admin"));
    }
    EXPECT_EQ(ips.size(), 300);
    EXPECT_EQ(macs.size(), 300);
    EXPECT_EQ(cameras[1].ip, QStringLiteral("10.78.0.1"));
    EXPECT_EQ(cameras[1].mac, QStringLiteral("00:1c:2a:ca:00:00"));
    EXPECT_EQ(cameras[1].password, QStringLiteral("cam-001"));
    EXPECT_EQ(cameras[1].name, QStringLiteral("Camera 001"));
    EXPECT_EQ(cameras[251].ip, QStringLiteral("10.78.1.1"));
    EXPECT_EQ(cameras[300].mac, QStringLiteral("00:1c:2a:ca:01:2b"));
    EXPECT_EQ(cameras[1].model, QStringLiteral("OC-420"));
    EXPECT_EQ(cameras[2].model, QStringLiteral("OC-410"));

    // The printed state holds them as cameras and no count, so reading it back adds none.
    const QByteArray printed = ScenarioToJson(*scenario);
    EXPECT_FALSE(printed.contains("generatedCameras"));
    const auto again = Parse(printed);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->recorders[0].cameras.size(), 301);
}

TEST(GeneratedCameras, AddedWhileRunningAndListedByTheRecorder) {
    SimState state(simtest::SmallScenario());
    const ControlAnswer answer = state.with([](Scenario& s) {
        return SetFields(s, QStringLiteral("00:1c:2a:78:0e:01"), R"({"generatedCameras": 300})");
    });
    ASSERT_EQ(answer.status, 200) << answer.text.toStdString();
    HttpRecorder recorder(state, QStringLiteral("00:1c:2a:78:0e:01"));
    const QByteArray list =
        recorder.handle(simtest::Get("/config/nubradiscovery", simtest::BasicHeader("admin:")))
            .body;
    EXPECT_EQ(list.count("\r\n"), 302);
    EXPECT_TRUE(
        list.endsWith("0;10.78.1.50;00:1c:2a:ca:01:2b;Orbis;OC-410;admin;cam-300;cgi;1\r\n"))
        << list.right(100).toStdString();

    // The same again would bring the same MACs a second time onto this recorder.
    const ControlAnswer twice = state.with([](Scenario& s) {
        return SetFields(s, QStringLiteral("00:1c:2a:78:0e:01"), R"({"generatedCameras": 300})");
    });
    EXPECT_EQ(twice.status, 400);
}

}  // namespace
