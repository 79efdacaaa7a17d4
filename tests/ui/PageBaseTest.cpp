#include <QAccessible>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CApproButton.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CPageIndicator.h"
#include "controls/CTitleStatic.h"
#include "pages/CIntroduction0Dlg.h"
#include "pages/CPageBase.h"
#include "pages/PageRegistry.h"
#include "shell/OverlayKinds.h"

namespace {

class PageBaseTest : public ::testing::Test, public HostFixture {
protected:
    CPageBase* page() const { return host->currentPage(); }

    void goTo(int id) {
        post(msg::kNavigate, msg::kNext, id - host->currentPageId() - 1);
        ASSERT_EQ(host->currentPageId(), id);
    }

    // Gives the host the keyboard, as the window manager does when the wizard is clicked.
    void activate() {
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    }

    static QString Pack(const char16_t* key) {
        // A fallback no pack could hold tells a pack text from a fallback.
        return shell::LookupText(key, u"\u0001");
    }
};

}  // namespace

TEST(PageRegistry, EveryPageIdHasItsClassAndOtherIdsHaveNone) {
    ScopedTempFolder temp;
    OuterStandIn outer;
    CInterDialog host(&outer);
    const char* const names[] = {"CHomeDlg",          "CRequirementDlg",   "CIntroduction0Dlg",
                                 "CIntroduction1Dlg", "CIntroduction2Dlg", "CIntroduction3Dlg",
                                 "CNvrSearchDlg",     "CNvrPwdDlg",        "CNvrTimeZoneDlg",
                                 "CHddFormatDlg",     "CCameraSearchDlg",  "CNubraServiceDlg",
                                 "CSummaryDlg"};
    for (int id = 1; id <= 13; ++id) {
        const std::unique_ptr<CPageBase> made = CreatePage(id, host);
        ASSERT_NE(made, nullptr) << id;
        EXPECT_STREQ(made->metaObject()->className(), names[id - 1]);
    }
    EXPECT_EQ(CreatePage(0, host), nullptr);
    EXPECT_EQ(CreatePage(14, host), nullptr);
}

TEST(SidePageRegistry, AlertKindsAreRegisteredByTheirOwnPages) {
    for (int kind : {overlay::kAlarm, overlay::kNetAlarm, overlay::kError}) {
        EXPECT_TRUE(overlay::SidePageFor(kind)) << kind;
    }
    EXPECT_FALSE(overlay::SidePageFor(1));
    EXPECT_FALSE(overlay::SidePageFor(42));
}

TEST_F(PageBaseTest, IntroductoryTitlesAndBodiesComeFromTheEnglishPack) {
    struct Expected {
        int id;
        const char16_t* title;
        const char16_t* body;
        int step;
    };
    const Expected pages[] = {{2, u"home_04", u"Install_Text0_780Z", 1},
                              {3, u"intro_000", u"intro_001", 2},
                              {4, u"intro_01", u"intro_02", 2},
                              {5, u"intro_01", u"intro_03", 3},
                              {6, u"intro_01", u"intro_04", 4}};
    for (const Expected& e : pages) {
        goTo(e.id);
        const QString title = Pack(e.title);
        const QString body = Pack(e.body);
        ASSERT_FALSE(title.contains(QChar(1))) << e.id;
        ASSERT_FALSE(body.contains(QChar(1))) << e.id;
        ASSERT_NE(page()->titleLabel(), nullptr);
        EXPECT_EQ(page()->titleLabel()->text(), title) << e.id;
        EXPECT_EQ(page()->accessibleName(), title) << e.id;
        const QString shown = e.id == 6 ? page()->bodyLink()->text() : page()->bodyLabel()->text();
        EXPECT_EQ(shown, body) << e.id;
        for (const QString& text : {title, shown}) {
            EXPECT_FALSE(text.contains(QStringLiteral("ORB-560Z"))) << e.id;
            EXPECT_FALSE(text.contains(QStringLiteral("ORB-990Z"))) << e.id;
            EXPECT_FALSE(text.contains(QStringLiteral("@@"))) << e.id;
        }
        if (e.id >= 3) {
            EXPECT_TRUE(shown.contains(QStringLiteral("ORB-780Z"))) << e.id;
        }
        auto* steps = page()->findChild<controls::CPageIndicator*>();
        ASSERT_NE(steps, nullptr) << e.id;
        EXPECT_EQ(steps->current(), e.step) << e.id;
        EXPECT_EQ(steps->count(), 11);
    }
}

