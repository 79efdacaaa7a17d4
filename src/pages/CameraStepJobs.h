#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <vector>

#include "pages/PageTask.h"
#include "shell/CameraEntry.h"
#include "shell/CameraList.h"

class DeviceCommandWorker;
class DeviceSearch;

// What the camera step's workers do, each on its page task: they talk to the recorder through
// the host's command worker and return what the page needs; none touches a widget, the
// session or a row.
namespace camerastep {

using std::chrono::milliseconds;

// The fixed waits of the step; tests keep them.
struct Pacing {
    milliseconds settle{500};  // after the stop before the discovery, and before its retry
    milliseconds discoveryPoll{500};
    int discoveryPolls = 60;
    milliseconds afterList{100};
    milliseconds passwordPoll{100};
    int passwordPolls = 120;
    milliseconds linger{50};
    int lingerSteps = 20;
    milliseconds portalRetry{600};
    milliseconds portalPoll{500};
    int portalPolls = 30;
    milliseconds addGap{100};
    milliseconds addPoll{50};
    int addPolls = 300;
    milliseconds afterRemove{1000};
    milliseconds afterCommand{800};
};

// The chosen recorder as the step reaches it.
struct Recorder {
    QString ip;
    QString user;
    QString password;
    int port = 0;       // of the session (the secure commands use 443 whatever it says)
    int portByMac = 0;  // of the search record of the recorder's MAC, 0 without one
    int securePort = 443;
    int replyType = 0;
    int clockDelta = 0;
};

// The cloud discovery list: its lines when the page is to fill the list (none when the list
// failed), nothing when the recorder did not finish in time.
std::optional<QStringList> Discover(PageTask::Control& control, DeviceCommandWorker& worker,
                                    const Recorder& recorder, const Pacing& pacing);

// Checks a typed camera password through the recorder (2038): true once the recorder accepted
// the credentials.
bool VerifyPassword(PageTask::Control& control, DeviceCommandWorker& worker,
                    const Recorder& recorder, const CameraEntry& camera, const QString& typed,
                    const Pacing& pacing);

// How a new camera password travels.
enum class PasswordRoute { Recorder, Direct, Datagram };
PasswordRoute RouteOf(int replyType, const CameraEntry& camera);

// Sets a new camera password by the route the recorder and the camera call for; `search` finds
// the interface of a datagram and the port of a camera served directly. True once set.
bool CreatePassword(PageTask::Control& control, DeviceCommandWorker& worker,
                    const DeviceSearch* search, const Recorder& recorder, const CameraEntry& camera,
                    const QString& newPassword, const Pacing& pacing);

// After a password attempt the worker stays a second, so a request in that time fails at once.
void Linger(PageTask::Control& control, const Pacing& pacing);

// What the recorder says of its cloud registration and portal.
struct Registration {
    bool failed = false;  // the registration request was not answered
    QString email;
    QString password;
    cameras::PortalValues portal;  // access stays "0" when nothing was read
};
Registration ReadRegistration(PageTask::Control& control, DeviceCommandWorker& worker,
                              const Recorder& recorder, const Pacing& pacing);

// What the recorder did with the list: positions in the list handed in.
struct AddOutcome {
    std::vector<int> added;
    std::vector<int> refused;
    std::vector<int> removed;
};
// Removes what the recorder holds and the user did not tick, adds what was ticked; avdevid
// counts the cameras added so far, so a refused add uses no number.
AddOutcome AddCameras(PageTask::Control& control, DeviceCommandWorker& worker,
                      const Recorder& recorder, const std::vector<CameraEntry>& cameras,
                      const Pacing& pacing);

}  // namespace camerastep
