// The control channel over loopback against running listeners (the suite runs in its own
// network namespace): request parsing, edits the devices answer with at once, reply overrides
// on the wire, recorders on free ports, and edits racing with requests.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

#include "ControlChannel.h"
#include "HttpServers.h"
#include "HttpTestSupport.h"
#include "Journal.h"
#include "ScenarioJson.h"
#include "SimState.h"
#include "unit/TestSupport.h"

using namespace sim;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");
constexpr int kCameraPort = 18181;

// One recorder on free ports of 127.0.0.1, one camera on 127.0.0.5 and no portal.
Scenario LoopbackScenario() {
    Scenario scenario = simtest::SmallScenario();
    Recorder& recorder = scenario.recorders[0];
    recorder.ip = QStringLiteral("127.0.0.1");
    recorder.httpPort = 0;
    recorder.httpsPort = 0;
    recorder.cameras.removeLast();
    recorder.cameras[0].ip = QStringLiteral("127.0.0.5");
    recorder.cameras[0].httpPort = kCameraPort;
    scenario.portal.ip.clear();
    return scenario;
}

int StatusOf(httplib::Client& client, const char* path) {
    const auto res = client.Get(path);
    return res ? res->status : 0;
}

bool HasNote(const Journal& journal, const QString& part) {
    for (const QJsonObject& entry : journal.entries()) {
        if (entry.value("type").toString() == QLatin1String("note") &&
            entry.value("text").toString().contains(part)) {
            return true;
        }
    }
    return false;
}

// The statuses the journal recorded for one request target, in order.
QList<int> Statuses(const Journal& journal, const QString& target) {
    QList<int> statuses;
    for (const QJsonObject& entry : journal.entries()) {
        if (entry.value("type").toString() == QLatin1String("http") &&
            entry.value("target").toString() == target) {
            statuses.append(entry.value("status").toInt());
        }
    }
    return statuses;
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(servers.start(&error)) << error.toStdString();
        ASSERT_TRUE(channel.start(0, &error)) << error.toStdString();
        control = std::make_unique<httplib::Client>("127.0.0.1", channel.port());
        control->set_read_timeout(30, 0);
        recorder = std::make_unique<httplib::Client>("127.0.0.1", servers.boundPort(kMac, false));
        recorder->set_basic_auth("admin", "");
        recorder->set_read_timeout(30, 0);
    }
    void TearDown() override {
        channel.stop();
        servers.stop();
    }

    std::pair<int, std::string> post(const std::string& target, const std::string& body = {},
                                     const char* type = "application/json") {
        const auto res = control->Post(target.c_str(), body, type);
        if (!res) {
            ADD_FAILURE() << target << ": " << httplib::to_string(res.error());
            return {0, {}};
        }
        return {res->status, res->body};
    }
    std::string stateJson() {
        const auto res = control->Get("/state");
        return res ? res->body : std::string();
    }
    int status(const char* path) { return StatusOf(*recorder, path); }
    std::string body(const char* path) {
        const auto res = recorder->Get(path);
        EXPECT_TRUE(res && res->status == 200) << path;
        return res ? res->body : std::string();
    }

    SimState state{LoopbackScenario()};
    Journal journal{Journal::InMemory{}};
    HttpServers servers{state, journal, QString()};
    ControlChannel channel{state, journal, {}, [this] { return servers.serveNewCameras(); }};
    std::unique_ptr<httplib::Client> control;
    std::unique_ptr<httplib::Client> recorder;
};

