#pragma once

#include <QString>

#include <cstdint>

// One camera from the recorder's cloud discovery list.
struct CameraEntry {
    QString cameraIp;  // the key rows and entries are matched by
    QString account;
    QString password;  // replaced by the password that was verified or created
    QString cameraMac;
    QString model;
    QString brand;
    QString addedFlag;  // holds "1" when the recorder already has the camera
    std::int32_t verified = 0;
    QString protocol;
    QString protocolType;
    std::int32_t selected = 0;
};
