#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

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

// Points the desktop, the application-data folder and the system data folders at folders of
// the test's own for its lifetime: nothing reaches the real desktop.
class ScopedDesktop {
public:
    ScopedDesktop() {
        set("XDG_CONFIG_HOME", QStringLiteral("/config"));
        set("XDG_DATA_HOME", QStringLiteral("/data"));
        set("XDG_DATA_DIRS", QStringLiteral("/system"));
        QDir().mkpath(desktop());
        QDir().mkpath(dir_.path() + QStringLiteral("/config"));
        QFile dirs(dir_.path() + QStringLiteral("/config/user-dirs.dirs"));
        if (dirs.open(QIODevice::WriteOnly)) {
            dirs.write("XDG_DESKTOP_DIR=\"" + desktop().toLocal8Bit() + "\"\n");
        }
    }
    ~ScopedDesktop() {
        for (const Saved& saved : saved_) {
            if (saved.wasSet) {
                qputenv(saved.name, saved.value);
            } else {
                qunsetenv(saved.name);
            }
        }
    }
    ScopedDesktop(const ScopedDesktop&) = delete;
    ScopedDesktop& operator=(const ScopedDesktop&) = delete;

    QString desktop() const { return dir_.path() + QStringLiteral("/Desktop"); }
    QString applicationData() const { return dir_.path() + QStringLiteral("/data"); }
    QString systemIcons() const { return dir_.path() + QStringLiteral("/system/pixmaps"); }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    void set(const char* name, const QString& under) {
        saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, (dir_.path() + under).toLocal8Bit());
    }

    QTemporaryDir dir_;
    std::vector<Saved> saved_;
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
