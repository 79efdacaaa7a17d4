#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Runs the event loop until `done` holds or `ms` pass; returns whether it holds.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Points the temporary folder at a folder of the test's own for its lifetime.
class ScopedTempFolder {
public:
    ScopedTempFolder() : old_(qgetenv("TMPDIR")) { qputenv("TMPDIR", dir_.path().toLocal8Bit()); }
    ~ScopedTempFolder() { qputenv("TMPDIR", old_); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray old_;
};

// Raised once by any thread; waited for with a bound.
struct Signal {
    std::mutex mutex;
    std::condition_variable changed;
    bool raised = false;
    void raise() {
        std::lock_guard lock(mutex);
        raised = true;
        changed.notify_all();
    }
    bool waitFor(std::chrono::milliseconds bound) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, bound, [this] { return raised; });
    }
};
