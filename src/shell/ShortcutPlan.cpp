#include "shell/ShortcutPlan.h"

#include <QStringList>

#include <cstring>

#include "platform/UrlPolicy.h"
#include "shell/Product.h"

namespace shortcut {
namespace {

const QString kName = QString::fromUtf16(product::kModel);

bool AllOf(const QString& text, const char* extra) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') ||
                           (u < 0x80 && std::strchr(extra, static_cast<char>(u)) != nullptr);
        if (!plain) {
            return false;
        }
    }
    return true;
}

// A value of a Desktop Entry key on one line: the escapes the format knows.
QString Escaped(const QString& value) {
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                // Other control characters have no escape and no business in a name or address.
                if (c.unicode() >= 0x20 && c.unicode() != 0x7F) {
                    out += c;
                }
        }
    }
    return out;
}

}  // namespace

QString MakerSite() {
    return QStringLiteral("https://www.corvane.example/");
}

bool IsPlainPortalNumber(const QString& number) {
    return AllOf(number, "-_");
}

bool IsPlainHost(const QString& host) {
    return AllOf(host, ".-:") && !host.startsWith(QLatin1Char('.')) &&
           !host.startsWith(QLatin1Char('-'));
}

Plan PlanShortcut(const QString& portalAccess, const QString& portalAddress,
                  const QString& portalNumber, const QString& localLink) {
    QStringList candidates;
    QString name = kName;
    if (portalAccess == QLatin1String("1")) {
        const bool number = IsPlainPortalNumber(portalNumber);
        if (number) {
            name += QLatin1Char('(') + portalNumber + QLatin1Char(')');
        }
        if (portalAddress.isEmpty()) {
            return {name, MakerSite()};
        }
        if (IsPlainHost(portalAddress)) {
            candidates << (number ? QStringLiteral("https://%1/device#%2?lang=en")
                                        .arg(portalAddress, portalNumber)
                                  : QStringLiteral("https://%1/").arg(portalAddress));
        }
    }
    // A portal address of another shape leads to the local page instead.
    candidates << localLink << MakerSite();
    for (const QString& target : candidates) {
        if (platform::IsOpenableUrl(target)) {
            return {name, target};
        }
    }
    return {name, MakerSite()};
}

QByteArray DesktopEntry(const QString& name, const QString& url, const QString& iconPath) {
    QString text = QStringLiteral("[Desktop Entry]\nVersion=1.0\nType=Link\n");
    text += QStringLiteral("Name=") + Escaped(name) + QLatin1Char('\n');
    text += QStringLiteral("URL=") + Escaped(url) + QLatin1Char('\n');
    if (!iconPath.isEmpty()) {
        text += QStringLiteral("Icon=") + Escaped(iconPath) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

}  // namespace shortcut
