#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "controls/CIconButton.h"
#include "controls/CLinkStatic2.h"
#include "pages/CLEDRedPage.h"
#include "pages/CPageBase.h"
#include "pages/CResetPage.h"
#include "shell/CTransparentPage.h"

// The LED help from the hardware pages, as a person walks it through the real host: once with
// the mouse and once with the keyboard alone, in the language chosen on Home.
namespace {

constexpr int kGerman = 6;

class HelpWalk : public ::testing::Test, public HostFixture {
protected:
    CPageBase* page() const { return host->currentPage(); }

    void SetUp() override {
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
        // What the language list sends when German is picked.
        platform::PostMessage(page()->windowId(), msg::kLanguageChosen, kGerman);
        ASSERT_TRUE(WaitUntil([] { return shell::LanguageIndex() == kGerman; }));
    }

    void expectHomeInGerman() {
        ASSERT_EQ(host->currentPageId(), 1);
        EXPECT_EQ(shell::LanguageIndex(), kGerman);
        auto* list = page()->findChild<controls::CApproComboBox*>(QStringLiteral("languageList"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentIndex(), kGerman);
        auto* start = page()->findChild<controls::CApproButton*>(QStringLiteral("id1001"));
        EXPECT_EQ(start->text(), shell::LookupText(u"START", u"START"));
    }

    // Waits until the overlay of the last help page is gone and the host has the keyboard.
    bool helpClosed() {
        return WaitUntil([] {
            return Shown<CTransparentPage>() == nullptr && Shown<CLEDRedPage>() == nullptr &&
                   Shown<CResetPage>() == nullptr;
        });
    }
};

}  // namespace

TEST_F(HelpWalk, ByMouseFromHomeToTheResetAndBackHomeInTheChosenLanguage) {
    Click(page()->findChild<controls::CApproButton*>(QStringLiteral("id1001")));
    for (int id = 2; id <= 5; ++id) {
        ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == id; }));
        Click(page()->nextButton());
    }
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 6; }));
    EXPECT_TRUE(page()->bodyLink()->text().contains(QStringLiteral("ORB-780Z")));

    // The crosses of both help pages leave page 6 as it was.
    Script crosses;
    crosses
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [] { ClickLink(Shown<CLEDRedPage>()->resetLink()); })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [] { Click(Shown<CResetPage>()->crossButton()); })
        .when([] { return Shown<CResetPage>() == nullptr && Shown<CLEDRedPage>() != nullptr; },
              [] { Click(Shown<CLEDRedPage>()->crossButton()); });
    CPageBase* six = page();
    ClickLink(page()->bodyLink());
    ASSERT_TRUE(WaitUntil([&] { return crosses.finished(); }));
    ASSERT_TRUE(helpClosed());
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 6);
    EXPECT_EQ(page(), six) << "the same page, not a new one";

    Script reset;
    reset
        .when([] { return Shown<CLEDRedPage>() != nullptr; },
              [] { ClickLink(Shown<CLEDRedPage>()->resetLink()); })
        .when([] { return Shown<CResetPage>() != nullptr; },
              [] { Click(Shown<CResetPage>()->resetButton()); });
    ClickLink(page()->bodyLink());
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 1; }));
    EXPECT_TRUE(reset.finished());
    expectHomeInGerman();
}

TEST_F(HelpWalk, ByKeyboardAloneFromHomeToTheResetAndBackHome) {
    // Enter is START on Home and Next on the hardware pages.
    for (int id = 1; id <= 5; ++id) {
        ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == id; }));
        Key(Qt::Key_Return);
    }
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 6; }));
    // The link comes first in page 6's Tab order.
    Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), page()->bodyLink());

    // Escape on the reset page, then on the LED page: page 6 stays.
    Script escapes;
    escapes
        .when([] { return Active<CLEDRedPage>() != nullptr; },
              [] {
                  Key(Qt::Key_Tab);
                  Key(Qt::Key_Return);
              })
        .when([] { return Active<CResetPage>() != nullptr; }, [] { Key(Qt::Key_Escape); })
        .when([] { return Active<CLEDRedPage>() != nullptr; }, [] { Key(Qt::Key_Escape); });
    Key(Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return escapes.finished(); }));
    ASSERT_TRUE(helpClosed());
    QCoreApplication::processEvents();
    EXPECT_EQ(host->currentPageId(), 6);
    // The window manager gives the keyboard back to the wizard.
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));

    // Space opens the link as Enter does; Enter on the reset page is RESET.
    Script reset;
    reset
        .when([] { return Active<CLEDRedPage>() != nullptr; },
              [] {
                  Key(Qt::Key_Tab);
                  Key(Qt::Key_Space);
              })
        .when([] { return Active<CResetPage>() != nullptr; }, [] { Key(Qt::Key_Return); });
    page()->bodyLink()->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 1; }));
    EXPECT_TRUE(reset.finished());
    expectHomeInGerman();
}
