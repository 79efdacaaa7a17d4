#include "pages/CloudStepJobs.h"

#include <vector>

#include "device/DeviceCommandWorker.h"
#include "device/HttpGet.h"
#include "device/QueryText.h"
#include "shell/Product.h"

namespace cloudstep {

namespace {

const QString kClient = QStringLiteral("wizard");
const QString kLanguage = QStringLiteral("en");
const QString kSuccess = QStringLiteral("success");
const QString kAdmin = QStringLiteral("admin");
// Shorter portal replies are the worker's own failure marks ("-1") or nothing at all.
constexpr qsizetype kShortestReply = 5;
constexpr int kRegistrationTimeoutMs = 6000;
constexpr std::size_t kRegistrationBytes = 8200;

// The first reply text, or the empty text when none came in `polls` polls.
QString PollReply(PageTask::Control& control, DeviceCommandWorker& worker, int polls,
                  const Pacing& pacing) {
    for (int poll = 0; poll < polls && control.running(); ++poll) {
        if (!control.pause(pacing.poll)) {
            break;
        }
        QString reply = worker.GetReplyText();
        if (!reply.isEmpty()) {
            return reply;
        }
    }
    return {};
}

// True when the recorder command ended done.
bool PollDone(PageTask::Control& control, DeviceCommandWorker& worker, const Pacing& pacing) {
    for (int poll = 0; poll < pacing.commandPolls && control.running(); ++poll) {
        if (!control.pause(pacing.poll)) {
            break;
        }
        if (worker.status() != kCommandRunning) {
            break;
        }
    }
    return worker.status() == kCommandDone;
}

// The next command after a stop and the pause the recorder and the portal are given.
bool NextStep(PageTask::Control& control, DeviceCommandWorker& worker, const Pacing& pacing) {
    worker.StopCommand();
    return control.pause(pacing.betweenSteps);
}

// A reply without "success": the portal's words, or a failure of the network.
void Refused(const QString& reply, Outcome& outcome) {
    if (reply.size() < kShortestReply) {
        outcome.networkFailed = true;
    } else {
        outcome.errorText = reply;
    }
}

// What follows an accepted account: the bind on the portal, then the recorder marked
// registered and told the account.
void Bind(PageTask::Control& control, DeviceCommandWorker& worker, const Link& link,
          const Account& account, int replyPolls, const Pacing& pacing, Outcome& outcome) {
    if (!NextStep(control, worker, pacing) ||
        !worker.StartPortalBind(link.portalHost, kClient, WizardVersion(), kLanguage,
                                link.portalNumber, link.adminPassword, link.portalDfp)) {
        outcome.networkFailed = true;
        return;
    }
    const QString bound = PollReply(control, worker, replyPolls, pacing);
    if (!bound.contains(link.portalNumber) ||
        !bound.contains(QString::fromUtf16(product::kModel))) {
        // The account exists on the portal, but the recorder is not on it: the portal says
        // why, unless nothing came back at all.
        Refused(bound, outcome);
        return;
    }
    if (!NextStep(control, worker, pacing) ||
        !worker.StartSetNubraRegStatus(link.recorderIp, link.portByMac, link.adminUser,
                                       link.adminPassword) ||
        !PollDone(control, worker, pacing)) {
        outcome.networkFailed = true;
        return;
    }
    if (!NextStep(control, worker, pacing) ||
        !worker.StartSetNubraRegInfo(link.recorderIp, link.portByMac, link.adminUser,
                                     link.adminPassword, account.email, account.password) ||
        !PollDone(control, worker, pacing)) {
        outcome.networkFailed = true;
        return;
    }
    outcome.linked = true;
}

void SendRegistration(PageTask::Control& control, const Link& link, const Account& account,
                      const Pacing& pacing) {
    HttpGet http;
    if (!http.Open(link.recorderIp, kAdmin, link.adminPassword, kRegistrationTimeoutMs, 1,
                   link.securePort)) {
        return;
    }
    std::vector<char> buffer(kRegistrationBytes, 0);
    std::size_t size = 0;
    // What the recorder answers is not needed: 2016 already told it.
    http.Get(RegistrationTarget(account.email, account.password), buffer, &size);
    control.pause(pacing.afterRegistration);
    http.Close();
}

}  // namespace

QString WizardVersion() {
    return QString::fromUtf16(product::kModel) + QLatin1Char('_') +
           QString::fromUtf16(product::kVersion);
}

QString RegistrationTarget(const QString& email, const QString& password) {
    return QStringLiteral("/config/nubrareginfo?status=1&email=") + EscapeQueryValue(email) +
           QStringLiteral("&password=") + EscapeQueryValue(password);
}

Outcome SignIn(PageTask::Control& control, DeviceCommandWorker& worker, const Link& link,
               const Account& account, const Pacing& pacing) {
    Outcome outcome;
    outcome.account = account;
    if (control.running()) {
        const auto start = [&] {
            return worker.StartPortalSignIn(link.portalHost, kClient, WizardVersion(), kLanguage,
                                            account.email, account.password);
        };
        bool started = start();
        if (!started) {
            worker.StopCommand();
            started = control.pause(pacing.retry) && start();
        }
        if (!started) {
            outcome.networkFailed = true;
        } else {
            // The reply is polled while the request runs; stopping it first would abort it.
            const QString reply = PollReply(control, worker, pacing.signInPolls, pacing);
            if (reply.contains(kSuccess)) {
                Bind(control, worker, link, account, pacing.signInPolls, pacing, outcome);
            } else {
                Refused(reply, outcome);
            }
        }
    }
    worker.StopCommand();
    control.pause(pacing.end);
    return outcome;
}

Outcome SignUp(PageTask::Control& control, DeviceCommandWorker& worker, const Link& link,
               const Account& account, const Pacing& pacing) {
    Outcome outcome;
    outcome.account = account;
    if (!control.running()) {
        return outcome;
    }
    if (!worker.StartPortalSignUp(link.portalHost, kClient, WizardVersion(), kLanguage,
                                  account.email, account.password, account.passwordVerify,
                                  QString(), QString())) {
        outcome.networkFailed = true;
        return outcome;
    }
    const QString reply = PollReply(control, worker, pacing.signUpPolls, pacing);
    if (!reply.contains(kSuccess)) {
        Refused(reply, outcome);
        return outcome;
    }
    Bind(control, worker, link, account, pacing.signUpPolls, pacing, outcome);
    if (outcome.linked) {
        SendRegistration(control, link, account, pacing);
    }
    return outcome;
}

}  // namespace cloudstep
