#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CLinkStatic2.h"
#include "pages/CLEDRedPage.h"
#include "pages/CPageBase.h"
#include "pages/CResetPage.h"
#include "shell/CTransparentPage.h"
#include "shell/OverlayKinds.h"

namespace {

using overlay::kCancel;
using overlay::kOk;

QString AllTexts(const CLEDRedPage& page) {
    QString all = page.title() + page.resetLink()->text();
    for (int i = 0; i < CLEDRedPage::kStepCount; ++i) {
        all += page.stepText(i)->text();
    }
    return all;
}

// The darkest grey in `area` of `shot`, and whether every pixel there is grey.
std::pair<int, bool> DarkestGrey(const QImage& shot, QRect area) {
    int darkest = 255;
    bool grey = true;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            grey =
                grey && std::abs(c.red() - c.green()) <= 2 && std::abs(c.green() - c.blue()) <= 2;
            darkest = std::min(darkest, c.green());
        }
    }
    return {darkest, grey};
}

QImage Shot(QWidget& page) {
    return page.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(LedLinkWidth, FollowsTheLanguage) {
    const std::vector<std::pair<int, int>> widths{{1, 226}, {2, 255},  {3, 265}, {4, 282},
                                                  {5, 180}, {10, 350}, {12, 320}};
    for (auto [language, width] : widths) {
        EXPECT_EQ(LedLinkWidth(language), width) << language;
    }
    for (int language : {0, 6, 7, 9, 11, 13, 20, 21, -1, 22}) {
        EXPECT_EQ(LedLinkWidth(language), 230) << language;
    }
}

TEST(LedRedPage, ShowsTheEnglishPackInItsPlaces) {
    InLanguage english(shell::kEnglish);
    CLEDRedPage page(nullptr);
    EXPECT_EQ(page.size(), QSize(598, 360));
    EXPECT_EQ(page.title(), QStringLiteral("What should I do if the LED light stays red?"));
    EXPECT_EQ(page.accessibleName(), page.title());
    EXPECT_EQ(page.titleLabel()->geometry().topLeft(), QPoint(99, 25));
    EXPECT_EQ(page.titleLabel()->width(), 445);
    EXPECT_TRUE(page.titleLabel()->textFont().bold());
    EXPECT_EQ(page.titleLabel()->textFont().pixelSize(), 17);
    EXPECT_EQ(page.titleLabel()->textColor(), QColor(68, 68, 68));

    ASSERT_NE(page.crossButton(), nullptr);
    EXPECT_EQ(page.crossButton()->geometry(), QRect(569, 15, 14, 14));
    EXPECT_FALSE(page.crossButton()->stateImage(1).isNull());
    EXPECT_EQ(page.crossButton()->accessibleName(), QStringLiteral("Close"));

    const QStringList steps{
        QStringLiteral("Make sure the Ethernet cable connecting your ORB-780Z to your router is "
                       "properly connected."),
        QStringLiteral("Restart your ORB-780Z by unplugging the power cable from the device and "
                       "plugging it back in again."),
        QStringLiteral("If the LED is still red, reset the ORB-780Z to factory default settings.")};
    for (int i = 0; i < CLEDRedPage::kStepCount; ++i) {
        const QRect picture = page.stepPicture(i)->geometry();
        EXPECT_EQ(picture.left(), 54) << i;
        EXPECT_EQ(picture.size(), QSize(24, 24)) << i;
        EXPECT_FALSE(page.stepPicture(i)->image().isNull()) << i;
        EXPECT_EQ(page.stepPicture(i)->accessibleName(), QString::number(i + 1));
        const controls::CBaseStatic2* text = page.stepText(i);
        EXPECT_EQ(text->text(), steps[i]) << "the pack's words, not the fallback's";
        EXPECT_EQ(text->accessibleName(), steps[i]);
        EXPECT_EQ(text->geometry().left(), 84) << i;
        EXPECT_EQ(text->geometry().right() + 1, 544) << i;
        EXPECT_EQ(text->textFont().pixelSize(), 13);
        EXPECT_FALSE(text->textFont().bold());
        EXPECT_FALSE(text->alternativeLineLayout());
    }

    const controls::CLinkStatic2* link = page.resetLink();
    EXPECT_EQ(link->text(), QStringLiteral("How to reset your ORB-780Z"));
    EXPECT_EQ(link->accessibleName(), link->text());
    EXPECT_EQ(link->kind(), overlay::kReset);
    EXPECT_EQ(link->width(), 230);
    EXPECT_EQ(link->geometry().left(), 84);

    for (const QWidget* child : page.findChildren<QWidget*>()) {
        EXPECT_FALSE(child->accessibleName().isEmpty()) << child->objectName().toStdString();
    }

    const QString all = AllTexts(page);
    EXPECT_FALSE(all.contains(QStringLiteral("ORB-560Z")));
    EXPECT_FALSE(all.contains(QStringLiteral("ORB-990Z")));
    EXPECT_FALSE(all.contains(QStringLiteral("@@")));
}

TEST(LedRedPage, DrawsItsStepTextsInGrey666AndItsStepNumbersInBlue) {
    InLanguage english(shell::kEnglish);
    CLEDRedPage page(nullptr);
    const QImage shot = Shot(page);
    for (int i = 0; i < CLEDRedPage::kStepCount; ++i) {
        const auto [darkest, grey] = DarkestGrey(shot, page.stepText(i)->geometry());
        EXPECT_TRUE(grey) << i;
        EXPECT_NEAR(darkest, 0x66, 3) << "full-coverage strokes are 66 66 66, none darker";
        const QColor disc =
            shot.pixelColor(page.stepPicture(i)->geometry().topLeft() + QPoint(5, 12));
        EXPECT_EQ(disc, QColor(42, 169, 209)) << "the number's disc, step " << i;
    }
}

TEST(LedRedPage, StepsStandOneUnderAnotherAndFitThePageInEveryLanguage) {
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        InLanguage pack(language);
        CLEDRedPage page(nullptr);
        const QFontMetrics title(page.titleLabel()->textFont());
        EXPECT_LE(title.horizontalAdvance(page.title()), 445) << "the title fits its width";
        EXPECT_LT(page.titleLabel()->geometry().bottom(), page.stepPicture(0)->y());
        int previousBottom = page.titleLabel()->geometry().bottom();
        for (int i = 0; i < CLEDRedPage::kStepCount; ++i) {
            const controls::CBaseStatic2* text = page.stepText(i);
            EXPECT_EQ(text->height(), text->contentHeight()) << "step " << i << " shows every line";
            EXPECT_GT(page.stepPicture(i)->y(), previousBottom) << "step " << i;
            EXPECT_GT(text->y(), previousBottom) << "step " << i;
            EXPECT_EQ(text->alternativeLineLayout(),
                      language == 4 || language == 5 || language == 21);
            previousBottom =
                std::max(page.stepPicture(i)->geometry().bottom(), text->geometry().bottom());
        }
        const controls::CLinkStatic2* link = page.resetLink();
        EXPECT_GT(link->y(), previousBottom);
        EXPECT_EQ(link->width(), LedLinkWidth(language));
        EXPECT_TRUE(link->rect().contains(link->hotRect())) << "the whole link reacts";
        EXPECT_LE(link->geometry().bottom(), 360 - CLEDRedPage::kBottomMargin);
        EXPECT_FALSE(AllTexts(page).contains(QStringLiteral("ORB-560Z")));
    }
}

