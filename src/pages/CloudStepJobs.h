#pragma once

#include <QString>

#include <chrono>

#include "pages/PageTask.h"

class DeviceCommandWorker;

// What the cloud step's worker does on its page task: the account on the portal, the recorder
// bound to it there, and the recorder told of both. It returns what the page shows and never
// touches a widget or the session.
namespace cloudstep {

using std::chrono::milliseconds;

// The fixed waits of the step; tests keep the rules and shrink the pauses.
struct Pacing {
    milliseconds retry{1000};         // before the second try of a sign-in that did not start
    milliseconds betweenSteps{1000};  // after each stop before the next command
    milliseconds poll{100};
    int signInPolls = 160;
    int signUpPolls = 155;
    int commandPolls = 160;
    milliseconds end{100};
    milliseconds afterRegistration{50};
};

// The recorder and the portal as the camera step left them.
struct Link {
    QString portalHost;
    QString portalNumber;
    QString portalDfp;
    QString recorderIp;
    int portByMac = 0;  // of the search record of the recorder's MAC, 0 without one
    int securePort = 443;
    QString adminUser;
    QString adminPassword;
};

struct Account {
    QString email;
    QString password;
    QString passwordVerify;  // a sign-up only
};

struct Outcome {
    bool linked = false;
    bool networkFailed = false;
    QString errorText;  // the portal's own words, for the error label
    Account account;    // the one this attempt tried
};

// The version the wizard gives the portal.
QString WizardVersion();

// Signs in, then links. A sign-in reply may take the whole polling time (16 s).
Outcome SignIn(PageTask::Control& control, DeviceCommandWorker& worker, const Link& link,
               const Account& account, const Pacing& pacing);
// Signs up, links, then hands the account to the recorder once more by a request of its own.
Outcome SignUp(PageTask::Control& control, DeviceCommandWorker& worker, const Link& link,
               const Account& account, const Pacing& pacing);

// The target of that request: both values escaped as the recorder's account command escapes
// them, so the recorder reads the account one way whichever request it takes.
QString RegistrationTarget(const QString& email, const QString& password);

}  // namespace cloudstep
