// Scenario files: what a file means, what the built-in scenario holds, and that a bad file is
// refused with the field at fault named.

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>

#include "ControlChannel.h"
#include "Journal.h"
#include "ScenarioJson.h"
#include "SimState.h"
#include "TimeZones.h"

namespace {

std::optional<sim::Scenario> Parse(const char* json, QString* error = nullptr) {
    return sim::ParseScenario(QByteArray(json), error);
}

TEST(ScenarioDefault, FactoryRecorderWithThreeCamerasAndPortal) {
    const sim::Scenario s = sim::DefaultScenario();
    ASSERT_EQ(s.recorders.size(), 1);
    const sim::Recorder& r = s.recorders[0];
    EXPECT_EQ(r.model, "ORB-780Z");
    EXPECT_TRUE(r.adminPassword.isEmpty());
    EXPECT_EQ(r.replyLength, 342);
    EXPECT_EQ(r.httpPort, 80);
    EXPECT_EQ(r.httpsPort, 443);
    EXPECT_EQ(r.drive.plug, "1");
    EXPECT_EQ(r.drive.ready, "1");
    EXPECT_EQ(r.drive.dataMatch, "0");

    ASSERT_EQ(r.cameras.size(), 3);
    EXPECT_EQ(r.cameras[0].addedFlag, "1");
    EXPECT_EQ(r.cameras[1].addedFlag, "0");
    EXPECT_EQ(r.cameras[1].account, "admin");
    EXPECT_FALSE(r.cameras[1].password.isEmpty());
    EXPECT_EQ(r.cameras[1].password, r.cameras[1].adminPassword);
    EXPECT_EQ(r.cameras[2].protocolType, "0");

    // Every device on its own address in 10.77.0.0/24, every MAC distinct.
    QSet<QString> ips{r.ip, s.portal.ip};
    QSet<QString> macs{r.mac};
    for (const sim::Camera& c : r.cameras) {
        ips.insert(c.ip);
        macs.insert(c.mac);
    }
    EXPECT_EQ(ips.size(), 5);
    EXPECT_EQ(macs.size(), 4);
    for (const QString& ip : ips) {
        EXPECT_TRUE(ip.startsWith(QLatin1String("10.77.0."))) << ip.toStdString();
    }
}

TEST(ScenarioDefault, PrintedFormReadsBackUnchanged) {
    sim::Scenario s = sim::DefaultScenario();
    s.recorders[0].timeZones.insert(7, {QStringLiteral("(GMT+01:00) Paris")});
    s.recorders[0].faults.duplicateReplies = 2;
    s.recorders[0].drive.formatProgress = 40;
    s.portal.replies.insert(QStringLiteral("signin"), QStringLiteral("SIGNINERR002"));
    const QByteArray json = sim::ScenarioToJson(s);
    QString error;
    const auto back = sim::ParseScenario(json, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(sim::ScenarioToJson(*back), json);
    EXPECT_EQ(back->recorders[0].timeZones.value(7), QStringList{"(GMT+01:00) Paris"});
}

TEST(ScenarioTimeZones, BuiltInListAndPerLanguageOverride) {
    const QStringList& zones = sim::BuiltInTimeZones();
    ASSERT_EQ(zones.size(), 154);
    EXPECT_EQ(zones.first(), "(GMT-12:00) International Date Line West");
    EXPECT_EQ(zones.at(44), "(GMT) Dublin, Edinburgh, Lisbon, London");  // zone 45
    EXPECT_EQ(zones.at(5), "(GMT-08:00) Pacific Time (US & Canada)");
    EXPECT_EQ(zones.at(152), "(GMT+13:00) Nuku'alofa");
    EXPECT_EQ(zones.last(), "(GMT+13:00) Samoa");
    for (const QString& zone : zones) {
        EXPECT_FALSE(zone.contains(u';')) << zone.toStdString();
    }

    sim::Recorder r;
    r.timeZones.insert(2, {QStringLiteral("A"), QStringLiteral("B")});
    EXPECT_EQ(sim::TimeZonesFor(r, 2), (QStringList{"A", "B"}));
    EXPECT_EQ(sim::TimeZonesFor(r, 4).size(), 154);
}

TEST(ScenarioParse, MissingFieldsKeepDefaults) {
    QString error;
    const auto s = Parse(R"({"recorders": [{"mac": "00:1C:2A:00:00:09", "ip": "10.77.1.9",
                             "cameras": [{"ip": "10.77.1.20", "mac": "00:1c:2a:00:00:20"}]}]})",
                         &error);
    ASSERT_TRUE(s) << error.toStdString();
    ASSERT_EQ(s->recorders.size(), 1);
    EXPECT_EQ(s->recorders[0].mac, "00:1c:2a:00:00:09");  // lower case, as the wizard writes MACs
    EXPECT_EQ(s->recorders[0].replyLength, 342);
    EXPECT_EQ(s->recorders[0].authScheme, "basic");
    EXPECT_EQ(s->recorders[0].cameras[0].httpPort, 80);
    EXPECT_EQ(s->portal.ip, "10.77.0.100");

    const auto empty = Parse("{}", &error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->recorders.isEmpty());
}

