#include "device/CommandCatalogue.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>

#include "device/HttpGet.h"
#include "device/QueryText.h"
#include "device/ReplyParser.h"
#include "platform/PrescribedWait.h"
#include "util/Base64.h"
#include "util/NvrAes.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kRegStatusRetryPause = 100ms;
constexpr std::size_t kMaxEncipheredBytes = 64;
const QString kLineEnd = QStringLiteral("\r\n");

// One request of a command into the cleared reply buffer; the text, or nothing on failure.
std::optional<QString> Request(CommandContext& context, const QString& path) {
    std::fill(context.reply.begin(), context.reply.end(), '\0');
    std::size_t size = 0;
    if (!context.client.Get(path, context.reply, &size)) {
        return std::nullopt;
    }
    return ReplyText(context.reply, size);
}

// A command whose only result is that the recorder took it: an error page is no success.
bool Taken(CommandContext& context, const QString& path) {
    if (!Request(context, path)) {
        return false;
    }
    int status = 0;
    context.client.StatusCode(&status);
    return status >= 200 && status < 300;
}

QString Number(std::int32_t value) {
    return QString::number(value);
}

// Puts the values in place of the pattern's "{}" marks in one pass, so a value that holds
// something looking like a mark is never filled again.
QString Fill(QStringView pattern, std::initializer_list<QString> values) {
    QString out;
    auto value = values.begin();
    qsizetype from = 0;
    for (;;) {
        const qsizetype mark = pattern.indexOf(u"{}", from);
        if (mark < 0 || value == values.end()) {
            out += pattern.mid(from);
            return out;
        }
        out += pattern.mid(from, mark - from);
        out += *value++;
        from = mark + 2;
    }
}

QString UpperHex(std::span<const std::uint8_t> bytes) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size()))
                                   .toHex()
                                   .toUpper());
}

std::int32_t RegStatus(CommandContext& context, const QString& path) {
    const auto first = Request(context, path);
    if (!first) {
        return kCommandFailed;
    }
    if (first->contains(QLatin1Char('1'))) {
        return kCommandDone;
    }
    platform::PrescribedSleep(kRegStatusRetryPause);
    const auto second = Request(context, path);
    return second && second->contains(QLatin1Char('1')) ? kCommandDone : kCommandFailed;
}

std::int32_t FormatPoll(CommandContext& context) {
    const auto text = Request(context, QStringLiteral("/config/storageformatpoll"));
    if (!text) {
        return kCommandFailed;
    }
    ReplyParser parser(*text);
    parser.SplitPairs(kLineEnd);
    context.results.pollStatus = ReadLeadingNumber(parser.GetValue(QStringLiteral("status")));
    return kCommandDone;
}

std::int32_t PortalData(CommandContext& context) {
    const auto text = Request(context, QStringLiteral("/config/nubraportal"));
    if (!text) {
        return kCommandFailed;
    }
    context.results.portalValues = PortalValuesOf(*text);
    return kCommandDone;
}

std::int32_t Discovery(CommandContext& context) {
    const auto text = Request(context, QStringLiteral("/config/nubradiscovery"));
    if (!text) {
        return kCommandFailed;
    }
    context.results.list = DiscoveryListOf(*text);
    context.results.cursor = 0;
    return kCommandDone;
}

std::int32_t CameraAdminPassword(CommandContext& context, const CommandParams& params) {
    const auto text = Request(context, CommandPath(CMD_SET_CAMERA_ADMIN_PASSWORD, params));
    if (!text) {
        return kCommandFailed;
    }
    return text->contains(QStringLiteral("AdminPassword=") + params.newAdminPassword)
               ? kCommandDone
               : kCommandFailed;
}

std::optional<QString> Encipher(const std::vector<std::uint8_t>& key, const QString& password) {
    const QByteArray plain = password.toLocal8Bit();
    if (static_cast<std::size_t>(plain.size()) > kMaxEncipheredBytes) {
        return std::nullopt;  // would be cut: the camera would get another password
    }
    const auto cipher =
        NvrAesEncrypt(key, std::span(reinterpret_cast<const std::uint8_t*>(plain.constData()),
                                     static_cast<std::size_t>(plain.size())));
    return UpperHex(cipher);
}