TEST(ControlPorts, RecorderAloneOnLoopbackTakesFreePortsWrittenBackIntoTheScenario) {
    Scenario scenario = LoopbackScenario();
    scenario.recorders[0].cameras.clear();
    SimState state(scenario);
    QString error;
    ASSERT_TRUE(ParseScenario(ScenarioToJson(scenario), &error)) << "/state reads back";
    Journal journal{Journal::InMemory{}};
    HttpServers servers(state, journal, QString());
    ASSERT_TRUE(servers.start(&error)) << error.toStdString();

    const int http = servers.boundPort(QStringLiteral("00:1C:2A:78:0E:01"), false);
    const int https = servers.boundPort(kMac, true);
    EXPECT_GT(http, 0);
    EXPECT_GT(https, 0);
    EXPECT_NE(http, https);
    EXPECT_EQ(servers.boundPort(QStringLiteral("00:1c:2a:78:0e:02"), false), 0);
    state.with([&](Scenario& s) {
        EXPECT_EQ(s.recorders[0].httpPort, http) << "the search reply carries the real port";
        EXPECT_EQ(s.recorders[0].httpsPort, https);
    });

    httplib::Client plain("127.0.0.1", http);
    plain.set_basic_auth("admin", "");
    const auto portal = plain.Get("/config/nubraportal");
    ASSERT_TRUE(portal);
    EXPECT_NE(
        portal->body.find(
            QStringLiteral("localhyperlink=http://127.0.0.1:%1/\r\n").arg(http).toStdString()),
        std::string::npos)
        << portal->body;
    httplib::SSLClient secure("127.0.0.1", https);
    secure.enable_server_certificate_verification(false);
    secure.set_basic_auth("admin", "");
    const auto match = secure.Get("/config/datamatch");
    ASSERT_TRUE(match) << httplib::to_string(match.error());
    EXPECT_EQ(match->body, "match=0\r\n");

    servers.stop();
    EXPECT_EQ(servers.boundPort(kMac, false), 0);
    // The in-memory journal kept the request and its answer.
    EXPECT_EQ(Statuses(journal, QStringLiteral("/config/datamatch")), QList<int>{200});
    EXPECT_TRUE(HasNote(journal, QStringLiteral("listening: recorder 00:1c:2a:78:0e:01 (HTTPS)")));
}

TEST_F(ControlTest, SetChangesWhatTheRecorderAnswersAndRefusesWithoutChange) {
    auto [code, text] = post("/set?device=127.0.0.1", R"({"drive": {"plug": "0"}})");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(body("/config/storageinfo?storageid=0").rfind("plug=0\r\nready=0\r\n", 0), 0u);
    // curl -d sends a form type; the body is still read as JSON.
    std::tie(code, text) = post("/set?device=00:1C:2A:78:0E:01", R"({"drive": {"plug": "1"}})",
                                "application/x-www-form-urlencoded");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(body("/config/storageinfo?storageid=0").rfind("plug=1\r\nready=1\r\n", 0), 0u);

    const std::string before = stateJson();
    std::tie(code, text) = post("/set?device=127.0.0.1", R"({"currentZone": 9, "drive": []})");
    EXPECT_EQ(code, 400);
    EXPECT_EQ(text, "drive: expected an object\n");
    std::tie(code, text) = post("/set?device=127.0.0.9", R"({"currentZone": 9})");
    EXPECT_EQ(code, 404);
    std::tie(code, text) = post("/set", R"({"currentZone": 9})");
    EXPECT_EQ(code, 400);
    EXPECT_NE(text.find("missing device"), std::string::npos);
    EXPECT_EQ(stateJson(), before);
    EXPECT_TRUE(HasNote(journal, QStringLiteral("control: 127.0.0.1 ok set drive")));
}