TEST_F(PageBaseTest, BodyPlacesFollowTheLookTable) {
    goTo(2);
    EXPECT_EQ(page()->bodyGeometry(), QRect(QPoint(78, 385), QPoint(769, 449)));
    goTo(3);
    EXPECT_EQ(page()->bodyGeometry(), QRect(QPoint(76, 378), QPoint(749, 449)));
    EXPECT_EQ(page()->titleLabel()->geometry(), QRect(QPoint(72, 68), QPoint(677, 105)));
    goTo(6);
    ASSERT_EQ(page()->bodyLabel(), nullptr) << "page 6 shows a link instead";
    ASSERT_NE(page()->bodyLink(), nullptr);
    EXPECT_EQ(page()->bodyGeometry(), QRect(QPoint(76, 376), QPoint(769, 454)));
    EXPECT_EQ(page()->bodyLink()->kind(), overlay::kLedRed);
    EXPECT_EQ(page()->bodyLink()->color(), QColor(72, 72, 72));
}

TEST_F(PageBaseTest, ChineseAndJapaneseBodiesUseTheAlternativeLineLayout) {
    for (int language : {0, 4, 5, 6, 21}) {
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
        post(msg::kNavigate, msg::kHome);
        goTo(3);
        EXPECT_EQ(page()->bodyLabel()->alternativeLineLayout(),
                  language == 4 || language == 5 || language == 21)
            << language;
    }
}

TEST_F(PageBaseTest, TabGoesThroughContentThenBackNextAndTheCorners) {
    goTo(6);
    host->activateWindow();
    const QList<QWidget*> chain = page()->tabOrder();
    const QList<QWidget*> expected = {page()->bodyLink(), page()->backButton(),
                                      page()->nextButton(), page()->minimiseButton(),
                                      page()->closeButton()};
    EXPECT_EQ(chain, expected);
    goTo(1);
    const QList<QWidget*> home = page()->tabOrder();
    ASSERT_EQ(home.size(), 4);
    EXPECT_EQ(home[0]->objectName(), QStringLiteral("languageList"));
    EXPECT_EQ(home[1]->objectName(), QStringLiteral("id1001"));
    EXPECT_EQ(home[2], page()->minimiseButton());
    EXPECT_EQ(home[3], page()->closeButton());
}

TEST_F(PageBaseTest, EnterPressesTheFocusedButtonAndOtherwiseNext) {
    goTo(4);
    activate();
    page()->backButton()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(page()->backButton()->hasFocus());
    QTest::keyClick(page()->backButton(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 3; }));
    // Nothing focused but the page: Enter is Next's.
    page()->setFocus();
    QTest::keyClick(page(), Qt::Key_Enter);
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 4; }));
    // The corner buttons take Enter too.
    page()->minimiseButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page()->minimiseButton(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return outer.minimiseRequests == 1; }));
    EXPECT_EQ(host->currentPageId(), 4);
}

TEST_F(PageBaseTest, CornerButtonsAndPagesAreNamedForScreenReaders) {
    shell::SetLanguageIndex(6);
    shell::LoadLanguagePack(6);
    goTo(5);
    EXPECT_EQ(page()->closeButton()->accessibleName(), shell::LookupText(u"Close", u"x"));
    EXPECT_FALSE(page()->minimiseButton()->accessibleName().isEmpty());
    EXPECT_EQ(page()->nextButton()->accessibleName(), shell::LookupText(u"Next", u"x"));
    goTo(1);
    EXPECT_FALSE(page()->accessibleName().isEmpty());
}