std::int32_t ChangeCameraPassword(CommandContext& context, const CommandParams& params) {
    const auto list = Request(context, QStringLiteral("/live/avdevlist"));
    if (!list) {
        return kCommandFailed;
    }
    const QString id = params.camHost.isEmpty() ? QString() : CameraIdOf(*list, params.camHost);
    const auto login = Request(context, QStringLiteral("/config/login"));
    if (!login) {
        return kCommandFailed;
    }
    ReplyParser parser(*login);
    parser.SplitPairs(kLineEnd);
    const std::vector<std::uint8_t> key =
        HexDecode(parser.GetValue(QStringLiteral("key")).toStdString());
    if (key.empty()) {
        return kCommandFailed;  // never encipher the passwords with a key of zeros
    }
    const auto oldPassword = Encipher(key, params.camOldPassword);
    const auto newPassword = Encipher(key, params.camNewPassword);
    if (!oldPassword || !newPassword) {
        return kCommandFailed;
    }
    QString path;
    if (!id.isEmpty()) {
        path = Fill(u"/config/avdevchangepassword?avdevid={}&oldpassword={}&newpassword={}",
                    {id, *oldPassword, *newPassword});
    } else {
        path = Fill(
            u"/config/avdevchangepassword?hostname={}&protocol={}&protocoltype={}"
            u"&username={}&oldpassword={}&newpassword={}",
            {EscapeQueryValue(params.camHost), EscapeQueryValue(params.camProtocol),
             EscapeQueryValue(params.camProtocolType), Base64Encode(params.camUser), *oldPassword,
             *newPassword});
    }
    return Request(context, path) ? kCommandDone : kCommandFailed;
}

std::int32_t Portal(std::int32_t code, const CommandParams& params, CommandContext& context) {
    HttpGet& client = context.client;
    client.setAuthMode(kAuthNoHeader);
    const PortalRequest request =
        BuildPortalRequest(code, params, context.results.portalCookie, context.errCount);
    if (!client.PostForm(request.path, request.headers, request.body)) {
        return kCommandFailed;
    }
    std::fill(context.reply.begin(), context.reply.end(), '\0');
    std::size_t total = 0;
    std::array<char, HttpGet::kPieceBytes> piece{};
    for (;;) {
        std::size_t read = 0;
        if (!client.ReadChunk(piece, &read)) {
            return kCommandFailed;
        }
        if (read == 0) {
            break;
        }
        // Whatever does not fit is read and let go, so the reply still ends cleanly.
        const std::size_t room = context.reply.size() - std::min(total, context.reply.size());
        const std::size_t kept = std::min(read, room > 0 ? room - 1 : 0);
        std::memcpy(context.reply.data() + total, piece.data(), kept);
        total += kept;
    }
    if (code == CMD_PORTAL_SIGNUP || code == CMD_PORTAL_SIGNIN) {
        QString cookie;
        if (client.QuerySetCookie(&cookie)) {
            context.results.portalCookie = cookie;
        }
        // Without a new Set-Cookie the value kept from before is read again, as a cookie text.
        context.results.portalCookie = PortalCookieOf(context.results.portalCookie);
    }
    context.results.replyText = ReplyText(context.reply, total);
    context.errCount = NextErrCount(code, context.results.replyText, context.errCount);
    return kCommandDone;
}

}  // namespace

QString ReplyText(std::span<const char> reply, std::size_t size) {
    // An empty span may hold no pointer at all, which strnlen must never get.
    if (reply.empty()) {
        return {};
    }
    const std::size_t length = strnlen(reply.data(), std::min(size, reply.size()));
    return QString::fromLocal8Bit(reply.data(), static_cast<qsizetype>(length));
}

QStringList PortalValuesOf(const QString& reply) {
    static const char* const kKeys[] = {"status",     "access", "portal_url",    "portal_number",
                                        "portal_dfp", "model",  "localhyperlink"};
    ReplyParser parser(reply);
    parser.SplitPairs(kLineEnd);
    QStringList values;
    for (const char* key : kKeys) {
        values.append(parser.GetValue(QString::fromLatin1(key)));
    }
    return values;
}

