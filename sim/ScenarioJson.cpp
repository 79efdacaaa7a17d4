#include "ScenarioJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSet>

#include <limits>

#include "BodyModes.h"
#include "HostileStrings.h"
#include "JpegModes.h"
#include "JsonReader.h"
#include "TlsMaterial.h"

namespace sim {

namespace {

struct BoolKnob {
    const char* name;
    bool Faults::*field;
};

struct IntKnob {
    const char* name;
    int Faults::*field;
    int min;
    int max;
};

// A text knob is off when empty, else one of its names.
struct TextKnob {
    const char* name;
    QString Faults::*field;
    const QStringList& (*names)();
};

constexpr BoolKnob kBoolKnobs[] = {
    {"silentUdp", &Faults::silentUdp},
    {"silentHttp", &Faults::silentHttp},
    {"digestChallenge", &Faults::digestChallenge},
    {"accessError", &Faults::accessError},
    {"badRequest", &Faults::badRequest},
    {"failFormat", &Faults::failFormat},
    {"refuseAdd", &Faults::refuseAdd},
    {"fullLengthTexts", &Faults::fullLengthTexts},
    {"unauthorizedForever", &Faults::unauthorizedForever},
};

constexpr IntKnob kIntKnobs[] = {
    {"delayMs", &Faults::delayMs, 0, 600000},
    {"wrongReplyLength", &Faults::wrongReplyLength, 0, 1500},
    {"duplicateReplies", &Faults::duplicateReplies, 0, 100},
    {"forceStatus", &Faults::forceStatus, 0, 599},
    {"portalDelayMs", &Faults::portalDelayMs, 0, 600000},
    {"floodReplies", &Faults::floodReplies, 0, 100000},
};

constexpr TextKnob kTextKnobs[] = {
    {"hostileStrings", &Faults::hostileStrings, &HostileSetNames},
    {"bodyMode", &Faults::bodyMode, &BodyModeNames},
    {"certificate", &Faults::certificate, &CertificateNames},
};

// Empty when the value is one the knob takes, else the reason.
QString TextKnobProblem(const TextKnob& knob, const QString& value) {
    if (value.isEmpty() || knob.names().contains(value)) {
        return {};
    }
    return QStringLiteral("\"%1\" is none of \"\" (off), %2")
        .arg(value, knob.names().join(QStringLiteral(", ")));
}

bool ForceStatusValid(int status) {
    return status == 0 || (status >= 100 && status <= 599);
}

Faults ReadFaults(const QJsonValue& value, const QString& path) {
    Faults faults;
    ObjectReader r(value, path);
    for (const auto& knob : kBoolKnobs) {
        r.boolean(knob.name, faults.*knob.field);
    }
    for (const auto& knob : kIntKnobs) {
        r.integer(knob.name, faults.*knob.field, knob.min, knob.max);
    }
    for (const auto& knob : kTextKnobs) {
        if (r.text(knob.name, faults.*knob.field)) {
            const QString problem = TextKnobProblem(knob, faults.*knob.field);
            if (!problem.isEmpty()) {
                ObjectReader::fail(r.at(QLatin1String(knob.name)), problem);
            }
        }
    }
    if (!ForceStatusValid(faults.forceStatus)) {
        ObjectReader::fail(r.at(QStringLiteral("forceStatus")),
                           QStringLiteral("expected 0 or an HTTP status 100..599"));
    }
    r.finish();
    return faults;
}

void ReadFaultsField(ObjectReader& r, Faults& out) {
    if (const auto v = r.take("faults")) {
        out = ReadFaults(*v, r.at(QStringLiteral("faults")));
    }
}

ReplyOverride ReadOverride(const QJsonValue& value, const QString& path) {
    ReplyOverride o;
    ObjectReader r(value, path);
    if (!r.text("path", o.path) || !o.path.startsWith(QLatin1Char('/'))) {
        ObjectReader::fail(r.at(QStringLiteral("path")),
                           QStringLiteral("expected a path beginning with \"/\""));
    }
    if (o.path.contains(QLatin1Char('?'))) {
        ObjectReader::fail(r.at(QStringLiteral("path")),
                           QStringLiteral("the query goes into \"query\", not the path"));
    }
    r.text("query", o.queryPrefix);
    r.integer("status", o.status, 0, 599);
    if (!ForceStatusValid(o.status)) {
        ObjectReader::fail(r.at(QStringLiteral("status")),
                           QStringLiteral("expected 0 or an HTTP status 100..599"));
    }
    QString body;
    if (r.text("body", body)) {
        o.body = body;
    }
    r.integer("delayMs", o.delayMs, 0, 600000);
    r.boolean("silent", o.silent);
    r.integer("times", o.times, 0, 1000000);
    r.finish();
    return o;
}

void ReadOverridesField(ObjectReader& r, QList<ReplyOverride>& out) {
    if (const auto v = r.take("overrides")) {
        const QString where = r.at(QStringLiteral("overrides"));
        const QJsonArray array = ObjectReader::Array(*v, where);
        out.clear();
        for (qsizetype i = 0; i < array.size(); ++i) {
            out.append(ReadOverride(array.at(i), Indexed(where, i)));
        }
    }
}

// A discovery line is cut at CR LF and a listed host at ";" too: either would move fields.
void RefuseSeparators(const QString& text, const QString& separators, const QString& where) {
    for (const QChar separator : separators) {
        if (text.contains(separator)) {
            ObjectReader::fail(where, QStringLiteral("must not hold U+%1 (\"%2\")")
                                          .arg(separator.unicode(), 4, 16, QLatin1Char('0'))
                                          .arg(text));
        }
    }
}

const QString kLineEnds = QStringLiteral("\r\n");

// Null, like leaving the field out, stands for none.
std::optional<QString> ReadOptionalText(ObjectReader& r, const char* key) {
    const auto v = r.take(key);
    if (!v || v->isNull()) {
        return std::nullopt;
    }
    if (!v->isString()) {
        ObjectReader::fail(r.at(QLatin1String(key)), QStringLiteral("expected a string or null"));
    }
    return v->toString();
}

std::optional<QStringList> ReadLines(ObjectReader& r, const char* key) {
    const auto v = r.take(key);
    if (!v || v->isNull()) {
        return std::nullopt;
    }
    const QString where = r.at(QLatin1String(key));
    const QJsonArray array = ObjectReader::Array(*v, where);
    QStringList lines;
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isString()) {
            ObjectReader::fail(Indexed(where, i), QStringLiteral("expected a string"));
        }
        lines.append(array.at(i).toString());
        RefuseSeparators(lines.constLast(), kLineEnds, Indexed(where, i));
    }
    return lines;
}

