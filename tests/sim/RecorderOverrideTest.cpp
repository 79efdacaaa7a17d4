// Reply overrides and the held format, driven in-process through the device handlers: the
// order overrides are taken in, what they answer, and a format that stops where it is told.

#include <gtest/gtest.h>

#include "CameraHttp.h"
#include "HttpRecorder.h"
#include "HttpTestSupport.h"
#include "PortalHttp.h"
#include "ReplyOverride.h"
#include "ScenarioEdit.h"
#include "SimState.h"

using namespace sim;
using simtest::BasicHeader;

namespace {

const QString kMac = QStringLiteral("00:1c:2a:78:0e:01");

ReplyOverride Entry(const QString& path, int status, int times) {
    ReplyOverride o;
    o.path = path;
    o.status = status;
    o.times = times;
    return o;
}

class OverrideTest : public ::testing::Test {
protected:
    OverrideTest()
        : state(simtest::SmallScenario()), recorder(state, kMac, [this] { return now; }) {}

    HttpReply get(const QByteArray& target) {
        return recorder.handle(simtest::Get(target, BasicHeader("admin:")));
    }
    void add(const ReplyOverride& entry) {
        state.with([&](Scenario& s) { s.recorders[0].overrides.append(entry); });
    }
    qsizetype pending() {
        return state.with([](Scenario& s) { return s.recorders[0].overrides.size(); });
    }
    QByteArray poll() {
        const HttpReply reply = get("/config/storageformatpoll");
        EXPECT_EQ(reply.status, 200);
        return reply.body;
    }
    template <typename F>
    void edit(F&& f) {
        state.with([&](Scenario& s) { f(s.recorders[0]); });
    }

    qint64 now = 1'700'000'000'000;
    SimState state;
    HttpRecorder recorder;
};

TEST_F(OverrideTest, FirstRequestFailsThenTheRecorderAnswers) {
    add(Entry(QStringLiteral("/config/datetime"), 500, 1));
    const HttpReply first = get("/config/datetime");
    EXPECT_EQ(first.status, 500);
    EXPECT_EQ(first.body, "500\r\n");
    EXPECT_TRUE(first.overridden);
    EXPECT_EQ(pending(), 0) << "used up";
    const HttpReply second = get("/config/datetime");
    EXPECT_EQ(second.status, 200);
    EXPECT_TRUE(second.body.startsWith("timezone=45\r\n"));
    EXPECT_FALSE(second.overridden);
}

TEST_F(OverrideTest, OnlyItsPathAndQueryPrefixTakeIt) {
    ReplyOverride set = Entry(QStringLiteral("/config/datetime"), 0, 1);
    set.queryPrefix = QStringLiteral("timezone=");
    set.body = QStringLiteral("400 Bad Request");
    add(set);
    // Another path, a longer path, the path without the query or with another one: none of
    // them takes the entry.
    EXPECT_EQ(get("/config/datetimex?timezone=3").status, 404);
    EXPECT_EQ(get("/config/timezonelist?language=4").status, 200);
    EXPECT_TRUE(get("/config/datetime").body.startsWith("timezone=45\r\n"));
    EXPECT_TRUE(get("/config/datetime?time=1").body.startsWith("timezone=45\r\n"));
    EXPECT_EQ(pending(), 1);

    // A body without a status answers 200; the recorder itself never sees the request.
    const HttpReply refused = get("/config/datetime?timezone=13");
    EXPECT_EQ(refused.status, 200);
    EXPECT_EQ(refused.body, "400 Bad Request");
    EXPECT_TRUE(get("/config/datetime").body.startsWith("timezone=45\r\n")) << "zone unchanged";
    EXPECT_EQ(get("/config/datetime?timezone=13").body, "timezone=13\r\n");
}

TEST_F(OverrideTest, EntriesOfOnePathAreTakenInTheOrderAdded) {
    add(Entry(QStringLiteral("/config/datamatch"), 0, 1));  // the first passes through
    add(Entry(QStringLiteral("/config/datamatch"), 503, 2));
    add(Entry(QStringLiteral("/config/storageinfo"), 409, 1));
    ReplyOverride late = Entry(QStringLiteral("/config/datamatch"), 0, 1);
    late.delayMs = 250;
    add(late);

    const HttpReply through = get("/config/datamatch");
    EXPECT_EQ(through.status, 200);
    EXPECT_EQ(through.body, "match=0\r\n");
    EXPECT_TRUE(through.overridden) << "taken, though it changed nothing";
    EXPECT_EQ(get("/config/datamatch").status, 503);
    EXPECT_EQ(get("/config/storageinfo?storageid=0").status, 409);
    EXPECT_EQ(get("/config/datamatch").status, 503);
    const HttpReply delayed = get("/config/datamatch");
    EXPECT_EQ(delayed.status, 200);
    EXPECT_EQ(delayed.body, "match=0\r\n");
    EXPECT_EQ(delayed.holdMs, 250) << "the transport holds it back";
    const HttpReply normal = get("/config/datamatch");
    EXPECT_FALSE(normal.overridden);
    EXPECT_EQ(normal.holdMs, 0);
    EXPECT_EQ(pending(), 0);
}

TEST_F(OverrideTest, ForeverStaysUntilClearedAndStandsBeforeAuthentication) {
    add(Entry(QStringLiteral("/config/storageinfo"), 500, 0));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(get("/config/storageinfo?storageid=0").status, 500);
    }
    EXPECT_EQ(recorder.handle(simtest::Get("/config/storageinfo")).status, 500)
        << "no credentials needed to be refused";
    EXPECT_EQ(pending(), 1);
    // Entries after a forever one are never reached.
    add(Entry(QStringLiteral("/config/storageinfo"), 409, 1));
    EXPECT_EQ(get("/config/storageinfo?storageid=0").status, 500);

