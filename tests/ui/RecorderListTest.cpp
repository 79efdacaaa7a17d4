#include <QAccessible>
#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "UiSupport.h"
#include "controls/CNvrHeaderCtrl.h"
#include "controls/CNvrListCtrl.h"
#include "controls/Fonts.h"

using controls::CNvrHeaderCtrl;
using controls::CNvrListCtrl;

namespace {

// The selection page's stand-in: counts the messages and keeps the keys that reach it.
class PageStandIn : public platform::MessageWindow<QWidget> {
public:
    int marks = 0;
    std::vector<std::intptr_t> overlays;
    std::vector<int> keys;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        if (event.message() == msg::kRowMarked) {
            ++marks;
        } else if (event.message() == msg::kShowOverlay) {
            overlays.push_back(event.wParam());
        }
    }
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

void Send(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, {});
    QApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();  // posted messages reach the page
}

// The smallest rectangle in `area` holding every pixel darker than `below`.
QRect DarkArea(const QImage& shot, QRect area, int below = 200) {
    QRect dark;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(shot.pixel(x, y)) < below) {
                dark |= QRect(x, y, 1, 1);
            }
        }
    }
    return dark;
}

class RecorderList : public ::testing::Test {
protected:
    RecorderList() : list(new CNvrListCtrl(&page, page.windowId())) {
        page.resize(800, 300);
        list->setGeometry(80, 20, 688, 220);
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        list->clearFocus();
    }

    void addRows(int n) {
        for (int i = 0; i < n; ++i) {
            list->addRow(QStringLiteral("10.77.0.%1").arg(10 + i),
                         QStringLiteral("00:1c:2a:78:0e:%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        }
    }
    void click(QPoint at) {
        Send(list->viewport(), QEvent::MouseButtonPress, at);
        Send(list->viewport(), QEvent::MouseButtonRelease, at);
    }
    void key(Qt::Key k) {
        QTest::keyClick(list, k);
        QCoreApplication::processEvents();
    }
    std::vector<int> marked() const {
        std::vector<int> rows;
        for (int i = 0; i < list->rowCount(); ++i) {
            if (list->isMarked(i)) {
                rows.push_back(i);
            }
        }
        return rows;
    }
    QImage rows() const {
        return list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    InLanguage english{shell::kEnglish};
    PageStandIn page;
    CNvrListCtrl* list;
};

}  // namespace

TEST_F(RecorderList, OnlyColumnOneMarksAndOneMarkHoldsAtATime) {
    addRows(3);
    // Rows are drawn 4 px right of the header: the mark column spans x 64..103.
    for (QPoint miss : {QPoint(63, 20), QPoint(104, 20), QPoint(300, 66), QPoint(80, 140)}) {
        click(miss);
    }
    EXPECT_TRUE(marked().empty());
    click(QPoint(64, 20));
    EXPECT_EQ(marked(), std::vector<int>{0});
    click(QPoint(103, 131));
    EXPECT_EQ(marked(), std::vector<int>{2});
    EXPECT_EQ(page.marks, 2);

    list->markRow(1, false);
    list->markRow(7, true);
    QCoreApplication::processEvents();
    EXPECT_EQ(marked(), std::vector<int>{1}) << "a row that does not exist changes nothing";
    EXPECT_EQ(list->firstMarkedRow(), 1);
    EXPECT_EQ(page.marks, 2) << "the page hears only of what it asked for or the user did";
    EXPECT_EQ(list->macText(1), QStringLiteral("00:1c:2a:78:0e:02"));
    EXPECT_TRUE(list->ipText(3).isEmpty());

    list->clearRows();
    EXPECT_EQ(list->firstMarkedRow(), -1);
    addRows(1);
    EXPECT_EQ(list->rowDescription(0), QStringLiteral("No. 1, 10.77.0.10, 00:1c:2a:78:0e:01"));
    EXPECT_FALSE(list->isMarked(0));
}

TEST_F(RecorderList, KeysMoveTheMarkIntoViewAndStopAtTheEnds) {
    EXPECT_TRUE(list->focusPolicy() & Qt::TabFocus);
    addRows(6);
    key(Qt::Key_Down);
    EXPECT_EQ(marked(), std::vector<int>{0}) << "the first key marks the focus row";
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(marked(), std::vector<int>{0});
    EXPECT_EQ(page.marks, 3) << "Up on the first row tells the page nothing";

    // Six rows need more than the 186 px under the header; the bar beside the list says so.
    EXPECT_EQ(list->scrollBar()->geometry(), QRect(768, 20, 14, 220));
    ASSERT_TRUE(list->scrollBar()->canScroll());
    key(Qt::Key_End);
    key(Qt::Key_Down);
    EXPECT_EQ(marked(), std::vector<int>{5});
    EXPECT_EQ(page.marks, 4) << "Down on the last row tells the page nothing";
    EXPECT_GE(list->cellRect(5, 1).top(), CNvrHeaderCtrl::kHeight) << "scrolled into view";
    EXPECT_LE(list->cellRect(5, 1).bottom(), list->height() - 1);

    list->markRow(3, false);
    key(Qt::Key_Space);
    EXPECT_EQ(page.marks, 5) << "Space marks the focus row and tells the page";
    key(Qt::Key_Escape);
    key(Qt::Key_Return);
    EXPECT_EQ(page.keys, std::vector<int>({Qt::Key_Escape, Qt::Key_Return}));
}

TEST_F(RecorderList, DrawsMarksAndTextsInTheirColumnsAndTheFocusOnItsRow) {
    addRows(2);
    list->markRow(0, false);
    QImage shot = rows();
    // Radio marks: 25 x 25, right-aligned in column 1, centred between row top + 5 and bottom.
    const QRect ring = DarkArea(shot, QRect(64, 0, 40, 44));
    EXPECT_NEAR(ring.center().x() + 0.5, 104 - 12.5, 1.0);
    EXPECT_NEAR(ring.center().y() + 0.5, 5 + 39 / 2.0, 1.0);
    EXPECT_NEAR(ring.width(), 25 * 32 / 40.0, 2.0) << "the 40-px picture at 25 px";
    EXPECT_LT(QColor(shot.pixel(91, 24)).red(), 80) << "the blue dot of the chosen row";
    EXPECT_GT(qGray(shot.pixel(91, 24 + 44)), 225) << "the pale well of the other";
    // Texts start 5 px inside their indent: No. at 129 + 5, IP at 199 + 24, MAC at 419 + 12.
    for (auto [left, width, start] :
         {std::tuple{129, 40, 139}, std::tuple{199, 200, 228}, std::tuple{419, 210, 436}}) {
        EXPECT_NEAR(DarkArea(shot, QRect(left, 0, width, 44)).left(), start + 1, 1) << left;
    }
    int darkest = 255;
    for (int x = 199; x < 399; ++x) {
        for (int y = 0; y < 44; ++y) {
            darkest = std::min(darkest, qGray(shot.pixel(x, y)));
        }
    }
    EXPECT_NEAR(darkest, 0x60, 3) << "full strokes in 60 60 60, none darker";

    auto focusPixels = [&] {
        const QImage s = rows();
        int n = 0;
        for (int x = 4; x < 629; ++x) {
            n += QColor(s.pixel(x, 44)) == CNvrListCtrl::kFocusColor ? 1 : 0;
        }
        return n;
    };
    list->markRow(1, false);
    EXPECT_EQ(focusPixels(), 0);
    list->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return list->hasFocus(); }));
    EXPECT_GT(focusPixels(), 200) << "a dotted frame around the marked row";
}