QString JoinPortalValues(const QStringList& values) {
    constexpr qsizetype kPortalValues = 7;
    QStringList seven = values.mid(0, kPortalValues);
    while (seven.size() < kPortalValues) {
        seven.append(QString());
    }
    return seven.join(QLatin1Char('&'));
}

QStringList DiscoveryListOf(const QString& reply) {
    ReplyParser parser(reply);
    const int count = std::min(parser.SplitItems(kLineEnd), DeviceCommandWorker::kMaxListItems);
    QStringList list;
    for (int i = 0; i < count; ++i) {
        list.append(parser.GetItem(i));
    }
    return list;
}

QString CameraIdOf(const QString& list, const QString& camHost) {
    ReplyParser parser(list);
    const int count = parser.SplitItems(kLineEnd);
    QString id;
    for (int i = 0; i < count; ++i) {
        const QString item = parser.GetItem(i);
        if (!item.contains(camHost)) {
            continue;
        }
        const QString first = item.section(QLatin1Char(';'), 0, 0);
        const qsizetype equals = first.indexOf(QLatin1Char('='));
        id = equals < 0 ? first : first.mid(equals + 1);
    }
    return id;
}

QString PortalCookieOf(const QString& cookieText) {
    ReplyParser parser(cookieText);
    parser.SplitPairs(QStringLiteral("; "));
    return parser.GetValue(QStringLiteral("nubra"));
}

QString CommandPath(std::int32_t code, const CommandParams& p) {
    switch (code) {
        case CMD_FORMAT_DISK:
            return Fill(u"/config/storageformat?storageid={}&partition={}&fs={}",
                        {Number(p.storageId), Number(p.partition), Number(p.fileSystem)});
        case CMD_FORMAT_POLL:
            return QStringLiteral("/config/storageformatpoll");
        case CMD_ADD_CAMERA:
            return Fill(
                u"/config/addavdev?avdevid={}&avdevname={}&hostname={}&hostid={}"
                u"&protocol={}&protocoltype={}&account={}&pass={}&brand={}&product={}",
                {Number(p.avdevid), EscapeQueryValue(p.avdevname), EscapeQueryValue(p.hostname),
                 EscapeQueryValue(p.hostid), Number(p.protocol), Number(p.protocoltype),
                 Base64Encode(p.account), Base64Encode(p.pass), EscapeQueryValue(p.brand),
                 EscapeQueryValue(p.product)});
        case CMD_DELETE_CAMERA:
            return Fill(u"/config/delavdev?avdevid={}", {Number(p.avdevid)});
        case CMD_SET_NUBRA_REG_STATUS:
            return Fill(u"/config/nubraregstatus?status={}", {Number(p.regStatus)});
        case CMD_GET_NUBRA_PORTAL:
            return QStringLiteral("/config/nubraportal");
        case CMD_SET_NUBRA_REG_INFO:
            return Fill(u"/config/nubrareginfo?email={}&password={}&status=1",
                        {EscapeQueryValue(p.email), EscapeQueryValue(p.password)});
        case CMD_NUBRA_DISCOVERY:
            return QStringLiteral("/config/nubradiscovery");
        case CMD_SET_CAMERA_ADMIN_PASSWORD:
            return QStringLiteral("/system.cgi?AdminID=admin&AdminPassword=") +
                   EscapeQueryValue(p.newAdminPassword) + QStringLiteral("&ConfigReboot=No");
        case CMD_DETECT_CAMERA:
            return Fill(
                u"/config/avdevdetect?hostname={}&account={}&pass={}&brand={}&protocol={}"
                u"&product={}",
                {EscapeQueryValue(p.camHost), Base64Encode(p.camUser), Base64Encode(p.camPassword),
                 EscapeQueryValue(p.camBrand), EscapeQueryValue(p.camProtocol),
                 EscapeQueryValue(p.camProduct)});
        default:
            return {};
    }
}

