#pragma once

// Texts a device may send that its clients must survive: invalid UTF-8, control characters,
// shell and Desktop Entry syntax. A device whose hostileStrings knob names a set adds that set's
// text to every text it sends, so the real value still stands in front of it.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sim {

// "utf8", "control", "shell", "desktop", "all".
const QStringList& HostileSetNames();

// The set's text; empty for "" and unknown names. "all" ends with the control set, whose NUL
// would hide what follows from a reader that stops at one.
QByteArray HostileText(const QString& set);

// text followed by the set's text.
QByteArray Hostile(const QByteArray& text, const QString& set);

// The set's text without CR, LF and NUL, which no header can carry.
QByteArray HostileHeaderText(const QString& set);

// Exactly width bytes without a zero: text (cut when longer) and then filler.
QByteArray FullWidthText(const QByteArray& text, qsizetype width);

}  // namespace sim
