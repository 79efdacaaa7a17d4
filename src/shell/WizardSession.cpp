#include "shell/WizardSession.h"

QString WizardSession::read(const QString& field) const {
    std::lock_guard lock(mutex_);
    QString copy = field;
    copy.detach();  // the copy must not share storage with a text another thread may replace
    return copy;
}

void WizardSession::write(QString& field, const QString& value) {
    std::lock_guard lock(mutex_);
    field = value;
}

QString WizardSession::recorderIp() const {
    return read(recorderIp_);
}
QString WizardSession::recorderMac() const {
    return read(recorderMac_);
}
QString WizardSession::adminPassword() const {
    return read(adminPassword_);
}
QString WizardSession::adminUser() const {
    return read(adminUser_);
}
QString WizardSession::cloudEmail() const {
    return read(cloudEmail_);
}
QString WizardSession::cloudPassword() const {
    return read(cloudPassword_);
}

void WizardSession::setRecorderIp(const QString& value) {
    write(recorderIp_, value);
}
void WizardSession::setRecorderMac(const QString& value) {
    write(recorderMac_, value);
}
void WizardSession::setAdminPassword(const QString& value) {
    write(adminPassword_, value);
}
void WizardSession::setAdminUser(const QString& value) {
    write(adminUser_, value);
}
void WizardSession::setCloudEmail(const QString& value) {
    write(cloudEmail_, value);
}
void WizardSession::setCloudPassword(const QString& value) {
    write(cloudPassword_, value);
}

CameraEntry* WizardSession::cameraAt(int index) const {
    if (index < 0 || index >= cameraCount()) {
        return nullptr;
    }
    return cameras_[static_cast<std::size_t>(index)].get();
}

void WizardSession::clearCameras() {
    cameras_.clear();
}

void WizardSession::addCamera(std::unique_ptr<CameraEntry> camera) {
    if (camera) {
        cameras_.push_back(std::move(camera));
    }
}