Camera ReadCamera(const QJsonValue& value, const QString& path) {
    Camera c;
    ObjectReader r(value, path);
    r.text("addedFlag", c.addedFlag);
    r.ipv4("ip", c.ip);
    r.mac("mac", c.mac);
    r.text("brand", c.brand);
    r.text("model", c.model);
    r.text("account", c.account);
    r.text("password", c.password);
    r.text("protocol", c.protocol);
    r.text("protocolType", c.protocolType);
    r.text("name", c.name);
    r.text("adminPassword", c.adminPassword);
    r.port("httpPort", c.httpPort);
    if (r.text("listedIp", c.listedIp)) {
        RefuseSeparators(c.listedIp, QStringLiteral(";") + kLineEnds,
                         r.at(QStringLiteral("listedIp")));
    }
    c.echoPassword = ReadOptionalText(r, "echoPassword");
    if (r.text("jpegMode", c.jpegMode) && !JpegModeNames().contains(c.jpegMode)) {
        ObjectReader::fail(r.at(QStringLiteral("jpegMode")),
                           QStringLiteral("\"%1\" is none of %2")
                               .arg(c.jpegMode, JpegModeNames().join(QStringLiteral(", "))));
    }
    r.integer("jpegPieceBytes", c.jpegPieceBytes, 1, 1000000);
    r.integer("jpegPauseMs", c.jpegPauseMs, 0, 600000);
    ReadFaultsField(r, c.faults);
    ReadOverridesField(r, c.overrides);
    r.finish();
    return c;
}

