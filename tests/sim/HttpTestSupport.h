#pragma once

// Helpers for driving the simulator's HTTP handlers in-process.

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include "HttpTypes.h"
#include "Scenario.h"

namespace simtest {

inline QByteArray BasicHeader(const QByteArray& userColonPassword) {
    return "Basic " + userColonPassword.toBase64();
}

inline sim::HttpRequest Get(const QByteArray& target, const QByteArray& authorization = {}) {
    sim::HttpRequest request;
    request.target = target;
    if (!authorization.isEmpty()) {
        request.headers.append(qMakePair(QByteArray("Authorization"), authorization));
    }
    return request;
}

inline sim::HttpRequest Post(const QByteArray& target, const QByteArray& body,
                             const QByteArray& cookie = {}) {
    sim::HttpRequest request;
    request.method = "POST";
    request.target = target;
    request.tls = true;
    request.headers.append(
        qMakePair(QByteArray("Content-Type"), QByteArray("application/x-www-form-urlencoded")));
    if (!cookie.isEmpty()) {
        request.headers.append(qMakePair(QByteArray("Cookie"), cookie));
    }
    request.body = body;
    return request;
}

// MD5 through Qt, not through the simulator's own code.
inline QByteArray Md5(const QByteArray& text) {
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

// A quoted parameter of a challenge ("nonce" of Digest realm="x", nonce="y", ...).
inline QByteArray ChallengeParam(const QByteArray& challenge, const QByteArray& name) {
    const QByteArray key = name + "=\"";
    const qsizetype start = challenge.indexOf(key);
    if (start < 0) {
        return {};
    }
    const qsizetype valueStart = start + key.size();
    return challenge.mid(valueStart, challenge.indexOf('"', valueStart) - valueStart);
}

// The Authorization value the wizard builds for a challenge (qop form, nc and algorithm
// unquoted, no blanks after commas).
inline QByteArray WizardDigest(const QByteArray& challenge, const QByteArray& password,
                               const QByteArray& method, const QByteArray& uri,
                               const QByteArray& nc, const QByteArray& cnonce) {
    const QByteArray realm = ChallengeParam(challenge, "realm");
    const QByteArray nonce = ChallengeParam(challenge, "nonce");
    const QByteArray ha1 = Md5("admin:" + realm + ':' + password);
    const QByteArray ha2 = Md5(method + ':' + uri);
    const QByteArray response = Md5(ha1 + ':' + nonce + ':' + nc + ':' + cnonce + ":auth:" + ha2);
    return "Digest username=\"admin\",realm=\"" + realm + "\",nonce=\"" + nonce + "\",uri=\"" +
           uri + "\",cnonce=\"" + cnonce + "\",nc=" + nc + ",algorithm=MD5,response=\"" + response +
           "\",qop=\"auth\"";
}

inline QByteArray ReplyHeader(const sim::HttpReply& reply, const QByteArray& name) {
    for (const auto& [key, value] : reply.headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

// One recorder at 10.77.0.10 with two cameras, and the portal at 10.77.0.100.
inline sim::Scenario SmallScenario() {
    sim::Scenario scenario;
    sim::Recorder recorder;
    sim::Camera held;
    held.addedFlag = "1";
    held.ip = "10.77.0.21";
    held.mac = "00:1c:2a:00:00:21";
    held.brand = "corvane";
    held.model = "LUX-410";
    held.account = "admin";
    held.password = "Cam-Pass1";
    held.protocol = "cgi";
    held.protocolType = "1";
    held.name = "Front door";
    held.adminPassword = "Cam-Pass1";
    sim::Camera fresh;
    fresh.addedFlag = "0";
    fresh.ip = "10.77.0.22";
    fresh.mac = "00:1c:2a:00:00:22";
    fresh.brand = "corvane";
    fresh.model = "LUX-7731K";
    fresh.account = "admin";
    fresh.protocol = "onvif";
    fresh.protocolType = "0";
    fresh.name = "Yard";
    fresh.adminPassword = "";
    recorder.cameras = {held, fresh};
    scenario.recorders.append(recorder);
    scenario.portal.accounts.append(
        sim::PortalAccount{QStringLiteral("owner@example.com"), QStringLiteral("Portal-Pass1")});
    return scenario;
}

}  // namespace simtest
