#include "CameraListing.h"

#include <QStringList>

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
    QStringList lines;
    if (recorder.discoveryLines) {
        lines = *recorder.discoveryLines;
    } else {
        for (const Camera& camera : recorder.cameras) {
            lines.append(QStringList{camera.addedFlag, ListedHost(camera), camera.mac, camera.brand,
                                     camera.model, camera.account, camera.password, camera.protocol,
                                     camera.protocolType}
                             .join(QLatin1Char(';')));
        }
    }
    QByteArray body;
    for (const QString& line : lines) {
        body += line.toUtf8() + "\r\n";
    }
    return body;
}

}  // namespace sim