Drive ReadDrive(const QJsonValue& value, const QString& path) {
    Drive d;
    ObjectReader r(value, path);
    r.text("plug", d.plug);
    r.text("ready", d.ready);
    r.text("type", d.type);
    r.text("deviceName", d.deviceName);
    r.text("modelName", d.modelName);
    r.text("usedPartition", d.usedPartition);
    r.text("partitionInfo", d.partitionInfo);
    r.text("dataMatch", d.dataMatch);
    r.integer("formatDurationMs", d.formatDurationMs, 0, 3600000);
    r.integer("formatHoldAt", d.formatHoldAt, -1, 99);
    r.integer("formatProgress", d.formatProgress, -1, 100);
    r.integer64("formatStartedMs", d.formatStartedMs);
    r.finish();
    return d;
}

PortalData ReadPortalData(const QJsonValue& value, const QString& path) {
    PortalData p;
    ObjectReader r(value, path);
    r.text("status", p.status);
    r.text("access", p.access);
    r.text("portalUrl", p.portalUrl);
    r.text("portalNumber", p.portalNumber);
    r.text("portalDfp", p.portalDfp);
    r.text("model", p.model);
    r.text("localHyperlink", p.localHyperlink);
    r.text("registeredEmail", p.registeredEmail);
    r.text("registeredPassword", p.registeredPassword);
    r.finish();
    return p;
}

QMap<int, QStringList> ReadTimeZones(const QJsonValue& value, const QString& path) {
    QMap<int, QStringList> zones;
    if (!value.isObject()) {
        ObjectReader::fail(path, QStringLiteral("expected an object of language number: names"));
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QString where = path + QLatin1Char('.') + it.key();
        bool ok = false;
        const int language = it.key().toInt(&ok);
        if (!ok || language < 0 || language > 255) {
            ObjectReader::fail(where, QStringLiteral("expected a language number 0..255 as key"));
        }
        QStringList names;
        const QJsonArray array = ObjectReader::Array(*it, where);
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (!array.at(i).isString()) {
                ObjectReader::fail(Indexed(where, i), QStringLiteral("expected a string"));
            }
            names.append(array.at(i).toString());
        }
        zones.insert(language, names);
    }
    return zones;
}

Recorder ReadRecorder(const QJsonValue& value, const QString& path) {
    Recorder rec;
    ObjectReader r(value, path);
    r.text("model", rec.model);
    r.mac("mac", rec.mac);
    r.text("deviceName", rec.deviceName);
    r.ipv4("ip", rec.ip);
    r.port("httpPort", rec.httpPort);
    r.port("httpsPort", rec.httpsPort);
    r.integer("replyLength", rec.replyLength, 0, 1500);
    if (rec.replyLength != 334 && rec.replyLength != 342) {
        ObjectReader::fail(r.at(QStringLiteral("replyLength")),
                           QStringLiteral("must be 334 or 342, not %1 (use faults.wrongReplyLength "
                                          "for other lengths)")
                               .arg(rec.replyLength));
    }
    r.integer("clockOffsetSeconds", rec.clockOffsetSeconds, std::numeric_limits<int>::min(),
              std::numeric_limits<int>::max());
    r.text("adminPassword", rec.adminPassword);
    r.text("authScheme", rec.authScheme);
    if (rec.authScheme != QLatin1String("basic") && rec.authScheme != QLatin1String("digest")) {
        ObjectReader::fail(
            r.at(QStringLiteral("authScheme")),
            QStringLiteral("must be \"basic\" or \"digest\", not \"%1\"").arg(rec.authScheme));
    }
    if (const auto v = r.take("timeZones")) {
        rec.timeZones = ReadTimeZones(*v, r.at(QStringLiteral("timeZones")));
    }
    r.integer("currentZone", rec.currentZone, 0, 200);
    if (const auto v = r.take("drive")) {
        rec.drive = ReadDrive(*v, r.at(QStringLiteral("drive")));
    }
    if (const auto v = r.take("cameras")) {
        const QString where = r.at(QStringLiteral("cameras"));
        const QJsonArray array = ObjectReader::Array(*v, where);
        for (qsizetype i = 0; i < array.size(); ++i) {
            rec.cameras.append(ReadCamera(array.at(i), Indexed(where, i)));
        }
    }
    // Made here and kept as cameras of their own, so the state shows (and saves) them all.
    int generated = 0;
    r.integer("generatedCameras", generated, 0, kMaxGeneratedCameras);
    rec.cameras.append(GeneratedCameras(generated));
    rec.discoveryLines = ReadLines(r, "discoveryLines");
    if (const auto v = r.take("portal")) {
        rec.portal = ReadPortalData(*v, r.at(QStringLiteral("portal")));
    }
    ReadFaultsField(r, rec.faults);
    ReadOverridesField(r, rec.overrides);
    r.finish();
    return rec;
}

