// Changes made to a running scenario: merge semantics, all-or-nothing refusals that name the
// field, camera lists, override queues, and what the recorder then answers.

#include <gtest/gtest.h>

#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "ScenarioEdit.h"
#include "ScenarioJson.h"
#include "SimState.h"
#include "TimeZones.h"

using namespace sim;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");

class EditTest : public ::testing::Test {
protected:
    EditTest() : state(simtest::SmallScenario()), recorder(state, kMac, [] { return 0; }) {}

    ControlAnswer set(const QString& device, const QByteArray& json) {
        return state.with([&](Scenario& s) { return SetFields(s, device, json); });
    }
    QByteArray snapshot() {
        return state.with([](Scenario& s) { return ScenarioToJson(s); });
    }
    QByteArray body(const QByteArray& target) {
        const HttpReply reply = recorder.handle(simtest::Get(target, simtest::BasicHeader(auth)));
        EXPECT_EQ(reply.status, 200) << target.toStdString() << ": " << reply.body.toStdString();
        return reply.body;
    }
    // A refusal must change nothing at all, not even the fields before the bad one.
    void expectRefused(const QString& device, const QByteArray& json, int status,
                       const char* reason) {
        const QByteArray before = snapshot();
        const ControlAnswer answer = set(device, json);
        EXPECT_EQ(answer.status, status) << json.toStdString();
        EXPECT_TRUE(answer.text.contains(QLatin1String(reason)))
            << json.toStdString() << "\n  gave: " << answer.text.toStdString();
        EXPECT_EQ(snapshot(), before) << json.toStdString();
    }

    QByteArray auth = "admin:";
    SimState state;
    HttpRecorder recorder;
};

TEST_F(EditTest, RecorderValuesMergeAndTheRecorderAnswersWithThem) {
    const ControlAnswer answer =
        set(QStringLiteral("10.77.0.10"),
            R"({"drive": {"plug": "1", "ready": "0", "type": "2", "deviceName": "HD9",
                          "modelName": "WD40", "usedPartition": "2", "partitionInfo": "2,1,9,9,0,3",
                          "dataMatch": "1", "formatDurationMs": 10},
                "currentZone": 13, "deviceName": "Hall NVR", "adminPassword": "Set#1",
                "portal": {"status": "1", "portalNumber": "77"}})");
    ASSERT_EQ(answer.status, 200) << answer.text.toStdString();
    EXPECT_TRUE(answer.text.startsWith(QLatin1String("ok")));

    auth = "admin:Set#1";
    EXPECT_EQ(body("/config/storageinfo?storageid=0"),
              "plug=1\r\nready=0\r\ntype=2\r\ndevicename=HD9\r\nmodelname=WD40\r\n"
              "usedpartition=2\r\npartitioninfo2=2,1,9,9,0,3\r\n");
    EXPECT_EQ(body("/config/datamatch"), "match=1\r\n");
    EXPECT_TRUE(body("/config/datetime").startsWith("timezone=13\r\n"));
    const QByteArray portal = body("/config/nubraportal");
    EXPECT_TRUE(portal.startsWith("status=1\r\naccess=1\r\n")) << "access kept by the merge";
    EXPECT_TRUE(portal.contains("portal_number=77\r\n"));
    EXPECT_TRUE(portal.contains("portal_dfp=5A3F9C27E1D04B88\r\n")) << "untouched field kept";
    state.with([](Scenario& s) { EXPECT_EQ(s.recorders[0].deviceName, "Hall NVR"); });
}