TEST(ScenarioParse, BadFilesNameTheFieldAtFault) {
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {R"({"recorders": [)", "not valid JSON"},
        {R"([1, 2])", "a scenario is a JSON object"},
        {R"({"recorders": {}})", "recorders: expected an array"},
        {R"({"recorders": [{"httpPort": "80"}]})", "recorders[0].httpPort: expected an integer"},
        {R"({"recorders": [{"httpPort": 80.5}]})", "recorders[0].httpPort: expected an integer"},
        {R"({"recorders": [{"httpPort": 70000}]})", "recorders[0].httpPort: 70000 is out of range"},
        {R"({"recorders": [{"mac": "00:1c:2a:78:0e"}]})", "recorders[0].mac: not a MAC address"},
        {R"({"recorders": [{"mac": "00-1c-2a-78-0e-01"}]})", "recorders[0].mac: not a MAC address"},
        {R"({"recorders": [{"ip": "10.77.0.256"}]})", "recorders[0].ip: not an IPv4 address"},
        {R"({"recorders": [{"ip": "10.77.0.010"}]})", "recorders[0].ip: not an IPv4 address"},
        {R"({"recorders": [{"ip": "10.77.0"}]})", "recorders[0].ip: not an IPv4 address"},
        {R"({"recorders": [{"ip": " 10.77.0.1"}]})", "recorders[0].ip: not an IPv4 address"},
        {R"({"recorders": [{"replyLength": 333}]})",
         "recorders[0].replyLength: must be 334 or 342"},
        {R"({"recorders": [{"authScheme": "ntlm"}]})", "recorders[0].authScheme: must be"},
        {R"({"recorders": [{"adminPassword": null}]})",
         "recorders[0].adminPassword: expected a string"},
        {R"({"recorders": [{"drive": {"plugg": "1"}}]})",
         "recorders[0].drive.plugg: unknown field"},
        {R"({"recorders": [{"timeZones": {"x": []}}]})", "recorders[0].timeZones.x: expected a"},
        {R"({"recorders": [{"timeZones": {"4": ["a", 5]}}]})",
         "recorders[0].timeZones.4[1]: expected a string"},
        {R"({"recorders": [{"cameras": [{"mac": "00:1c:2a:00:00:20"}]}]})",
         "recorders[0].cameras[0].ip: missing"},
        {R"({"recorders": [{"cameras": [{"ip": "10.77.0.9", "mac": "00:1c:2a:00:00:20",
             "faults": {"silentUdp": 1}}]}]})",
         "recorders[0].cameras[0].faults.silentUdp: expected true or false"},
        {R"({"recorders": [{"faults": {"forceStatus": 42}}]})",
         "recorders[0].faults.forceStatus: expected 0 or an HTTP status"},
        {R"({"recorders": [{}, {}]})", "recorders[1].mac: 00:1c:2a:78:0e:01 is used twice"},
        {R"({"portal": {"replies": {"login": "x"}}})", "portal.replies.login: unknown request"},
        {R"({"portal": {"accounts": [{"email": "a", "pass": "b"}]}})",
         "portal.accounts[0].pass: unknown field"},
        {R"({"recorder": []})", "recorder: unknown field"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(Parse(c.json, &error)) << c.json;
        EXPECT_TRUE(error.startsWith(QLatin1String(c.message)) ||
                    error.contains(QLatin1String(c.message)))
            << c.json << "\n  gave: " << error.toStdString();
        EXPECT_FALSE(error.contains(u'\n')) << c.json;
    }
}

