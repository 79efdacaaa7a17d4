#include <QApplication>
#include <QMouseEvent>

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