TEST(ResetPage, ShowsTheEnglishPackInItsPlaces) {
    InLanguage english(shell::kEnglish);
    CResetPage page(nullptr);
    EXPECT_EQ(page.size(), QSize(648, 410));
    EXPECT_EQ(page.title(), QStringLiteral("Reset your NVR"));
    EXPECT_EQ(page.accessibleName(), page.title());
    EXPECT_TRUE(page.titleLabel()->textFont().bold());
    EXPECT_EQ(page.titleLabel()->textFont().pixelSize(), 16);
    EXPECT_EQ(page.titleLabel()->textColor(), QColor(68, 68, 68));

    const controls::CIconButton* cross = page.crossButton();
    ASSERT_NE(cross, nullptr);
    EXPECT_EQ(cross->controlId(), 2);
    EXPECT_EQ(cross->geometry(), QRect(619, 15, 14, 14));
    EXPECT_EQ(cross->accessibleName(), QStringLiteral("Close"));
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_FALSE(cross->stateImage(slot).isNull()) << slot;
    }
    EXPECT_NE(cross->stateImage(0), cross->stateImage(1)) << "a pale face when disabled";
    EXPECT_NE(cross->stateImage(2), cross->stateImage(1)) << "the blue disc when pressed";

    // What to do, then what to press, each from its own line.
    const controls::CBaseStatic2* text = page.textLabel();
    const QString howTo =
        QStringLiteral("Use a paperclip to press and hold the reset button for 10 seconds.");
    const QString then = QStringLiteral("After resetting your NVR, tap RESET to continue.");
    EXPECT_EQ(text->text(), howTo + QChar(QChar::LineSeparator) + then);
    EXPECT_EQ(text->lineCount(), 2) << "two short paragraphs of one line each";
    EXPECT_EQ(text->textFont().pixelSize(), 13);
    EXPECT_LT(page.titleLabel()->geometry().bottom(), text->y());

    EXPECT_EQ(page.picture()->geometry(), QRect(141, text->contentHeight() + 99, 365, 152));
    EXPECT_FALSE(page.picture()->image().isNull());

    const controls::CApproButton* reset = page.resetButton();
    EXPECT_EQ(reset->controlId(), 1);
    EXPECT_EQ(reset->text(), QStringLiteral("RESET"));
    EXPECT_EQ(reset->accessibleName(), QStringLiteral("RESET"));
    EXPECT_EQ(reset->y(), 320);
    EXPECT_EQ(reset->height(), 43);
    EXPECT_EQ(reset->width(), reset->captionWidth(40));
    EXPECT_LE(std::abs(reset->geometry().center().x() - page.rect().center().x()), 1);
    EXPECT_EQ(page.defaultButton(), reset);
    // The wide face when disabled, the caption faces otherwise.
    EXPECT_EQ(reset->stateImage(0).deviceIndependentSize().toSize(), QSize(240, 42));
    EXPECT_EQ(reset->stateImage(1).deviceIndependentSize().toSize(), QSize(118, 43));
    EXPECT_NE(reset->stateImage(2), reset->stateImage(1));
    EXPECT_NE(reset->stateImage(3), reset->stateImage(1));

    for (const QWidget* child : page.findChildren<QWidget*>()) {
        EXPECT_FALSE(child->accessibleName().isEmpty()) << child->objectName().toStdString();
    }
}

