#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "../unit/TestSupport.h"
#include "controls/CApproComboBox.h"
#include "controls/CComboBoxList.h"
#include "controls/CListCtrlVScrollbar.h"
#include "controls/CMyEditCtrl2.h"
#include "platform/MessageWindow.h"

using controls::CApproComboBox;
using controls::CComboBoxList;
using controls::CListCtrlVScrollbar;
using controls::CMyEditCtrl2;

namespace {

// A page stand-in: keeps every message posted to it.
class Receiver : public platform::MessageWindow<QWidget> {
public:
    struct Message {
        std::uint32_t id;
        std::intptr_t wParam;
    };
    std::vector<Message> messages;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        messages.push_back({event.message(), event.wParam()});
    }
};

QStringList Items(int n) {
    QStringList items;
    for (int i = 0; i < n; ++i) {
        items << QStringLiteral("Item %1").arg(i);
    }
    return items;
}

class ComboTest : public ::testing::Test {
protected:
    ComboTest() : combo(receiver.windowId(), &receiver) {
        receiver.resize(400, 500);
        combo.setGeometry(20, 20, 188, 32);
        receiver.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&receiver));
    }

    CComboBoxList& list() { return *combo.list(); }
    QPoint centreOf(int index) { return list().listGeometry().itemRect(index).center(); }

    // Straight to the list: no event loop runs, so the 200 ms timer cannot step in between,
    // and no earlier test's pointer position can swallow the move.
    void send(QEvent::Type type, QPoint at) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::MouseButtons();
        QMouseEvent event(type, at, list().mapToGlobal(at), button, held, {});
        QApplication::sendEvent(&list(), &event);
    }

    bool waitForMessage() {
        return WaitUntil([&] { return !receiver.messages.empty(); }, 3000);
    }

    Receiver receiver;
    CApproComboBox combo;
};

}  // namespace

TEST(ComboBoxListGeometry, FewItemsNeedNoScrollAreas) {
    CComboBoxList::Geometry g;
    g.width = 188;
    g.itemCount = 5;
    EXPECT_FALSE(g.hasScrollAreas());
    EXPECT_EQ(g.visibleRows(), 5);
    EXPECT_EQ(g.size(), QSize(188, 2 * g.padding + 5 * g.itemHeight));
    EXPECT_TRUE(g.upArea().isEmpty());
    EXPECT_TRUE(g.downArea().isEmpty());
    EXPECT_EQ(g.itemRect(0), QRect(0, g.padding, 188, g.itemHeight));
    EXPECT_EQ(g.itemRect(4).bottom(), g.size().height() - g.padding - 1);

    using Hit = CComboBoxList::Hit;
    EXPECT_EQ(g.hitTest(QPoint(10, g.padding)).index, 0);
    EXPECT_EQ(g.hitTest(QPoint(10, g.padding + g.itemHeight - 1)).index, 0);
    EXPECT_EQ(g.hitTest(QPoint(10, g.padding + g.itemHeight)).index, 1);
    EXPECT_EQ(g.hitTest(QPoint(187, g.size().height() - g.padding - 1)).index, 4);
    EXPECT_EQ(g.hitTest(QPoint(10, 1)).kind, Hit::None);  // the border
    EXPECT_EQ(g.hitTest(QPoint(10, g.size().height())).kind, Hit::None);
    EXPECT_EQ(g.hitTest(QPoint(188, 40)).kind, Hit::None);
    EXPECT_EQ(g.hitTest(QPoint(-1, 40)).kind, Hit::None);
}