TEST_F(EditTest, MapsAndListsAreReplacedWhole) {
    ASSERT_EQ(set(kMac, R"({"timeZones": {"2": ["A", "B"], "7": ["P"]}})").status, 200);
    ASSERT_EQ(set(kMac, R"({"timeZones": {"7": ["Q"]}})").status, 200);
    EXPECT_EQ(body("/config/timezonelist?language=7"), "timezonelist=Q");
    EXPECT_TRUE(body("/config/timezonelist?language=2")
                    .startsWith("timezonelist=(GMT-12:00) International Date Line West;"))
        << "language 2 is gone, so it answers the built-in list";

    ASSERT_EQ(set(QStringLiteral("portal"),
                  R"({"accounts": [{"email": "new@example.com", "password": "Pw-123456"}],
                      "replies": {"bind": "BINDERR002"}})")
                  .status,
              200);
    ASSERT_EQ(set(QStringLiteral("portal"), R"({"replies": {"signin": "SIGNINERR003"}})").status,
              200);
    state.with([](Scenario& s) {
        ASSERT_EQ(s.portal.accounts.size(), 1);
        EXPECT_EQ(s.portal.accounts[0].email, "new@example.com");
        EXPECT_EQ(s.portal.replies, (QMap<QString, QString>{{"signin", "SIGNINERR003"}}));
    });

    ASSERT_EQ(set(kMac, R"({"cameras": [{"ip": "10.77.0.40", "mac": "00:1c:2a:00:00:40",
                                        "addedFlag": "1", "model": "M40"}]})")
                  .status,
              200);
    EXPECT_EQ(body("/live/avdevlist"),
              "avdevid=0;avdevname=M40;hostname=10.77.0.40;hostid=00:1c:2a:00:00:40;protocol=;"
              "protocoltype=;brand=;product=M40\r\n");
}

TEST_F(EditTest, BadValuesNameTheFieldAndChangeNothing) {
    // The first fields are fine; the bad one later must still leave them unchanged.
    expectRefused(kMac, R"({"deviceName": "X", "drive": {"plug": 1}})", 400,
                  "drive.plug: expected a string");
    expectRefused(kMac, R"({"currentZone": 13, "drive": {"formatDurationMs": -5}})", 400,
                  "drive.formatDurationMs: -5 is out of range");
    expectRefused(kMac, R"({"currentZone": 201})", 400, "currentZone: 201 is out of range");
    expectRefused(kMac, R"({"drive": {"formatHoldAt": 100}})", 400, "drive.formatHoldAt");
    expectRefused(kMac, R"({"timeZones": {"x": ["a"]}})", 400, "timeZones.x");
    expectRefused(kMac, R"({"cameras": [{"ip": "10.77.0.40"}]})", 400, "cameras[0].mac: missing");
    expectRefused(kMac, R"({"drive": {"plugg": "1"}})", 400, "drive.plugg: unknown field");
    expectRefused(kMac, R"({"mac": "00:1c:2a:78:0e:99"})", 400, "mac: a running recorder keeps");
    expectRefused(kMac, R"({"deviceName": )", 400, "not valid JSON");
    expectRefused(kMac, R"(["deviceName"])", 400, "expected a JSON object");
    expectRefused(QStringLiteral("10.77.0.22"), R"({"httpPort": -1})", 400,
                  "httpPort: -1 is out of range");
    expectRefused(QStringLiteral("portal"), R"({"replies": {"login": "x"}})", 400,
                  "replies.login: unknown request");
    expectRefused(QStringLiteral("10.77.0.99"), R"({"deviceName": "X"})", 404, "10.77.0.99");
    expectRefused(QString(), R"({"deviceName": "X"})", 404, "no device");

    // The MAC may be given in any case; that is no change.
    EXPECT_EQ(set(kMac, R"({"mac": "00:1C:2A:78:0E:01"})").status, 200);
}