TEST_F(RecorderList, HeaderHelpIconAsksThePageForTheMacHelpAndHandsShowWhereToClick) {
    addRows(2);
    CNvrHeaderCtrl* header = list->header();
    EXPECT_EQ(header->geometry(), QRect(0, 0, 688, 34));
    EXPECT_EQ(header->heading(3), QStringLiteral("No."));
    EXPECT_EQ(header->heading(7), QStringLiteral("MAC Address")) << "the pack's words";
    const qreal text = QFontMetricsF(controls::UiFont(17)).horizontalAdvance(header->heading(7));
    const QRect icon = header->helpIconRect();
    EXPECT_NEAR(icon.left(), 415 + (210 + text) / 2 + 2, 1.0) << "2 px after the centred heading";
    EXPECT_EQ(icon.top(), 5);
    EXPECT_EQ(icon.bottom(), 34 - 5 - 1);

    Send(header, QEvent::MouseButtonPress, icon.center(), Qt::RightButton);
    Send(header, QEvent::MouseButtonRelease, icon.center(), Qt::RightButton);
    Send(header, QEvent::MouseButtonPress, icon.topLeft() - QPoint(3, 0));
    Send(header, QEvent::MouseButtonRelease, icon.center());
    Send(header, QEvent::MouseButtonPress, icon.center());
    EXPECT_TRUE(page.overlays.empty()) << "only a left press on the icon, then its release";
    Send(header, QEvent::MouseButtonRelease, icon.center());
    // Header to list to page: two posts.
    ASSERT_TRUE(WaitUntil([&] { return !page.overlays.empty(); }));
    EXPECT_EQ(page.overlays, std::vector<std::intptr_t>{4});

    auto handAt = [](QWidget* widget, QPoint at) {
        Send(widget, QEvent::MouseMove, at);
        return widget->testAttribute(Qt::WA_SetCursor) &&
               widget->cursor().shape() == Qt::PointingHandCursor;
    };
    EXPECT_TRUE(handAt(header, icon.center()));
    EXPECT_FALSE(handAt(header, QPoint(80, 17)));
    EXPECT_TRUE(handAt(list->viewport(), QPoint(64, 10)));
    EXPECT_TRUE(handAt(list->viewport(), QPoint(103, 80)));
    EXPECT_FALSE(handAt(list->viewport(), QPoint(63, 10)));
    EXPECT_FALSE(handAt(list->viewport(), QPoint(80, 100))) << "below the last row";
}

TEST_F(RecorderList, AssistiveToolsSeeAListOfCheckableRows) {
    addRows(2);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::List);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Recorders"));
    ASSERT_EQ(access->childCount(), 2);
    QAccessibleInterface* second = access->child(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(access->child(1), second) << "the same item every time";
    EXPECT_EQ(access->indexOfChild(second), 1);
    EXPECT_EQ(second->role(), QAccessible::ListItem);
    EXPECT_EQ(second->text(QAccessible::Name),
              QStringLiteral("No. 2, 10.77.0.11, 00:1c:2a:78:0e:02"));
    EXPECT_FALSE(second->state().checked);
    ASSERT_NE(second->actionInterface(), nullptr);
    second->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(second->state().checked);
    EXPECT_EQ(access->childAt(second->rect().center().x(), second->rect().center().y()), second);
    list->clearRows();
    EXPECT_FALSE(second->isValid());
}