TEST(ComboBoxListGeometry, OverflowingItemsGetScrollAreasAndScrolledHits) {
    CComboBoxList::Geometry g;
    g.width = 188;
    g.itemCount = 22;
    g.maxRows = 8;
    ASSERT_TRUE(g.hasScrollAreas());
    EXPECT_EQ(g.visibleRows(), 8);
    EXPECT_EQ(g.lastFirstRow(), 14);
    EXPECT_EQ(g.size().height(), 2 * g.padding + 2 * g.scrollAreaHeight + 8 * g.itemHeight);
    EXPECT_EQ(g.upArea(), QRect(0, g.padding, 188, g.scrollAreaHeight));
    EXPECT_EQ(g.downArea().bottom(), g.size().height() - g.padding - 1);

    using Hit = CComboBoxList::Hit;
    EXPECT_EQ(g.hitTest(g.upArea().center()).kind, Hit::Up);
    EXPECT_EQ(g.hitTest(g.downArea().center()).kind, Hit::Down);
    const int firstTop = g.padding + g.scrollAreaHeight;
    EXPECT_EQ(g.hitTest(QPoint(50, firstTop)).index, 0);
    g.firstRow = 5;
    EXPECT_EQ(g.hitTest(QPoint(50, firstTop)).index, 5);
    EXPECT_EQ(g.hitTest(QPoint(50, firstTop + 7 * g.itemHeight + 1)).index, 12);
    EXPECT_TRUE(g.itemRect(4).isEmpty());
    EXPECT_TRUE(g.itemRect(13).isEmpty());
    EXPECT_EQ(g.itemRect(5).top(), firstTop);

    // Scrolling to show an item moves as little as it can, never past the ends.
    EXPECT_EQ(g.firstRowShowing(7), 5);
    EXPECT_EQ(g.firstRowShowing(3), 3);
    EXPECT_EQ(g.firstRowShowing(13), 6);
    EXPECT_EQ(g.firstRowShowing(21), 14);
    EXPECT_EQ(g.firstRowShowing(-1), 5);
    g.firstRow = 40;
    EXPECT_EQ(g.firstRowShowing(-1), 14);
}

TEST_F(ComboTest, ClickingAnItemPostsItsIndexToTheWindowAndShowsIt) {
    combo.setItems(Items(5));
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Item 1"));
    QTest::mouseClick(&combo, Qt::LeftButton);
    ASSERT_TRUE(combo.isListShown());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&list()));
    EXPECT_TRUE(list().isTimerRunning());
    EXPECT_EQ(list().highlighted(), 1);
    // Opens just below the box, as wide as the box.
    EXPECT_EQ(list().pos(), combo.mapToGlobal(QPoint(0, combo.height() + 2)));
    EXPECT_EQ(list().width(), combo.width());

    send(QEvent::MouseMove, centreOf(3));
    EXPECT_EQ(list().highlighted(), 3);
    EXPECT_EQ(list().cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&list(), Qt::LeftButton, {}, centreOf(3));
    ASSERT_TRUE(waitForMessage());
    ASSERT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(receiver.messages[0].id, 1129u);
    EXPECT_EQ(receiver.messages[0].wParam, 3);
    EXPECT_FALSE(combo.isListShown());
    EXPECT_FALSE(list().isTimerRunning());
    EXPECT_EQ(combo.currentIndex(), 3);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Item 3"));
}

TEST_F(ComboTest, ScrollAreasScrollOnClickAndWhileHoveredButNeverChoose) {
    combo.setItems(Items(22));
    combo.setCurrentIndex(0);
    combo.showList();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list()));
    const CComboBoxList::Geometry& g = list().listGeometry();
    ASSERT_TRUE(g.hasScrollAreas());
    EXPECT_EQ(list().height(), g.size().height());
    EXPECT_EQ(list().firstRow(), 0);

    auto click = [&](QPoint at) {
        send(QEvent::MouseButtonPress, at);
        send(QEvent::MouseButtonRelease, at);
    };
    click(g.downArea().center());
    EXPECT_EQ(list().firstRow(), 1);
    click(g.upArea().center());
    EXPECT_EQ(list().firstRow(), 0);
    click(g.upArea().center());
    EXPECT_EQ(list().firstRow(), 0);
    send(QEvent::MouseMove, g.upArea().center());
    EXPECT_NE(list().cursor().shape(), Qt::PointingHandCursor);

    // Resting on the down area: each timer step scrolls one row, up to the end.
    send(QEvent::MouseMove, g.downArea().center());
    list().timerStep();
    EXPECT_EQ(list().firstRow(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list().firstRow() >= 3; }, 3000));
    for (int i = 0; i < 30; ++i) {
        list().timerStep();
    }
    EXPECT_EQ(list().firstRow(), 14);
    // Over an item the timer leaves the list where it is.
    send(QEvent::MouseMove, centreOf(16));
    list().timerStep();
    EXPECT_EQ(list().firstRow(), 14);

    QTest::mouseClick(&list(), Qt::LeftButton, {}, centreOf(21));
    ASSERT_TRUE(waitForMessage());
    EXPECT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(receiver.messages[0].wParam, 21);
}

