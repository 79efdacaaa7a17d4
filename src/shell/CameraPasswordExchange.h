#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

// What a camera password page and the camera step share while a password is checked or set:
// the typed password, and the step's verdict, which its worker writes.
class CameraPasswordExchange final {
public:
    enum Result : std::int32_t { kPending = 0, kFailed = 1, kAccepted = 2 };

    void setPassword(const QString& password) {
        std::lock_guard lock(mutex_);
        password_ = password;
    }
    QString password() const {
        std::lock_guard lock(mutex_);
        return password_;
    }

    std::atomic<std::int32_t> result{kPending};

private:
    mutable std::mutex mutex_;
    QString password_;
};