Portal ReadPortal(const QJsonValue& value, const QString& path) {
    Portal p;
    ObjectReader r(value, path);
    // An empty address, like port 0, leaves the portal out.
    if (r.text("ip", p.ip) && !p.ip.isEmpty() && !IsIpv4Text(p.ip)) {
        ObjectReader::fail(r.at(QStringLiteral("ip")),
                           QStringLiteral("not an IPv4 address: \"%1\"").arg(p.ip));
    }
    r.port("httpsPort", p.httpsPort);
    if (const auto v = r.take("accounts")) {
        const QString where = r.at(QStringLiteral("accounts"));
        const QJsonArray array = ObjectReader::Array(*v, where);
        for (qsizetype i = 0; i < array.size(); ++i) {
            ObjectReader a(array.at(i), Indexed(where, i));
            PortalAccount account;
            a.text("email", account.email);
            a.text("password", account.password);
            a.finish();
            p.accounts.append(account);
        }
    }
    if (const auto v = r.take("replies")) {
        const QString where = r.at(QStringLiteral("replies"));
        if (!v->isObject()) {
            ObjectReader::fail(where, QStringLiteral("expected an object"));
        }
        const QJsonObject replies = v->toObject();
        for (auto it = replies.constBegin(); it != replies.constEnd(); ++it) {
            const QString key = it.key();
            if (key != QLatin1String("signup") && key != QLatin1String("signin") &&
                key != QLatin1String("bind")) {
                ObjectReader::fail(where + QLatin1Char('.') + key,
                                   QStringLiteral("unknown request (signup, signin or bind)"));
            }
            if (!it->isString()) {
                ObjectReader::fail(where + QLatin1Char('.') + key,
                                   QStringLiteral("expected a string"));
            }
            p.replies.insert(key, it->toString());
        }
    }
    ReadFaultsField(r, p.faults);
    ReadOverridesField(r, p.overrides);
    r.finish();
    return p;
}

QJsonObject FaultsJson(const Faults& f) {
    QJsonObject o;
    for (const auto& knob : kBoolKnobs) {
        o.insert(QLatin1String(knob.name), f.*knob.field);
    }
    for (const auto& knob : kIntKnobs) {
        o.insert(QLatin1String(knob.name), f.*knob.field);
    }
    for (const auto& knob : kTextKnobs) {
        o.insert(QLatin1String(knob.name), f.*knob.field);
    }
    return o;
}

QJsonArray OverridesJson(const QList<ReplyOverride>& overrides) {
    QJsonArray array;
    for (const ReplyOverride& o : overrides) {
        QJsonObject entry{
            {QStringLiteral("path"), o.path},     {QStringLiteral("query"), o.queryPrefix},
            {QStringLiteral("status"), o.status}, {QStringLiteral("delayMs"), o.delayMs},
            {QStringLiteral("silent"), o.silent}, {QStringLiteral("times"), o.times},
        };
        if (o.body) {
            entry.insert(QStringLiteral("body"), *o.body);
        }
        array.append(entry);
    }
    return array;
}

QJsonObject CameraJson(const Camera& c) {
    return QJsonObject{
        {QStringLiteral("addedFlag"), c.addedFlag},
        {QStringLiteral("ip"), c.ip},
        {QStringLiteral("mac"), c.mac},
        {QStringLiteral("brand"), c.brand},
        {QStringLiteral("model"), c.model},
        {QStringLiteral("account"), c.account},
        {QStringLiteral("password"), c.password},
        {QStringLiteral("protocol"), c.protocol},
        {QStringLiteral("protocolType"), c.protocolType},
        {QStringLiteral("name"), c.name},
        {QStringLiteral("adminPassword"), c.adminPassword},
        {QStringLiteral("httpPort"), c.httpPort},
        {QStringLiteral("listedIp"), c.listedIp},
        {QStringLiteral("echoPassword"),
         c.echoPassword ? QJsonValue(*c.echoPassword) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("jpegMode"), c.jpegMode},
        {QStringLiteral("jpegPieceBytes"), c.jpegPieceBytes},
        {QStringLiteral("jpegPauseMs"), c.jpegPauseMs},
        {QStringLiteral("faults"), FaultsJson(c.faults)},
        {QStringLiteral("overrides"), OverridesJson(c.overrides)},
    };
}

