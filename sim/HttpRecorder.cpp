#include "HttpRecorder.h"

#include <QDateTime>

#include <openssl/rand.h>

#include <algorithm>
#include <map>

#include "CameraListing.h"
#include "HostileStrings.h"
#include "HttpCredentialCipher.h"
#include "ReplyOverride.h"
#include "TimeZones.h"

namespace sim {

namespace {

constexpr int kLoginKeyBytes = 32;

// The wizard cuts challenges at blanks, so a realm must not hold one.
QByteArray RealmOf(const QString& model) {
    QByteArray realm = model.toUtf8();
    realm.replace(' ', '_');
    return realm.isEmpty() ? QByteArray("recorder") : realm;
}

QByteArray Utf8(const QString& text) {
    return text.toUtf8();
}

int IntValue(const HttpPairs& query, const QByteArray& key, int fallback, bool* valid = nullptr) {
    const auto value = QueryValue(query, key);
    bool ok = false;
    const int number = value ? value->toInt(&ok) : 0;
    if (valid != nullptr) {
        *valid = ok;
    }
    return ok ? number : fallback;
}

QString TextValue(const HttpPairs& query, const QByteArray& key) {
    return QString::fromUtf8(QueryValue(query, key).value_or(QByteArray()));
}

std::optional<QString> Base64Value(const HttpPairs& query, const QByteArray& key) {
    const auto value = QueryValue(query, key);
    if (!value) {
        return std::nullopt;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(*value, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return std::nullopt;
    }
    return QString::fromUtf8(*decoded);
}

// A text as the recorder sends it, with its hostile set when it has one.
QByteArray Text(const Recorder& recorder, const QString& text) {
    return Hostile(Utf8(text), recorder.faults.hostileStrings);
}

// A camera's texts carry its own hostile set, or else its recorder's.
QByteArray CameraText(const Recorder& recorder, const Camera& camera, const QString& text) {
    const QString& set = camera.faults.hostileStrings.isEmpty() ? recorder.faults.hostileStrings
                                                                : camera.faults.hostileStrings;
    return Hostile(Utf8(text), set);
}

HttpReply Refused(const Recorder& recorder, const QByteArray& why) {
    return TextReply(409, "result=" + Hostile(why, recorder.faults.hostileStrings) + "\r\n");
}

HttpReply NotFound(const QString& hostileSet = {}) {
    return TextReply(404, Hostile("404 Not Found", hostileSet) + "\r\n");
}

HttpReply Ok(const QList<QPair<QByteArray, QByteArray>>& pairs) {
    return TextReply(200, KeyValueLines(pairs));
}

bool Formatting(const Drive& drive) {
    return drive.formatProgress >= 0 && drive.formatProgress < 100;
}

QString SixthItemReplaced(const QString& partitionInfo, int fileSystem) {
    QStringList items = partitionInfo.split(QLatin1Char(','));
    while (items.size() < 6) {
        items.append(QStringLiteral("0"));
    }
    items[5] = QString::number(fileSystem);
    return items.join(QLatin1Char(','));
}

}  // namespace

Recorder* FindRecorder(Scenario& scenario, const QString& mac) {
    for (Recorder& recorder : scenario.recorders) {
        if (recorder.mac.compare(mac, Qt::CaseInsensitive) == 0) {
            return &recorder;
        }
    }
    return nullptr;
}

HttpRecorder::HttpRecorder(SimState& state, QString mac, SimClock clock)
    : state_(state),
      mac_(std::move(mac)),
      clock_(clock ? std::move(clock)
                   : SimClock([] { return QDateTime::currentMSecsSinceEpoch(); })),
      digest_(state.with([this](Scenario& scenario) {
          const Recorder* recorder = FindRecorder(scenario, mac_);
          return RealmOf(recorder != nullptr ? recorder->model : QString());
      })) {}

std::optional<Faults> HttpRecorder::faults() {
    return state_.with([this](Scenario& scenario) -> std::optional<Faults> {
        const Recorder* recorder = FindRecorder(scenario, mac_);
        if (recorder == nullptr) {
            return std::nullopt;
        }
        return recorder->faults;
    });
}

HttpReply HttpRecorder::handle(const HttpRequest& request) {
    const auto taken = state_.with([&](Scenario& scenario) {
        Recorder* recorder = FindRecorder(scenario, mac_);
        return TakeOverride(scenario, recorder ? &recorder->overrides : nullptr, request);
    });
    return Overridden(taken, [&] { return answer(request); });
}

HttpReply HttpRecorder::answer(const HttpRequest& request) {
    static const std::map<QByteArray, Route> kRoutes = {
        {"/config/storageinfo", &HttpRecorder::storageInfo},
        {"/config/datamatch", &HttpRecorder::dataMatch},
        {"/config/storageformat", &HttpRecorder::storageFormat},
        {"/config/storageformatpoll", &HttpRecorder::storageFormatPoll},
        {"/config/timezonelist", &HttpRecorder::timeZoneList},
        {"/config/datetime", &HttpRecorder::dateTime},
        {"/config/manrecord", &HttpRecorder::manualRecord},
        {"/config/addavdev", &HttpRecorder::addCamera},
        {"/config/delavdev", &HttpRecorder::deleteCamera},
        {"/live/avdevlist", &HttpRecorder::cameraList},
        {"/config/login", &HttpRecorder::login},
        {"/config/avdevchangepassword", &HttpRecorder::changeCameraPassword},
        {"/config/avdevdetect", &HttpRecorder::detectCamera},
        {"/config/nubradiscovery", &HttpRecorder::cloudDiscovery},
        {"/config/nubraportal", &HttpRecorder::cloudPortal},
        {"/config/nubrareginfo", &HttpRecorder::cloudRegInfo},
        {"/config/nubraregstatus", &HttpRecorder::cloudRegStatus},
    };

    struct Settings {
        AuthPolicy policy;
        Faults faults;
        QString model;
    };
    const auto settings = state_.with([this](Scenario& scenario) -> std::optional<Settings> {
        const Recorder* recorder = FindRecorder(scenario, mac_);
        if (recorder == nullptr) {
            return std::nullopt;
        }
        const bool digest =
            recorder->authScheme.compare(QStringLiteral("digest"), Qt::CaseInsensitive) == 0 ||
            recorder->faults.digestChallenge;
        return Settings{{recorder->adminPassword, digest}, recorder->faults, recorder->model};
    });
    if (!settings) {
        return NotFound();
    }
    const QString& hostile = settings->faults.hostileStrings;
    if (settings->faults.forceStatus == 401) {
        return Unauthorized(settings->policy, digest_);
    }
    if (settings->faults.forceStatus != 0) {
        const QByteArray status = QByteArray::number(settings->faults.forceStatus);
        return TextReply(settings->faults.forceStatus, Hostile(status, hostile) + "\r\n");
    }
    if (settings->faults.unauthorizedForever) {
        return EndlessUnauthorized();
    }

    const QByteArray path = request.path();
    // The recorder's own web page, which the summary opens in a browser, asks for a login of
    // its own; the simulator only shows that it is there.
    if (path == "/" || path == "/index.html") {
        const QByteArray model = Hostile(Utf8(settings->model.toHtmlEscaped()), hostile);
        HttpReply page = TextReply(200, "<!DOCTYPE html><html><head><title>" + model +
                                            "</title></head><body><h1>" + model +
                                            "</h1><p>Network video recorder (orb-sim)</p>"
                                            "</body></html>\n");
        page.contentType = "text/html; charset=utf-8";
        return page;
    }

    if (auto refused = Authenticate(request, settings->policy, digest_)) {
        refused->body = Hostile(refused->body, hostile);
        return *refused;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return TextReply(405, Hostile("405 Method Not Allowed", hostile) + "\r\n");
    }
    const auto route = kRoutes.find(path);
    if (route == kRoutes.end()) {
        return NotFound(hostile);
    }
    const HttpPairs query = SplitQuery(request.query());
    return state_.with([&](Scenario& scenario) {
        Recorder* recorder = FindRecorder(scenario, mac_);
        if (recorder == nullptr) {
            return NotFound();
        }
        return (this->*(route->second))(scenario, *recorder, query);
    });
}

void HttpRecorder::advanceFormat(Drive& drive) const {
    if (!Formatting(drive)) {
        return;
    }
    const qint64 now = clock_();
    const qint64 elapsed = std::max<qint64>(0, now - drive.formatStartedMs);
    const qint64 progress = drive.formatDurationMs <= 0
                                ? 100
                                : std::min<qint64>(100, elapsed * 100 / drive.formatDurationMs);
    drive.formatProgress = static_cast<int>(progress);
    if (drive.formatHoldAt >= 0 && drive.formatProgress >= drive.formatHoldAt) {
        // Moving the start along makes the format resume from the held point once released
        // (rounded up, so it never reads one less).
        drive.formatProgress = drive.formatHoldAt;
        drive.formatStartedMs =
            now - (static_cast<qint64>(drive.formatHoldAt) * drive.formatDurationMs + 99) / 100;
        return;
    }
    if (drive.formatProgress >= 100) {
        drive.ready = QStringLiteral("1");
        drive.dataMatch = QStringLiteral("1");
    }
}

HttpReply HttpRecorder::storageInfo(Scenario&, Recorder& recorder, const HttpPairs& query) {
    Drive& drive = recorder.drive;
    advanceFormat(drive);
    const int storageId = IntValue(query, "storageid", 0);
    if (storageId != 0 || drive.plug != QLatin1String("1")) {
        return Ok({{"plug", "0"},
                   {"ready", "0"},
                   {"type", ""},
                   {"devicename", ""},
                   {"modelname", ""},
                   {"usedpartition", ""}});
    }
    return Ok({{"plug", Utf8(drive.plug)},
               {"ready", Formatting(drive) ? QByteArray("0") : Utf8(drive.ready)},
               {"type", Utf8(drive.type)},
               {"devicename", Text(recorder, drive.deviceName)},
               {"modelname", Text(recorder, drive.modelName)},
               {"usedpartition", Utf8(drive.usedPartition)},
               {"partitioninfo" + Utf8(drive.usedPartition), Utf8(drive.partitionInfo)}});
}

HttpReply HttpRecorder::dataMatch(Scenario&, Recorder& recorder, const HttpPairs&) {
    Drive& drive = recorder.drive;
    advanceFormat(drive);
    const bool matches = drive.plug == QLatin1String("1") && !Formatting(drive);
    return Ok({{"match", matches ? Utf8(drive.dataMatch) : QByteArray("0")}});
}

HttpReply HttpRecorder::storageFormat(Scenario&, Recorder& recorder, const HttpPairs& query) {
    bool validId = false;
    bool validFs = false;
    const int storageId = IntValue(query, "storageid", -1, &validId);
    const int partition = IntValue(query, "partition", 0);
    const int fileSystem = IntValue(query, "fs", -1, &validFs);
    Drive& drive = recorder.drive;
    if (!validId || storageId != 0 || !validFs || drive.plug != QLatin1String("1")) {
        return Refused(recorder, "no such drive");
    }
    drive.formatProgress = 0;
    drive.formatStartedMs = clock_();
    drive.partitionInfo = SixthItemReplaced(drive.partitionInfo, fileSystem);
    return Ok({{"storageid", QByteArray::number(storageId)},
               {"partition", QByteArray::number(partition)},
               {"fs", QByteArray::number(fileSystem)},
               {"status", "0"}});
}

HttpReply HttpRecorder::storageFormatPoll(Scenario&, Recorder& recorder, const HttpPairs&) {
    Drive& drive = recorder.drive;
    if (recorder.faults.failFormat && Formatting(drive)) {
        // The format dies where it stands and leaves the drive unusable until a new one.
        advanceFormat(drive);
        const int reached = std::min(drive.formatProgress, 99);
        drive.formatProgress = -1;
        drive.ready = QStringLiteral("0");
        return TextReply(409, KeyValueLines({{"status", QByteArray::number(reached)}}));
    }
    advanceFormat(drive);
    return Ok({{"status", QByteArray::number(std::max(drive.formatProgress, 0))}});
}

HttpReply HttpRecorder::timeZoneList(Scenario&, Recorder& recorder, const HttpPairs& query) {
    if (recorder.faults.accessError) {
        return TextReply(200, "Access Error");
    }
    const int language = IntValue(query, "language", 4);
    // Names travel HTML-escaped the way the recorder's pages hold them; the list has no line
    // end, since everything after the prefix is read as names.
    QList<QByteArray> names;
    for (QString name : TimeZonesFor(recorder, language)) {
        // Escaped first: the hostile text arrives as it is.
        name.replace(QLatin1String("&"), QLatin1String("&amp;"));
        names.append(Text(recorder, name));
    }
    return TextReply(200, "timezonelist=" + names.join(';'));
}

HttpReply HttpRecorder::dateTime(Scenario&, Recorder& recorder, const HttpPairs& query) {
    if (QueryValue(query, "timezone")) {
        bool valid = false;
        const int zone = IntValue(query, "timezone", 0, &valid);
        qsizetype zoneCount = TimeZonesFor(recorder, 4).size();
        for (const QStringList& names : recorder.timeZones) {
            zoneCount = std::max(zoneCount, names.size());
        }
        if (recorder.faults.badRequest || !valid || zone < 1 || zone > zoneCount) {
            return TextReply(400, Text(recorder, QStringLiteral("400 Bad Request")));
        }
        recorder.currentZone = zone;
        return Ok({{"timezone", QByteArray::number(zone)}});
    }
    const QDateTime now =
        QDateTime::fromMSecsSinceEpoch(clock_(), Qt::UTC).addSecs(recorder.clockOffsetSeconds);
    return Ok({{"timezone", QByteArray::number(recorder.currentZone)},
               {"date", Utf8(now.toString(QStringLiteral("yyyy-MM-dd")))},
               {"time", Utf8(now.toString(QStringLiteral("HH:mm:ss")))}});
}

HttpReply HttpRecorder::manualRecord(Scenario&, Recorder&, const HttpPairs& query) {
    return Ok({{"record", QueryValue(query, "record").value_or(QByteArray("0"))}});
}

HttpReply HttpRecorder::addCamera(Scenario&, Recorder& recorder, const HttpPairs& query) {
    Camera* camera = ListedCamera(recorder, TextValue(query, "hostname"));
    const auto account = Base64Value(query, "account");
    const auto pass = Base64Value(query, "pass");
    if (camera == nullptr) {
        return Refused(recorder, "no camera at that address");
    }
    if (!account || !pass) {
        return Refused(recorder, "account and pass must be Base64");
    }
    if (camera->faults.refuseAdd) {
        return Refused(recorder, "the camera refused");
    }
    camera->addedFlag = QStringLiteral("1");
    camera->account = *account;
    camera->password = *pass;
    return Ok({{"result", Text(recorder, QStringLiteral("ok"))},
               {"avdevid", QueryValue(query, "avdevid").value_or("")}});
}

HttpReply HttpRecorder::deleteCamera(Scenario&, Recorder& recorder, const HttpPairs& query) {
    bool valid = false;
    const int id = IntValue(query, "avdevid", -1, &valid);
    if (!valid || id < 0 || id >= recorder.cameras.size()) {
        return Refused(recorder, "no such camera");
    }
    recorder.cameras[id].addedFlag = QStringLiteral("0");
    return Ok({{"result", Text(recorder, QStringLiteral("ok"))}});
}

// The recorder's own channels: the cameras it holds, numbered by their place in its list, the
// same number delavdev and avdevchangepassword take.
HttpReply HttpRecorder::cameraList(Scenario&, Recorder& recorder, const HttpPairs&) {
    QByteArray body;
    for (qsizetype i = 0; i < recorder.cameras.size(); ++i) {
        const Camera& camera = recorder.cameras[i];
        if (!camera.addedFlag.contains(QLatin1Char('1'))) {
            continue;
        }
        body += "avdevid=" + QByteArray::number(i) +
                ";avdevname=" + CameraText(recorder, camera, camera.model) +
                ";hostname=" + Utf8(ListedHost(camera)) + ";hostid=" + Utf8(camera.mac) +
                ";protocol=" + Utf8(camera.protocol) +
                ";protocoltype=" + Utf8(camera.protocolType) +
                ";brand=" + CameraText(recorder, camera, camera.brand) +
                ";product=" + CameraText(recorder, camera, camera.model) + "\r\n";
    }
    return TextReply(200, body);
}

HttpReply HttpRecorder::login(Scenario&, Recorder&, const HttpPairs&) {
    QByteArray key(kLoginKeyBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(key.data()), kLoginKeyBytes) != 1) {
        return TextReply(500, "500 Internal Server Error\r\n");
    }
    loginKey_ = key;
    return Ok({{"key", key.toHex().toUpper()}});
}

HttpReply HttpRecorder::changeCameraPassword(Scenario&, Recorder& recorder,
                                             const HttpPairs& query) {
    if (loginKey_.isEmpty()) {
        return Refused(recorder, "no key issued");
    }
    Camera* camera = nullptr;
    if (const auto id = QueryValue(query, "avdevid")) {
        bool valid = false;
        const int index = id->toInt(&valid);
        if (valid && index >= 0 && index < recorder.cameras.size() &&
            recorder.cameras[index].addedFlag.contains(QLatin1Char('1'))) {
            camera = &recorder.cameras[index];
        }
    } else {
        camera = ListedCamera(recorder, TextValue(query, "hostname"));
        if (Base64Value(query, "username") != QStringLiteral("admin")) {
            camera = nullptr;
        }
    }
    if (camera == nullptr) {
        return Refused(recorder, "no such camera");
    }
    const auto oldPassword =
        DecipherPasswordHex(loginKey_, QueryValue(query, "oldpassword").value_or(""));
    const auto newPassword =
        DecipherPasswordHex(loginKey_, QueryValue(query, "newpassword").value_or(""));
    if (!oldPassword || !newPassword || newPassword->isEmpty()) {
        return Refused(recorder, "malformed password");
    }
    if (*oldPassword != camera->adminPassword) {
        return Refused(recorder, "wrong password");
    }
    ChangeCameraPassword(*camera, *newPassword);
    return Ok({{"result", Text(recorder, QStringLiteral("ok"))}});
}

HttpReply HttpRecorder::detectCamera(Scenario&, Recorder& recorder, const HttpPairs& query) {
    const Camera* camera = ListedCamera(recorder, TextValue(query, "hostname"));
    const auto account = Base64Value(query, "account");
    const auto pass = Base64Value(query, "pass");
    if (camera == nullptr || camera->faults.silentHttp) {
        return Refused(recorder, "camera unreachable");
    }
    if (account != QStringLiteral("admin") || pass != camera->adminPassword) {
        return Refused(recorder, "wrong credentials");
    }
    return Ok({{"result", Text(recorder, QStringLiteral("ok"))}});
}

HttpReply HttpRecorder::cloudDiscovery(Scenario&, Recorder& recorder, const HttpPairs&) {
    return TextReply(200, DiscoveryList(recorder));
}

HttpReply HttpRecorder::cloudPortal(Scenario& scenario, Recorder& recorder, const HttpPairs&) {
    const PortalData& portal = recorder.portal;
    const QString url = portal.portalUrl.isEmpty() ? scenario.portal.ip : portal.portalUrl;
    QString link = portal.localHyperlink;
    if (link.isEmpty()) {
        link =
            QStringLiteral("http://") + recorder.ip +
            (recorder.httpPort == 80 ? QString() : QStringLiteral(":%1").arg(recorder.httpPort)) +
            QStringLiteral("/");
    }
    return Ok({{"status", Utf8(portal.status)},
               {"access", Utf8(portal.access)},
               {"portal_url", Text(recorder, url)},
               {"portal_number", Text(recorder, portal.portalNumber)},
               {"portal_dfp", Text(recorder, portal.portalDfp)},
               {"model", Text(recorder, portal.model)},
               {"localhyperlink", Text(recorder, link)}});
}

HttpReply HttpRecorder::cloudRegInfo(Scenario&, Recorder& recorder, const HttpPairs& query) {
    PortalData& portal = recorder.portal;
    // The wizard escapes these two values; the recorder keeps the text they stand for.
    if (const auto email = QueryValue(query, "email")) {
        portal.registeredEmail = QString::fromUtf8(PercentDecoded(*email));
    }
    if (const auto password = QueryValue(query, "password")) {
        portal.registeredPassword = QString::fromUtf8(PercentDecoded(*password));
    }
    if (const auto status = QueryValue(query, "status")) {
        portal.status = QString::fromUtf8(*status);
    }
    return Ok({{"status", Utf8(portal.status)},
               {"email", Text(recorder, portal.registeredEmail)},
               {"password", Text(recorder, portal.registeredPassword)}});
}

HttpReply HttpRecorder::cloudRegStatus(Scenario&, Recorder& recorder, const HttpPairs& query) {
    if (const auto status = QueryValue(query, "status")) {
        recorder.portal.status = QString::fromUtf8(*status);
    }
    return Ok({{"status", Utf8(recorder.portal.status)}});
}

}  // namespace sim
