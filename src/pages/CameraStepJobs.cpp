#include "pages/CameraStepJobs.h"

#include <array>

#include "device/DeviceCommandWorker.h"
#include "device/HttpGet.h"
#include "device/ReplyParser.h"
#include "discovery/DeviceSearch.h"
#include "shell/RecorderAccount.h"

namespace camerastep {
namespace {

const QString kAdmin = QStringLiteral("admin");
constexpr int kRegistrationTimeoutMs = 6000;
constexpr std::size_t kRegistrationBytes = 8200;

// Polls while the command runs; the status it ended with, or nothing when the page stopped
// the job.
std::optional<std::int32_t> WaitWhileRunning(PageTask::Control& control,
                                             const DeviceCommandWorker& worker,
                                             milliseconds interval, int polls) {
    const std::int32_t status = WaitForAccountReply(
        worker, [&control](milliseconds pause) { return control.pause(pause); }, interval, polls);
    if (!control.running()) {
        return std::nullopt;
    }
    return status;
}

}  // namespace

std::optional<QStringList> Discover(PageTask::Control& control, DeviceCommandWorker& worker,
                                    const Recorder& recorder, const Pacing& pacing) {
    if (!control.running()) {
        return std::nullopt;
    }
    worker.StopCommand();
    if (!control.pause(pacing.settle)) {
        return std::nullopt;
    }
    const auto start = [&] {
        return worker.StartNubraDiscovery(recorder.ip, 80, recorder.user, recorder.password);
    };
    if (!start()) {
        worker.StopCommand();
        if (!control.pause(pacing.settle)) {
            return std::nullopt;
        }
        start();
    }
    std::int32_t status = worker.status();
    for (int poll = 0; poll < pacing.discoveryPolls && control.running(); ++poll) {
        status = worker.status();
        if (status != kCommandRunning) {
            break;
        }
        control.pause(pacing.discoveryPoll);
    }
    if (!control.running() || status == kCommandRunning || status == kCommandTimedOut) {
        return std::nullopt;
    }
    QStringList lines;
    if (status == kCommandDone) {
        for (QString line = worker.NextListItem(); !line.isEmpty(); line = worker.NextListItem()) {
            lines.append(line);
        }
    }
    return lines;
}

bool VerifyPassword(PageTask::Control& control, DeviceCommandWorker& worker,
                    const Recorder& recorder, const CameraEntry& camera, const QString& typed,
                    const Pacing& pacing) {
    if (!worker.StartDetectCamera(recorder.ip, recorder.port, recorder.user, recorder.password,
                                  camera.cameraIp, kAdmin, typed, camera.protocol, camera.brand,
                                  camera.model)) {
        return false;
    }
    // The recorder answers a refused camera with 409, which ends the command as failed.
    const auto status =
        WaitWhileRunning(control, worker, pacing.passwordPoll, pacing.passwordPolls);
    return status == kCommandDone;
}

PasswordRoute RouteOf(int replyType, const CameraEntry& camera) {
    if (replyType != 1) {
        return PasswordRoute::Recorder;
    }
    return cameras::IsLegacy(camera) ? PasswordRoute::Datagram : PasswordRoute::Direct;
}

bool CreatePassword(PageTask::Control& control, DeviceCommandWorker& worker,
                    const DeviceSearch* search, const Recorder& recorder, const CameraEntry& camera,
                    const QString& newPassword, const Pacing& pacing) {
    bool started = false;
    switch (RouteOf(recorder.replyType, camera)) {
        case PasswordRoute::Recorder:
            started = worker.StartChangeCameraPassword(
                recorder.ip, recorder.port, recorder.user, recorder.password, camera.cameraIp,
                camera.protocol, camera.protocolType, kAdmin, camera.password, newPassword);
            break;
        case PasswordRoute::Datagram:
            started =
                search != nullptr && !camera.cameraIp.isEmpty() && !camera.cameraMac.isEmpty() &&
                StartPasswordChange(
                    *search, worker,
                    {camera.cameraIp, camera.cameraMac, recorder.replyType, recorder.clockDelta},
                    kAdmin, camera.password, newPassword) == AccountStart::Sent;
            break;
        case PasswordRoute::Direct: {
            int port = 0;
            if (search != nullptr) {
                const int index = search->FindByMac(camera.cameraMac);
                port = index >= 0 ? search->Port(index) : 0;
            }
            started = worker.StartSetCameraAdminPassword(camera.cameraIp, port, kAdmin,
                                                         camera.password, newPassword);
            break;
        }
    }
    if (!started) {
        return false;
    }
    const auto status =
        WaitWhileRunning(control, worker, pacing.passwordPoll, pacing.passwordPolls);
    if (status != kCommandDone) {
        return false;
    }
    worker.setLastUdpPassword(worker.lastUdpNewPassword());
    return true;
}

void Linger(PageTask::Control& control, const Pacing& pacing) {
    for (int step = 0; step < pacing.lingerSteps && control.pause(pacing.linger); ++step) {
    }
}

Registration ReadRegistration(PageTask::Control& control, DeviceCommandWorker& worker,
                              const Recorder& recorder, const Pacing& pacing) {
    Registration registration;
    registration.portal.access = QStringLiteral("0");
    if (!control.running()) {
        return registration;
    }
    {
        HttpGet http;
        if (http.Open(recorder.ip, recorder.user, recorder.password, kRegistrationTimeoutMs, 1,
                      recorder.securePort)) {
            std::vector<char> buffer(kRegistrationBytes, 0);
            std::size_t size = 0;
            if (http.Get(QStringLiteral("/config/nubrareginfo"), buffer, &size)) {
                ReplyParser reply(QByteArray(buffer.data(), static_cast<qsizetype>(size)));
                reply.SplitPairs(QStringLiteral("\r\n"));
                registration.email = reply.GetValue(QStringLiteral("email"));
                registration.password = reply.GetValue(QStringLiteral("password"));
            } else {
                registration.failed = true;
            }
            http.Close();
        }
    }
    worker.StopCommand();
    const auto start = [&] {
        return worker.StartGetNubraPortal(recorder.ip, recorder.portByMac, kAdmin,
                                          recorder.password);
    };
    bool started = start();
    if (!started) {
        worker.StopCommand();
        started = control.pause(pacing.portalRetry) && start();
    }
    for (int poll = 0; started && poll < pacing.portalPolls; ++poll) {
        if (!control.pause(pacing.portalPoll)) {
            break;
        }
        const cameras::PortalReading reading = cameras::ReadPortalInfo(worker.GetPortalInfo());
        if (reading.state == cameras::PortalReading::State::Refused) {
            break;
        }
        if (reading.state == cameras::PortalReading::State::Read) {
            registration.portal = reading.values;
            break;
        }
    }
    return registration;
}

AddOutcome AddCameras(PageTask::Control& control, DeviceCommandWorker& worker,
                      const Recorder& recorder, const std::vector<CameraEntry>& cameras,
                      const Pacing& pacing) {
    AddOutcome outcome;
    if (!control.running()) {
        return outcome;
    }
    worker.StopCommand();
    std::int32_t added = 0;
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        if (!control.pause(pacing.addGap)) {
            break;
        }
        const CameraEntry& camera = cameras[i];
        const int position = static_cast<int>(i);
        if (camera.addedFlag.contains(QLatin1Char('1')) && camera.selected == 0) {
            worker.setAvdevid(position);
            if (worker.StartPlainCommand(recorder.ip, recorder.portByMac, recorder.user,
                                         recorder.password, CMD_DELETE_CAMERA, 6000)) {
                if (WaitWhileRunning(control, worker, pacing.addPoll, pacing.addPolls) ==
                    kCommandDone) {
                    outcome.removed.push_back(position);
                    control.pause(pacing.afterRemove);
                }
            }
            worker.StopCommand();
            control.pause(pacing.afterCommand);
        } else if (camera.selected == 1) {
            bool accepted = false;
            if (worker.StartAddCamera(recorder.ip, recorder.portByMac, recorder.user,
                                      recorder.password, added, camera.model, camera.cameraIp,
                                      camera.cameraMac, ReadLeadingNumber(camera.protocolType),
                                      kAdmin, camera.password, camera.brand, camera.model)) {
                accepted = WaitWhileRunning(control, worker, pacing.addPoll, pacing.addPolls) ==
                           kCommandDone;
            }
            if (accepted) {
                ++added;
                outcome.added.push_back(position);
            } else {
                outcome.refused.push_back(position);
            }
            worker.StopCommand();
            control.pause(pacing.afterCommand);
        }
    }
    return outcome;
}

}  // namespace camerastep
