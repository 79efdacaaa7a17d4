#pragma once

#include <QString>

namespace platform {

// Whether a desktop shortcut here is a shell link (".lnk") rather than a freedesktop
// Desktop Entry.
#ifdef Q_OS_WIN
inline constexpr bool kShellLinks = true;
#else
inline constexpr bool kShellLinks = false;
#endif

// Saves a shell link at `linkPath` that starts explorer.exe with `arguments`, shown with the
// icon at `iconPath` (none when empty); a link of that name is replaced. Shell links exist only
// on Windows: false elsewhere, and false whenever the link could not be made or saved.
bool SaveExplorerLink(const QString& linkPath, const QString& arguments, const QString& iconPath);

// The system folder as the desktop shell sees it, ending with a separator. A 32-bit program on
// 64-bit Windows copies its shared files to a folder the shell knows by another name; elsewhere
// this is SystemFolder().
QString SystemFolderForShell();

}  // namespace platform
