#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "platform/Folders.h"
#include "shell/CVelmoraDlg.h"

namespace {

// Points the application-data and system folders at folders of the test's own.
class ScopedDataFolders {
public:
    ScopedDataFolders() : oldHome_(qgetenv("XDG_DATA_HOME")), oldDirs_(qgetenv("XDG_DATA_DIRS")) {
        qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (dir_.path() + QStringLiteral("/system")).toLocal8Bit());
    }
    ~ScopedDataFolders() {
        qputenv("XDG_DATA_HOME", oldHome_);
        qputenv("XDG_DATA_DIRS", oldDirs_);
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QByteArray oldDirs_;
};

}  // namespace

TEST(OuterWindow, ShadowImageIsTheShadowBitmap) {
    const QImage shadow = CVelmoraDlg::BuildShadow(QSize(874, 654), {});
    ASSERT_EQ(shadow.size(), QSize(874, 654));
    EXPECT_EQ(shadow.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(shadow.pixel(0, 300)), 13);
    EXPECT_EQ(qAlpha(shadow.pixel(9, 300)), 136);
    EXPECT_EQ(qAlpha(shadow.pixel(437, 327)), 0);
    EXPECT_EQ(qAlpha(shadow.pixel(873, 653)), 0);
}

TEST(OuterWindow, IconIsWrittenToAppDataAndCopiedToTheSystemFolder) {
    ScopedDataFolders folders;
    QDir().mkpath(folders.path() + QStringLiteral("/system/pixmaps"));
    CVelmoraDlg::ExtractIcon();
    QFile local(platform::ApplicationDataFolder() + QStringLiteral("ORB-780Z.ico"));
    ASSERT_TRUE(local.open(QIODevice::ReadOnly));
    const QByteArray bytes = local.readAll();
    EXPECT_TRUE(bytes.startsWith(QByteArray("\0\0\1\0", 4))) << "an icon file";
    QFile copy(folders.path() + QStringLiteral("/system/pixmaps/ORB-780Z.ico"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bytes);
}

TEST(OuterWindow, IconCopyFailsQuietlyWithoutASystemFolder) {
    ScopedDataFolders folders;
    // The system folder's parent is a file: the copy cannot succeed.
    QFile blocker(folders.path() + QStringLiteral("/system"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CVelmoraDlg::ExtractIcon();
    EXPECT_TRUE(QFile::exists(platform::ApplicationDataFolder() + QStringLiteral("ORB-780Z.ico")));
    EXPECT_FALSE(QFile::exists(folders.path() + QStringLiteral("/system/pixmaps/ORB-780Z.ico")));
}

TEST(OuterWindow, InitialiseSetsUpEnglishTheGeometryAndTheHost) {
    ScopedDataFolders folders;
    ScopedTempFolder temp;
    shell::SetLanguageIndex(6);
    CVelmoraDlg outer;
    outer.initialise();
    EXPECT_EQ(shell::LanguageIndex(), shell::kEnglish);
    EXPECT_EQ(shell::LanguageFolder(), temp.path() + QLatin1Char('/'));
    EXPECT_EQ(outer.windowTitle(), QStringLiteral("Setup Wizard"));
    EXPECT_EQ(outer.pos(), QPoint(0, 0));
    EXPECT_EQ(outer.size(), QSize(874, 654));
    ASSERT_NE(outer.host(), nullptr);
    EXPECT_FALSE(outer.hostStarted());
    EXPECT_FALSE(outer.shadow().isNull());
}

TEST(OuterWindow, StartsTheHostThenMovesAndMinimisesWithIt) {
    ScopedDataFolders folders;
    ScopedTempFolder temp;
    CVelmoraDlg outer;
    outer.initialise();
    // The host runs modally inside the outer window's start timer; drive it from a timer that
    // runs inside that modal loop.
    QPoint hostAt;
    int step = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        CInterDialog* host = outer.host();
        const platform::WindowId id = host->windowId();
        if (step == 0 && host->isVisible() && host->currentPage() != nullptr) {
            hostAt = host->pos();
            platform::PostMessage(id, msg::kMoved, 207, 107);
            step = 1;
        } else if (step == 1 && outer.pos() == QPoint(200, 100)) {
            platform::PostMessage(id, msg::kNavigate, msg::kMinimise);
            step = 2;
        } else if (step == 2 && outer.isMinimized()) {
            platform::PostMessage(id, msg::kNavigate, msg::kClose);
            step = 3;
        }
    });
    driver.start(5);
    QTimer::singleShot(30000, &outer, [&] { outer.host()->done(QDialog::Rejected); });  // no hang
    const int result = outer.exec();
    EXPECT_TRUE(outer.hostStarted());
    EXPECT_EQ(hostAt, QPoint(7, 7));
    EXPECT_EQ(step, 3);
    EXPECT_EQ(outer.size(), QSize(874, 654));
    EXPECT_EQ(outer.host()->result(), QDialog::Accepted) << "closed from its page";
    EXPECT_EQ(result, QDialog::Accepted);
}