TEST_F(ComboTest, KeyboardMovesChoosesAndCancels) {
    combo.setItems(Items(22));
    combo.setCurrentIndex(6);
    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Space);
    ASSERT_TRUE(combo.isListShown());
    EXPECT_EQ(list().highlighted(), 6);
    QTest::keyClick(&list(), Qt::Key_Escape);
    EXPECT_FALSE(combo.isListShown());

    QTest::keyClick(&combo, Qt::Key_Down);  // opens
    ASSERT_TRUE(combo.isListShown());
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&list(), Qt::Key_Down);
    }
    QTest::keyClick(&list(), Qt::Key_Up);
    EXPECT_EQ(list().highlighted(), 9);
    EXPECT_FALSE(list().listGeometry().itemRect(9).isEmpty());  // kept in view
    QTest::keyClick(&list(), Qt::Key_Return);
    ASSERT_TRUE(waitForMessage());
    EXPECT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(receiver.messages[0].wParam, 9);
    EXPECT_EQ(combo.currentIndex(), 9);
    EXPECT_FALSE(combo.isListShown());
}

TEST_F(ComboTest, EmptyOrOutOfRangeShowsNothingAndPostsNothing) {
    combo.showList();
    EXPECT_FALSE(combo.isListShown());
    combo.setItems(Items(3));
    combo.setCurrentIndex(7);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.currentText(), QString());
    list().choose(3);
    list().choose(-1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.messages.empty());
}

TEST(ListScrollbarGeometry, ThumbSizeAndPositionFollowTheRange) {
    using Bar = CListCtrlVScrollbar;
    // 50 rows of 44 px in a 220 px view: range 0..1980, page 220.
    Bar::Thumb t = Bar::ThumbOf(220, 0, 1980, 220, 0, 10);
    EXPECT_EQ(t.top, 0);
    EXPECT_EQ(t.length, 22);  // a tenth of the track for a tenth of the content
    EXPECT_EQ(Bar::ThumbOf(220, 0, 1980, 220, 0).length, Bar::kMinThumbLength);
    t = Bar::ThumbOf(220, 0, 1980, 220, 0, 30);
    EXPECT_EQ(t.length, 30);
    EXPECT_EQ(Bar::ThumbOf(220, 0, 1980, 220, 1980, 30).top, 190);
    EXPECT_EQ(Bar::ThumbOf(220, 0, 1980, 220, 990, 30).top, 95);
    EXPECT_EQ(Bar::ThumbOf(220, 0, 1980, 220, 5000, 30).top, 190);
    EXPECT_EQ(Bar::ThumbOf(220, 0, 220, 220, 0).length, 110);
    // Nothing to scroll: the thumb is the track.
    t = Bar::ThumbOf(220, 0, 0, 220, 0);
    EXPECT_EQ(t.top, 0);
    EXPECT_EQ(t.length, 220);

    EXPECT_EQ(Bar::ValueAt(0, 220, 30, 0, 1980), 0);
    EXPECT_EQ(Bar::ValueAt(95, 220, 30, 0, 1980), 990);
    EXPECT_EQ(Bar::ValueAt(190, 220, 30, 0, 1980), 1980);
    EXPECT_EQ(Bar::ValueAt(400, 220, 30, 0, 1980), 1980);
    EXPECT_EQ(Bar::ValueAt(-20, 220, 30, 0, 1980), 0);
    EXPECT_EQ(Bar::ValueAt(10, 220, 220, 0, 0), 0);

    const Bar::Thumb mid{95, 30};
    EXPECT_EQ(Bar::ZoneAt(94, mid), Bar::Zone::Above);
    EXPECT_EQ(Bar::ZoneAt(95, mid), Bar::Zone::Thumb);
    EXPECT_EQ(Bar::ZoneAt(124, mid), Bar::Zone::Thumb);
    EXPECT_EQ(Bar::ZoneAt(125, mid), Bar::Zone::Below);
}

