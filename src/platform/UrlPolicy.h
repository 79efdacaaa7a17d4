#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// The only addresses the wizard hands to the browser: absolute http or https URLs with a
// host. Anything else (files, scripts, other schemes) could run or reveal something local.
bool IsOpenableUrl(const QString& address);

}  // namespace platform
