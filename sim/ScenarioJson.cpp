#include "ScenarioJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSet>

#include <cmath>
#include <limits>

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

constexpr BoolKnob kBoolKnobs[] = {
    {"silentUdp", &Faults::silentUdp},
    {"silentHttp", &Faults::silentHttp},
    {"digestChallenge", &Faults::digestChallenge},
    {"accessError", &Faults::accessError},
    {"badRequest", &Faults::badRequest},
    {"failFormat", &Faults::failFormat},
};

constexpr IntKnob kIntKnobs[] = {
    {"delayMs", &Faults::delayMs, 0, 600000},
    {"wrongReplyLength", &Faults::wrongReplyLength, 0, 1500},
    {"duplicateReplies", &Faults::duplicateReplies, 0, 100},
    {"forceStatus", &Faults::forceStatus, 0, 599},
    {"portalDelayMs", &Faults::portalDelayMs, 0, 600000},
};

bool ForceStatusValid(int status) {
    return status == 0 || (status >= 100 && status <= 599);
}

struct ParseError {
    QString message;
};

// One JSON object being read: every field read is remembered, so that a misspelt field is
// reported instead of silently falling back to its default.
class ObjectReader {
public:
    ObjectReader(const QJsonValue& value, QString path) : path_(std::move(path)) {
        if (!value.isObject()) {
            fail(path_, QStringLiteral("expected an object"));
        }
        object_ = value.toObject();
    }

    const QString& path() const { return path_; }
    QString at(const QString& key) const {
        return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key;
    }

    [[noreturn]] static void fail(const QString& where, const QString& what) {
        throw ParseError{where.isEmpty() ? what : where + QStringLiteral(": ") + what};
    }

    // The field's value, or nothing when absent (the default stays).
    std::optional<QJsonValue> take(const char* key) {
        const QString name = QLatin1String(key);
        seen_.insert(name);
        const auto it = object_.constFind(name);
        if (it == object_.constEnd()) {
            return std::nullopt;
        }
        return *it;
    }

    bool text(const char* key, QString& out) {
        const auto v = take(key);
        if (!v) {
            return false;
        }
        if (!v->isString()) {
            fail(at(QLatin1String(key)), QStringLiteral("expected a string"));
        }
        out = v->toString();
        return true;
    }

    void integer(const char* key, int& out, int min, int max) {
        if (const auto v = take(key)) {
            out = ToInt(*v, at(QLatin1String(key)), min, max);
        }
    }

    void integer64(const char* key, qint64& out) {
        if (const auto v = take(key)) {
            const double d = v->toDouble();
            if (!v->isDouble() || std::floor(d) != d || std::abs(d) > 9.0e15) {
                fail(at(QLatin1String(key)), QStringLiteral("expected an integer"));
            }
            out = static_cast<qint64>(d);
        }
    }

    void boolean(const char* key, bool& out) {
        if (const auto v = take(key)) {
            if (!v->isBool()) {
                fail(at(QLatin1String(key)), QStringLiteral("expected true or false"));
            }
            out = v->toBool();
        }
    }

    void mac(const char* key, QString& out) {
        if (!text(key, out) && out.isEmpty()) {
            fail(at(QLatin1String(key)), QStringLiteral("missing"));
        }
        if (!IsMacText(out)) {
            fail(at(QLatin1String(key)),
                 QStringLiteral("not a MAC address (xx:xx:xx:xx:xx:xx): \"%1\"").arg(out));
        }
        out = out.toLower();
    }

    void ipv4(const char* key, QString& out) {
        if (!text(key, out) && out.isEmpty()) {
            fail(at(QLatin1String(key)), QStringLiteral("missing"));
        }
        if (!IsIpv4Text(out)) {
            fail(at(QLatin1String(key)), QStringLiteral("not an IPv4 address: \"%1\"").arg(out));
        }
    }

    void port(const char* key, int& out) { integer(key, out, 1, 65535); }

    void finish() const {
        for (auto it = object_.constBegin(); it != object_.constEnd(); ++it) {
            if (!seen_.contains(it.key())) {
                fail(at(it.key()), QStringLiteral("unknown field"));
            }
        }
    }

    static int ToInt(const QJsonValue& v, const QString& where, int min, int max) {
        const double d = v.toDouble();
        if (!v.isDouble() || std::floor(d) != d) {
            fail(where, QStringLiteral("expected an integer"));
        }
        if (d < min || d > max) {
            fail(where, QStringLiteral("%1 is out of range %2..%3")
                            .arg(QString::number(d, 'g', 17))
                            .arg(min)
                            .arg(max));
        }
        return static_cast<int>(d);
    }

    static QJsonArray Array(const QJsonValue& v, const QString& where) {
        if (!v.isArray()) {
            fail(where, QStringLiteral("expected an array"));
        }
        return v.toArray();
    }

private:
    QString path_;
    QJsonObject object_;
    QSet<QString> seen_;
};

QString Indexed(const QString& path, qsizetype i) {
    return QStringLiteral("%1[%2]").arg(path).arg(i);
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
    ReadFaultsField(r, c.faults);
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
    if (const auto v = r.take("portal")) {
        rec.portal = ReadPortalData(*v, r.at(QStringLiteral("portal")));
    }
    ReadFaultsField(r, rec.faults);
    r.finish();
    return rec;
}

Portal ReadPortal(const QJsonValue& value, const QString& path) {
    Portal p;
    ObjectReader r(value, path);
    r.ipv4("ip", p.ip);
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
    return o;
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
        {QStringLiteral("faults"), FaultsJson(c.faults)},
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
        {QStringLiteral("portal"), PortalDataJson(r.portal)},
        {QStringLiteral("faults"), FaultsJson(r.faults)},
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
    return fail(QStringLiteral("unknown fault knob \"%1\"").arg(knob));
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
    } catch (const ParseError& e) {
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
