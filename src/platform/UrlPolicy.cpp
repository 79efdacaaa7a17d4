#include "platform/UrlPolicy.h"

namespace platform {

bool IsOpenableUrl(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || trimmed != address) {
        return false;
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

}  // namespace platform
