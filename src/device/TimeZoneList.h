#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The recorder's time-zone list and current zone as its configuration interface sends them.
namespace zones {

// The list's own slots: zone numbers run from 1 to this.
inline constexpr int kMaxZones = 200;
// What the recorder's list reply starts with.
inline constexpr int kPrefixLength = 13;  // "timezonelist="

// The list the wizard carries for recorders that refuse theirs: the reply text with the 154
// names the recorder numbers 1..154.
const QString& BuiltInListText();

// The recorder's entity escapes replaced in its own order, "&amp;" first, so an escaped
// ampersand that starts another escape is decoded twice.
QString DecodeEntities(QString text);

// The zone names of a list reply (UTF-8), in slot order: "Access Error" anywhere gives the
// built-in list; empty pieces are skipped and names beyond the slots are dropped.
QStringList ParseList(const QByteArray& body);

// The current zone of a "/config/datetime" reply, or -1 when it names no slot of the list.
int ReadCurrentZone(const QByteArray& body, int zoneCount);

}  // namespace zones
