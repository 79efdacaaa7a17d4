#include "shell/DesktopShortcut.h"

#include <QDir>
#include <QFileInfo>

#include "platform/Folders.h"
#include "platform/ShellLink.h"

namespace shortcut {

QString FileName(const Plan& plan) {
    return plan.name +
           (platform::kShellLinks ? QStringLiteral(".lnk") : QStringLiteral(".desktop"));
}

QString ExplorerArguments(const Plan& plan) {
    if (plan.target == MakerSite() || plan.target.contains(QLatin1Char('"'))) {
        return MakerSite();
    }
    return QLatin1Char('"') + plan.target + QLatin1Char('"');
}

QString IconPath() {
    for (const QString& folder :
         {platform::SystemFolderForShell(), platform::ApplicationDataFolder()}) {
        if (!folder.isEmpty() && QFileInfo::exists(folder + kIconFileName)) {
            return folder + kIconFileName;
        }
    }
    return {};
}

bool WriteShortcut(const Plan& plan, const QString& folder, const QString& iconPath) {
    if (folder.isEmpty()) {
        return false;
    }
    if constexpr (platform::kShellLinks) {
        return platform::SaveExplorerLink(QDir(folder).filePath(FileName(plan)),
                                          ExplorerArguments(plan), iconPath);
    } else {
        return platform::WriteDesktopLink(folder, FileName(plan),
                                          DesktopEntry(plan.name, plan.target, iconPath));
    }
}

}  // namespace shortcut
