#pragma once

// A camera's own HTTP interface: still frames at /image/jpeg.cgi and the older password
// setting at /system.cgi, both for user "admin" with the camera's own password.

#include <QString>

#include <optional>

#include "HttpAuth.h"
#include "HttpRecorder.h"
#include "HttpTypes.h"
#include "Scenario.h"
#include "SimState.h"

namespace sim {

class CameraHttp {
public:
    CameraHttp(SimState& state, QString ip, int port, SimClock clock = {});

    // Through the device's reply overrides first.
    HttpReply handle(const HttpRequest& request);

    std::optional<Faults> faults();
    QString label() const { return QStringLiteral("camera ") + ip_; }

private:
    HttpReply answer(const HttpRequest& request);

    SimState& state_;
    QString ip_;
    int port_;
    SimClock clock_;
    DigestAuthority digest_;
};

// The camera serving on that address and port, or nullptr.
Camera* FindCamera(Scenario& scenario, const QString& ip, int port);

}  // namespace sim