TEST(ScenarioFaultKnobs, ControlRequestsFindDevicesAndCheckValues) {
    sim::Scenario s = sim::DefaultScenario();
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("00:1C:2A:78:0E:01")), &s.recorders[0].faults);
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("10.77.0.10")), &s.recorders[0].faults);
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("10.77.0.23")), &s.recorders[0].cameras[2].faults);
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("portal")), &s.portal.faults);
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("10.77.0.100")), &s.portal.faults);
    EXPECT_EQ(sim::FindFaults(s, QStringLiteral("10.77.0.99")), nullptr);

    sim::Faults f;
    QString error;
    EXPECT_TRUE(sim::SetFault(f, QStringLiteral("silentUdp"), QStringLiteral("true"), &error));
    EXPECT_TRUE(sim::SetFault(f, QStringLiteral("delayMs"), QStringLiteral("250"), &error));
    EXPECT_TRUE(sim::SetFault(f, QStringLiteral("forceStatus"), QStringLiteral("409"), &error));
    EXPECT_TRUE(f.silentUdp);
    EXPECT_EQ(f.delayMs, 250);
    EXPECT_EQ(f.forceStatus, 409);
    EXPECT_TRUE(sim::SetFault(f, QStringLiteral("silentUdp"), QStringLiteral("0"), &error));
    EXPECT_FALSE(f.silentUdp);

    EXPECT_FALSE(sim::SetFault(f, QStringLiteral("delayMs"), QStringLiteral("-1"), &error));
    EXPECT_FALSE(sim::SetFault(f, QStringLiteral("forceStatus"), QStringLiteral("42"), &error));
    EXPECT_FALSE(sim::SetFault(f, QStringLiteral("silentUdp"), QStringLiteral("yes"), &error));
    EXPECT_FALSE(sim::SetFault(f, QStringLiteral("silence"), QStringLiteral("1"), &error));
    EXPECT_TRUE(error.contains(QLatin1String("silence")));
    EXPECT_EQ(f.delayMs, 250);
    EXPECT_EQ(f.forceStatus, 409);
}

// Over loopback; skips where the namespace's loopback is down.
TEST(ScenarioControlChannel, StateFaultsAndQuitOverHttp) {
    sim::SimState state(sim::DefaultScenario());
    sim::Journal journal;
    std::atomic<int> quits{0};
    sim::ControlChannel channel(state, journal, [&quits] { ++quits; });
    QString error;
    ASSERT_TRUE(channel.start(0, &error)) << error.toStdString();
    httplib::Client client("127.0.0.1", channel.port());
    client.set_connection_timeout(5);
    const auto probe = client.Get("/state");
    if (!probe) {
        GTEST_SKIP() << "loopback is down in this namespace";
    }
    ASSERT_EQ(probe->status, 200);
    const auto shown = sim::ParseScenario(QByteArray::fromStdString(probe->body), &error);
    ASSERT_TRUE(shown) << error.toStdString();
    EXPECT_EQ(shown->recorders.size(), 1);

    auto res =
        client.Post("/faults?device=00:1C:2A:78:0E:01&silentUdp=1&delayMs=300", "", "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    // One bad knob and the whole request changes nothing.
    res = client.Post("/faults?device=10.77.0.10&silentUdp=0&delayMs=x", "", "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    res = client.Post("/faults?device=10.77.0.99&silentUdp=1", "", "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404);
    state.with([](sim::Scenario& s) {
        EXPECT_TRUE(s.recorders[0].faults.silentUdp);
        EXPECT_EQ(s.recorders[0].faults.delayMs, 300);
    });

    res = client.Post("/quit", "", "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(quits.load(), 1);
    channel.stop();
}

}  // namespace