TEST(ResetPage, PictureFollowsTheTextAndStaysAboveResetInEveryLanguage) {
    std::set<int> heights;
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        InLanguage pack(language);
        CResetPage page(nullptr);
        const controls::CBaseStatic2* text = page.textLabel();
        heights.insert(text->contentHeight());
        EXPECT_EQ(text->height(), text->contentHeight()) << "every line shows";
        EXPECT_EQ(page.picture()->y(), text->contentHeight() + 99);
        EXPECT_LT(text->geometry().bottom(), page.picture()->y());
        EXPECT_LT(page.picture()->geometry().bottom(), page.resetButton()->y());
        EXPECT_TRUE(page.rect().contains(page.resetButton()->geometry()));
        EXPECT_EQ(text->alternativeLineLayout(), language == 4 || language == 5 || language == 21);
        const QFontMetrics title(page.titleLabel()->textFont());
        EXPECT_LE(title.horizontalAdvance(page.title()), page.titleLabel()->width());
        EXPECT_LT(page.titleLabel()->geometry().right(), page.crossButton()->x());
    }
    EXPECT_GT(heights.size(), 1U) << "languages with longer texts push the picture down";
}

TEST(HelpPagesFlow, ByMouseTheLinkOpensResetOverTheLedPageAndResetEndsBoth) {
    InLanguage english(shell::kEnglish);
    QPoint ledOrigin;
    QPoint resetAt;
    Script script;
    script
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [&] {
                  CLEDRedPage* led = Shown<CLEDRedPage>();
                  ledOrigin = led->mapToGlobal(QPoint(0, 0));
                  ClickLink(led->resetLink());
              })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [&] {
                  CResetPage* reset = Shown<CResetPage>();
                  resetAt = reset->pos();
                  Click(reset->resetButton());
              });
    EXPECT_EQ(CLEDRedPage::Run(nullptr, QPoint(100, 60)), kOk);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(ledOrigin, QPoint(100, 60) + QPoint(131, 140));
    EXPECT_EQ(resetAt, ledOrigin) << "at the LED page's client origin";
}

