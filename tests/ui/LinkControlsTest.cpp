#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CLinkStatic2.h"
#include "platform/MessageWindow.h"
#include "shell/Messages.h"

namespace {

using controls::CLinkStatic;
using controls::LayoutLink;

// Stands in for a wizard page: records the messages its controls post.
class PageStandIn : public platform::MessageWindow<QWidget> {
public:
    PageStandIn() { resize(860, 640); }

    using Message = std::tuple<std::uint32_t, std::intptr_t, std::intptr_t>;
    std::vector<Message> messages;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        messages.emplace_back(event.message(), event.wParam(), event.lParam());
    }
};

void Press(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(QEvent::MouseButtonPress, at, w->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void Release(QWidget* w, QPoint at) {
    QMouseEvent event(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void Move(QWidget* w, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(w, &release);
}

bool ShowsHand(const QWidget* w) {
    return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::PointingHandCursor;
}

class LinkControls : public ::testing::Test {
protected:
    // A link of `kind` on the stand-in page, 300 × 30, with a short caption.
    CLinkStatic* makeLink(int kind, bool iconLeft = false) {
        auto* link = new CLinkStatic(&page, kind);
        link->setGeometry(40, 500, 300, 30);
        link->setTextFont(14, true);
        link->setIconLeft(iconLeft);
        link->setText(QStringLiteral("Can't find your NVR?"));
        return link;
    }

    std::vector<PageStandIn::Message> delivered() {
        QCoreApplication::processEvents();
        return page.messages;
    }

    PageStandIn page;
};

}  // namespace

TEST(LinkLayout, IconLeftPutsTheTextBesideTheIconAndOnlyTheSquareReacts) {
    const auto layout = LayoutLink(QSize(300, 40), QSize(150, 17), 17, true, QSize(24, 24),
                                   /*iconLeft=*/true, /*wraps=*/false);
    EXPECT_EQ(layout.icon, QRect(0, 0, 24, 24));
    EXPECT_EQ(layout.text.left(), 26);
    EXPECT_EQ(layout.text.size(), QSize(150, 17));
    EXPECT_EQ(layout.text.center().y(), QRect(0, 0, 24, 24).center().y()) << "on the icon row";
    EXPECT_EQ(layout.hotArea, QRect(0, 0, 20, 20));
    EXPECT_FALSE(layout.hotArea.intersects(layout.text));
}

TEST(LinkLayout, PlainLinkReactsOnItsTextAndTrailingIconWithinTheControl) {
    const auto plain = LayoutLink(QSize(300, 31), QSize(120, 17), 17, false, QSize(), false, false);
    EXPECT_EQ(plain.text, QRect(0, 7, 120, 17)) << "one line, centred vertically";
    EXPECT_EQ(plain.hotArea, plain.text);
    EXPECT_TRUE(plain.icon.isEmpty());

    const auto withIcon =
        LayoutLink(QSize(300, 31), QSize(120, 17), 17, true, QSize(12, 12), false, false);
    EXPECT_GT(withIcon.icon.left(), withIcon.text.right()) << "the icon follows the text";
    EXPECT_TRUE(withIcon.hotArea.contains(withIcon.icon));
    EXPECT_TRUE(withIcon.hotArea.contains(withIcon.text));

    const auto tooLong =
        LayoutLink(QSize(100, 20), QSize(400, 17), 17, false, QSize(), false, false);
    EXPECT_EQ(tooLong.hotArea.right(), 99) << "nothing outside the control reacts";

    const auto wrapped =
        LayoutLink(QSize(200, 80), QSize(190, 51), 17, false, QSize(), false, /*wraps=*/true);
    EXPECT_EQ(wrapped.text.top(), 0) << "wrapped text starts at the top";
}

TEST_F(LinkControls, PressOnTheTextAsksThePageForTheOverlayOfItsKind) {
    CLinkStatic* link = makeLink(13);
    const QRect hot = link->hotRect();
    ASSERT_FALSE(hot.isEmpty());
    EXPECT_LT(hot.width(), link->width()) << "the hot rectangle follows the text, not the control";

    Press(link, hot.center());
    ASSERT_EQ(delivered().size(), 1U);
    EXPECT_EQ(page.messages[0], PageStandIn::Message(1125, 13, 0));

    page.messages.clear();
    Press(link, QPoint(hot.right() + 10, hot.center().y()));
    Press(link, hot.center(), Qt::RightButton);
    EXPECT_TRUE(delivered().empty()) << "beside the text or with the right button";
}

TEST_F(LinkControls, InertLinkShowsTheHandButPostsNothing) {
    CLinkStatic* link = makeLink(CLinkStatic::kInert);
    Move(link, link->hotRect().center());
    EXPECT_TRUE(ShowsHand(link));
    Press(link, link->hotRect().center());
    EXPECT_TRUE(delivered().empty());
    Move(link, QPoint(link->width() - 2, 2));
    EXPECT_FALSE(ShowsHand(link)) << "the hand leaves with the hot area";
}

TEST_F(LinkControls, IconLeftOnlyTheTopLeftSquareReacts) {
    CLinkStatic* link = makeLink(3, /*iconLeft=*/true);
    QImage icon(24, 24, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::blue);
    link->setIcon(icon);
    EXPECT_EQ(link->hotArea(), QRect(0, 0, 20, 20));
    EXPECT_GE(link->textRect().left(), 26);

    for (QPoint outside :
         {link->textRect().center(), QPoint(21, 5), QPoint(5, 21), QPoint(22, 22)}) {
        Move(link, outside);
        EXPECT_FALSE(ShowsHand(link)) << outside.x() << "," << outside.y();
        Press(link, outside);
    }
    EXPECT_TRUE(delivered().empty()) << "the text and the icon's outer edge stay quiet";

    for (QPoint inside : {QPoint(0, 0), QPoint(19, 19), QPoint(10, 4)}) {
        Move(link, inside);
        EXPECT_TRUE(ShowsHand(link)) << inside.x() << "," << inside.y();
        Press(link, inside);
    }
    const auto messages = delivered();
    ASSERT_EQ(messages.size(), 3U);
    EXPECT_EQ(messages[2], PageStandIn::Message(1125, 3, 0));
}

TEST_F(LinkControls, WrappingLinkLaysItsTextOutOverSeveralLines) {
    auto* link = new controls::CLinkStatic2(&page, 2);
    link->setGeometry(40, 300, 160, 100);
    link->setText(QStringLiteral("What does the red LED on the front of the recorder mean?"));
    const QRect hot = link->hotRect();
    const int line = QFontMetrics(link->textFont()).height();
    EXPECT_GE(hot.height(), 2 * line) << "wrapped";
    EXPECT_LE(hot.right(), link->width() - 1);

    // A point on the second line reacts; below the last line nothing does.
    Press(link, QPoint(hot.left() + 5, hot.top() + line + line / 2));
    Press(link, QPoint(hot.left() + 5, hot.bottom() + 5));
    const auto messages = delivered();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0], PageStandIn::Message(1125, 2, 0));

    // Narrower means more lines: the hot rectangle follows the layout.
    link->resize(100, 100);
    EXPECT_GT(link->hotRect().height(), hot.height());
}

TEST_F(LinkControls, HyperLinkClickIsReportedToTheParent) {
    auto* link = new controls::CHyperLink(&page);
    link->setGeometry(100, 100, 200, 20);
    link->setText(QStringLiteral("Terms of service"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    Press(link, QPoint(10, 10));
    Release(link, QPoint(10, 10));
    ASSERT_EQ(delivered().size(), 1U);
    EXPECT_EQ(std::get<0>(page.messages[0]), 1140U);

    page.messages.clear();
    Press(link, QPoint(10, 10));
    Release(link, QPoint(10, 300));
    EXPECT_TRUE(delivered().empty()) << "released away from the link";
}

TEST_F(LinkControls, TabReachesTheLinksButAClickLeavesTheFocusWithThePage) {
    CLinkStatic* first = makeLink(13);
    CLinkStatic* second = makeLink(2);
    second->move(40, 540);
    page.setFocusPolicy(Qt::StrongFocus);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    page.setFocus(Qt::OtherFocusReason);

    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, second->hotRect().center());
    EXPECT_EQ(QApplication::focusWidget(), &page) << "Enter and Esc stay with the page";
    QTest::keyClick(&page, Qt::Key_Tab);
    EXPECT_TRUE(first->hasFocus());
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_EQ(second->accessibleName(), QStringLiteral("Can't find your NVR?"));
}

TEST_F(LinkControls, EnterOrSpaceOnAFocusedLinkPostsItsKindAsAPressDoes) {
    CLinkStatic* link = makeLink(13);
    for (int key : {int{Qt::Key_Return}, int{Qt::Key_Enter}, int{Qt::Key_Space}}) {
        SendKey(link, key);
    }
    SendKey(link, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(delivered(), std::vector<PageStandIn::Message>(4, {1125, 13, 0}));

    page.messages.clear();
    SendKey(link, Qt::Key_Return, Qt::ShiftModifier);
    SendKey(link, Qt::Key_Space, Qt::ControlModifier);
    SendKey(link, Qt::Key_Return, Qt::NoModifier, /*autoRepeat=*/true);
    SendKey(link, Qt::Key_A);
    EXPECT_TRUE(delivered().empty()) << "modified, held or other keys open nothing";

    CLinkStatic* inert = makeLink(CLinkStatic::kInert);
    SendKey(inert, Qt::Key_Return);
    SendKey(inert, Qt::Key_Space);
    EXPECT_TRUE(delivered().empty());
}

TEST_F(LinkControls, FocusMarkIsADottedFrameAroundTheHotRectangleOnly) {
    CLinkStatic* link = makeLink(13);
    link->setColor(Qt::blue);
    // Another focusable control, so the focus can leave the link.
    CLinkStatic* other = makeLink(2);
    other->move(40, 560);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    other->setFocus(Qt::TabFocusReason);
    const QImage plain = link->grab().toImage();
    link->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(link->hasFocus());
    const QImage marked = link->grab().toImage();
    ASSERT_EQ(plain.size(), marked.size());

    const QRect frame = link->hotRect().adjusted(-1, -1, 1, 1) & link->rect();
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == marked.pixel(x, y)) {
                continue;
            }
            ++changed;
            const bool onFrame = frame.contains(x, y) && (x == frame.left() || x == frame.right() ||
                                                          y == frame.top() || y == frame.bottom());
            EXPECT_TRUE(onFrame) << x << "," << y;
            EXPECT_EQ(QColor(marked.pixel(x, y)), QColor(Qt::blue));
        }
    }
    const int perimeter = 2 * (frame.width() + frame.height());
    EXPECT_GT(changed, perimeter / 4) << "a visible frame";
    EXPECT_LT(changed, perimeter * 3 / 4) << "dotted, not solid";
}

TEST_F(LinkControls, WrappingLinkKeepsItsTrailingIconInsideAndBesideTheFirstLine) {
    auto* link = new controls::CLinkStatic2(&page, 3);
    link->setGeometry(40, 300, 180, 100);
    link->setTextFont(13, false);
    QImage icon(24, 24, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::blue);
    link->setIcon(icon);
    link->setText(QStringLiteral("How to reset your recorder to its factory settings"));
    const QRect text = link->textRect();
    ASSERT_GE(text.height(), 2 * QFontMetrics(link->textFont()).height()) << "wrapped";
    EXPECT_TRUE(link->rect().contains(link->hotRect())) << "the icon is not cut off";
    EXPECT_GE(text.top(), 0);
    Press(link, QPoint(link->hotRect().right() - 2, link->hotRect().top() + 12));
    ASSERT_EQ(delivered().size(), 1U) << "the icon reacts";
}
