#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>
#include <QUrl>

#include "platform/UrlPolicy.h"

namespace platform {

namespace {

// Every paint asks; the system's list is read once.
const QSet<QString>& InstalledFamilies() {
    static const QSet<QString> families = [] {
        const QStringList all = QFontDatabase::families();
        return QSet<QString>(all.begin(), all.end());
    }();
    return families;
}

}  // namespace

bool IsFontInstalled(const QString& family) {
    // Without the application there is no font database yet, and nothing must be cached.
    if (qGuiApp == nullptr) {
        return false;
    }
    return InstalledFamilies().contains(family);
}

bool OpenUrl(const QString& address) {
    if (!IsOpenableUrl(address)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

}  // namespace platform