QJsonObject DriveJson(const Drive& d) {
    return QJsonObject{
        {QStringLiteral("plug"), d.plug},
        {QStringLiteral("ready"), d.ready},
        {QStringLiteral("type"), d.type},
        {QStringLiteral("deviceName"), d.deviceName},
        {QStringLiteral("modelName"), d.modelName},
        {QStringLiteral("usedPartition"), d.usedPartition},
        {QStringLiteral("partitionInfo"), d.partitionInfo},
        {QStringLiteral("dataMatch"), d.dataMatch},
        {QStringLiteral("formatDurationMs"), d.formatDurationMs},
        {QStringLiteral("formatHoldAt"), d.formatHoldAt},
        {QStringLiteral("formatProgress"), d.formatProgress},
        {QStringLiteral("formatStartedMs"), d.formatStartedMs},
    };
}

QJsonObject PortalDataJson(const PortalData& p) {
    return QJsonObject{
        {QStringLiteral("status"), p.status},
        {QStringLiteral("access"), p.access},
        {QStringLiteral("portalUrl"), p.portalUrl},
        {QStringLiteral("portalNumber"), p.portalNumber},
        {QStringLiteral("portalDfp"), p.portalDfp},
        {QStringLiteral("model"), p.model},
        {QStringLiteral("localHyperlink"), p.localHyperlink},
        {QStringLiteral("registeredEmail"), p.registeredEmail},
        {QStringLiteral("registeredPassword"), p.registeredPassword},
    };
}

QJsonObject RecorderJson(const Recorder& r) {
    QJsonObject zones;
    for (auto it = r.timeZones.constBegin(); it != r.timeZones.constEnd(); ++it) {
        zones.insert(QString::number(it.key()), QJsonArray::fromStringList(it.value()));
    }
    QJsonArray cameras;
    for (const Camera& c : r.cameras) {
        cameras.append(CameraJson(c));
    }
    return QJsonObject{
        {QStringLiteral("model"), r.model},
        {QStringLiteral("mac"), r.mac},
        {QStringLiteral("deviceName"), r.deviceName},
        {QStringLiteral("ip"), r.ip},
        {QStringLiteral("httpPort"), r.httpPort},
        {QStringLiteral("httpsPort"), r.httpsPort},
        {QStringLiteral("replyLength"), r.replyLength},
        {QStringLiteral("clockOffsetSeconds"), r.clockOffsetSeconds},
        {QStringLiteral("adminPassword"), r.adminPassword},
        {QStringLiteral("authScheme"), r.authScheme},
        {QStringLiteral("timeZones"), zones},
        {QStringLiteral("currentZone"), r.currentZone},
        {QStringLiteral("drive"), DriveJson(r.drive)},
        {QStringLiteral("cameras"), cameras},
        {QStringLiteral("discoveryLines"),
         r.discoveryLines ? QJsonValue(QJsonArray::fromStringList(*r.discoveryLines))
                          : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("portal"), PortalDataJson(r.portal)},
        {QStringLiteral("faults"), FaultsJson(r.faults)},
        {QStringLiteral("overrides"), OverridesJson(r.overrides)},
    };
}

QJsonObject PortalJson(const Portal& p) {
    QJsonArray accounts;
    for (const PortalAccount& a : p.accounts) {
        accounts.append(QJsonObject{{QStringLiteral("email"), a.email},
                                    {QStringLiteral("password"), a.password}});
    }
    QJsonObject replies;
    for (auto it = p.replies.constBegin(); it != p.replies.constEnd(); ++it) {
        replies.insert(it.key(), it.value());
    }
    return QJsonObject{
        {QStringLiteral("ip"), p.ip},
        {QStringLiteral("httpsPort"), p.httpsPort},
        {QStringLiteral("accounts"), accounts},
        {QStringLiteral("replies"), replies},
        {QStringLiteral("faults"), FaultsJson(p.faults)},
        {QStringLiteral("overrides"), OverridesJson(p.overrides)},
    };
}

}  // namespace

