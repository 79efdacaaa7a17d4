#pragma once

#include <QByteArray>
#include <QString>

// The desktop shortcut FINISH leaves: what it is called and where it leads. Everything in it
// comes from the recorder or the portal, so only values of the expected shape are used.
namespace shortcut {

// The last fallback: the maker's own site.
QString MakerSite();

struct Plan {
    QString name;    // "ORB-780Z" or "ORB-780Z(<portal number>)"
    QString target;  // an http or https address
};

// A portal number that may go into a file name and an address: letters, digits, "-" and "_".
bool IsPlainPortalNumber(const QString& number);
// A portal address that names a host: letters, digits, ".", "-" and ":" (a port or IPv6).
bool IsPlainHost(const QString& host);

// With access "1" the recorder's page on the portal (the portal alone without a plain number,
// the maker's site without an address), else its local page; a value of the wrong shape falls
// back to the next: the local page, then the maker's site.
Plan PlanShortcut(const QString& portalAccess, const QString& portalAddress,
                  const QString& portalNumber, const QString& localLink);

// A freedesktop Desktop Entry of type Link (no Exec line): every value escaped so that none
// can end its line.
QByteArray DesktopEntry(const QString& name, const QString& url, const QString& iconPath);

}  // namespace shortcut
