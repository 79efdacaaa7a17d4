#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "pages/CPageBase.h"
#include "shell/CTransparentPage.h"
#include "shell/OverlayKinds.h"

namespace {

class OverlayTest : public ::testing::Test, public HostFixture {
protected:
    CPageBase* page() const { return host->currentPage(); }

    void goTo(int id) {
        post(msg::kNavigate, msg::kNext, id - host->currentPageId() - 1);
        ASSERT_EQ(host->currentPageId(), id);
    }

    static bool AnyOverlayOpen() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<CTransparentPage*>(w) && w->isVisible()) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace

TEST(OverlayKinds, ResultRules) {
    using namespace overlay;
    for (int kind : {2, 3, 5, 12, 13}) {
        EXPECT_EQ(ResultOf(kind, kOk), kOk) << kind;
        EXPECT_EQ(ResultOf(kind, kCancel), kCancel) << kind;
        EXPECT_EQ(ResultOf(kind, 0), kCancel) << kind;
    }
    for (int kind : {4, 6, 7, 8, 9}) {
        EXPECT_EQ(ResultOf(kind, kCancel), kOk) << kind;
    }
    EXPECT_EQ(ResultOf(kError, kOk), kCancel);
    for (int kind : {-1, 0, 1, 10, 11, 15, 1000}) {
        EXPECT_EQ(RuleOf(kind), Rule::Unknown) << kind;
        EXPECT_EQ(ResultOf(kind, kOk), kCancel);
    }
}

TEST(OverlayKinds, ErrorTextFallsBackToTheNetworkNotice) {
    ScopedTempFolder temp;
    shell::SetLanguageIndex(shell::kEnglish);
    shell::LoadLanguagePack(shell::kEnglish);
    overlay::OverlayData data;
    EXPECT_EQ(overlay::ErrorTextOf(data), QStringLiteral("Check Network Failed!"));
    data.errorText = QStringLiteral("Format failed");
    EXPECT_EQ(overlay::ErrorTextOf(data), QStringLiteral("Format failed"));
}

TEST_F(OverlayTest, UnknownKindEndsAtOnceWithCancelAndShowsNothing) {
    bool sideShown = false;
    const int result = page()->showOverlay(42, {}, [&](QWidget*, QPoint, const auto&) {
        sideShown = true;
        return overlay::kOk;
    });
    EXPECT_EQ(result, overlay::kCancel);
    EXPECT_FALSE(sideShown);
    EXPECT_FALSE(AnyOverlayOpen());
}

TEST_F(OverlayTest, ErrorKindAlwaysReturnsCancelAndPasswordPageStays) {
    goTo(8);
    QString shownText;
    QPoint shownAt;
    QSize overlaySize;
    overlay::OverlayData data;
    const int result = page()->showOverlay(overlay::kError, data,
                                           [&](QWidget* overlayWindow, QPoint at, const auto& d) {
                                               shownText = overlay::ErrorTextOf(d);
                                               shownAt = at;
                                               overlaySize = overlayWindow->size();
                                               return overlay::kOk;
                                           });
    EXPECT_EQ(result, overlay::kCancel);
    EXPECT_EQ(shownText, QStringLiteral("Check Network Failed!"));
    EXPECT_EQ(shownAt, host->pos());
    EXPECT_EQ(overlaySize, QSize(860, 640));
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 8);
}

TEST_F(OverlayTest, OkFromTheHelpOnPages6And8GoesHome) {
    for (int id : {6, 8}) {
        goTo(id);
        EXPECT_EQ(
            page()->showOverlay(overlay::kLedRed, {},
                                [](QWidget*, QPoint, const auto&) { return overlay::kCancel; }),
            overlay::kCancel);
        QCoreApplication::processEvents();
        EXPECT_EQ(host->currentPageId(), id) << "Cancel stays";
        EXPECT_EQ(page()->showOverlay(overlay::kLedRed, {},
                                      [](QWidget*, QPoint, const auto&) { return overlay::kOk; }),
                  overlay::kOk);
        QCoreApplication::processEvents();
        EXPECT_EQ(host->currentPageId(), 1) << "from page " << id;
    }
    goTo(5);
    page()->showOverlay(overlay::kLedRed, {},
                        [](QWidget*, QPoint, const auto&) { return overlay::kOk; });
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 5) << "other pages ignore the result";
}

TEST_F(OverlayTest, VeilDarkensTheWizardBy60Percent) {
    goTo(2);
    const QImage before = host->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage veiled;
    page()->showOverlay(overlay::kMacDisplay, {}, [&](QWidget* overlayWindow, QPoint, const auto&) {
        veiled = overlayWindow->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return overlay::kCancel;
    });
    ASSERT_EQ(veiled.size(), before.size());
    for (QPoint p : {QPoint(100, 300), QPoint(450, 555), QPoint(80, 85)}) {
        const QColor under = before.pixelColor(p);
        const QColor over = veiled.pixelColor(p);
        // Black at 153 of 255 over the wizard leaves 102/255 of each colour.
        EXPECT_NEAR(over.red(), under.red() * 102 / 255, 1) << p.x() << "," << p.y();
        EXPECT_NEAR(over.green(), under.green() * 102 / 255, 1);
        EXPECT_NEAR(over.blue(), under.blue() * 102 / 255, 1);
    }
    EXPECT_FALSE(AnyOverlayOpen()) << "gone when its side page ends";
}

TEST_F(OverlayTest, OverlayRequestMessageOpensTheOverlay) {
    // Kinds this program has no side page for end at once, so the page carries on.
    platform::PostMessage(page()->windowId(), msg::kShowOverlay, overlay::kCameraPassword);
    QCoreApplication::processEvents();
    EXPECT_FALSE(AnyOverlayOpen());
    EXPECT_EQ(host->currentPageId(), 1);
}