bool IsMacText(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    return re.match(text).hasMatch();
}

bool IsIpv4Text(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return false;
    }
    for (const QString& part : parts) {
        // No signs, spaces or leading zeros, which some readers take as octal.
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.startsWith(u'0'))) {
            return false;
        }
        for (const QChar ch : part) {
            if (ch < u'0' || ch > u'9') {
                return false;
            }
        }
        if (part.toInt() > 255) {
            return false;
        }
    }
    return true;
}

bool SetFault(Faults& faults, const QString& knob, const QString& value, QString* error) {
    const auto fail = [&](const QString& what) {
        if (error) {
            *error = what;
        }
        return false;
    };
    for (const auto& k : kBoolKnobs) {
        if (knob == QLatin1String(k.name)) {
            if (value == QLatin1String("1") || value == QLatin1String("true")) {
                faults.*k.field = true;
            } else if (value == QLatin1String("0") || value == QLatin1String("false")) {
                faults.*k.field = false;
            } else {
                return fail(QStringLiteral("%1: expected 1, 0, true or false, not \"%2\"")
                                .arg(knob, value));
            }
            return true;
        }
    }
    for (const auto& k : kIntKnobs) {
        if (knob == QLatin1String(k.name)) {
            bool ok = false;
            const int v = value.toInt(&ok);
            if (!ok || v < k.min || v > k.max ||
                (k.field == &Faults::forceStatus && !ForceStatusValid(v))) {
                return fail(QStringLiteral("%1: expected an integer %2..%3, not \"%4\"")
                                .arg(knob)
                                .arg(k.min)
                                .arg(k.max)
                                .arg(value));
            }
            faults.*k.field = v;
            return true;
        }
    }
    for (const auto& k : kTextKnobs) {
        if (knob == QLatin1String(k.name)) {
            const QString problem = TextKnobProblem(k, value);
            if (!problem.isEmpty()) {
                return fail(knob + QStringLiteral(": ") + problem);
            }
            faults.*k.field = value;
            return true;
        }
    }
    return fail(QStringLiteral("unknown fault knob \"%1\"").arg(knob));
}

namespace {

template <typename T, typename Read>
std::optional<T> Catching(Read&& read, QString* error) {
    try {
        return read();
    } catch (const JsonError& e) {
        if (error) {
            *error = e.message;
        }
        return std::nullopt;
    }
}

}  // namespace

QJsonObject RecorderToJson(const Recorder& recorder) {
    return RecorderJson(recorder);
}

QJsonObject CameraToJson(const Camera& camera) {
    return CameraJson(camera);
}

QJsonObject PortalToJson(const Portal& portal) {
    return PortalJson(portal);
}

std::optional<Recorder> RecorderFromJson(const QJsonObject& json, QString* error) {
    return Catching<Recorder>([&] { return ReadRecorder(json, QString()); }, error);
}

std::optional<Camera> CameraFromJson(const QJsonObject& json, QString* error) {
    return Catching<Camera>([&] { return ReadCamera(json, QString()); }, error);
}

std::optional<Portal> PortalFromJson(const QJsonObject& json, QString* error) {
    return Catching<Portal>([&] { return ReadPortal(json, QString()); }, error);
}

std::optional<QList<ReplyOverride>> OverridesFromJson(const QJsonValue& json, const QString& path,
                                                      QString* error) {
    return Catching<QList<ReplyOverride>>(
        [&] {
            QList<ReplyOverride> overrides;
            if (!json.isArray()) {
                overrides.append(ReadOverride(json, path));
                return overrides;
            }
            const QJsonArray array = json.toArray();
            for (qsizetype i = 0; i < array.size(); ++i) {
                overrides.append(ReadOverride(array.at(i), Indexed(path, i)));
            }
            return overrides;
        },
        error);
}