TEST_F(ControlTest, CamerasAreAddedMovedAndRemovedAndServedWhereTheyAre) {
    httplib::Client atFirst("127.0.0.5", kCameraPort);
    atFirst.set_basic_auth("admin", "Cam-Pass1");
    EXPECT_EQ(StatusOf(atFirst, "/image/jpeg.cgi"), 200);

    auto [code, text] = post("/set?device=127.0.0.5", R"({"ip": "127.0.0.6"})");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(text.find("not served"), std::string::npos) << text;
    EXPECT_EQ(StatusOf(atFirst, "/image/jpeg.cgi"), 404) << "nothing there any more";
    httplib::Client moved("127.0.0.6", kCameraPort);
    moved.set_basic_auth("admin", "Cam-Pass1");
    const auto frame = moved.Get("/image/jpeg.cgi");
    ASSERT_TRUE(frame) << "a listener started on the new address";
    EXPECT_EQ(frame->status, 200);
    EXPECT_TRUE(body("/config/nubradiscovery").rfind("1;127.0.0.6;", 0) == 0);

    std::tie(code, text) =
        post("/cameras?device=127.0.0.1&add",
             R"({"ip": "127.0.0.7", "mac": "00:1c:2a:00:00:07", "httpPort": 18181,
                 "adminPassword": "seven", "addedFlag": "1"})");
    EXPECT_EQ(code, 200) << text;
    httplib::Client added("127.0.0.7", kCameraPort);
    added.set_basic_auth("admin", "seven");
    EXPECT_EQ(StatusOf(added, "/image/jpeg.cgi"), 200) << "served on an address new to the sim";

    // An address outside the namespace's interfaces is taken, and said to be unserved.
    std::tie(code, text) = post("/cameras?device=127.0.0.1&add",
                                R"({"ip": "10.255.0.8", "mac": "00:1c:2a:00:00:08"})");
    EXPECT_EQ(code, 200);
    EXPECT_NE(text.find("not served: cannot listen: camera 10.255.0.8 (HTTP) on 10.255.0.8:80"),
              std::string::npos)
        << text;
    std::tie(code, text) = post("/set?device=127.0.0.1", R"({"deviceName": "Again"})");
    EXPECT_EQ(code, 200);
    EXPECT_EQ(text.find("not served"), std::string::npos) << "said once: " << text;

    // Port 0 takes a camera off the network; the listener stays and finds no camera.
    std::tie(code, text) = post("/set?device=127.0.0.6", R"({"httpPort": 0})");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(StatusOf(moved, "/image/jpeg.cgi"), 404);

    std::tie(code, text) = post("/cameras?device=127.0.0.1&remove=00:1C:2A:00:00:07");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(StatusOf(added, "/image/jpeg.cgi"), 404);
    std::tie(code, text) = post("/cameras?device=127.0.0.1&remove=127.0.0.7");
    EXPECT_EQ(code, 404);
    std::tie(code, text) = post("/cameras?device=127.0.0.1");
    EXPECT_EQ(code, 400);
    std::tie(code, text) = post("/cameras?device=127.0.0.1&add&remove=127.0.0.6");
    EXPECT_EQ(code, 400);
    std::tie(code, text) = post("/cameras?device=10.255.0.8&remove=10.255.0.8");
    EXPECT_EQ(code, 404) << "a camera is no recorder";
}

TEST_F(ControlTest, OverridesFromParametersAnswerOnTheWireAndAreJournalled) {
    auto [code, text] = post("/override?device=127.0.0.1&path=/config/datetime&status=500");
    EXPECT_EQ(code, 200) << text;
    std::tie(code, text) = post(
        "/override?device=127.0.0.1&path=/config/datetime&query=timezone%3D&body=400%20Bad"
        "%20Request&times=1");
    EXPECT_EQ(code, 200) << text;
    EXPECT_NE(stateJson().find(R"("query": "timezone=")"), std::string::npos)
        << "/state shows what is pending";

    EXPECT_EQ(status("/config/datetime"), 500);
    EXPECT_EQ(body("/config/datetime?timezone=13"), "400 Bad Request");
    EXPECT_EQ(body("/config/datetime").rfind("timezone=45\r\n", 0), 0u);
    // The library journals an exchange once its answer is out, each connection on its own
    // thread, so two lines may come in either order.
    EXPECT_TRUE(WaitUntil([&] {
        QList<int> statuses = Statuses(journal, QStringLiteral("/config/datetime"));
        std::sort(statuses.begin(), statuses.end());
        return statuses == QList<int>{200, 500};
    })) << "an override is journalled with the status it sent";
    EXPECT_TRUE(HasNote(journal, QStringLiteral("override: recorder 00:1c:2a:78:0e:01 "
                                                "/config/datetime answered 500")));

    // Forever, until cleared; cleared only for its path.
    std::tie(code, text) = post(
        "/override?device=127.0.0.1&path=/config/datamatch&status=409"
        "&times=0");
    EXPECT_EQ(code, 200);
    std::tie(code, text) =
        post("/override?device=127.0.0.1", R"([{"path": "/config/storageinfo", "status": 503}])");
    EXPECT_EQ(code, 200) << text;
    EXPECT_EQ(status("/config/datamatch"), 409);
    EXPECT_EQ(status("/config/datamatch"), 409);
    std::tie(code, text) = post("/override?device=127.0.0.1&clear=1&path=/config/datamatch");
    EXPECT_EQ(code, 200);
    EXPECT_EQ(status("/config/datamatch"), 200);
    EXPECT_EQ(status("/config/storageinfo?storageid=0"), 503);

    const std::string before = stateJson();
    for (const char* bad :
         {"/override?device=127.0.0.1&path=/x&status=abc", "/override?device=127.0.0.1&status=500",
          "/override?device=127.0.0.1&path=/x&colour=red", "/override?device=127.0.0.1&clear=2"}) {
        std::tie(code, text) = post(bad);
        EXPECT_EQ(code, 400) << bad;
    }
    std::tie(code, text) = post("/override?device=127.0.0.1", R"({"path": "/x", "times": -1})");
    EXPECT_EQ(code, 400);
    EXPECT_EQ(text, "times: -1 is out of range 0..1000000\n");
    std::tie(code, text) = post("/override?device=127.0.0.9&path=/x");
    EXPECT_EQ(code, 404);
    EXPECT_EQ(stateJson(), before);
}

