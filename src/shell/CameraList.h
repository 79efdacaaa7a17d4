#pragma once

#include <QString>

#include <optional>

#include "shell/CameraEntry.h"

// The recorder's cloud discovery list and portal reply, as the camera step reads them.
namespace cameras {

// One line of the discovery list: fields separated by ";", the first nine copied in order
// (addedFlag, ip, mac, brand, model, account, password, protocol, protocolType), later ones
// ignored, missing ones empty. Nothing for a line without an IP.
std::optional<CameraEntry> EntryFromLine(const QString& line);

// A camera that takes its password by datagram on its own MAC: protocolType reads as 0.
bool IsLegacy(const CameraEntry& entry);

// The row shows the preview at once: the password is known, or the account is "admin".
bool PasswordKnownWhenListed(const CameraEntry& entry);

// A camera password typed twice on the create page: the match first, then the rule (6..30
// characters, none of "/", ":", "&" and the space).
enum class NewPassword { Ok, Mismatch, BreaksRule };
NewPassword CheckNewPassword(const QString& first, const QString& second);

// The recorder's portal values (command 2014).
struct PortalValues {
    QString status;
    QString access;
    QString portalUrl;
    QString portalNumber;
    QString portalDfp;
    QString model;
    QString localHyperlink;
};

// How a portal reply reads: not there yet (empty), refused ("-1"), or the values.
struct PortalReading {
    enum class State { Pending, Refused, Read };
    State state = State::Pending;
    PortalValues values;
};

// The pieces between "&" in order: status, access, portal address, portal number, dfp and
// model; the text after the last "&" is always the local link, however many came before.
PortalReading ReadPortalInfo(const QString& text);

}  // namespace cameras