TEST(ListScrollbar, PageClicksAndThumbDragsScrollTheList) {
    QWidget page;
    page.resize(800, 300);
    auto* view = new QListWidget(&page);
    view->setGeometry(0, 0, 688, 220);
    view->setFrameShape(QFrame::NoFrame);
    for (int i = 0; i < 50; ++i) {
        auto* item = new QListWidgetItem(QStringLiteral("Row %1").arg(i), view);
        item->setSizeHint(QSize(600, 44));
    }
    auto* bar = new CListCtrlVScrollbar(&page);
    bar->setGeometry(688, 0, 14, 220);
    bar->attach(view);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QScrollBar* scroll = view->verticalScrollBar();
    ASSERT_TRUE(WaitUntil([&] { return scroll->maximum() > 0; }));
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(scroll->maximum(), 50 * 44 - 220);
    EXPECT_EQ(scroll->pageStep(), 220);
    ASSERT_TRUE(bar->canScroll());

    // Below the thumb: one page down; the rows moved by the page.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(7, 200));
    EXPECT_EQ(scroll->value(), 220);
    EXPECT_EQ(view->visualItemRect(view->item(5)).top(), 0);
    const CListCtrlVScrollbar::Thumb after = bar->thumb();
    EXPECT_GT(after.top, 0);
    // Above it: back up.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(7, after.top - 1));
    EXPECT_EQ(scroll->value(), 0);

    // Dragging the thumb 40 px down scrolls the rows by the pixels that stands for.
    const CListCtrlVScrollbar::Thumb start = bar->thumb();
    const QPoint grab(7, start.top + start.length / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, grab);
    QTest::mouseMove(bar, grab + QPoint(0, 40));
    const int expected = CListCtrlVScrollbar::ValueAt(40, 220, start.length, 0, scroll->maximum());
    EXPECT_EQ(scroll->value(), expected);
    EXPECT_EQ(view->visualItemRect(view->item(0)).top(), -expected);
    EXPECT_EQ(bar->thumb().top, 40);
    QTest::mouseMove(bar, grab + QPoint(0, 1000));
    EXPECT_EQ(scroll->value(), scroll->maximum());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grab + QPoint(0, 1000));
    // After the release moving the mouse scrolls nothing.
    QTest::mouseMove(bar, grab);
    EXPECT_EQ(scroll->value(), scroll->maximum());

    bar->reset();
    EXPECT_EQ(scroll->value(), 0);
    view->clear();
    EXPECT_TRUE(WaitUntil([&] { return !bar->canScroll(); }));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(7, 200));
    EXPECT_EQ(scroll->value(), 0);
}

TEST(EditControl, PasswordMaskMaxLengthFontAndFrames) {
    QWidget page;
    page.resize(300, 100);
    auto* edit = new CMyEditCtrl2(5004, &page);
    edit->setGeometry(10, 10, 160, 30);
    EXPECT_EQ(edit->objectName(), QStringLiteral("id5004"));
    EXPECT_EQ(edit->controlId(), 5004);
    EXPECT_EQ(edit->font().pixelSize(), 16);
    edit->setTextSize(17);
    EXPECT_EQ(edit->font().pixelSize(), 17);
    EXPECT_FALSE(edit->font().bold());

    edit->setPasswordMode(true);
    EXPECT_TRUE(edit->isPasswordMode());
    edit->setMaxLength(6);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("secret123"));
    EXPECT_EQ(edit->text(), QStringLiteral("secret"));
    EXPECT_EQ(edit->displayText(), QString(6, QChar(0x25CF)));
    edit->setPasswordMode(false);
    EXPECT_EQ(edit->displayText(), QStringLiteral("secret"));

    auto render = [&] {
        QImage image(edit->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        edit->render(&image);
        return image;
    };
    edit->setText(QString());
    edit->clearFocus();
    const QPoint edge(1, 15);
    EXPECT_EQ(render().pixelColor(edge), QColor(Qt::white));  // frameless by default
    edit->setFramed(true);
    const QColor frame = render().pixelColor(0, 15);
    EXPECT_NEAR(frame.red(), CMyEditCtrl2::kFrame.red(), 2);
    EXPECT_NEAR(frame.blue(), CMyEditCtrl2::kFrame.blue(), 2);
    edit->setError(true);
    EXPECT_EQ(render().pixelColor(edge), CMyEditCtrl2::kErrorFrame);
    EXPECT_EQ(render().pixelColor(80, 15), QColor(Qt::white));
    edit->setError(false);
    EXPECT_NE(render().pixelColor(edge), CMyEditCtrl2::kErrorFrame);
}

TEST(EditControl, TabReachesEditsAndTheComboBoxWhichHaveNames) {
    Receiver page;
    page.resize(400, 200);
    auto* user = new CMyEditCtrl2(5003, &page);
    user->setGeometry(10, 10, 160, 30);
    user->setAccessibleName(QStringLiteral("Admin"));
    auto* password = new CMyEditCtrl2(5004, &page);
    password->setGeometry(10, 50, 160, 30);
    password->setAccessibleName(QStringLiteral("Password"));
    auto* combo = new CApproComboBox(page.windowId(), &page);
    combo->setGeometry(10, 90, 188, 32);
    combo->setAccessibleName(QStringLiteral("Select your Language:"));
    combo->setItems(Items(3));
    combo->setCurrentIndex(2);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QApplication::setActiveWindow(&page);
    user->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return user->hasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(password->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(combo->hasFocus());
    for (QWidget* w : std::initializer_list<QWidget*>{user, password, combo}) {
        EXPECT_FALSE(w->accessibleName().isEmpty());
    }
}
