#include "ProbeHttp.h"

#include <QHash>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>
#include <type_traits>
#include <vector>

#include "device/DeviceCommandWorker.h"
#include "device/HttpGet.h"

namespace {

constexpr int kPollMs = 50;
// Far beyond any command's own time-outs; only a worker that never settles reaches it.
constexpr std::chrono::seconds kCommandBound{60};
constexpr int kDefaultTimeoutMs = 6000;

const QString kDefaultUser = QStringLiteral("admin");

// --- get

struct Url {
    bool secure = false;
    QString host;
    int port = 0;
    QString pathAndQuery;
};

std::optional<int> ParsePort(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok, 10);
    if (!ok || port < 1 || port > 65535 || text.startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return port;
}

// Path and query are kept byte for byte: the recorder's commands are not re-encoded.
std::optional<Url> ParseUrl(const QString& text) {
    Url url;
    QString rest;
    if (text.startsWith(QLatin1String("http://"))) {
        rest = text.mid(7);
    } else if (text.startsWith(QLatin1String("https://"))) {
        url.secure = true;
        rest = text.mid(8);
    } else {
        return std::nullopt;
    }
    qsizetype end = rest.size();
    for (const QChar mark : {QLatin1Char('/'), QLatin1Char('?')}) {
        const qsizetype at = rest.indexOf(mark);
        if (at >= 0 && at < end) {
            end = at;
        }
    }
    const QString authority = rest.left(end);
    url.pathAndQuery = rest.mid(end);
    if (url.pathAndQuery.isEmpty() || url.pathAndQuery.startsWith(QLatin1Char('?'))) {
        url.pathAndQuery.prepend(QLatin1Char('/'));
    }
    const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
    url.host = colon < 0 ? authority : authority.left(colon);
    if (colon >= 0) {
        const auto port = ParsePort(authority.mid(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        url.port = *port;
    }
    if (url.host.isEmpty() || url.host.contains(QLatin1Char('@'))) {
        return std::nullopt;
    }
    return url;
}

// --- command

enum class Kind { Int, Text };

struct ParamField {
    Kind kind;
    std::function<void(CommandParams&, const QString&, int)> set;
};

template <typename T>
ParamField Field(T CommandParams::*member) {
    if constexpr (std::is_same_v<T, std::int32_t>) {
        return {Kind::Int, [member](CommandParams& p, const QString&, int v) { p.*member = v; }};
    } else {
        return {Kind::Text, [member](CommandParams& p, const QString& v, int) { p.*member = v; }};
    }
}

const QHash<QString, ParamField>& ParamFields() {
    static const QHash<QString, ParamField> kFields = {
        {"storageId", Field(&CommandParams::storageId)},
        {"partition", Field(&CommandParams::partition)},
        {"fileSystem", Field(&CommandParams::fileSystem)},
        {"avdevid", Field(&CommandParams::avdevid)},
        {"avdevname", Field(&CommandParams::avdevname)},
        {"hostname", Field(&CommandParams::hostname)},
        {"hostid", Field(&CommandParams::hostid)},
        {"protocoltype", Field(&CommandParams::protocoltype)},
        {"account", Field(&CommandParams::account)},
        {"pass", Field(&CommandParams::pass)},
        {"brand", Field(&CommandParams::brand)},
        {"product", Field(&CommandParams::product)},
        {"email", Field(&CommandParams::email)},
        {"password", Field(&CommandParams::password)},
        {"newAdminPassword", Field(&CommandParams::newAdminPassword)},
        {"camHost", Field(&CommandParams::camHost)},
        {"camProtocol", Field(&CommandParams::camProtocol)},
        {"camProtocolType", Field(&CommandParams::camProtocolType)},
        {"camUser", Field(&CommandParams::camUser)},
        {"camOldPassword", Field(&CommandParams::camOldPassword)},
        {"camNewPassword", Field(&CommandParams::camNewPassword)},
        {"camPassword", Field(&CommandParams::camPassword)},
        {"camBrand", Field(&CommandParams::camBrand)},
        {"camProduct", Field(&CommandParams::camProduct)},
        {"client", Field(&CommandParams::client)},
        {"wizardVersion", Field(&CommandParams::wizardVersion)},
        {"lang", Field(&CommandParams::lang)},
        {"passwordVerify", Field(&CommandParams::passwordVerify)},
        {"nameFirst", Field(&CommandParams::nameFirst)},
        {"nameLast", Field(&CommandParams::nameLast)},
        {"nubraNo", Field(&CommandParams::nubraNo)},
        {"dfp", Field(&CommandParams::dfp)},
    };
    return kFields;
}

bool IsPortal(std::int32_t code) {
    return code == CMD_PORTAL_SIGNUP || code == CMD_PORTAL_SIGNIN || code == CMD_PORTAL_BIND;
}

bool IsKnownCode(std::int32_t code) {
    static const std::int32_t kCodes[] = {
        CMD_PORTAL_SIGNUP,
        CMD_PORTAL_SIGNIN,
        CMD_PORTAL_BIND,
        CMD_FORMAT_DISK,
        CMD_FORMAT_POLL,
        CMD_ADD_CAMERA,
        CMD_DELETE_CAMERA,
        CMD_SET_NUBRA_REG_STATUS,
        CMD_GET_NUBRA_PORTAL,
        CMD_SET_NUBRA_REG_INFO,
        CMD_NUBRA_DISCOVERY,
        CMD_SET_CAMERA_ADMIN_PASSWORD,
        CMD_CHANGE_CAMERA_PASSWORD,
        CMD_DETECT_CAMERA,
    };
    return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

struct Connection {
    QString host;
    int port = 80;
    QString user = kDefaultUser;
    QString password;
};

struct Step {
    std::int32_t code = 0;
    Connection connection;
    CommandParams params;
};

// Splits the arguments at each "--then"; on failure returns the one-line reason.
QString ParseSteps(const QStringList& args, std::vector<Step>& steps) {
    Connection connection;
    qsizetype i = 0;
    while (i < args.size()) {
        if (!steps.empty()) {
            if (args[i] != QLatin1String("--then")) {
                return QStringLiteral("unknown argument %1").arg(args[i]);
            }
            ++i;
        }
        if (i >= args.size()) {
            return QStringLiteral("missing command code");
        }
        Step step;
        bool ok = false;
        step.code = args[i].toInt(&ok, 10);
        if (!ok || !IsKnownCode(step.code)) {
            return QStringLiteral("unknown command code %1").arg(args[i]);
        }
        ++i;
        if (IsPortal(step.code)) {
            step.params.client = QStringLiteral("wizard");
            step.params.lang = QStringLiteral("en");
            step.params.wizardVersion = QStringLiteral("ORB-780Z_V 2.03.02");
        }
        for (; i < args.size() && args[i] != QLatin1String("--then"); i += 2) {
            const QString& name = args[i];
            if (i + 1 >= args.size()) {
                return QStringLiteral("%1 needs a value").arg(name);
            }
            const QString& value = args[i + 1];
            if (name == QLatin1String("--host")) {
                connection.host = value;
            } else if (name == QLatin1String("--port")) {
                const auto port = ParsePort(value);
                if (!port) {
                    return QStringLiteral("bad --port: %1").arg(value);
                }
                connection.port = *port;
            } else if (name == QLatin1String("--user")) {
                connection.user = value;
            } else if (name == QLatin1String("--password")) {
                connection.password = value;
            } else if (name == QLatin1String("--param")) {
                const qsizetype equals = value.indexOf(QLatin1Char('='));
                const QString field = value.left(equals);
                const auto known = ParamFields().constFind(field);
                if (equals < 0 || known == ParamFields().constEnd()) {
                    return QStringLiteral("unknown parameter %1").arg(field);
                }
                const QString text = value.mid(equals + 1);
                int number = 0;
                if (known->kind == Kind::Int) {
                    number = text.toInt(&ok, 10);
                    if (!ok) {
                        return QStringLiteral("parameter %1 takes a number, not %2")
                            .arg(field, text);
                    }
                }
                known->set(step.params, text, number);
            } else {
                return QStringLiteral("unknown argument %1").arg(name);
            }
        }
        if (connection.host.isEmpty()) {
            return QStringLiteral("missing --host");
        }
        step.connection = connection;
        steps.push_back(std::move(step));
    }
    if (steps.empty()) {
        return QStringLiteral("missing command code");
    }
    return {};
}

bool Start(DeviceCommandWorker& worker, const Step& step) {
    const Connection& c = step.connection;
    const CommandParams& p = step.params;
    switch (step.code) {
        case CMD_PORTAL_SIGNUP:
            return worker.StartPortalSignUp(c.host, p.client, p.wizardVersion, p.lang, p.email,
                                            p.password, p.passwordVerify, p.nameFirst, p.nameLast);
        case CMD_PORTAL_SIGNIN:
            return worker.StartPortalSignIn(c.host, p.client, p.wizardVersion, p.lang, p.email,
                                            p.password);
        case CMD_PORTAL_BIND:
            return worker.StartPortalBind(c.host, p.client, p.wizardVersion, p.lang, p.nubraNo,
                                          p.password, p.dfp);
        case CMD_FORMAT_DISK:
            return worker.StartFormatDisk(c.host, c.port, c.user, c.password, p.storageId,
                                          p.partition, p.fileSystem);
        case CMD_FORMAT_POLL:
            return worker.StartPlainCommand(c.host, c.port, c.user, c.password, CMD_FORMAT_POLL);
        case CMD_ADD_CAMERA:
            return worker.StartAddCamera(c.host, c.port, c.user, c.password, p.avdevid, p.avdevname,
                                         p.hostname, p.hostid, p.protocoltype, p.account, p.pass,
                                         p.brand, p.product);
        case CMD_DELETE_CAMERA:
            worker.setAvdevid(p.avdevid);
            return worker.StartPlainCommand(c.host, c.port, c.user, c.password, CMD_DELETE_CAMERA);
        case CMD_SET_NUBRA_REG_STATUS:
            return worker.StartSetNubraRegStatus(c.host, c.port, c.user, c.password);
        case CMD_GET_NUBRA_PORTAL:
            return worker.StartGetNubraPortal(c.host, c.port, c.user, c.password);
        case CMD_SET_NUBRA_REG_INFO:
            return worker.StartSetNubraRegInfo(c.host, c.port, c.user, c.password, p.email,
                                               p.password);
        case CMD_NUBRA_DISCOVERY:
            return worker.StartNubraDiscovery(c.host, c.port, c.user, c.password);
        case CMD_SET_CAMERA_ADMIN_PASSWORD:
            return worker.StartSetCameraAdminPassword(c.host, c.port, c.user, c.password,
                                                      p.newAdminPassword);
        case CMD_CHANGE_CAMERA_PASSWORD:
            return worker.StartChangeCameraPassword(c.host, c.port, c.user, c.password, p.camHost,
                                                    p.camProtocol, p.camProtocolType, p.camUser,
                                                    p.camOldPassword, p.camNewPassword);
        case CMD_DETECT_CAMERA:
            return worker.StartDetectCamera(c.host, c.port, c.user, c.password, p.camHost,
                                            p.camUser, p.camPassword, p.camProtocol, p.camBrand,
                                            p.camProduct);
        default:
            return false;
    }
}

// Results are one line each: line ends, backslashes and control characters are escaped.
QString Escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\\\");
        } else if (c == QLatin1Char('\r')) {
            out += QLatin1String("\\r");
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

void PrintResults(DeviceCommandWorker& worker, std::int32_t code, QTextStream& out) {
    out << "reply=" << Escaped(worker.GetReplyText()) << '\n';
    if (code == CMD_GET_NUBRA_PORTAL) {
        out << "portal=" << Escaped(worker.GetPortalInfo()) << '\n';
    }
    if (code == CMD_FORMAT_POLL) {
        out << "poll=" << worker.pollStatus() << '\n';
    }
    if (code == CMD_NUBRA_DISCOVERY) {
        // The list ends at the first empty item; the bound stops a cursor that never ends.
        for (int i = 0; i < DeviceCommandWorker::kMaxListItems; ++i) {
            const QString item = worker.NextListItem();
            if (item.isEmpty()) {
                break;
            }
            out << "item=" << Escaped(item) << '\n';
        }
    }
    if (IsPortal(code)) {
        out << "errCount=" << worker.errCount() << '\n';
        out << "cookie=" << Escaped(worker.portalCookie()) << '\n';
    }
}

}  // namespace

int RunGetCommand(const QStringList& args) {
    QTextStream err(stderr);
    QString user = kDefaultUser;
    QString password;
    int timeoutMs = kDefaultTimeoutMs;
    std::optional<Url> url;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool option = arg == QLatin1String("--user") || arg == QLatin1String("--password") ||
                            arg == QLatin1String("--timeout");
        if (option && i + 1 >= args.size()) {
            err << "orb-probe get: " << arg << " needs a value" << Qt::endl;
            return 2;
        }
        if (arg == QLatin1String("--user")) {
            user = args[++i];
        } else if (arg == QLatin1String("--password")) {
            password = args[++i];
        } else if (arg == QLatin1String("--timeout")) {
            bool ok = false;
            timeoutMs = args[++i].toInt(&ok, 10);
            if (!ok || timeoutMs < 0) {
                err << "orb-probe get: bad --timeout: " << args[i] << Qt::endl;
                return 2;
            }
        } else if (!url && !arg.startsWith(QLatin1String("--"))) {
            url = ParseUrl(arg);
            if (!url) {
                err << "orb-probe get: bad URL (want http[s]://host[:port]/path): " << arg
                    << Qt::endl;
                return 2;
            }
        } else {
            err << "orb-probe get: unknown argument " << arg << Qt::endl;
            return 2;
        }
    }
    if (!url) {
        err << "orb-probe get: missing URL" << Qt::endl;
        return 2;
    }

    HttpGet client;
    bool got = false;
    std::vector<char> buffer(DeviceCommandWorker::kReplyBytes);
    std::size_t size = 0;
    if (client.Open(url->host, user, password, timeoutMs, url->secure ? 1 : 0, url->port)) {
        got = client.Get(url->pathAndQuery, buffer, &size);
    } else {
        err << "orb-probe get: could not open " << url->host << Qt::endl;
    }
    if (got && size > 0) {
        std::fwrite(buffer.data(), 1, size, stdout);
        std::fflush(stdout);
    }
    int status = 0;
    if (!client.StatusCode(&status)) {
        status = 0;
    }
    client.Close();
    err << "status=" << status << Qt::endl;
    return got ? 0 : 1;
}

int RunHttpCommand(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::vector<Step> steps;
    const QString error = ParseSteps(args, steps);
    if (!error.isEmpty()) {
        err << "orb-probe command: " << error << Qt::endl;
        return 2;
    }

    DeviceCommandWorker worker;
    for (const Step& step : steps) {
        if (steps.size() > 1) {
            out << "command=" << step.code << '\n';
        }
        if (!Start(worker, step)) {
            out << "status=start-failed" << Qt::endl;
            return 1;
        }
        const auto deadline = std::chrono::steady_clock::now() + kCommandBound;
        while (worker.status() == kCommandRunning && std::chrono::steady_clock::now() < deadline) {
            QThread::msleep(kPollMs);
        }
        const std::int32_t status = worker.status();
        out << "status=" << status << '\n';
        if (status != kCommandDone) {
            out.flush();
            worker.StopCommand();
            return 1;
        }
        PrintResults(worker, step.code, out);
        out.flush();
    }
    worker.StopCommand();
    return 0;
}
