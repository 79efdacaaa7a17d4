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

TEST(OuterWindow, ShadowAtTwiceTheDensityKeepsTheBitmapsAlphaAndItsHole) {
    const QImage one = CVelmoraDlg::BuildShadow(QSize(874, 654), {});
    const QImage two = CVelmoraDlg::BuildShadow(QSize(874, 654), {}, 2.0);
    ASSERT_EQ(two.size(), QSize(1748, 1308));
    EXPECT_DOUBLE_EQ(two.devicePixelRatio(), 2.0);
    EXPECT_EQ(two.deviceIndependentSize(), QSizeF(874, 654));
    EXPECT_EQ(two.format(), QImage::Format_ARGB32_Premultiplied);
    // Every device pixel under the 854 x 634 rectangle is clear, smoothing or not.
    for (int y = 20; y < 1288; ++y) {
        for (int x = 20; x < 1728; ++x) {
            ASSERT_EQ(two.pixel(x, y), 0u) << x << "," << y;
        }
    }
    // Away from the hole's edge the values are those of the logical pixel (smoothing moves
    // them by at most a neighbour's step, 14 here); the shadow stays black.
    for (int y = 0; y < 1308; ++y) {
        for (int x : {0, 1, 5, 10, 15, 1735, 1742, 1747}) {
            const int logical = qAlpha(one.pixel(x / 2, y / 2));
            ASSERT_NEAR(qAlpha(two.pixel(x, y)), logical, 14) << x << "," << y;
            ASSERT_EQ(two.pixel(x, y) & 0x00FFFFFFu, 0u);
        }
    }
    // The 7 pixels the host leaves uncovered are shadowed in every device pixel.
    for (int x = 6; x < 20; ++x) {
        EXPECT_GT(qAlpha(two.pixel(x, 600)), 0) << x;
    }
    // A fractional density covers the window too and keeps its hole.
    const QImage half = CVelmoraDlg::BuildShadow(QSize(874, 654), {}, 1.5);
    ASSERT_EQ(half.size(), QSize(1311, 981));
    EXPECT_EQ(qAlpha(half.pixel(15, 490)), 0) << "first device pixel under the rectangle";
    EXPECT_GT(qAlpha(half.pixel(14, 490)), 0);
}

TEST(OuterWindow, ShadowIsRebuiltWhenPaintedAtAnotherDensity) {
    ScopedDataFolders folders;
    ScopedTempFolder temp;
    CVelmoraDlg outer;
    outer.initialise();
    ASSERT_DOUBLE_EQ(outer.shadow().devicePixelRatio(), 1.0);
    auto paintAt = [&](qreal ratio) {
        QImage target(outer.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(ratio);
        target.fill(Qt::transparent);
        outer.render(&target, QPoint(), QRegion(), QWidget::RenderFlags());
        return target;
    };
    const QImage dense = paintAt(2.0);
    EXPECT_DOUBLE_EQ(outer.shadow().devicePixelRatio(), 2.0);
    EXPECT_EQ(dense, CVelmoraDlg::BuildShadow(QSize(874, 654), {}, 2.0));
    const QImage plain = paintAt(1.0);
    EXPECT_DOUBLE_EQ(outer.shadow().devicePixelRatio(), 1.0) << "and back";
    EXPECT_EQ(plain, CVelmoraDlg::BuildShadow(QSize(874, 654), {}));
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
