#include "CameraHttp.h"

#include <QDateTime>

#include "CameraFrame.h"
#include "CameraListing.h"
#include "HostileStrings.h"
#include "JpegModes.h"
#include "ReplyOverride.h"

namespace sim {

Camera* FindCamera(Scenario& scenario, const QString& ip, int port) {
    for (Recorder& recorder : scenario.recorders) {
        for (Camera& camera : recorder.cameras) {
            if (camera.ip == ip && camera.httpPort == port) {
                return &camera;
            }
        }
    }
    return nullptr;
}

CameraHttp::CameraHttp(SimState& state, QString ip, int port, SimClock clock)
    : state_(state),
      ip_(std::move(ip)),
      port_(port),
      clock_(clock ? std::move(clock)
                   : SimClock([] { return QDateTime::currentMSecsSinceEpoch(); })),
      digest_("camera") {}

std::optional<Faults> CameraHttp::faults() {
    return state_.with([this](Scenario& scenario) -> std::optional<Faults> {
        const Camera* camera = FindCamera(scenario, ip_, port_);
        if (camera == nullptr) {
            return std::nullopt;
        }
        return camera->faults;
    });
}

HttpReply CameraHttp::handle(const HttpRequest& request) {
    const auto taken = state_.with([&](Scenario& scenario) {
        Camera* camera = FindCamera(scenario, ip_, port_);
        return TakeOverride(scenario, camera ? &camera->overrides : nullptr, request);
    });
    return Overridden(taken, [&] { return answer(request); });
}

HttpReply CameraHttp::answer(const HttpRequest& request) {
    struct Settings {
        AuthPolicy policy;
        Faults faults;
        QString name;
        QString jpegMode;
        int pieceBytes = 0;
        int pauseMs = 0;
    };
    const auto settings = state_.with([this](Scenario& scenario) -> std::optional<Settings> {
        const Camera* camera = FindCamera(scenario, ip_, port_);
        if (camera == nullptr) {
            return std::nullopt;
        }
        const QString name = camera->name.isEmpty() ? camera->model : camera->name;
        return Settings{{camera->adminPassword, camera->faults.digestChallenge},
                        camera->faults,
                        name,
                        camera->jpegMode,
                        camera->jpegPieceBytes,
                        camera->jpegPauseMs};
    });
    const QString& hostile = settings ? settings->faults.hostileStrings : QString();
    const auto text = [&hostile](int status, const QByteArray& words) {
        return TextReply(status, Hostile(words, hostile) + "\r\n");
    };
    if (!settings) {
        return text(404, "404 Not Found");
    }
    if (settings->faults.forceStatus == 401) {
        return Unauthorized(settings->policy, digest_);
    }
    if (settings->faults.forceStatus != 0) {
        return text(settings->faults.forceStatus, QByteArray::number(settings->faults.forceStatus));
    }
    if (settings->faults.unauthorizedForever) {
        return EndlessUnauthorized();
    }
    if (auto refused = Authenticate(request, settings->policy, digest_)) {
        refused->body = Hostile(refused->body, hostile);
        return *refused;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return text(405, "405 Method Not Allowed");
    }

    const QByteArray path = request.path();
    if (path == "/image/jpeg.cgi") {
        // UTC like the recorder's clock; local time would also take glibc's time-zone lock,
        // which ThreadSanitizer cannot see, from every server thread.
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(clock_(), Qt::UTC);
        return JpegModeReply(
            settings->jpegMode,
            [&](std::optional<QColor> tint) { return CameraFrameJpeg(settings->name, now, tint); },
            settings->pieceBytes, settings->pauseMs);
    }
    if (path == "/system.cgi") {
        const HttpPairs query = SplitQuery(request.query());
        const auto id = QueryValue(query, "AdminID");
        const auto password = QueryValue(query, "AdminPassword");
        if (id != QByteArray("admin") || !password || password->isEmpty()) {
            return text(400, "400 Bad Request");
        }
        const QString newPassword = QString::fromUtf8(*password);
        const auto echo = state_.with([&](Scenario& scenario) -> std::optional<QByteArray> {
            Camera* camera = FindCamera(scenario, ip_, port_);
            if (camera == nullptr) {
                return std::nullopt;
            }
            ChangeCameraPassword(*camera, newPassword);
            return camera->echoPassword ? camera->echoPassword->toUtf8() : *password;
        });
        if (!echo) {
            return text(404, "404 Not Found");
        }
        // The echoed password stays as it is: it is what the client compares.
        return TextReply(
            200,
            KeyValueLines({{"AdminID", Hostile("admin", hostile)},
                           {"AdminPassword", *echo},
                           {"ConfigReboot",
                            Hostile(QueryValue(query, "ConfigReboot").value_or("No"), hostile)}}));
    }
    return text(404, "404 Not Found");
}

}  // namespace sim
