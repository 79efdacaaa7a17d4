#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QUrl>

#include "platform/UrlPolicy.h"

namespace platform {

bool IsFontInstalled(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(), [&](const QString& f) {
        return f.compare(family, Qt::CaseInsensitive) == 0;
    });
}

bool OpenUrl(const QString& address) {
    if (!IsOpenableUrl(address)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

}  // namespace platform
