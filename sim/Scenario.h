#pragma once

// What the simulator plays: recorders with their cameras, and one cloud portal. Everything the
// servers need to answer is here; runtime changes (a set password, format progress, added
// cameras) are made to this same data under SimState's lock.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace sim {

// Fault knobs of one device; all off by default. Switchable while running.
struct Faults {
    bool silentUdp = false;        // no datagram answers at all
    bool silentHttp = false;       // accept connections, never answer
    int delayMs = 0;               // added before every answer
    int wrongReplyLength = 0;      // search reply of this length instead of 334/342 (0 = off)
    int duplicateReplies = 0;      // extra copies of every datagram answer
    bool digestChallenge = false;  // ask for Digest even when the device is set to Basic
    int forceStatus = 0;           // answer every HTTP request with this status (401, 409, 404)
    bool accessError = false;      // time-zone list answers "Access Error"
    bool badRequest = false;       // time-zone writes answer "400 Bad Request"
    bool failFormat = false;       // format progress stops and the drive is not ready
    int portalDelayMs = 0;         // the portal answers this much later
    bool refuseAdd = false;        // on a camera: the recorder refuses to add it
    // Hostile modes.
    int floodReplies = 0;              // a search also brings this many datagrams of a flood
    bool fullLengthTexts = false;      // datagram text fields fill their room, no zero after them
    QString hostileStrings;            // a set of HostileSetNames() added to every text sent
    QString bodyMode;                  // every HTTP body: "huge", "endless", "trickle", "reset"
    bool unauthorizedForever = false;  // every HTTP request: 401 with a fresh Digest nonce
    QString certificate;  // TLS: "expired", "selfSigned", "wrongHost"; empty: the CA's own
};

// An answer a device gives in place of its own to requests on one path. A device's overrides
// form one queue: each request takes the first entry that matches it.
struct ReplyOverride {
    QString path;                 // the request's path without its query, compared exactly
    QString queryPrefix;          // the query must begin with this; empty matches any query
    int status = 0;               // 0: the device answers itself (only delayMs or silent apply)
    std::optional<QString> body;  // without one, a status of its own answers "<status>\r\n"
    int delayMs = 0;              // the answer goes out this much later
    bool silent = false;          // no answer until overrides are cleared or the simulator stops
    int times = 1;                // requests still to take it; 0: every request, forever
};

// A camera as the recorder's cloud discovery list shows it, plus what it serves itself.
struct Camera {
    // The nine discovery fields, in list order.
    QString addedFlag;  // "1" when the recorder already holds the camera
    QString ip;         // also the address the camera serves on
    QString mac;
    QString brand;
    QString model;
    QString account;   // account the recorder reports
    QString password;  // password the recorder reports
    QString protocol;
    QString protocolType;   // "0" for legacy cameras that take the datagram password change
    QString name;           // drawn on its JPEG frames
    QString adminPassword;  // the camera's own password for /image/jpeg.cgi and /system.cgi
    int httpPort = 80;
    // What the recorder lists and knows the camera by (requests name it so); empty: ip.
    QString listedIp;
    // Reported instead of the new password after any password change; nothing: the new one.
    std::optional<QString> echoPassword;
    // What /image/jpeg.cgi sends: one of JpegModeNames(); pieces and pauses pace "trickle"
    // and "nomarker".
    QString jpegMode = QStringLiteral("normal");
    int jpegPieceBytes = 64;
    int jpegPauseMs = 20;
    Faults faults;
    QList<ReplyOverride> overrides;
};

struct Drive {
    QString plug = QStringLiteral("1");
    QString ready = QStringLiteral("1");
    QString type = QStringLiteral("1");
    QString deviceName = QStringLiteral("HD1");
    QString modelName = QStringLiteral("ST1000DM010");
    QString usedPartition = QStringLiteral("1");
    QString partitionInfo = QStringLiteral("1,0,931,931,0,1");  // sixth item: file system
    QString dataMatch = QStringLiteral("0");
    int formatDurationMs = 3000;
    // A running format reports this progress and goes no further until it is set back to -1.
    int formatHoldAt = -1;
    // Runtime: format progress 0..100 while formatting; -1 when no format has started.
    int formatProgress = -1;
    qint64 formatStartedMs = 0;
};

struct PortalData {
    QString status = QStringLiteral("0");
    QString access = QStringLiteral("1");
    QString portalUrl;  // filled from the portal's address when empty
    QString portalNumber = QStringLiteral("0");
    QString portalDfp = QStringLiteral("5A3F9C27E1D04B88");
    QString model = QStringLiteral("ORB-780Z");
    QString localHyperlink;  // filled from the recorder's address when empty
    QString registeredEmail;
    QString registeredPassword;
};

struct Recorder {
    QString model = QStringLiteral("ORB-780Z");
    QString mac = QStringLiteral("00:1c:2a:78:0e:01");
    QString deviceName = QStringLiteral("ORB-780Z");
    QString ip = QStringLiteral("10.77.0.10");
    int httpPort = 80;
    int httpsPort = 443;
    int replyLength = 342;       // 334 (short layout) or 342 (long layout with its clock)
    int clockOffsetSeconds = 0;  // the recorder's clock minus the host's
    QString adminPassword;       // empty: factory state
    QString authScheme = QStringLiteral("basic");  // "basic" or "digest"
    // Time-zone names by the recorder's language number; missing numbers use the built-in list.
    QMap<int, QStringList> timeZones;
    // A slot of the list it serves; 45 is "(GMT) Dublin, Edinburgh, Lisbon, London" in the
    // built-in one. 0 reports no zone.
    int currentZone = 45;
    Drive drive;
    QList<Camera> cameras;
    // Sent as the discovery list instead of the cameras' fields, one line each.
    std::optional<QStringList> discoveryLines;
    PortalData portal;
    Faults faults;
    QList<ReplyOverride> overrides;
};

struct PortalAccount {
    QString email;
    QString password;
};

struct Portal {
    QString ip = QStringLiteral("10.77.0.100");
    int httpsPort = 443;
    QList<PortalAccount> accounts;
    // Reply texts by request ("signup", "signin", "bind"); the sim picks success or the
    // error text the scenario names.
    QMap<QString, QString> replies;
    Faults faults;
    QList<ReplyOverride> overrides;
};

struct Scenario {
    QList<Recorder> recorders;
    Portal portal;
    // Runtime, not part of the scenario format: counts the clearing of overrides, which ends
    // every silent answer held back before it.
    quint64 overrideClears = 0;
};

}  // namespace sim
