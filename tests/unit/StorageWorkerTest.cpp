#include <QByteArray>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "device/DeviceCommandWorker.h"
#include "platform/MessageWindow.h"
#include "shell/Messages.h"
#include "shell/StorageReading.h"
#include "shell/StorageWorker.h"

using namespace std::chrono_literals;

namespace {

constexpr int kGenerousMs = 30000;
const QString kHost = QStringLiteral("127.0.0.1");
const StorageTimings kQuick{1ms, 1ms, 1ms};

LoopbackResponse Ok(std::string body) {
    return LoopbackResponse::Text(200, "OK", std::move(body));
}

// Get fails on these two statuses only.
LoopbackResponse Refused() {
    return LoopbackResponse::Text(401, "Unauthorized", "");
}
LoopbackResponse Conflict() {
    return LoopbackResponse::Text(409, "Conflict", "");
}

LoopbackResponse Silent(std::string body) {
    LoopbackResponse response = Ok(std::move(body));
    response.silent = true;
    return response;
}

struct Words {
    std::int32_t ready = 0;
    std::int32_t fileSystemCode = 0;
    std::int32_t dataMatch = 0;
    bool operator==(const Words&) const = default;
};

void PrintTo(const Words& w, std::ostream* os) {
    *os << "{ready " << w.ready << ", fs " << w.fileSystemCode << ", match " << w.dataMatch << "}";
}

Words WordsOf(const StorageState& state) {
    return {state.driveReady[0].load(), state.fileSystemCode[0].load(), state.dataMatch.load()};
}

// The replies of one pass.
struct Exchange {
    LoopbackResponse info;
    LoopbackResponse match;
};

// A recorder answering pass after pass from a script (the last pass repeats, or the whole
// script when it cycles). At each
// storage-info request it notes the state words: the worker is blocked in that request, so
// they are exactly what the previous pass published.
class ScriptedRecorder {
public:
    explicit ScriptedRecorder(std::vector<Exchange> passes,
                              std::shared_ptr<const StorageState> watched = nullptr,
                              bool cycle = false)
        : script_(std::make_shared<Script>()) {
        script_->passes = std::move(passes);
        script_->cycle = cycle;
        script_->watched = std::move(watched);
        server_.SetHandler(
            [script = script_](const LoopbackRequest& request) { return script->Answer(request); });
    }

    std::uint16_t port() const { return server_.port(); }
    LoopbackHttpServer& server() { return server_; }
    RecorderHttpTarget target() const {
        return {kHost, port(), QStringLiteral("admin"), QStringLiteral("s3cret")};
    }
    int passesBegun() const {
        std::lock_guard lock(script_->mutex);
        return script_->begun;
    }
    std::vector<Words> snapshots() const {
        std::lock_guard lock(script_->mutex);
        return script_->snapshots;
    }
    // Runs the caller's check at the first storage-info request.
    void atFirstPass(std::function<void()> check) {
        std::lock_guard lock(script_->mutex);
        script_->atFirstPass = std::move(check);
    }

private:
    struct Script {
        std::mutex mutex;
        std::vector<Exchange> passes;
        std::shared_ptr<const StorageState> watched;
        std::function<void()> atFirstPass;
        std::vector<Words> snapshots;
        bool cycle = false;
        int begun = 0;

        LoopbackResponse Answer(const LoopbackRequest& request) {
            std::lock_guard lock(mutex);
            const auto row = [this](int pass) {
                const int count = static_cast<int>(passes.size());
                pass = cycle ? pass % count : std::clamp(pass, 0, count - 1);
                return passes.at(static_cast<std::size_t>(pass));
            };
            if (request.target == kStorageInfoPath) {
                if (begun == 0 && atFirstPass) {
                    atFirstPass();
                }
                if (watched) {
                    snapshots.push_back(WordsOf(*watched));
                }
                return row(begun++).info;
            }
            if (request.target == kDataMatchPath) {
                return row(begun - 1).match;
            }
            return LoopbackResponse::Text(404, "Not Found", "");
        }
    };