TEST_F(EditTest, CamerasMoveAndAreAddedAndRemovedWithoutClashes) {
    // Moving a camera is a merge on the camera itself, found by MAC or address.
    ASSERT_EQ(set(QStringLiteral("00:1C:2A:00:00:22"), R"({"ip": "10.77.0.30"})").status, 200);
    EXPECT_TRUE(body("/config/nubradiscovery").contains("\r\n0;10.77.0.30;00:1c:2a:00:00:22;"));
    expectRefused(QStringLiteral("10.77.0.30"), R"({"ip": "10.77.0.21"})", 400,
                  "ip: 10.77.0.21:80 is already camera 00:1c:2a:00:00:21's");
    // Another port on the same address is another place.
    EXPECT_EQ(set(QStringLiteral("10.77.0.30"), R"({"ip": "10.77.0.21", "httpPort": 81})").status,
              200);

    const auto add = [&](const QByteArray& json) {
        return state.with([&](Scenario& s) { return AddCamera(s, kMac, json); });
    };
    const ControlAnswer added =
        add(R"({"ip": "10.77.0.31", "mac": "00:1c:2a:00:00:31", "addedFlag": "1"})");
    ASSERT_EQ(added.status, 200) << added.text.toStdString();
    EXPECT_TRUE(added.text.contains(QLatin1String("number 2")));
    EXPECT_TRUE(body("/live/avdevlist").contains("avdevid=2;avdevname=;hostname=10.77.0.31;"));

    const QByteArray before = snapshot();
    EXPECT_EQ(add(R"({"ip": "10.77.0.32", "mac": "00:1C:2A:00:00:31"})").status, 400) << "MAC";
    EXPECT_EQ(add(R"({"ip": "10.77.0.31", "mac": "00:1c:2a:00:00:32"})").status, 400) << "place";
    EXPECT_EQ(add(R"({"ip": "10.77.0.32"})").status, 400);
    EXPECT_EQ(add(R"({"ip": "10.77.0.32", "mac": "00:1c:2a:00:00:32", "port": 80})").status, 400);
    EXPECT_EQ(state
                  .with([](Scenario& s) {
                      return AddCamera(s, QStringLiteral("10.77.0.21"),
                                       R"({"ip": "10.77.0.33", "mac": "00:1c:2a:00:00:33"})");
                  })
                  .status,
              404)
        << "a camera holds no cameras";
    EXPECT_EQ(snapshot(), before);

    const auto remove = [&](const QString& camera) {
        return state.with([&](Scenario& s) { return RemoveCamera(s, kMac, camera); });
    };
    EXPECT_EQ(remove(QStringLiteral("10.77.0.99")).status, 404);
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(remove(QStringLiteral("00:1C:2A:00:00:21")).status, 200);
    // The places after it move up: the added camera is channel 1 now.
    EXPECT_TRUE(body("/live/avdevlist").startsWith("avdevid=1;avdevname=;hostname=10.77.0.31;"));
    ASSERT_EQ(remove(QStringLiteral("10.77.0.31")).status, 200);
    EXPECT_EQ(body("/live/avdevlist"), "");
}

TEST_F(EditTest, OverrideQueuesGrowAndClear) {
    const auto params = [](QList<QPair<QString, QString>> list) {
        QString error;
        auto entry = OverrideFromParameters(list, &error);
        return std::make_pair(entry, error);
    };
    const auto [full, noError] = params({{"path", "/config/datetime"},
                                         {"query", "timezone="},
                                         {"status", "500"},
                                         {"body", "123"},
                                         {"delayMs", "20"},
                                         {"silent", "false"},
                                         {"times", "0"}});
    ASSERT_TRUE(full) << noError.toStdString();
    EXPECT_EQ(full->path, "/config/datetime");
    EXPECT_EQ(full->queryPrefix, "timezone=");
    EXPECT_EQ(full->status, 500);
    EXPECT_EQ(full->body, QStringLiteral("123")) << "a body of digits stays text";
    EXPECT_EQ(full->delayMs, 20);
    EXPECT_EQ(full->times, 0);
    EXPECT_EQ(params({{"path", "/x"}}).first->times, 1) << "once by default";

    const struct {
        QList<QPair<QString, QString>> params;
        const char* reason;
    } bad[] = {
        {{{"status", "500"}}, "path: expected a path"},
        {{{"path", "config/datetime"}}, "path: expected a path"},
        {{{"path", "/config/datetime?timezone=1"}}, "the query goes into"},
        {{{"path", "/x"}, {"status", "42"}}, "status: expected 0 or an HTTP status"},
        {{{"path", "/x"}, {"status", "5x"}}, "status: expected an integer"},
        {{{"path", "/x"}, {"times", "-1"}}, "times: -1 is out of range"},
        {{{"path", "/x"}, {"delayMs", "600001"}}, "delayMs: 600001 is out of range"},
        {{{"path", "/x"}, {"silent", "yes"}}, "silent: expected 1, 0, true or false"},
        {{{"path", "/x"}, {"stauts", "500"}}, "stauts: unknown field"},
    };
    for (const auto& c : bad) {
        const auto [entry, error] = params(c.params);
        EXPECT_FALSE(entry) << c.reason;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }

    QString error;
    const auto list = OverridesFromBody(
        R"([{"path": "/a", "status": 500}, {"path": "/a", "delayMs": 5, "times": 2}])", &error);
    ASSERT_TRUE(list) << error.toStdString();
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(1).times, 2);
    EXPECT_FALSE(OverridesFromBody(R"([{"path": "/a"}, {"path": "b"}])", &error));
    EXPECT_TRUE(error.startsWith(QLatin1String("[1].path"))) << error.toStdString();

    state.with([&](Scenario& s) {
        EXPECT_EQ(AddOverrides(s, kMac, *list).status, 200);
        EXPECT_EQ(AddOverrides(s, QStringLiteral("10.77.0.22"), *list).status, 200);
        EXPECT_EQ(AddOverrides(s, QStringLiteral("portal"), {list->at(0)}).status, 200);
        EXPECT_EQ(AddOverrides(s, QStringLiteral("10.77.0.99"), *list).status, 404);
        EXPECT_EQ(s.recorders[0].overrides.size(), 2);
        EXPECT_EQ(s.recorders[0].cameras[1].overrides.size(), 2);
        EXPECT_EQ(s.portal.overrides.size(), 1);

        const quint64 clears = s.overrideClears;
        EXPECT_EQ(ClearOverrides(s, kMac, QStringLiteral("/b")).text,
                  "ok cleared 0 overrides, 2 pending");
        EXPECT_EQ(ClearOverrides(s, kMac, QStringLiteral("/a")).text,
                  "ok cleared 2 overrides, 0 pending");
        EXPECT_EQ(ClearOverrides(s, QStringLiteral("10.77.0.22"), QString()).status, 200);
        EXPECT_TRUE(s.recorders[0].cameras[1].overrides.isEmpty());
        EXPECT_EQ(s.portal.overrides.size(), 1) << "another device's queue";
        EXPECT_EQ(s.overrideClears, clears + 3);
    });
}