TEST_F(PageBaseTest, TwoMovesQueuedBeforeTheHostMovesEndWithTheWizardUnderTheCursor) {
    const QPoint start = host->pos();
    const QPoint grab(200, 300);
    QTest::mousePress(page(), Qt::LeftButton, {}, grab);
    // Both moves are handled before either posted move reaches the host.
    for (QPoint local : {QPoint(230, 310), QPoint(260, 330)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(page()->mapToGlobal(local)),
                         Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(page(), &move);
    }
    EXPECT_EQ(host->pos(), start) << "nothing moved yet";
    QCoreApplication::processEvents();
    QTest::mouseRelease(page(), Qt::LeftButton, {}, QPoint(260, 330));
    // The cursor is 60, 30 away from where it grabbed the page, and so is the wizard.
    EXPECT_EQ(host->pos(), start + QPoint(60, 30));
    ASSERT_TRUE(WaitUntil([&] { return outer.lastMove == start + QPoint(60, 30); }));
}

TEST_F(PageBaseTest, DriveAnimationCyclesWhileShownAndStopsWhenHidden) {
    goTo(3);
    auto* intro = qobject_cast<CIntroduction0Dlg*>(page());
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->frame(), 0);
    EXPECT_TRUE(intro->animating());
    auto visibleFrames = [&] {
        QList<int> shown;
        for (int i = 0; i < CIntroduction0Dlg::kFrameCount; ++i) {
            if (intro->findChild<QWidget*>(QStringLiteral("frame%1").arg(i))->isVisible()) {
                shown << i;
            }
        }
        return shown;
    };
    EXPECT_EQ(visibleFrames(), QList<int>{0});
    QSignalSpy spy(intro, &CIntroduction0Dlg::frameChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() >= 3; }, 5000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 0) << "and round again";
    EXPECT_EQ(visibleFrames(), QList<int>{intro->frame()});
    intro->hide();
    EXPECT_FALSE(intro->animating());
    intro->show();
    EXPECT_TRUE(intro->animating());
    // Leaving the page takes the page and its timer away.
    QPointer<QWidget> gone = intro;
    goTo(4);
    EXPECT_TRUE(gone.isNull());
}

TEST(FormatWarning, EnterNeverConfirmsUnlessOkHasTheFocus) {
    ScopedTempFolder temp;
    shell::SetLanguageIndex(shell::kEnglish);
    shell::LoadLanguagePack(shell::kEnglish);
    // Enter with nothing focused, then Enter with CANCEL focused, then with OK focused.
    for (int focused : {0, 2, 1}) {
        WhenShown<controls::CAlarmDisplayPage> act([focused](controls::CAlarmDisplayPage& alarm) {
            alarm.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&alarm));
            QWidget* target = &alarm;
            if (focused != 0) {
                alarm.button(focused)->setFocus(Qt::TabFocusReason);
                target = alarm.button(focused);
            }
            QTest::keyClick(target, Qt::Key_Return);
        });
        const int result = controls::CAlarmDisplayPage::Run(nullptr, QPoint(0, 0), 1, 1);
        ASSERT_TRUE(act.acted());
        EXPECT_EQ(result, focused == 1 ? overlay::kOk : overlay::kCancel) << focused;
    }
    // The no-drive notice has only OK to press.
    WhenShown<controls::CAlarmDisplayPage> act(
        [](controls::CAlarmDisplayPage& alarm) { QTest::keyClick(&alarm, Qt::Key_Return); });
    EXPECT_EQ(controls::CAlarmDisplayPage::Run(nullptr, QPoint(0, 0), 0, 0), overlay::kOk);
}

TEST_F(PageBaseTest, AGrowingBodyIsAsTallAsItsLinesAndAFixedOneKeepsItsBox) {
    PageLook look;
    look.bodyKey = u"no pack has this key";
    look.bodyFallback =
        u"A description long enough to need several lines in a box this narrow, so that what "
        u"comes under it has to move down by the lines it takes.";
    look.bodyRect = QRect(77, 122, 300, 20);
    look.bodyLineHeight = 20;
    look.bodyGrows = true;
    CPageBase growing(*host, look);
    const int lines = growing.bodyLabel()->lineCount();
    ASSERT_GT(lines, 2);
    EXPECT_EQ(growing.bodyGeometry(), QRect(77, 122, 300, lines * 20));
    look.bodyGrows = false;
    CPageBase fixed(*host, look);
    EXPECT_EQ(fixed.bodyGeometry(), look.bodyRect);
}
