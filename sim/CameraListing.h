#pragma once

// How a recorder lists its cameras, and what every route of a camera password change leaves
// in that list. Call under SimState's lock.

#include <QByteArray>
#include <QString>

#include "Scenario.h"

namespace sim {

// The host text the recorder lists for the camera: listedIp, or ip when that is empty.
QString ListedHost(const Camera& camera);

// The camera the recorder lists under that host text, or nullptr.
Camera* ListedCamera(Recorder& recorder, const QString& host);

// The camera now takes newPassword; the recorder reports its echoPassword when it has one.
void ChangeCameraPassword(Camera& camera, const QString& newPassword);

// The body of /config/nubradiscovery: the raw discoveryLines when given, else the nine
// fields of each camera (brand and model with the camera's hostile set, or else the
// recorder's); every line ended by CR LF.
QByteArray DiscoveryList(const Recorder& recorder);

}  // namespace sim
