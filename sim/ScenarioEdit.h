#pragma once

// The changes the control channel makes to a running scenario. Each one is all or nothing: it
// works on a copy, checks it as a scenario file is checked, and only then replaces the
// scenario. Call them under SimState's lock.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

#include "Scenario.h"

namespace sim {

struct ControlAnswer {
    int status = 200;  // 200; 400 bad request (nothing changed); 404 no such device
    QString text;      // "ok ..." or the reason, naming the field at fault
};

// The device a control request names: a recorder or camera by MAC (any case) or IPv4 address,
// or "portal" (or the portal's address). Recorders are looked at before cameras.
struct DeviceRef {
    Recorder* recorder = nullptr;  // the recorder itself, or the recorder holding the camera
    Camera* camera = nullptr;
    Portal* portal = nullptr;

    explicit operator bool() const { return recorder != nullptr || portal != nullptr; }
};
DeviceRef FindDevice(Scenario& scenario, const QString& device);

// The patch merged into base: objects field by field, except the maps timeZones and replies,
// which like every other value (texts, numbers, arrays) are replaced whole.
QJsonObject MergedJson(QJsonObject base, const QJsonObject& patch);

// Merges a JSON object into the device's object in the scenario format. A running recorder
// keeps its MAC: its HTTP handlers find it by that.
ControlAnswer SetFields(Scenario& scenario, const QString& device, const QByteArray& json);

// A camera object of the scenario format appended to the recorder's list, or one camera
// (by address or MAC) taken out of it; the places of those after it move up by one.
ControlAnswer AddCamera(Scenario& scenario, const QString& recorder, const QByteArray& json);
ControlAnswer RemoveCamera(Scenario& scenario, const QString& recorder, const QString& camera);

ControlAnswer AddOverrides(Scenario& scenario, const QString& device,
                           const QList<ReplyOverride>& overrides);
// Empties the device's queue, or only its entries for path when one is given, and releases
// every silent answer held back so far.
ControlAnswer ClearOverrides(Scenario& scenario, const QString& device, const QString& path);

// One override from control-request parameters named like its fields (path, query, status,
// body, delayMs, silent, times), with the checks of the scenario format.
std::optional<ReplyOverride> OverrideFromParameters(const QList<QPair<QString, QString>>& params,
                                                    QString* error);
// Overrides from a JSON body: one override object, or an array of them.
std::optional<QList<ReplyOverride>> OverridesFromBody(const QByteArray& json, QString* error);

}  // namespace sim
