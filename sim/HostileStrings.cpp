#include "HostileStrings.h"

namespace sim {

namespace {

// Each broken sequence on its own, blank-separated, the last one cut short at the very end.
QByteArray InvalidUtf8() {
    static const char* const kSequences[] = {
        "c328",      // a lead byte followed by ASCII
        "a0a1",      // continuation bytes without a lead
        "e228a1",    // a three-byte sequence broken in the middle
        "f0288cbc",  // a four-byte sequence broken after its lead
        "c0af",      // "/" in two bytes (overlong)
        "e080af",    // "/" in three bytes (overlong)
        "eda080",    // a UTF-16 surrogate
        "f4908080",  // past U+10FFFF
        "feff",      // bytes UTF-8 never uses
        "e282",      // cut short
    };
    QByteArray text;
    for (const char* hex : kSequences) {
        if (!text.isEmpty()) {
            text += ' ';
        }
        text += QByteArray::fromHex(hex);
    }
    return text;
}

// C0 controls, an escape sequence that clears a terminal, DEL, C1 NEL, the line separator,
// a right-to-left override, a byte-order mark, line ends that start a key of their own, and a
// NUL with more text after it.
QByteArray Controls() {
    QByteArray text = QByteArray::fromHex("0102070809");
    text += "\x0b\x0c";
    text += "\x1b[2J\x1b]0;orb-sim\x07";
    text += '\x7f';
    text += QByteArray::fromHex("c285e280a8e280aeefbbbf");
    text += "\r\ninjected=1\rcr\nlf";
    text += '\0';
    text += "after-nul";
    return text;
}

// Quotes, substitutions, separators, redirections and globs; printf, QString::arg and the
// language packs' placeholders. No "?": a client sends these texts back in queries, where the
// simulator's own HTTP parser refuses a second one.
QByteArray ShellText() {
    return "'\"; $(touch /tmp/orb-hostile-dollar) `touch /tmp/orb-hostile-tick` | "
           "cat /etc/passwd & true && false || >/tmp/orb-hostile-out </dev/null * ~ ! # \\ "
           "${HOME} %s%n%x %1 %2 {0} @@";
}

// A second entry with a command, field codes, escapes, a path that leaves the folder.
QByteArray DesktopText() {
    return "\n[Desktop Entry]\nType=Application\nExec=sh -c 'touch /tmp/orb-hostile-desktop' "
           "%f %u %%\nIcon=../../etc/passwd\nName=\\n\\t\\s\\r\\\\;x=y\n"
           "../../../tmp/orb-hostile-path/";
}

}  // namespace

const QStringList& HostileSetNames() {
    static const QStringList names = {
        QStringLiteral("utf8"),    QStringLiteral("control"), QStringLiteral("shell"),
        QStringLiteral("desktop"), QStringLiteral("all"),
    };
    return names;
}

QByteArray HostileText(const QString& set) {
    if (set == QLatin1String("utf8")) {
        return InvalidUtf8();
    }
    if (set == QLatin1String("control")) {
        return Controls();
    }
    if (set == QLatin1String("shell")) {
        return ShellText();
    }
    if (set == QLatin1String("desktop")) {
        return DesktopText();
    }
    if (set == QLatin1String("all")) {
        return ShellText() + ' ' + DesktopText() + ' ' + InvalidUtf8() + ' ' + Controls();
    }
    return {};
}

QByteArray Hostile(const QByteArray& text, const QString& set) {
    return set.isEmpty() ? text : text + HostileText(set);
}

QByteArray HostileHeaderText(const QString& set) {
    QByteArray text = HostileText(set);
    text.replace('\r', ' ');
    text.replace('\n', ' ');
    text.replace('\0', ' ');
    return text;
}

QByteArray FullWidthText(const QByteArray& text, qsizetype width) {
    static const QByteArray kFiller("~full-width-no-terminator~");
    QByteArray out = text.left(width);
    out.replace('\0', '~');
    while (out.size() < width) {
        out += kFiller.left(width - out.size());
    }
    return out;
}

}  // namespace sim
