#include "CameraListing.h"

#include <QStringList>

#include "HostileStrings.h"

namespace sim {

QString ListedHost(const Camera& camera) {
    return camera.listedIp.isEmpty() ? camera.ip : camera.listedIp;
}

Camera* ListedCamera(Recorder& recorder, const QString& host) {
    if (host.isEmpty()) {
        return nullptr;
    }
    for (Camera& camera : recorder.cameras) {
        if (ListedHost(camera) == host) {
            return &camera;
        }
    }
    return nullptr;
}

void ChangeCameraPassword(Camera& camera, const QString& newPassword) {
    camera.adminPassword = newPassword;
    camera.password = camera.echoPassword.value_or(newPassword);
}

QByteArray DiscoveryList(const Recorder& recorder) {
    QList<QByteArray> lines;
    if (recorder.discoveryLines) {
        for (const QString& line : *recorder.discoveryLines) {
            lines.append(line.toUtf8());
        }
    } else {
        for (const Camera& camera : recorder.cameras) {
            const QString& set = camera.faults.hostileStrings.isEmpty()
                                     ? recorder.faults.hostileStrings
                                     : camera.faults.hostileStrings;
            lines.append(QList<QByteArray>{camera.addedFlag.toUtf8(), ListedHost(camera).toUtf8(),
                                           camera.mac.toUtf8(), Hostile(camera.brand.toUtf8(), set),
                                           Hostile(camera.model.toUtf8(), set),
                                           camera.account.toUtf8(), camera.password.toUtf8(),
                                           camera.protocol.toUtf8(), camera.protocolType.toUtf8()}
                             .join(';'));
        }
    }
    QByteArray body;
    for (const QByteArray& line : lines) {
        body += line + "\r\n";
    }
    return body;
}

}  // namespace sim
