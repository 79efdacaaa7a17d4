#include "CameraHttp.h"

#include <QDateTime>

#include "CameraFrame.h"
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
    };
    const auto settings = state_.with([this](Scenario& scenario) -> std::optional<Settings> {
        const Camera* camera = FindCamera(scenario, ip_, port_);
        if (camera == nullptr) {
            return std::nullopt;
        }
        const QString name = camera->name.isEmpty() ? camera->model : camera->name;
        return Settings{
            {camera->adminPassword, camera->faults.digestChallenge}, camera->faults, name};
    });
    if (!settings) {
        return TextReply(404, "404 Not Found\r\n");
    }
    if (settings->faults.forceStatus == 401) {
        return Unauthorized(settings->policy, digest_);
    }
    if (settings->faults.forceStatus != 0) {
        return TextReply(settings->faults.forceStatus,
                         QByteArray::number(settings->faults.forceStatus) + "\r\n");
    }
    if (auto refused = Authenticate(request, settings->policy, digest_)) {
        return *refused;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return TextReply(405, "405 Method Not Allowed\r\n");
    }

    const QByteArray path = request.path();
    if (path == "/image/jpeg.cgi") {
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(clock_());
        HttpReply frame = TextReply(200, CameraFrameJpeg(settings->name, now));
        if (frame.body.isEmpty()) {
            return TextReply(500, "500 no JPEG writer\r\n");
        }
        frame.contentType = "image/jpeg";
        return frame;
    }
    if (path == "/system.cgi") {
        const HttpPairs query = SplitQuery(request.query());
        const auto id = QueryValue(query, "AdminID");
        const auto password = QueryValue(query, "AdminPassword");
        if (id != QByteArray("admin") || !password || password->isEmpty()) {
            return TextReply(400, "400 Bad Request\r\n");
        }
        const QString newPassword = QString::fromUtf8(*password);
        const bool changed = state_.with([&](Scenario& scenario) {
            Camera* camera = FindCamera(scenario, ip_, port_);
            if (camera == nullptr) {
                return false;
            }
            camera->adminPassword = newPassword;
            return true;
        });
        if (!changed) {
            return TextReply(404, "404 Not Found\r\n");
        }
        return TextReply(
            200,
            KeyValueLines({{"AdminID", "admin"},
                           {"AdminPassword", *password},
                           {"ConfigReboot", QueryValue(query, "ConfigReboot").value_or("No")}}));
    }
    return TextReply(404, "404 Not Found\r\n");
}

}  // namespace sim
