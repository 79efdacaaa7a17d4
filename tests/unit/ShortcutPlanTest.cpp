#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/Folders.h"
#include "shell/RecorderAccount.h"
#include "shell/ShortcutPlan.h"

using shortcut::PlanShortcut;

namespace {

const QString kLocal = QStringLiteral("http://10.77.0.10/");

}  // namespace

TEST(ShortcutPlan, ThePortalPageWithItsNumber) {
    const auto plan = PlanShortcut("1", "portal.example.com", "NB-4471_a", kLocal);
    EXPECT_EQ(plan.name, "ORB-780Z(NB-4471_a)");
    EXPECT_EQ(plan.target, "https://portal.example.com/device#NB-4471_a?lang=en");
    // An address with a port, and one by number.
    EXPECT_EQ(PlanShortcut("1", "10.77.0.100:8443", "7", kLocal).target,
              "https://10.77.0.100:8443/device#7?lang=en");
}

TEST(ShortcutPlan, FallbacksOfThePortal) {
    auto plan = PlanShortcut("1", "portal.example.com", "", kLocal);
    EXPECT_EQ(plan.name, "ORB-780Z");
    EXPECT_EQ(plan.target, "https://portal.example.com/");
    plan = PlanShortcut("1", "", "", kLocal);
    EXPECT_EQ(plan.name, "ORB-780Z");
    EXPECT_EQ(plan.target, shortcut::MakerSite());
    // Access other than exactly "1": the local page, or the maker without one.
    for (const char* access : {"0", "", " 1", "11", "2"}) {
        plan = PlanShortcut(QString::fromLatin1(access), "portal.example.com", "7", kLocal);
        EXPECT_EQ(plan.name, "ORB-780Z") << access;
        EXPECT_EQ(plan.target, kLocal) << access;
    }
    EXPECT_EQ(PlanShortcut("0", "p", "7", "").target, shortcut::MakerSite());
    EXPECT_TRUE(shortcut::MakerSite().startsWith("https://"));
}

TEST(ShortcutPlan, HostileValuesNeverShapeTheFileOrTheTarget) {
    for (const char* number :
         {"../x", "a/b", "a\nExec=sh", "x\"y", "$(id)", "a b", "..", "\xc3\xa9", "%00", "a;b"}) {
        const auto plan =
            PlanShortcut("1", "portal.example.com", QString::fromUtf8(number), kLocal);
        EXPECT_EQ(plan.name, "ORB-780Z") << number;
        EXPECT_EQ(plan.target, "https://portal.example.com/") << number;
    }
    for (const char* address :
         {"javascript:alert(1)", "evil.com/x", "a\nExec=sh", "\"q\"", "file:///etc/passwd",
          "user@host", "-rf", ".hidden", "a b", "https://portal.example.com"}) {
        const auto plan = PlanShortcut("1", QString::fromUtf8(address), "7", kLocal);
        EXPECT_EQ(plan.target, kLocal) << address;
    }
    // The local page is taken only as an http or https address.
    for (const char* local : {"javascript:alert(1)", "file:///etc/passwd", "ftp://x/", "x\ny"}) {
        EXPECT_EQ(PlanShortcut("0", "", "", QString::fromUtf8(local)).target, shortcut::MakerSite())
            << local;
    }
}

TEST(ShortcutPlan, TheDesktopEntryHasNoExecAndOneLinePerKey) {
    const QByteArray entry =
        shortcut::DesktopEntry("ORB-780Z(7)", "https://portal.example.com/device#7?lang=en",
                               "/home/u/.local/ORB-780Z.ico");
    EXPECT_EQ(
        entry,
        "[Desktop Entry]\nVersion=1.0\nType=Link\nName=ORB-780Z(7)\n"
        "URL=https://portal.example.com/device#7?lang=en\nIcon=/home/u/.local/ORB-780Z.ico\n");
    // Whatever a value holds, it stays on its line.
    const QByteArray hostile = shortcut::DesktopEntry("a\nExec=sh\r\n[Desktop Entry]\tx\\",
                                                      "u\nExec=rm", QStringLiteral("i\x01\n"));
    EXPECT_EQ(hostile.count('\n'), 6);
    EXPECT_FALSE(hostile.contains("\nExec"));
    EXPECT_TRUE(hostile.contains("Name=a\\nExec=sh\\r\\n[Desktop Entry]\\tx\\\\\n"));
    EXPECT_TRUE(hostile.contains("Icon=i\\n\n"));
}

TEST(DesktopLink, WrittenWholeRunnableAndReplacingWhatWasThere) {
    QTemporaryDir desktop;
    const QString path = desktop.filePath("ORB-780Z.desktop");
    ASSERT_TRUE(platform::WriteWholeFile(path, "old and longer contents\n"));
    const QByteArray entry = shortcut::DesktopEntry("ORB-780Z", "http://10.77.0.10/", "");
    ASSERT_TRUE(platform::WriteDesktopLink(desktop.path(), "ORB-780Z.desktop", entry));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), entry);
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::ExeOwner);
    EXPECT_EQ(QDir(desktop.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DesktopLink, ALinkOfTheSameNameIsReplacedNotFollowed) {
    QTemporaryDir desktop;
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim");
    ASSERT_TRUE(platform::WriteWholeFile(victim, "keep"));
    ASSERT_TRUE(QFile::link(victim, desktop.filePath("ORB-780Z.desktop")));
    ASSERT_TRUE(
        platform::WriteDesktopLink(desktop.path(), "ORB-780Z.desktop", "[Desktop Entry]\n"));
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
    EXPECT_FALSE(QFileInfo(desktop.filePath("ORB-780Z.desktop")).isSymLink());
}

TEST(DesktopLink, NamesThatLeaveTheFolderAreRefused) {
    QTemporaryDir desktop;
    for (const char* name : {"", "../x.desktop", "a/b.desktop", "a\\b.desktop", ".hidden", ".."}) {
        EXPECT_FALSE(platform::WriteDesktopLink(desktop.path(), QString::fromLatin1(name), "x"))
            << name;
    }
    EXPECT_TRUE(
        QDir(desktop.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(RecorderWebPage, ThePortOnlyWhenItIsNotTheDefault) {
    EXPECT_EQ(RecorderWebPage("10.77.0.10", 80), "http://10.77.0.10/");
    EXPECT_EQ(RecorderWebPage("10.77.0.10", 0), "http://10.77.0.10/");
    EXPECT_EQ(RecorderWebPage("10.77.0.10", 8080), "http://10.77.0.10:8080/");
}
