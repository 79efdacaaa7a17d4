#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

#include "Scenario.h"

namespace sim {

// Reads a scenario file. On failure returns nothing and, when error is given, one line naming
// the field at fault ("recorders[0].mac: not a MAC address: ...").
std::optional<Scenario> ParseScenario(const QByteArray& json, QString* error);

// The whole scenario, runtime state included, in the form ParseScenario reads.
QByteArray ScenarioToJson(const Scenario& scenario);

// One device in the scenario format and back, for edits while running. Errors name the field
// from the device down ("drive.plug: expected a string").
QJsonObject RecorderToJson(const Recorder& recorder);
QJsonObject CameraToJson(const Camera& camera);
QJsonObject PortalToJson(const Portal& portal);
std::optional<Recorder> RecorderFromJson(const QJsonObject& json, QString* error);
std::optional<Camera> CameraFromJson(const QJsonObject& json, QString* error);
std::optional<Portal> PortalFromJson(const QJsonObject& json, QString* error);
// One override object, or an array of them; path prefixes the field names in errors.
std::optional<QList<ReplyOverride>> OverridesFromJson(const QJsonValue& json, const QString& path,
                                                      QString* error);

// One factory-fresh recorder with three cameras and a reachable portal on 10.77.0.0/24.
Scenario DefaultScenario();

// What a recorder's "generatedCameras" field adds to its cameras: count cameras not yet added
// (addedFlag "0"), at 10.78.0.1, 10.78.0.2, ... (250 to a /24), MACs 00:1c:2a:ca:00:00 up,
// models OC-420 and OC-410 in turn, account "admin" with password "cam-001" up (the same as
// their own), not served (httpPort 0).
inline constexpr int kMaxGeneratedCameras = 1000;
QList<Camera> GeneratedCameras(int count);

// Validation shared with the control channel.
bool IsMacText(const QString& text);
bool IsIpv4Text(const QString& text);

// Sets one fault knob by its field name from text ("1", "true", "250"); false with a reason
// for an unknown knob or a value out of range.
bool SetFault(Faults& faults, const QString& knob, const QString& value, QString* error);

}  // namespace sim