TEST_F(ControlTest, DelayedOverrideAnswersNoSoonerThanItsDelay) {
    auto [code, text] =
        post("/override?device=127.0.0.1&path=/config/datamatch&delayMs=300&times=1");
    ASSERT_EQ(code, 200) << text;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(body("/config/datamatch"), "match=0\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_TRUE(HasNote(journal, QStringLiteral("/config/datamatch answered 200 after 300 ms")));
}

TEST_F(ControlTest, SilentOverrideHoldsItsRequestUntilCleared) {
    auto [code, text] = post("/override?device=127.0.0.1&path=/config/datamatch&silent=1");
    ASSERT_EQ(code, 200) << text;
    auto held = std::async(std::launch::async, [port = servers.boundPort(kMac, false)] {
        httplib::Client client("127.0.0.1", port);
        client.set_basic_auth("admin", "");
        client.set_read_timeout(60, 0);
        const auto res = client.Get("/config/datamatch");
        return res ? res->body : std::string("no answer");
    });
    ASSERT_TRUE(
        WaitUntil([&] { return HasNote(journal, QStringLiteral("answered 200, silent")); }));
    EXPECT_EQ(held.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    // The device answers everything else meanwhile, the same path included.
    EXPECT_EQ(body("/config/datamatch"), "match=0\r\n");
    EXPECT_EQ(held.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    std::tie(code, text) = post("/override?device=127.0.0.1&clear=1");
    ASSERT_EQ(code, 200);
    EXPECT_EQ(held.get(), "match=0\r\n");
}

TEST_F(ControlTest, SilentRequestStillHeldAtStopIsLetGo) {
    auto [code, text] = post("/override?device=127.0.0.1&path=/config/datamatch&silent=1");
    ASSERT_EQ(code, 200) << text;
    auto held = std::async(std::launch::async, [port = servers.boundPort(kMac, false)] {
        httplib::Client client("127.0.0.1", port);
        client.set_basic_auth("admin", "");
        client.set_read_timeout(60, 0);
        const auto res = client.Get("/config/datamatch");
        return res ? res->status : 0;
    });
    ASSERT_TRUE(WaitUntil([&] { return HasNote(journal, QStringLiteral("silent")); }));
    servers.stop();  // must not wait for the held request
    EXPECT_EQ(held.get(), 503);
}

// Requests take overrides while the channel adds them and edits the recorder: every override
// is used exactly once, and nothing is torn.
TEST_F(ControlTest, OverridesAndEditsRaceWithRequests) {
    constexpr int kOverrides = 40;
    std::atomic<bool> done{false};
    std::atomic<int> teapots{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 4; ++i) {
        clients.emplace_back([&, port = servers.boundPort(kMac, false)] {
            httplib::Client client("127.0.0.1", port);
            client.set_basic_auth("admin", "");
            while (!done) {
                const auto res = client.Get("/config/datamatch");
                if (res && res->status == 418) {
                    ++teapots;
                }
            }
        });
    }
    std::thread reader([&] {
        while (!done) {
            journal.entries();
        }
    });
    for (int i = 1; i <= kOverrides; ++i) {
        EXPECT_EQ(post("/override?device=127.0.0.1&path=/config/datamatch&status=418").first, 200);
        const std::string zone = "{\"currentZone\": " + std::to_string(i) + "}";
        EXPECT_EQ(post("/set?device=127.0.0.1", zone).first, 200);
    }
    const bool drained = WaitUntil(
        [&] { return state.with([](Scenario& s) { return s.recorders[0].overrides.isEmpty(); }); });
    done = true;
    for (std::thread& client : clients) {
        client.join();
    }
    reader.join();
    ASSERT_TRUE(drained);
    EXPECT_EQ(teapots.load(), kOverrides);
    EXPECT_TRUE(WaitUntil([&] {
        return Statuses(journal, QStringLiteral("/config/datamatch")).count(418) == kOverrides;
    }));
    const std::string zone = "timezone=" + std::to_string(kOverrides) + "\r\n";
    EXPECT_EQ(body("/config/datetime").rfind(zone, 0), 0u);
}

}  // namespace