    std::shared_ptr<Script> script_;
    LoopbackHttpServer server_{[](const LoopbackRequest&) { return Ok(""); }};
};

// Stands in for the hard-drive page: keeps the value of every drive report.
class DrivePage : public platform::MessageWindow<QObject> {
public:
    std::vector<std::intptr_t> reports;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        if (event.message() == msg::kDriveReport) {
            reports.push_back(event.wParam());
        }
    }
};

void DeliverPosted() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

std::string InfoReply(const std::string& ready, const std::string& name,
                      const std::string& partitionInfo = "") {
    return "plug=1\r\nready=" + ready + "\r\ntype=0\r\ndevicename=" + name +
           "\r\nmodelname=WD\r\nusedpartition=1\r\npartitioninfo1=" + partitionInfo + "\r\n";
}

}  // namespace

// --- the reply readers --------------------------------------------------------------------

TEST(StorageReading, ReadyAndDeviceNameAreReadExactly) {
    StorageReading r = ReadStorageInfo("plug=1\r\nready=1\r\ndevicename=sda\r\n");
    EXPECT_TRUE(r.ready);
    EXPECT_EQ(r.deviceName, QStringLiteral("sda"));
    EXPECT_FALSE(r.fileSystemCode.has_value());

    for (const char* body :
         {"ready=0\r\n", "ready=11\r\n", "ready= 1\r\n", "ready=1 \r\n", "Ready=1\r\n", "ready\r\n",
          "", "ready=1\rdevicename=x\r\n", "ready=1\ndevicename=x"}) {
        r = ReadStorageInfo(body);
        EXPECT_FALSE(r.ready) << body;
        EXPECT_TRUE(r.deviceName.isEmpty()) << body;
    }
    // The first of a repeated key wins, as everywhere in the recorder's replies.
    EXPECT_FALSE(ReadStorageInfo("ready=0\r\nready=1\r\n").ready);
}

TEST(StorageReading, FileSystemCodeComesFromTheUsedPartitionsSixthField) {
    const auto code = [](const char* body) { return ReadStorageInfo(body).fileSystemCode; };
    EXPECT_EQ(code("usedpartition=2\r\npartitioninfo1=a,b,c,d,e,4\r\n"
                   "partitioninfo2=sda2,1,931,0,x,1\r\n"),
              1);
    // Every code the recorder knows is passed on; the format step decides what to send.
    EXPECT_EQ(code("usedpartition=1\r\npartitioninfo1=a,b,c,d,e,0\r\n"), 0);
    EXPECT_EQ(code("usedpartition=1\r\npartitioninfo1=a,b,c,d,e,3\r\n"), 3);
    EXPECT_EQ(code("usedpartition=1\r\npartitioninfo1=a,b,c,d,e,5,7,8\r\n"), 5);
    // An empty used partition names the bare key.
    EXPECT_EQ(code("usedpartition=\r\npartitioninfo=a,b,c,d,e,2\r\npartitioninfo1=a,b,c,d,e,1"), 2);
    EXPECT_EQ(code("partitioninfo=a,b,c,d,e,2\r\n"), 2);
    // The used partition's own key missing, or empty, says nothing.
    EXPECT_FALSE(code("usedpartition=3\r\npartitioninfo=a,b,c,d,e,2\r\n"));
    EXPECT_FALSE(code("usedpartition=1\r\npartitioninfo1=\r\n"));
    EXPECT_FALSE(code("usedpartition=1\r\npartitioninfo1=a,b,c,d,e\r\n"));
    EXPECT_FALSE(code("usedpartition=1\r\npartitioninfo1=a,b,c,d,e,\r\n"));
}

TEST(StorageReading, EmptyFieldsKeepTheirPlace) {
    // Skipping the empty field would take "1" for the code.
    EXPECT_EQ(FileSystemCodeOf(QStringLiteral("sda1,,c,d,e,3,1")), 3);
    EXPECT_EQ(FileSystemCodeOf(QStringLiteral(",,,,,2")), 2);
    EXPECT_FALSE(FileSystemCodeOf(QStringLiteral("a,,b,c,d")));
    EXPECT_FALSE(FileSystemCodeOf(QStringLiteral(",,,,,")));
}

