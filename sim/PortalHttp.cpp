#include "PortalHttp.h"

#include <openssl/rand.h>

#include "HostileStrings.h"
#include "HttpAuth.h"
#include "ReplyOverride.h"

namespace sim {

namespace {

constexpr qsizetype kMinPasswordLength = 6;
constexpr qsizetype kTokenBytes = 16;

// The wizard sends form values as it holds them (only "+" in an e-mail address becomes
// "%2B"); other clients percent-encode. A value matches in any of these readings.
QList<QString> Readings(const QByteArray& raw) {
    QByteArray formDecoded = raw;
    formDecoded.replace('+', ' ');
    return {QString::fromUtf8(raw), QString::fromUtf8(PercentDecoded(raw)),
            QString::fromUtf8(PercentDecoded(formDecoded))};
}

QString Stored(const QByteArray& raw) {
    return QString::fromUtf8(PercentDecoded(raw));
}

QByteArray Field(const HttpPairs& form, const QByteArray& key) {
    return QueryValue(form, key).value_or(QByteArray());
}

bool Matches(const QByteArray& raw, const QString& expected, Qt::CaseSensitivity sensitivity) {
    for (const QString& reading : Readings(raw)) {
        if (reading.compare(expected, sensitivity) == 0) {
            return true;
        }
    }
    return false;
}

const PortalAccount* FindAccount(const Portal& portal, const QByteArray& rawEmail) {
    for (const PortalAccount& account : portal.accounts) {
        if (Matches(rawEmail, account.email, Qt::CaseInsensitive)) {
            return &account;
        }
    }
    return nullptr;
}

HttpPairs ParseForm(QByteArray body) {
    // Every body the wizard posts ends with two CR LF pairs.
    while (body.endsWith('\n') || body.endsWith('\r')) {
        body.chop(1);
    }
    return SplitQuery(body);
}

std::optional<QByteArray> CookieValue(const HttpRequest& request, const QByteArray& name) {
    const auto header = request.header("Cookie");
    if (!header) {
        return std::nullopt;
    }
    for (const QByteArray& piece : header->split(';')) {
        const QByteArray pair = piece.trimmed();
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals) == name) {
            return pair.mid(equals + 1);
        }
    }
    return std::nullopt;
}

HttpReply Html(const QByteArray& body) {
    HttpReply reply = TextReply(200, body);
    reply.contentType = "text/html; charset=utf-8";
    return reply;
}

}  // namespace

PortalHttp::PortalHttp(SimState& state) : state_(state) {}

std::optional<Faults> PortalHttp::faults() {
    return state_.with(
        [](Scenario& scenario) -> std::optional<Faults> { return scenario.portal.faults; });
}

HttpReply PortalHttp::handle(const HttpRequest& request) {
    const auto taken = state_.with([&](Scenario& scenario) {
        return TakeOverride(scenario, &scenario.portal.overrides, request);
    });
    return Overridden(taken, [&] { return answer(request); });
}

QString PortalHttp::hostileSet() {
    return state_.with([](Scenario& scenario) { return scenario.portal.faults.hostileStrings; });
}

HttpReply PortalHttp::answer(const HttpRequest& request) {
    const Faults faults = state_.with([](Scenario& scenario) { return scenario.portal.faults; });
    const auto text = [&faults](int status, const QByteArray& words) {
        return TextReply(status, Hostile(words, faults.hostileStrings) + "\r\n");
    };
    if (faults.forceStatus != 0) {
        return text(faults.forceStatus, QByteArray::number(faults.forceStatus));
    }
    if (faults.unauthorizedForever) {
        return EndlessUnauthorized();
    }
    const QByteArray path = request.path();
    const QByteArray query = request.query();
    const bool signUpPath = path == "/signin" && query.isEmpty();
    const bool signInPath = path == "/account/" && query == "signin";
    const bool bindPath = path == "/account/" && query == "add";
    if (signUpPath || signInPath || bindPath) {
        if (request.method != "POST") {
            return text(405, "405 Method Not Allowed");
        }
        const HttpPairs form = ParseForm(request.body);
        if (signUpPath) {
            return signUp(form);
        }
        if (signInPath) {
            return signIn(form);
        }
        return bind(request, form);
    }
    // The summary's links open the portal's device page in a browser.
    if (request.method == "GET" && (path == "/" || path == "/device")) {
        return Html(
            "<!DOCTYPE html><html><head><title>nubra</title></head><body><h1>nubra portal "
            "(orb-sim)" +
            Hostile(QByteArray(), faults.hostileStrings) + "</h1></body></html>\n");
    }
    return text(404, "404 Not Found");
}

HttpReply PortalHttp::signedIn(const QString& email, const QByteArray& text) {
    QByteArray token(kTokenBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(token.data()), kTokenBytes) != 1) {
        return TextReply(500, "500 Internal Server Error\r\n");
    }
    token = token.toHex();
    {
        std::lock_guard lock(mutex_);
        sessions_[token] = email;
    }
    const QString hostile = hostileSet();
    HttpReply reply = TextReply(200, Hostile(text, hostile));
    // The hostile text follows the token in the cookie's value; the session is still found
    // by the token in front.
    reply.headers.append({"Set-Cookie", "nubra=" + token + HostileHeaderText(hostile) +
                                            "; path=/; Secure; HttpOnly"});
    return reply;
}