    quint64 clears = 0;
    state.with([&](Scenario& s) {
        clears = s.overrideClears;
        ClearOverrides(s, kMac, QString());
    });
    EXPECT_EQ(get("/config/storageinfo?storageid=0").status, 200);

    // A silent entry remembers the clears count it was taken under, which a clear then moves.
    ReplyOverride silent = Entry(QStringLiteral("/config/datamatch"), 0, 1);
    silent.silent = true;
    add(silent);
    const HttpReply held = get("/config/datamatch");
    EXPECT_TRUE(held.silent);
    EXPECT_EQ(held.silentUntilClears, clears + 1);
}

TEST_F(OverrideTest, CamerasAndThePortalHaveQueuesOfTheirOwn) {
    CameraHttp camera(state, QStringLiteral("10.77.0.21"), 80);
    PortalHttp portal(state);
    state.with([](Scenario& s) {
        ReplyOverride jpeg = Entry(QStringLiteral("/image/jpeg.cgi"), 0, 1);
        jpeg.body = QStringLiteral("not a picture");
        s.recorders[0].cameras[0].overrides.append(jpeg);
        ReplyOverride signIn = Entry(QStringLiteral("/account/"), 0, 1);
        signIn.queryPrefix = QStringLiteral("signin");
        signIn.body = QStringLiteral("SIGNINERR003");
        s.portal.overrides.append(signIn);
    });
    const QByteArray cameraAuth = BasicHeader("admin:Cam-Pass1");
    EXPECT_EQ(camera.handle(simtest::Get("/image/jpeg.cgi", cameraAuth)).body, "not a picture");
    EXPECT_TRUE(
        camera.handle(simtest::Get("/image/jpeg.cgi", cameraAuth)).body.endsWith("\xFF\xD9"));
    // The recorder's own requests do not touch the camera's queue, nor the other way round.
    EXPECT_EQ(get("/config/datamatch").status, 200);

    const QByteArray form = "email=owner@example.com&password=Portal-Pass1\r\n\r\n";
    EXPECT_EQ(portal.handle(simtest::Post("/account/?signin", form)).body, "SIGNINERR003");
    EXPECT_EQ(portal.handle(simtest::Post("/account/?signin", form)).body, "success");
}

TEST_F(OverrideTest, FormatHeldAtZeroReportsZeroUntilReleased) {
    edit([](Recorder& r) {
        r.drive.formatDurationMs = 1000;
        r.drive.formatHoldAt = 0;
    });
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=2").status, 200);
    for (int i = 0; i < 4; ++i) {
        now += 10'000;
        EXPECT_EQ(poll(), "status=0\r\n");
    }
    EXPECT_TRUE(get("/config/storageinfo?storageid=0").body.contains("ready=0\r\n"));
    EXPECT_EQ(get("/config/datamatch").body, "match=0\r\n");

    // Released, it goes on from where it was held at its own rate.
    edit([](Recorder& r) { r.drive.formatHoldAt = -1; });
    now += 300;
    EXPECT_EQ(poll(), "status=30\r\n");
    now += 700;
    EXPECT_EQ(poll(), "status=100\r\n");
    EXPECT_TRUE(get("/config/storageinfo?storageid=0").body.contains("ready=1\r\n"));
}

TEST_F(OverrideTest, FormatHeldMidwayNeverReadsLessOrMoreThanTheHold) {
    edit([](Recorder& r) {
        r.drive.formatDurationMs = 333;  // uneven, so rounding would show
        r.drive.formatHoldAt = 30;
    });
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=1").status, 200);
    now += 50;
    EXPECT_EQ(poll(), "status=15\r\n") << "below the hold it runs as usual";
    now += 5'000;
    EXPECT_EQ(poll(), "status=30\r\n");
    now += 5'000;
    EXPECT_EQ(poll(), "status=30\r\n");
    edit([](Recorder& r) { r.drive.formatHoldAt = -1; });
    EXPECT_EQ(poll(), "status=30\r\n") << "no jump and no step back on release";

    // Held below what it had reached, it reports the hold from then on.
    now += 100;
    EXPECT_EQ(poll(), "status=60\r\n");
    edit([](Recorder& r) { r.drive.formatHoldAt = 20; });
    EXPECT_EQ(poll(), "status=20\r\n");
    edit([](Recorder& r) { r.drive.formatHoldAt = -1; });
    now += 1'000;
    EXPECT_EQ(poll(), "status=100\r\n");
}

TEST_F(OverrideTest, HeldFormatStillFailsWhenToldTo) {
    edit([](Recorder& r) {
        r.drive.formatDurationMs = 1000;
        r.drive.formatHoldAt = 40;
    });
    ASSERT_EQ(get("/config/storageformat?storageid=0&partition=0&fs=1").status, 200);
    now += 5'000;
    EXPECT_EQ(poll(), "status=40\r\n");
    edit([](Recorder& r) { r.faults.failFormat = true; });
    const HttpReply failed = get("/config/storageformatpoll");
    EXPECT_EQ(failed.status, 409);
    EXPECT_EQ(failed.body, "status=40\r\n");
    EXPECT_TRUE(get("/config/storageinfo?storageid=0").body.contains("ready=0\r\n"));
}

}  // namespace
