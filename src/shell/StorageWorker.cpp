#include "shell/StorageWorker.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <optional>
#include <vector>

#include "device/DeviceCommandWorker.h"
#include "device/HttpGet.h"
#include "shell/Messages.h"
#include "shell/StorageReading.h"

using RunFlag = platform::RestartableWorker::RunFlag;

struct StorageWorker::Shared {
    StorageState state;
    // A run writes the state and reports only while it is the current one, so a run that was
    // abandoned and replaced can never overwrite its successor's words.
    std::mutex mutex;
    std::shared_ptr<RunFlag> current;
    platform::WindowId reportTarget = 0;
};

// What stop() reaches into a run with: its pauses and its request in progress.
class StorageWorker::RunControl {
public:
    // Sleeps unless stopped first; false once stopped.
    bool Pause(std::chrono::milliseconds pause) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, pause, [this] { return stopped_; });
    }

    bool stopped() const {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

    // Makes `client` the one Stop aborts; false once stopped.
    bool Adopt(std::shared_ptr<HttpGet> client) {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return false;
        }
        client_ = std::move(client);
        return true;
    }

    void Release() {
        std::lock_guard lock(mutex_);
        client_.reset();
    }

    void Stop() {
        std::shared_ptr<HttpGet> client;
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
            client = std::move(client_);
        }
        wake_.notify_all();
        if (client) {
            client->Close();
        }
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    std::shared_ptr<HttpGet> client_;
};

// One run of the poller, on the worker thread.
struct StorageWorker::Pass {
    struct Words {
        std::int32_t ready = 0;
        std::int32_t fileSystemCode = 0;
        std::int32_t dataMatch = 0;
    };

    Shared& shared;
    RunControl& control;
    const RunFlag& run;
    const RecorderHttpTarget& target;
    const StorageTimings& timings;

    bool live() const { return run.load() != 0 && !control.stopped(); }

    // One request on a connection of its own; the reply body, or nothing when it failed.
    std::optional<QByteArray> Fetch(const char* path) {
        auto client = std::make_shared<HttpGet>();
        if (!control.Adopt(client)) {
            return std::nullopt;
        }
        std::optional<QByteArray> reply;
        // A stop that came before the session existed could not abort it: look again.
        if (client->Open(target.ip, target.user, target.password, kRequestTimeoutMs, 0,
                         target.port) &&
            !control.stopped()) {
            std::vector<char> buffer(kReplyBytes);
            std::size_t size = 0;
            if (client->Get(QString::fromLatin1(path), buffer, &size)) {
                reply = QByteArray(buffer.data(), static_cast<qsizetype>(size));
            }
        }
        control.Pause(timings.afterRequest);
        client->Close();
        control.Release();
        return reply;
    }

    bool Publish(const Words& words, bool report) {
        std::lock_guard lock(shared.mutex);
        if (shared.current.get() != &run || run.load() == 0) {
            return false;
        }
        shared.state.driveReady[0].store(words.ready);
        shared.state.fileSystemCode[0].store(words.fileSystemCode);
        shared.state.dataMatch.store(words.dataMatch);
        if (report && shared.reportTarget != 0) {
            // The value travels, not the word's address: the page may outlive this run.
            platform::PostMessage(shared.reportTarget, msg::kDriveReport, words.ready);
        }
        return true;
    }

    void Run(DeviceCommandWorker* commands) {
        if (commands != nullptr) {
            commands->StopCommand();
        }
        Words words;
        QString deviceName;  // the last one the recorder named; survives a failed request
        bool first = true;
        while (live()) {
            const std::int32_t previous = words.ready;
            if (const std::optional<QByteArray> info = Fetch(kStorageInfoPath)) {
                const StorageReading reading = ReadStorageInfo(*info);
                words.ready = reading.ready ? 1 : 0;
                if (reading.fileSystemCode) {
                    words.fileSystemCode = *reading.fileSystemCode;
                }
                deviceName = reading.deviceName;
            } else {
                words.ready = 0;
            }
            if (!live() || !control.Pause(timings.betweenRequests)) {
                break;
            }
            if (const std::optional<QByteArray> match = Fetch(kDataMatchPath)) {
                words.dataMatch = ReadDataMatch(*match) ? 1 : 0;
            }
            if (!live()) {
                break;
            }
            if (!deviceName.isEmpty()) {
                words.ready = 1;
            }
            // Published once per pass: a failed request never shows the page a passing 0.
            if (!Publish(words, first || words.ready != previous)) {
                break;
            }
            first = false;
            if (!control.Pause(timings.afterPass)) {
                break;
            }
        }
    }
};

StorageWorker::StorageWorker(std::chrono::milliseconds stopWait)
    : shared_(std::make_shared<Shared>()), worker_(stopWait) {}

StorageWorker::~StorageWorker() {
    stop();
}

std::shared_ptr<const StorageState> StorageWorker::state() const {
    return {shared_, &shared_->state};
}

void StorageWorker::setReportTarget(platform::WindowId page) {
    std::lock_guard lock(shared_->mutex);
    shared_->reportTarget = page;
}

void StorageWorker::start() {
    stop();
    // The target is read here, on the caller's thread: the run never touches the session.
    const RecorderHttpTarget target = targetSource_ ? targetSource_() : RecorderHttpTarget{};
    auto control = std::make_shared<RunControl>();
    control_ = control;
    auto shared = shared_;
    worker_.start(
        [shared, control, target, body = body_, commands = commands_,
         timings = timings_](const std::shared_ptr<RunFlag>& run) {
            if (body) {
                body(shared->state, *run);
                return;
            }
            Pass{*shared, *control, *run, target, timings}.Run(commands.get());
        },
        [&shared](const std::shared_ptr<RunFlag>& run) {
            std::lock_guard lock(shared->mutex);
            shared->current = run;
            for (std::size_t slot = 0; slot < 2; ++slot) {
                shared->state.driveReady[slot].store(0);
                shared->state.fileSystemCode[slot].store(0);
            }
            shared->state.dataMatch.store(0);
        });
}

bool StorageWorker::stop() {
    if (auto run = worker_.runFlag()) {
        run->store(0);
    }
    if (control_) {
        control_->Stop();
    }
    return worker_.stop();
}
