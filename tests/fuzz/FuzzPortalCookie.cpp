// Arbitrary Set-Cookie texts from the portal through the cookie the worker keeps, the bind
// request that carries it back, and arbitrary portal replies through the error count.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <limits>

#include "FuzzInput.h"
#include "device/CommandCatalogue.h"
#include "device/DeviceCommandWorker.h"

namespace {

const QString kCookieSeparator = QStringLiteral("; ");

// The "nubra" pair of a cookie text, as a plain scan of its pieces finds it.
QString ExpectedCookie(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    for (const QString& piece : text.split(kCookieSeparator)) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals >= 0 && piece.left(equals) == u"nubra") {
            return piece.mid(equals + 1);
        }
    }
    return {};
}

void CheckCookie(const QString& text) {
    const QString cookie = PortalCookieOf(text);
    FuzzCheck(cookie == ExpectedCookie(text));
    FuzzCheck(!cookie.contains(kCookieSeparator));
    // A value the portal sets comes back as it was, attributes or not.
    FuzzCheck(PortalCookieOf(QStringLiteral("nubra=") + cookie) == cookie);
    FuzzCheck(PortalCookieOf(QStringLiteral("nubra=") + cookie + QStringLiteral("; Path=/")) ==
              cookie);
    FuzzCheck(PortalCookieOf(QStringLiteral("other=1; nubra=") + cookie) == cookie);
}

void CheckBind(const QString& cookie, std::int32_t errCount) {
    CommandParams params;
    params.nubraNo = cookie;
    params.dfp = cookie;
    const PortalRequest request = BuildPortalRequest(CMD_PORTAL_BIND, params, cookie, errCount);
    QString safe = cookie;
    safe.remove(u'\r');
    safe.remove(u'\n');
    // Exactly two header lines, whatever the cookie holds.
    FuzzCheck(request.headers ==
              QStringLiteral("Content-Type: application/x-www-form-urlencoded\r\nCookie: nubra=") +
                  safe + QStringLiteral(";\r\n"));
    FuzzCheck(request.headers.count(u'\n') == 2 && request.headers.count(u'\r') == 2);
    FuzzCheck(request.path == u"/account/?add");
    FuzzCheck(request.body.endsWith(QStringLiteral("&err_count=") + QString::number(errCount) +
                                    QStringLiteral("\r\n\r\n")));
    FuzzCheck(request.body.count(QStringLiteral("\r\n")) == 2);
    // The cookie is only for the bind.
    for (const std::int32_t code : {CMD_PORTAL_SIGNUP, CMD_PORTAL_SIGNIN}) {
        FuzzCheck(!BuildPortalRequest(code, params, cookie, errCount).headers.contains(u"Cookie"));
    }
}

void CheckErrCount(const QString& reply, std::int32_t errCount) {
    const auto has = [&reply](const char* word) { return reply.contains(QLatin1String(word)); };
    const std::int32_t raised =
        errCount == std::numeric_limits<std::int32_t>::max() ? errCount : errCount + 1;
    const auto rule = [&](const char* error) {
        return has(error) ? raised : has("success") ? 0 : errCount;
    };
    FuzzCheck(NextErrCount(CMD_PORTAL_SIGNUP, reply, errCount) == rule("SIGNUPERR"));
    FuzzCheck(NextErrCount(CMD_PORTAL_SIGNIN, reply, errCount) ==
              (has("SIGNINERR001") ? errCount : rule("SIGNINERR")));
    FuzzCheck(NextErrCount(CMD_PORTAL_BIND, reply, errCount) == rule("BINDERR"));
    FuzzCheck(NextErrCount(CMD_GET_NUBRA_PORTAL, reply, errCount) == errCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const auto errCount = static_cast<std::int32_t>(in.Word32());
    // The header value as the client hands it over, in the system's 8-bit encoding.
    const QString setCookie = QString::fromLocal8Bit(in.Piece('\n'));
    const QString reply = QString::fromLocal8Bit(in.Rest());

    CheckCookie(setCookie);
    const QString kept = PortalCookieOf(setCookie);
    // A reply without Set-Cookie reads the kept value again as a cookie text.
    CheckCookie(kept);
    CheckBind(kept, errCount);
    CheckBind(setCookie, errCount);
    CheckErrCount(reply, errCount);
    CheckErrCount(setCookie, errCount);
    return 0;
}
