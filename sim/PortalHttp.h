#pragma once

// The cloud portal's form endpoints: sign-up ("/signin"), sign-in ("/account/?signin") and
// binding a recorder to the signed-in account ("/account/?add", with the "nubra" cookie).
// Replies are short texts holding "success" or an error code; a scenario may fix the text, and
// the hostileStrings knob adds its set to each.

#include <QByteArray>
#include <QString>

#include <map>
#include <mutex>
#include <optional>

#include "HttpTypes.h"
#include "Scenario.h"
#include "SimState.h"

namespace sim {

class PortalHttp {
public:
    explicit PortalHttp(SimState& state);

    // Through the device's reply overrides first.
    HttpReply handle(const HttpRequest& request);

    std::optional<Faults> faults();
    QString label() const { return QStringLiteral("portal"); }

private:
    HttpReply answer(const HttpRequest& request);
    HttpReply signUp(const HttpPairs& form);
    HttpReply signIn(const HttpPairs& form);
    HttpReply bind(const HttpRequest& request, const HttpPairs& form);
    HttpReply signedIn(const QString& email, const QByteArray& text);
    // The hostile set of the portal's texts now (empty: none).
    QString hostileSet();

    SimState& state_;
    std::mutex mutex_;
    std::map<QByteArray, QString> sessions_;  // cookie value -> account e-mail
};

}  // namespace sim