std::optional<Scenario> ParseScenario(const QByteArray& json, QString* error) {
    QJsonParseError jsonError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &jsonError);
    if (jsonError.error != QJsonParseError::NoError) {
        if (error) {
            *error = QStringLiteral("not valid JSON at offset %1: %2")
                         .arg(jsonError.offset)
                         .arg(jsonError.errorString());
        }
        return std::nullopt;
    }
    try {
        if (!document.isObject()) {
            ObjectReader::fail(QString(), QStringLiteral("a scenario is a JSON object"));
        }
        Scenario scenario;
        ObjectReader r(document.object(), QString());
        if (const auto v = r.take("recorders")) {
            const QJsonArray array = ObjectReader::Array(*v, QStringLiteral("recorders"));
            QSet<QString> macs;
            for (qsizetype i = 0; i < array.size(); ++i) {
                const QString where = Indexed(QStringLiteral("recorders"), i);
                Recorder recorder = ReadRecorder(array.at(i), where);
                // Requests are addressed by MAC: two recorders with one MAC cannot both answer.
                if (macs.contains(recorder.mac)) {
                    ObjectReader::fail(where + QStringLiteral(".mac"),
                                       QStringLiteral("%1 is used twice").arg(recorder.mac));
                }
                macs.insert(recorder.mac);
                scenario.recorders.append(recorder);
            }
        }
        if (const auto v = r.take("portal")) {
            scenario.portal = ReadPortal(*v, QStringLiteral("portal"));
        }
        r.finish();
        return scenario;
    } catch (const JsonError& e) {
        if (error) {
            *error = e.message;
        }
        return std::nullopt;
    }
}

QByteArray ScenarioToJson(const Scenario& scenario) {
    QJsonArray recorders;
    for (const Recorder& r : scenario.recorders) {
        recorders.append(RecorderJson(r));
    }
    const QJsonObject root{
        {QStringLiteral("recorders"), recorders},
        {QStringLiteral("portal"), PortalJson(scenario.portal)},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

Camera MakeCamera(QStringView addedFlag, QStringView ip, QStringView mac, QStringView model,
                  QStringView password, QStringView protocolType, QStringView name) {
    Camera camera;
    camera.addedFlag = addedFlag.toString();
    camera.ip = ip.toString();
    camera.mac = mac.toString();
    camera.brand = QStringLiteral("Orbis");
    camera.model = model.toString();
    camera.account = QStringLiteral("admin");
    camera.password = password.toString();
    camera.protocol = QStringLiteral("cgi");
    camera.protocolType = protocolType.toString();
    camera.name = name.toString();
    camera.adminPassword = camera.password;
    return camera;
}

}  // namespace

QList<Camera> GeneratedCameras(int count) {
    QList<Camera> cameras;
    for (int i = 0; i < count; ++i) {
        const QString number = QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        Camera camera =
            MakeCamera(u"0", QStringLiteral("10.78.%1.%2").arg(i / 250).arg(i % 250 + 1),
                       QStringLiteral("00:1c:2a:ca:%1:%2")
                           .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                           .arg(i & 0xFF, 2, 16, QLatin1Char('0')),
                       i % 2 == 0 ? u"OC-420" : u"OC-410", QStringLiteral("cam-") + number, u"1",
                       QStringLiteral("Camera ") + number);
        camera.httpPort = 0;
        cameras.append(camera);
    }
    return cameras;
}

Scenario DefaultScenario() {
    Scenario scenario;
    Recorder recorder;  // the defaults are a factory-fresh ORB-780Z on 10.77.0.10
    recorder.replyLength = 342;
    recorder.httpPort = 80;
    recorder.httpsPort = 443;
    recorder.adminPassword.clear();

    // One already on the recorder, one whose password the recorder knows, one legacy camera
    // that takes its password change by datagram.
    const Camera added = MakeCamera(u"1", u"10.77.0.21", u"00:1c:2a:c4:10:21", u"OC-410",
                                    u"frontdoor1", u"1", u"Front door");
    const Camera known = MakeCamera(u"0", u"10.77.0.22", u"00:1c:2a:c4:10:22", u"OC-420",
                                    u"garage22", u"1", u"Garage");
    const Camera legacy =
        MakeCamera(u"0", u"10.77.0.23", u"00:1c:2a:c4:10:23", u"OC-100", u"", u"0", u"Yard");

    recorder.cameras = {added, known, legacy};
    scenario.recorders.append(recorder);

    scenario.portal.ip = QStringLiteral("10.77.0.100");
    scenario.portal.httpsPort = 443;
    scenario.portal.accounts.append(
        PortalAccount{QStringLiteral("installer@example.com"), QStringLiteral("Portal-2024")});
    return scenario;
}

}  // namespace sim