TEST(ScenarioRuntimeFields, DefaultZoneIsARealSlotAndNewFieldsReadBack) {
    const Scenario s = DefaultScenario();
    const Recorder& r = s.recorders[0];
    const QStringList zones = TimeZonesFor(r, 4);
    ASSERT_GE(r.currentZone, 1);
    ASSERT_LE(r.currentZone, zones.size());
    EXPECT_EQ(zones.at(r.currentZone - 1), "(GMT) Dublin, Edinburgh, Lisbon, London");

    QString error;
    const auto none = ParseScenario(R"({"recorders": [{"currentZone": 0}]})", &error);
    ASSERT_TRUE(none) << error.toStdString();
    EXPECT_EQ(none->recorders[0].currentZone, 0) << "0 still says no zone";

    // What code may build reads back: free ports, an unserved camera, no portal.
    const auto bare = ParseScenario(R"({"recorders": [{"httpPort": 0, "httpsPort": 0,
                                        "cameras": [{"ip": "10.77.0.9", "mac": "00:1c:2a:00:00:09",
                                                     "httpPort": 0}]}],
                                        "portal": {"ip": "", "httpsPort": 0}})",
                                    &error);
    ASSERT_TRUE(bare) << error.toStdString();
    EXPECT_TRUE(bare->portal.ip.isEmpty());
    EXPECT_FALSE(ParseScenario(R"({"portal": {"ip": "10.77.0"}})", &error));
    EXPECT_TRUE(error.startsWith(QLatin1String("portal.ip: not an IPv4 address")));

    Scenario edited = s;
    edited.recorders[0].drive.formatHoldAt = 0;
    edited.recorders[0].overrides.append(
        ReplyOverride{"/config/datetime", "timezone=", 500, QStringLiteral(""), 0, false, 2});
    edited.recorders[0].cameras[0].overrides.append(ReplyOverride{"/image/jpeg.cgi"});
    edited.portal.overrides.append(ReplyOverride{"/signin", {}, 0, std::nullopt, 10, true, 0});
    const QByteArray json = ScenarioToJson(edited);
    const auto back = ParseScenario(json, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(ScenarioToJson(*back), json);
    EXPECT_EQ(back->recorders[0].drive.formatHoldAt, 0);
    ASSERT_EQ(back->recorders[0].overrides.size(), 1);
    EXPECT_EQ(back->recorders[0].overrides[0].body, QString()) << "an empty body is a body";
    EXPECT_FALSE(back->portal.overrides[0].body) << "no body stays none";
    EXPECT_TRUE(back->portal.overrides[0].silent);
}

}  // namespace
