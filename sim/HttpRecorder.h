#pragma once

// The recorder's HTTP configuration interface: every /config/... and /live/... path the wizard
// uses, as a function of (scenario state, request). The transport lives in HttpServers.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

#include "HttpAuth.h"
#include "HttpTypes.h"
#include "Scenario.h"
#include "SimState.h"

namespace sim {

// Milliseconds since the epoch; tests pass their own to step formatting without waiting.
using SimClock = std::function<qint64()>;

class HttpRecorder {
public:
    HttpRecorder(SimState& state, QString mac, SimClock clock = {});

    // Through the recorder's reply overrides first (before authentication: an override stands
    // for whatever the recorder would have said).
    HttpReply handle(const HttpRequest& request);

    // The recorder's fault knobs now; nothing when the scenario no longer holds it.
    std::optional<Faults> faults();
    QString label() const { return QStringLiteral("recorder ") + mac_; }

private:
    HttpReply answer(const HttpRequest& request);

    using Route = HttpReply (HttpRecorder::*)(Scenario&, Recorder&, const HttpPairs&);

    HttpReply storageInfo(Scenario&, Recorder&, const HttpPairs&);
    HttpReply dataMatch(Scenario&, Recorder&, const HttpPairs&);
    HttpReply storageFormat(Scenario&, Recorder&, const HttpPairs&);
    HttpReply storageFormatPoll(Scenario&, Recorder&, const HttpPairs&);
    HttpReply timeZoneList(Scenario&, Recorder&, const HttpPairs&);
    HttpReply dateTime(Scenario&, Recorder&, const HttpPairs&);
    HttpReply manualRecord(Scenario&, Recorder&, const HttpPairs&);
    HttpReply addCamera(Scenario&, Recorder&, const HttpPairs&);
    HttpReply deleteCamera(Scenario&, Recorder&, const HttpPairs&);
    HttpReply cameraList(Scenario&, Recorder&, const HttpPairs&);
    HttpReply login(Scenario&, Recorder&, const HttpPairs&);
    HttpReply changeCameraPassword(Scenario&, Recorder&, const HttpPairs&);
    HttpReply detectCamera(Scenario&, Recorder&, const HttpPairs&);
    HttpReply cloudDiscovery(Scenario&, Recorder&, const HttpPairs&);
    HttpReply cloudPortal(Scenario&, Recorder&, const HttpPairs&);
    HttpReply cloudRegInfo(Scenario&, Recorder&, const HttpPairs&);
    HttpReply cloudRegStatus(Scenario&, Recorder&, const HttpPairs&);

    void advanceFormat(Drive& drive) const;

    SimState& state_;
    QString mac_;
    SimClock clock_;
    DigestAuthority digest_;
    // The key of the last /config/login; read and written only under the state's lock.
    QByteArray loginKey_;
};

// The recorder of that MAC (compared without regard to case), or nullptr.
Recorder* FindRecorder(Scenario& scenario, const QString& mac);

}  // namespace sim
