#include "PortalHttp.h"

#include <openssl/rand.h>

#include "ReplyOverride.h"

namespace sim {

namespace {

constexpr qsizetype kMinPasswordLength = 6;

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

HttpReply PortalHttp::answer(const HttpRequest& request) {
    const int forced =
        state_.with([](Scenario& scenario) { return scenario.portal.faults.forceStatus; });
    if (forced != 0) {
        return TextReply(forced, QByteArray::number(forced) + "\r\n");
    }
    const QByteArray path = request.path();
    const QByteArray query = request.query();
    const bool signUpPath = path == "/signin" && query.isEmpty();
    const bool signInPath = path == "/account/" && query == "signin";
    const bool bindPath = path == "/account/" && query == "add";
    if (signUpPath || signInPath || bindPath) {
        if (request.method != "POST") {
            return TextReply(405, "405 Method Not Allowed\r\n");
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
            "(orb-sim)</h1></body></html>\n");
    }
    return TextReply(404, "404 Not Found\r\n");
}

HttpReply PortalHttp::signedIn(const QString& email, const QByteArray& text) {
    QByteArray token(16, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(token.data()), 16) != 1) {
        return TextReply(500, "500 Internal Server Error\r\n");
    }
    token = token.toHex();
    {
        std::lock_guard lock(mutex_);
        sessions_[token] = email;
    }
    HttpReply reply = TextReply(200, text);
    reply.headers.append({"Set-Cookie", "nubra=" + token + "; path=/; Secure; HttpOnly"});
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
        return TextReply(200, outcome.second);
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
        return TextReply(200, outcome.second);
    }
    return signedIn(outcome.first, outcome.second);
}

// Error codes: BINDERR001 not signed in, BINDERR002 no such recorder, BINDERR003 wrong
// recorder password.
HttpReply PortalHttp::bind(const HttpRequest& request, const HttpPairs& form) {
    std::optional<QString> account;
    if (const auto token = CookieValue(request, "nubra")) {
        std::lock_guard lock(mutex_);
        const auto session = sessions_.find(*token);
        if (session != sessions_.end()) {
            account = session->second;
        }
    }
    const QByteArray number = Field(form, "nubra_no");
    const QByteArray dfp = Field(form, "dfp");
    const QByteArray devicePassword = Field(form, "device_password");
    const QByteArray text = state_.with([&](Scenario& scenario) -> QByteArray {
        const QString fixed = scenario.portal.replies.value(QStringLiteral("bind"));
        if (!fixed.isEmpty()) {
            return fixed.toUtf8();
        }
        if (!account) {
            return "BINDERR001: not signed in";
        }
        for (const Recorder& recorder : scenario.recorders) {
            const PortalData& data = recorder.portal;
            if (!Matches(number, data.portalNumber, Qt::CaseSensitive) ||
                !Matches(dfp, data.portalDfp, Qt::CaseInsensitive)) {
                continue;
            }
            if (!Matches(devicePassword, recorder.adminPassword, Qt::CaseSensitive)) {
                return "BINDERR003: wrong device password";
            }
            return "success\r\nnubra_no=" + data.portalNumber.toUtf8() +
                   "\r\nmodel=" + data.model.toUtf8() + "\r\naccount=" + account->toUtf8() + "\r\n";
        }
        return "BINDERR002: no such device";
    });
    return TextReply(200, text);
}

}  // namespace sim