TEST(StorageReading, HostileFieldsGiveNoCode) {
    for (const char* field : {"6", "9", "-1", "+1", "01", "1 ", " 1", "1\r", "1\n", "ext4", "x1",
                              "99999999999999999999", "-2147483649", "1.0", "\xef\xbc\x91"}) {
        EXPECT_FALSE(FileSystemCodeOf(QStringLiteral("a,b,c,d,e,") + QString::fromUtf8(field)))
            << field;
    }
    // A line break ends the pair: what follows is not part of the value.
    EXPECT_FALSE(ReadStorageInfo("usedpartition=1\r\npartitioninfo1=a,b,c,d,e\r\n,1\r\n")
                     .fileSystemCode.has_value());

    std::string huge = "usedpartition=1\r\npartitioninfo1=a,b,c,d,e,4";
    huge += std::string(1 << 20, ',');
    huge += "\r\ndevicename=" + std::string(1 << 16, 'n') + "\r\n";
    const StorageReading r = ReadStorageInfo(QByteArray::fromStdString(huge));
    EXPECT_EQ(r.fileSystemCode, 4);
    EXPECT_EQ(r.deviceName.size(), 1 << 16);
}

TEST(StorageReading, DataMatchIsExactlyOne) {
    EXPECT_TRUE(ReadDataMatch("match=1\r\n"));
    EXPECT_TRUE(ReadDataMatch("status=0\r\nmatch=1"));
    for (const char* body : {"match=0\r\n", "match=1 \r\n", "match=1\r", "match=true", "match=", "",
                             "nomatch=1", "match=2\r\nmatch=1"}) {
        EXPECT_FALSE(ReadDataMatch(body)) << body;
    }
}

// --- the poller against a loopback recorder -----------------------------------------------

TEST(StorageWorker, EachPassAsksForTheDriveThenTheDataMatchOnConnectionsOfTheirOwn) {
    LoopbackHttpServer server([](const LoopbackRequest& request) {
        // A recorder that wants Basic credentials on every connection.
        if (!request.header("Authorization")) {
            LoopbackResponse challenge = Refused();
            challenge.headers.push_back({"WWW-Authenticate", "Basic realm=\"NVR\""});
            return challenge;
        }
        return Ok(request.target == kDataMatchPath ? "match=1\r\n" : InfoReply("1", ""));
    });
    ASSERT_TRUE(server.ok());
    StorageWorker worker;
    worker.setTimings(kQuick);
    std::thread::id asked;
    worker.setTargetSource([&] {
        asked = std::this_thread::get_id();
        return RecorderHttpTarget{kHost, server.port(), QStringLiteral("admin"),
                                  QStringLiteral("s3cret")};
    });
    worker.start();
    EXPECT_EQ(asked, std::this_thread::get_id());
    ASSERT_TRUE(server.WaitForRequests(8, std::chrono::milliseconds(kGenerousMs)));
    EXPECT_TRUE(worker.stop());

    const std::vector<LoopbackRequest> requests = server.Requests();
    ASSERT_GE(requests.size(), 8u);
    const std::string basic = "Basic " + QByteArray("admin:s3cret").toBase64().toStdString();
    std::vector<int> connections;
    for (std::size_t i = 0; i < 8; ++i) {
        const LoopbackRequest& r = requests[i];
        const bool second = i % 2 == 1;  // the answer to the challenge
        EXPECT_EQ(r.method, "GET") << i;
        EXPECT_EQ(r.target, (i / 2) % 2 == 0 ? kStorageInfoPath : kDataMatchPath) << i;
        EXPECT_EQ(r.header("Authorization").value_or(""), second ? basic : "") << i;
        EXPECT_EQ(r.sequence, second ? 1 : 0) << i;
        if (second) {
            EXPECT_EQ(r.connection, requests[i - 1].connection) << i;
        } else {
            connections.push_back(r.connection);
        }
    }
    std::sort(connections.begin(), connections.end());
    EXPECT_EQ(std::unique(connections.begin(), connections.end()), connections.end())
        << "every request opens a connection of its own";
}

