#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Folders.h"
#include "platform/ShellLink.h"
#include "shell/DesktopShortcut.h"

using shortcut::Plan;

namespace {

void Touch(const QString& folder) {
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/") + shortcut::kIconFileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("icon");
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(DesktopShortcut, ExplorerIsGivenTheAddressQuotedAndTheMakerSiteAsItIs) {
    const Plan portal{"ORB-780Z(7)", "https://portal.example.com/device#7?lang=en"};
    EXPECT_EQ(shortcut::ExplorerArguments(portal),
              "\"https://portal.example.com/device#7?lang=en\"");
    EXPECT_EQ(shortcut::ExplorerArguments({"ORB-780Z", shortcut::MakerSite()}),
              shortcut::MakerSite());
    // A quote in the address would let the rest become arguments of their own.
    EXPECT_EQ(shortcut::ExplorerArguments({"ORB-780Z", "http://a/\" /select,C:\\x"}),
              shortcut::MakerSite());
    EXPECT_EQ(shortcut::FileName(portal),
              platform::kShellLinks ? "ORB-780Z(7).lnk" : "ORB-780Z(7).desktop");
}

TEST(DesktopShortcut, TheIconIsTheSystemCopyThenTheOwnCopyThenNone) {
    ScopedDesktop desktop;
    EXPECT_TRUE(shortcut::IconPath().isEmpty());
    Touch(desktop.applicationData());
    EXPECT_EQ(QDir::cleanPath(shortcut::IconPath()),
              desktop.applicationData() + "/" + shortcut::kIconFileName);
    Touch(desktop.systemIcons());
    EXPECT_EQ(QDir::cleanPath(shortcut::IconPath()),
              desktop.systemIcons() + "/" + shortcut::kIconFileName);
}

TEST(DesktopShortcut, WritesTheEntryIntoTheFolderOrReportsItCouldNot) {
    if (platform::kShellLinks) {
        GTEST_SKIP() << "shell links are saved by the system";
    }
    ScopedDesktop desktop;
    const Plan plan{"ORB-780Z", "http://10.77.0.10/"};
    ASSERT_TRUE(shortcut::WriteShortcut(plan, desktop.desktop(), "/icons/ORB-780Z.ico"));
    const QByteArray entry = Read(desktop.desktop() + "/ORB-780Z.desktop");
    EXPECT_TRUE(entry.contains("\nURL=http://10.77.0.10/\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nIcon=/icons/ORB-780Z.ico\n"));
    EXPECT_FALSE(shortcut::WriteShortcut(plan, desktop.desktop() + "/missing", QString()));
    EXPECT_FALSE(shortcut::WriteShortcut(plan, QString(), QString()));
}