TEST(HelpPagesFlow, ByMouseTheResetCrossLeavesTheLedPageOpenAndItsCrossCancels) {
    InLanguage english(shell::kEnglish);
    bool ledStayed = false;
    Script script;
    script
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [] { ClickLink(Shown<CLEDRedPage>()->resetLink()); })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [] { Click(Shown<CResetPage>()->crossButton()); })
        .when([] { return Shown<CResetPage>() == nullptr; },
              [&] {
                  CLEDRedPage* led = Shown<CLEDRedPage>();
                  ledStayed = led != nullptr;
                  if (led != nullptr) {
                      Click(led->crossButton());
                  }
              });
    EXPECT_EQ(CLEDRedPage::Run(nullptr, {}), kCancel);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(ledStayed);
}

TEST(HelpPagesFlow, ByKeyboardTabEnterSpaceAndEscapeWalkBothPages) {
    InLanguage english(shell::kEnglish);
    QString focusAfterTab;
    bool enterWithoutFocusStayed = false;
    QString focusBackOnLed;
    QStringList resetChain;
    Script script;
    script
        .when([] { return Active<CLEDRedPage>() != nullptr; },
              [&] {
                  // Nothing has the focus yet, and Enter alone opens nothing.
                  Key(Qt::Key_Return);
              })
        .when([] { return true; },
              [&] {
                  enterWithoutFocusStayed = Shown<CResetPage>() == nullptr;
                  Key(Qt::Key_Tab);
                  focusAfterTab = FocusName();
                  Key(Qt::Key_Return);
              })
        .when([] { return Active<CResetPage>() != nullptr; }, [] { Key(Qt::Key_Escape); })
        .when([] { return Shown<CResetPage>() == nullptr && Active<CLEDRedPage>() != nullptr; },
              [&] {
                  focusBackOnLed = FocusName();
                  Key(Qt::Key_Space);
              })
        .when([] { return Active<CResetPage>() != nullptr; },
              [&] {
                  for (int i = 0; i < 3; ++i) {
                      Key(Qt::Key_Tab);
                      resetChain.push_back(FocusName());
                  }
                  // RESET has the focus again: Enter presses it.
                  Key(Qt::Key_Return);
              });
    EXPECT_EQ(CLEDRedPage::Run(nullptr, {}), kOk);
    ASSERT_TRUE(script.finished()) << script.performed();
    EXPECT_TRUE(enterWithoutFocusStayed);
    EXPECT_EQ(focusAfterTab, QStringLiteral("resetLink")) << "the link comes first";
    EXPECT_EQ(focusBackOnLed, QStringLiteral("resetLink")) << "the link kept the focus for Space";
    EXPECT_EQ(resetChain,
              QStringList({QStringLiteral("id1"), QStringLiteral("id2"), QStringLiteral("id1")}))
        << "RESET, the cross, RESET again";
}