PortalRequest BuildPortalRequest(std::int32_t code, const CommandParams& p, const QString& cookie,
                                 std::int32_t errCount) {
    const auto field = [](const char* name, const QString& value) {
        return QString::fromLatin1(name) + QLatin1Char('=') + FormEncode(value);
    };
    QStringList fields = {field("client", p.client), field("wizard_version", p.wizardVersion),
                          field("lang", p.lang)};
    PortalRequest request;
    switch (code) {
        case CMD_PORTAL_SIGNUP:
            request.path = QStringLiteral("/signin");
            request.headers =
                QStringLiteral("Content-Type: application/x-www-form-urlencoded; charset=utf-8");
            fields << QStringLiteral("action=sign-up") << QStringLiteral("accept=accept")
                   << field("email", p.email) << field("password", p.password)
                   << field("password_verify", p.passwordVerify) << field("name_first", p.nameFirst)
                   << field("name_last", p.nameLast);
            break;
        case CMD_PORTAL_SIGNIN:
            request.path = QStringLiteral("/account/?signin");
            request.headers = QStringLiteral("Content-Type: application/x-www-form-urlencoded");
            fields << field("email", p.email) << field("password", p.password);
            break;
        case CMD_PORTAL_BIND: {
            request.path = QStringLiteral("/account/?add");
            // The cookie came from the portal: nothing in it may end the header line.
            QString safeCookie = cookie;
            safeCookie.remove(QLatin1Char('\r'));
            safeCookie.remove(QLatin1Char('\n'));
            request.headers =
                QStringLiteral(
                    "Content-Type: application/x-www-form-urlencoded\r\nCookie: nubra=") +
                safeCookie + QStringLiteral(";\r\n");
            fields << field("nubra_no", p.nubraNo) << field("device_password", p.password)
                   << field("dfp", p.dfp);
            break;
        }
        default:
            return {};
    }
    fields << QStringLiteral("err_count=") + Number(errCount);
    request.body = fields.join(QLatin1Char('&')) + QStringLiteral("\r\n\r\n");
    return request;
}

std::int32_t NextErrCount(std::int32_t code, const QString& reply, std::int32_t errCount) {
    const auto has = [&reply](const char* word) { return reply.contains(QLatin1String(word)); };
    const std::int32_t raised =
        errCount < std::numeric_limits<std::int32_t>::max() ? errCount + 1 : errCount;
    switch (code) {
        case CMD_PORTAL_SIGNUP:
            return has("SIGNUPERR") ? raised : has("success") ? 0 : errCount;
        case CMD_PORTAL_SIGNIN:
            if (has("SIGNINERR001")) {
                return errCount;
            }
            return has("SIGNINERR") ? raised : has("success") ? 0 : errCount;
        case CMD_PORTAL_BIND:
            return has("BINDERR") ? raised : has("success") ? 0 : errCount;
        default:
            return errCount;
    }
}

std::int32_t RunCatalogueCommand(std::int32_t code, const CommandParams& params,
                                 CommandContext& context) {
    switch (code) {
        case CMD_FORMAT_DISK:
        case CMD_ADD_CAMERA:
        case CMD_DELETE_CAMERA:
        case CMD_SET_NUBRA_REG_INFO:
        case CMD_DETECT_CAMERA:
            return Taken(context, CommandPath(code, params)) ? kCommandDone : kCommandFailed;
        case CMD_FORMAT_POLL:
            return FormatPoll(context);
        case CMD_SET_NUBRA_REG_STATUS:
            return RegStatus(context, CommandPath(code, params));
        case CMD_GET_NUBRA_PORTAL:
            return PortalData(context);
        case CMD_NUBRA_DISCOVERY:
            return Discovery(context);
        case CMD_SET_CAMERA_ADMIN_PASSWORD:
            return CameraAdminPassword(context, params);
        case CMD_CHANGE_CAMERA_PASSWORD:
            return ChangeCameraPassword(context, params);
        case CMD_PORTAL_SIGNUP:
        case CMD_PORTAL_SIGNIN:
        case CMD_PORTAL_BIND:
            return Portal(code, params, context);
        default:
            return kCommandIdle;
    }
}
