#pragma once

// Basic and Digest (RFC 2617 with qop "auth", and the older RFC 2069 form) as a device checks
// them. Only the user "admin" exists on the simulated devices.

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "HttpTypes.h"

namespace sim {

QByteArray Md5Hex(const QByteArray& text);

class DigestAuthority {
public:
    // nonces: where fresh nonces come from; random when not given.
    explicit DigestAuthority(QByteArray realm, std::function<QByteArray()> nonces = {});

    const QByteArray& realm() const { return realm_; }
    const QByteArray& opaque() const { return opaque_; }

    // The WWW-Authenticate value of a new challenge. Blanks after the commas matter: the wizard
    // splits challenges at blanks.
    QByteArray challenge();

    // Checks an "Authorization: Digest ..." value for the request; a nonce count must rise
    // with every use of a nonce, so a captured header cannot be replayed.
    bool verify(const QByteArray& authorization, const QByteArray& method, const QByteArray& target,
                const QString& user, const QString& password);

private:
    static constexpr size_t kMaxNonces = 256;

    QByteArray realm_;
    QByteArray opaque_;
    std::function<QByteArray()> nonces_;
    std::mutex mutex_;
    std::map<QByteArray, quint64> lastCount_;  // nonce -> highest nc accepted (0: none yet)
    std::deque<QByteArray> issued_;            // oldest first, for eviction
};

struct AuthPolicy {
    QString password;     // of user "admin"
    bool digest = false;  // Digest required (Basic only for an empty password)
};

// Nothing when the request may pass; otherwise the 401 reply with the challenge.
std::optional<HttpReply> Authenticate(const HttpRequest& request, const AuthPolicy& policy,
                                      DigestAuthority& digest);

// The 401 a device answers when it refuses, with the challenge its policy asks for.
HttpReply Unauthorized(const AuthPolicy& policy, DigestAuthority& digest);

// The 401 of the unauthorizedForever knob: a Digest challenge with a nonce and opaque never
// seen before, marked stale so that a client takes it for a retry worth making.
HttpReply EndlessUnauthorized();

}  // namespace sim
