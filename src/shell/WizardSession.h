#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "shell/CameraEntry.h"

// What the wizard has learnt and set, shared by every page through the page host. The texts
// are also read by the host's workers, so they are handed out as copies under a lock; the
// camera list belongs to the user-interface thread and the page worker it hands it to.
class WizardSession final {
public:
    WizardSession() = default;
    WizardSession(const WizardSession&) = delete;
    WizardSession& operator=(const WizardSession&) = delete;

    QString recorderIp() const;
    QString recorderMac() const;
    QString adminPassword() const;
    QString adminUser() const;
    QString cloudEmail() const;
    QString cloudPassword() const;

    void setRecorderIp(const QString& value);
    void setRecorderMac(const QString& value);
    void setAdminPassword(const QString& value);
    void setAdminUser(const QString& value);
    void setCloudEmail(const QString& value);
    void setCloudPassword(const QString& value);

    // The record at `index`, or null outside the list.
    CameraEntry* cameraAt(int index) const;
    int cameraCount() const { return static_cast<int>(cameras_.size()); }
    void clearCameras();
    void addCamera(std::unique_ptr<CameraEntry> camera);

    std::atomic<std::int32_t> recorderPort{0};
    std::atomic<std::int32_t> replyType{0};   // 1 short or 3 long reply layout; 0 not found
    std::atomic<std::int32_t> clockDelta{0};  // meaningful only with replyType 3

private:
    QString read(const QString& field) const;
    void write(QString& field, const QString& value);

    mutable std::mutex mutex_;
    QString recorderIp_;
    QString recorderMac_;
    QString adminPassword_;
    QString adminUser_;
    std::vector<std::unique_ptr<CameraEntry>> cameras_;
    QString cloudEmail_;
    QString cloudPassword_;
};