TEST(StorageWorker, ReportsTheFirstPassAndEveryChangeWithTheWordsOfThatPass) {
    StorageWorker worker;
    const std::vector<Exchange> passes = {
        // ready, file-system code 1, data match
        {Ok(InfoReply("1", "", "sda1,0,931,ext,0,1")), Ok("match=1\r\n")},
        // unchanged; a failed datamatch keeps the match
        {Ok(InfoReply("1", "")), Conflict()},
        // not ready; no code read keeps code 1
        {Ok(InfoReply("0", "", "a,b,c,d,e,9")), Refused()},
        // not ready but named: mounted; code 2, no match
        {Ok(InfoReply("0", "HDD-1", "a,b,c,d,e,2")), Ok("match=0\r\n")},
        // the request fails, but a name was seen: still mounted
        {Refused(), Ok("match=0\r\n")},
        // a reply without a name forgets the one seen before
        {Ok(InfoReply("0", "")), Ok("match=0\r\n")},
        // failing now, with no name remembered: not mounted, no change
        {Refused(), Conflict()},
        {Ok(InfoReply("1", "")), Ok("match=1\r\n")},
    };
    ScriptedRecorder recorder(passes, worker.state());
    ASSERT_TRUE(recorder.server().ok());
    DrivePage page;
    worker.setTimings(kQuick);
    worker.setTargetSource([&] { return recorder.target(); });
    worker.setReportTarget(page.windowId());
    worker.start();
    const int wanted = static_cast<int>(passes.size()) + 2;
    ASSERT_TRUE(WaitUntil([&] { return recorder.passesBegun() >= wanted; }, kGenerousMs));
    ASSERT_TRUE(worker.stop());
    DeliverPosted();

    EXPECT_EQ(page.reports, (std::vector<std::intptr_t>{1, 0, 1, 0, 1}));
    const std::vector<Words> snapshots = recorder.snapshots();
    ASSERT_GE(snapshots.size(), static_cast<std::size_t>(wanted));
    const std::vector<Words> published = {{0, 0, 0}, {1, 1, 1}, {1, 1, 1}, {0, 1, 1}, {1, 2, 0},
                                          {1, 2, 0}, {0, 2, 0}, {0, 2, 0}, {1, 2, 1}, {1, 2, 1}};
    EXPECT_EQ(std::vector<Words>(snapshots.begin(), snapshots.begin() + wanted), published);
}

TEST(StorageWorker, WithoutARecorderTheFirstPassReportsNoDrive) {
    for (const RecorderHttpTarget& target :
         {RecorderHttpTarget{}, RecorderHttpTarget{QStringLiteral("not a host"), 0, {}, {}}}) {
        StorageWorker worker;
        DrivePage page;
        worker.setTimings(kQuick);
        worker.setTargetSource([&] { return target; });
        worker.setReportTarget(page.windowId());
        worker.start();
        ASSERT_TRUE(WaitUntil([&] { return !page.reports.empty(); }, kGenerousMs));
        EXPECT_EQ(page.reports.front(), 0);
        EXPECT_TRUE(worker.stop());
    }
}

TEST(StorageWorker, StopAbortsTheRequestAndWakesThePause) {
    // Nothing here ends by itself within the stop wait: a 6 s request time-out, an hour-long
    // pause. Only a stop that reaches into the run ends it in time. (Every pause of a pass
    // sleeps the same way; the one after the report is the one a test can find the run in.)
    for (const bool inRequest : {true, false}) {
        SCOPED_TRACE(inRequest ? "in the request" : "in the pause");
        ScriptedRecorder recorder(
            {{inRequest ? Silent(InfoReply("1", "")) : Ok(InfoReply("1", "")), Ok("match=1\r\n")}});
        StorageWorker worker;
        DrivePage page;
        StorageTimings timings = kQuick;
        timings.afterPass = std::chrono::hours(1);
        worker.setTimings(timings);
        worker.setTargetSource([&] { return recorder.target(); });
        worker.setReportTarget(page.windowId());
        worker.start();
        if (inRequest) {
            ASSERT_TRUE(recorder.server().WaitForRequests(1));
        } else {
            // Posted just before the pause begins.
            ASSERT_TRUE(WaitUntil([&] { return page.reports.size() == 1; }, kGenerousMs));
        }
        EXPECT_TRUE(worker.stop());
        EXPECT_FALSE(worker.running());
        DeliverPosted();
        // A stopped run says nothing more, not even the failure its aborted request met.
        EXPECT_EQ(page.reports.size(), inRequest ? 0u : 1u);
    }
}