// Error codes: 001 e-mail taken, 002 no password, 003 passwords differ, 004 password too short,
// 005 terms not accepted, 006 e-mail address malformed.
HttpReply PortalHttp::signUp(const HttpPairs& form) {
    const QByteArray rawEmail = Field(form, "email");
    const QString email = Stored(rawEmail);
    const QString password = Stored(Field(form, "password"));
    const auto outcome = state_.with([&](Scenario& scenario) -> std::pair<bool, QByteArray> {
        Portal& portal = scenario.portal;
        const QString fixed = portal.replies.value(QStringLiteral("signup"));
        if (!fixed.isEmpty()) {
            return {fixed.contains(QLatin1String("success")), fixed.toUtf8()};
        }
        if (!email.contains(QLatin1Char('@')) || email.startsWith(QLatin1Char('@')) ||
            email.endsWith(QLatin1Char('@'))) {
            return {false, "SIGNUPERR006: invalid e-mail address"};
        }
        if (FindAccount(portal, rawEmail) != nullptr) {
            return {false, "SIGNUPERR001: e-mail address already registered"};
        }
        if (password.isEmpty()) {
            return {false, "SIGNUPERR002: password required"};
        }
        if (!Matches(Field(form, "password_verify"), password, Qt::CaseSensitive)) {
            return {false, "SIGNUPERR003: passwords differ"};
        }
        if (password.size() < kMinPasswordLength) {
            return {false, "SIGNUPERR004: password too short"};
        }
        if (Field(form, "action") != "sign-up" || Field(form, "accept") != "accept") {
            return {false, "SIGNUPERR005: terms not accepted"};
        }
        portal.accounts.append({email, password});
        return {true, "success"};
    });
    if (!outcome.first) {
        return TextReply(200, Hostile(outcome.second, hostileSet()));
    }
    return signedIn(email, outcome.second);
}

// Error codes: 001 e-mail or password missing, 002 no such account, 003 wrong password.
HttpReply PortalHttp::signIn(const HttpPairs& form) {
    const QByteArray rawEmail = Field(form, "email");
    const QByteArray rawPassword = Field(form, "password");
    const auto outcome = state_.with([&](Scenario& scenario) -> std::pair<QString, QByteArray> {
        Portal& portal = scenario.portal;
        const QString fixed = portal.replies.value(QStringLiteral("signin"));
        if (!fixed.isEmpty()) {
            return {fixed.contains(QLatin1String("success")) ? Stored(rawEmail) : QString(),
                    fixed.toUtf8()};
        }
        if (rawEmail.isEmpty() || rawPassword.isEmpty()) {
            return {QString(), "SIGNINERR001: e-mail address and password required"};
        }
        const PortalAccount* account = FindAccount(portal, rawEmail);
        if (account == nullptr) {
            return {QString(), "SIGNINERR002: no such account"};
        }
        if (!Matches(rawPassword, account->password, Qt::CaseSensitive)) {
            return {QString(), "SIGNINERR003: wrong password"};
        }
        return {account->email, "success"};
    });
    if (outcome.first.isEmpty()) {
        return TextReply(200, Hostile(outcome.second, hostileSet()));
    }
    return signedIn(outcome.first, outcome.second);
}

// Error codes: BINDERR001 not signed in, BINDERR002 no such recorder, BINDERR003 wrong
// recorder password.
HttpReply PortalHttp::bind(const HttpRequest& request, const HttpPairs& form) {
    std::optional<QString> account;
    if (const auto cookie = CookieValue(request, "nubra")) {
        std::lock_guard lock(mutex_);
        const auto session = sessions_.find(cookie->left(2 * kTokenBytes));
        if (session != sessions_.end()) {
            account = session->second;
        }
    }
    const QByteArray number = Field(form, "nubra_no");
    const QByteArray dfp = Field(form, "dfp");
    const QByteArray devicePassword = Field(form, "device_password");
    const QByteArray text = state_.with([&](Scenario& scenario) -> QByteArray {
        const QString& hostile = scenario.portal.faults.hostileStrings;
        const QString fixed = scenario.portal.replies.value(QStringLiteral("bind"));
        if (!fixed.isEmpty()) {
            return Hostile(fixed.toUtf8(), hostile);
        }
        if (!account) {
            return Hostile("BINDERR001: not signed in", hostile);
        }
        for (const Recorder& recorder : scenario.recorders) {
            const PortalData& data = recorder.portal;
            if (!Matches(number, data.portalNumber, Qt::CaseSensitive) ||
                !Matches(dfp, data.portalDfp, Qt::CaseInsensitive)) {
                continue;
            }
            if (!Matches(devicePassword, recorder.adminPassword, Qt::CaseSensitive)) {
                return Hostile("BINDERR003: wrong device password", hostile);
            }
            return Hostile("success", hostile) +
                   "\r\nnubra_no=" + Hostile(data.portalNumber.toUtf8(), hostile) +
                   "\r\nmodel=" + Hostile(data.model.toUtf8(), hostile) +
                   "\r\naccount=" + Hostile(account->toUtf8(), hostile) + "\r\n";
        }
        return Hostile("BINDERR002: no such device", hostile);
    });
    return TextReply(200, text);
}

}  // namespace sim
