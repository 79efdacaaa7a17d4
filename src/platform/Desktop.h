#pragma once

#include <QString>

namespace platform {

// True when the system has a font of exactly this family name (letter case counts), as the
// families stood when first asked.
bool IsFontInstalled(const QString& family);

// Opens an http or https address in the user's browser. Refuses anything else.
bool OpenUrl(const QString& address);

}  // namespace platform