TEST(StorageWorker, ARestartClearsTheWordsAndReportsItsFirstPassAgain) {
    StorageWorker worker;
    ScriptedRecorder first({{Ok(InfoReply("1", "", "a,b,c,d,e,1")), Ok("match=1\r\n")}});
    ScriptedRecorder second({{Silent(InfoReply("1", "")), Ok("match=0\r\n")}});
    DrivePage page;
    worker.setTimings(kQuick);
    worker.setReportTarget(page.windowId());
    const ScriptedRecorder* current = &first;
    worker.setTargetSource([&] { return current->target(); });
    worker.start();
    ASSERT_TRUE(WaitUntil([&] { return page.reports.size() == 1; }, kGenerousMs));
    EXPECT_EQ(WordsOf(*worker.state()), (Words{1, 1, 1}));

    current = &second;
    worker.start();
    EXPECT_TRUE(worker.running());
    // Cleared before start returns; the new run's first request is still unanswered.
    EXPECT_EQ(WordsOf(*worker.state()), (Words{0, 0, 0}));
    ASSERT_TRUE(second.server().WaitForRequests(1));
    EXPECT_EQ(WordsOf(*worker.state()), (Words{0, 0, 0}));
    second.server().ReleaseSilent();
    ASSERT_TRUE(WaitUntil([&] { return page.reports.size() == 2; }, kGenerousMs));
    EXPECT_EQ(page.reports, (std::vector<std::intptr_t>{1, 1}));
    EXPECT_EQ(WordsOf(*worker.state()), (Words{1, 0, 0}));
    EXPECT_TRUE(worker.stop());
}

// --- the poller beside the command worker ---------------------------------------------------

TEST(StorageWorker, ARunWaitsForTheCommandInProgressBeforeAsking) {
    LoopbackHttpServer commandServer([](const LoopbackRequest&) { return Silent(""); });
    ASSERT_TRUE(commandServer.ok());
    auto commands = std::make_shared<DeviceCommandWorker>();
    // Left unanswered, the command fails after its own second-long time-out.
    ASSERT_TRUE(commands->StartPlainCommand(kHost, commandServer.port(), QStringLiteral("admin"),
                                            QStringLiteral("s3cret"), CMD_FORMAT_POLL, 1000));
    ASSERT_TRUE(commandServer.WaitForRequests(1));

    std::atomic<std::int32_t> statusAtFirstRequest{-1};
    ScriptedRecorder recorder({{Ok(InfoReply("1", "")), Ok("match=1\r\n")}});
    recorder.atFirstPass([&] { statusAtFirstRequest.store(commands->status()); });
    StorageWorker worker;
    worker.setTimings(kQuick);
    worker.setCommandWorker(commands);
    worker.setTargetSource([&] { return recorder.target(); });
    worker.start();
    ASSERT_TRUE(WaitUntil([&] { return recorder.passesBegun() >= 1; }, kGenerousMs));
    EXPECT_EQ(statusAtFirstRequest.load(), kCommandFailed);
    EXPECT_TRUE(worker.stop());
}