TEST(HelpPagesFlow, EscapeEndsTheLedPageAndEnterWithoutFocusResets) {
    InLanguage english(shell::kEnglish);
    Script escape;
    escape.when([] { return Active<CLEDRedPage>() != nullptr; }, [] { Key(Qt::Key_Escape); });
    EXPECT_EQ(CLEDRedPage::Run(nullptr, {}), kCancel);
    EXPECT_TRUE(escape.finished());

    Script enter;
    enter.when([] { return Active<CResetPage>() != nullptr; }, [] { Key(Qt::Key_Enter); });
    EXPECT_EQ(CResetPage::Run(nullptr, {}), kOk);
    EXPECT_TRUE(enter.finished());
}

namespace {

class HelpOverlays : public ::testing::Test, public HostFixture {
protected:
    void SetUp() override {
        post(msg::kNavigate, msg::kNext, 6 - host->currentPageId() - 1);
        ASSERT_EQ(host->currentPageId(), 6);
    }
    CPageBase* page() const { return host->currentPage(); }
};

}  // namespace

TEST_F(HelpOverlays, LedKindReturnsOkOnceTheRecorderWasReset) {
    QPoint ledAt;
    Script script;
    script
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [&] {
                  ledAt = Shown<CLEDRedPage>()->pos();
                  ClickLink(Shown<CLEDRedPage>()->resetLink());
              })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [] { Click(Shown<CResetPage>()->resetButton()); });
    EXPECT_EQ(CTransparentPage::Show(page(), overlay::kLedRed), kOk);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(ledAt, page()->mapToGlobal(QPoint(0, 0)) + QPoint(131, 140));
}

TEST_F(HelpOverlays, ResetKindOpensAtTheOverlaysCorner) {
    QPoint resetAt;
    Script script;
    script.when([] { return Shown<CResetPage>() != nullptr; },
                [&] {
                    resetAt = Shown<CResetPage>()->pos();
                    Click(Shown<CResetPage>()->resetButton());
                });
    EXPECT_EQ(CTransparentPage::Show(page(), overlay::kReset), kOk);
    EXPECT_EQ(resetAt, page()->mapToGlobal(QPoint(0, 0)));
}

TEST_F(HelpOverlays, PageSixsLinkLeadsHomeAfterResetAndNowhereAfterTheCross) {
    Script stay;
    stay.when([] { return Shown<CLEDRedPage>() != nullptr; },
              [] { Click(Shown<CLEDRedPage>()->crossButton()); });
    ClickLink(page()->bodyLink());
    ASSERT_TRUE(WaitUntil([&] { return stay.finished() && Shown<CTransparentPage>() == nullptr; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 6);

    Script reset;
    reset
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [] { ClickLink(Shown<CLEDRedPage>()->resetLink()); })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [] { Click(Shown<CResetPage>()->resetButton()); });
    ClickLink(page()->bodyLink());
    EXPECT_TRUE(WaitUntil([&] { return host->currentPageId() == 1; }));
    EXPECT_TRUE(reset.finished());
}

TEST(HelpScreenshots, LedAndResetPagesInEnglishGermanAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/help");
    ASSERT_TRUE(QDir().mkpath(dir));
    for (int language : {0, 6, 21}) {
        InLanguage pack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        CLEDRedPage led(nullptr);
        led.show();
        const QImage ledShot = Shot(led);
        EXPECT_TRUE(ledShot.save(QStringLiteral("%1/%2-led.png").arg(dir, stem)));
        CResetPage reset(nullptr);
        reset.show();
        const QImage resetShot = Shot(reset);
        EXPECT_TRUE(resetShot.save(QStringLiteral("%1/%2-reset.png").arg(dir, stem)));
        // The titles are drawn, in their dark grey.
        EXPECT_NEAR(DarkestGrey(ledShot, led.titleLabel()->geometry()).first, 68, 3)
            << stem.toStdString();
        EXPECT_NEAR(DarkestGrey(resetShot, reset.titleLabel()->geometry()).first, 68, 3);
    }
}
