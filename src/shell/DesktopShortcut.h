#pragma once

#include <QString>

#include "shell/ShortcutPlan.h"

// Puts the planned shortcut on a desktop: a shell link on Windows, a Desktop Entry elsewhere.
namespace shortcut {

// The icon file start-up leaves for the shortcut.
inline const QString kIconFileName = QStringLiteral("ORB-780Z.ico");

// The file the plan is saved as: its name with the system's link extension.
QString FileName(const Plan& plan);

// What explorer.exe is given to open the target: the address in double quotes (a "#" or "?"
// in it must reach the browser untouched), the maker's site as it is; the maker's site too
// for an address that could end the quoting.
QString ExplorerArguments(const Plan& plan);

// The icon copy start-up made: in the system folder as the shell sees it, else in the
// application-data folder; empty when neither exists.
QString IconPath();

// Saves the plan's shortcut into `folder`, replacing one of the same name. False when nothing
// was saved.
bool WriteShortcut(const Plan& plan, const QString& folder, const QString& iconPath);

}  // namespace shortcut