TEST(StorageWorker, AnAbandonedRunNeverTouchesTheRecorderOrTheWordsOfItsSuccessor) {
    LoopbackHttpServer commandServer([](const LoopbackRequest&) { return Silent(""); });
    ASSERT_TRUE(commandServer.ok());
    auto commands = std::make_shared<DeviceCommandWorker>();
    ASSERT_TRUE(commands->StartPlainCommand(kHost, commandServer.port(), QStringLiteral("admin"),
                                            QStringLiteral("s3cret"), CMD_FORMAT_POLL));
    ASSERT_TRUE(commandServer.WaitForRequests(1));

    // The first run sits in StopCommand behind the unanswered command; the short stop wait
    // gives up on it.
    StorageWorker worker(std::chrono::milliseconds(20));
    ScriptedRecorder old({{Ok(InfoReply("0", "", "a,b,c,d,e,5")), Ok("match=0\r\n")}});
    ScriptedRecorder current({{Ok(InfoReply("1", "", "a,b,c,d,e,1")), Ok("match=1\r\n")}});
    DrivePage page;
    worker.setTimings(kQuick);
    worker.setCommandWorker(commands);
    worker.setReportTarget(page.windowId());
    const ScriptedRecorder* target = &old;
    worker.setTargetSource([&] { return target->target(); });
    worker.start();
    EXPECT_FALSE(worker.stop());
    EXPECT_FALSE(worker.running());

    target = &current;
    worker.start();
    commandServer.ReleaseSilent();
    ASSERT_TRUE(WaitUntil([&] { return current.passesBegun() >= 3; }, kGenerousMs));
    worker.stop();  // the short wait may give up on this run too; it reports no more anyway
    DeliverPosted();
    EXPECT_EQ(old.server().RequestCount(), 0u);
    EXPECT_EQ(page.reports, (std::vector<std::intptr_t>{1}));
    EXPECT_EQ(WordsOf(*worker.state()), (Words{1, 1, 1}));
}

// --- threads --------------------------------------------------------------------------------

TEST(StorageWorkerThreads, TheReportTargetChangesWhileTheWorkerReports) {
    // The drive comes and goes on every pass, so every pass reports.
    ScriptedRecorder recorder(
        {{Ok(InfoReply("1", "")), Ok("match=1\r\n")}, {Ok(InfoReply("0", "")), Conflict()}},
        nullptr, true);
    StorageWorker worker;
    DrivePage page;
    worker.setTimings(kQuick);
    worker.setTargetSource([&] { return recorder.target(); });
    worker.start();

    std::atomic<bool> done{false};
    std::thread toggler([&] {
        while (!done.load()) {
            worker.setReportTarget(page.windowId());
            worker.setReportTarget(0);
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return recorder.passesBegun() >= 4; }, kGenerousMs));
    done.store(true);
    toggler.join();

    worker.setReportTarget(0);
    DeliverPosted();
    const std::size_t seen = page.reports.size();
    // Three more passes, each a change, all to no one.
    ASSERT_TRUE(WaitUntil([&] { return recorder.passesBegun() >= 8; }, kGenerousMs));
    DeliverPosted();
    EXPECT_EQ(page.reports.size(), seen);

    worker.setReportTarget(page.windowId());
    EXPECT_TRUE(WaitUntil([&] { return page.reports.size() > seen; }, kGenerousMs));
    EXPECT_TRUE(worker.stop());
}

TEST(StorageWorkerThreads, StartAndStopRaceTheRunsTheyReplace) {
    ScriptedRecorder recorder({{Ok(InfoReply("1", "HDD", "a,b,c,d,e,2")), Ok("match=1\r\n")}});
    StorageWorker worker;
    DrivePage page;
    worker.setTimings(kQuick);
    worker.setTargetSource([&] { return recorder.target(); });
    worker.setReportTarget(page.windowId());
    for (int round = 0; round < 6; ++round) {
        worker.start();
        // Each run is cut at a different point of its pass.
        ASSERT_TRUE(recorder.server().WaitForRequests(static_cast<std::size_t>(round) + 1));
        EXPECT_TRUE(worker.stop());
        const Words words = WordsOf(*worker.state());
        EXPECT_TRUE(words == (Words{0, 0, 0}) || words == (Words{1, 2, 1})) << round;
    }
    worker.start();
    ASSERT_TRUE(WaitUntil([&] { return !page.reports.empty(); }, kGenerousMs));
    EXPECT_TRUE(worker.stop());
    DeliverPosted();
    EXPECT_EQ(page.reports.back(), 1);
    EXPECT_EQ(WordsOf(*worker.state()), (Words{1, 2, 1}));
}
