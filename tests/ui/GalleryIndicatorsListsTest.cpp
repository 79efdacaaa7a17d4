#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "controls/CApproComboBox.h"
#include "controls/CComboBoxList.h"
#include "controls/CGroupImageBox.h"
#include "controls/CImageBox.h"
#include "controls/CListCtrlVScrollbar.h"
#include "controls/CLoadingStatic.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CPageIndicator.h"
#include "controls/Fonts.h"
#include "platform/MessageWindow.h"

using namespace controls;

namespace {

const QString kDir = QStringLiteral(ORB_SCREENS_DIR "/gallery");
constexpr QColor kNote(140, 140, 140);

// Draws a sheet at 1x and 2x, each into a white image of that density.
void Shoot(const QString& name, QSize size, const std::function<void(QPainter&)>& draw) {
    ASSERT_TRUE(QDir().mkpath(kDir));
    for (int scale : {1, 2}) {
        QImage sheet(size * scale, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(scale);
        sheet.fill(Qt::white);
        {
            QPainter painter(&sheet);
            draw(painter);
        }
        const QString path = QStringLiteral("%1/%2-%3x.png").arg(kDir, name).arg(scale);
        EXPECT_TRUE(sheet.save(path)) << path.toStdString();
    }
}

void Note(QPainter& painter, QPoint at, const QString& text) {
    painter.save();
    painter.setFont(UiFont(11, false, QStringLiteral("Arial")));
    painter.setPen(kNote);
    painter.drawText(at, text);
    painter.restore();
}

void Put(QPainter& painter, QWidget& widget, QPoint at) {
    widget.render(&painter, at, QRegion(), QWidget::DrawChildren);
}

void Bounds(QPainter& painter, QRect rect) {
    painter.save();
    painter.setPen(QPen(QColor(220, 220, 220), 1, Qt::DashLine));
    painter.drawRect(QRectF(rect).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.restore();
}

QStringList Languages() {
    return {
        QStringLiteral("English"),   QStringLiteral("Deutsch"),
        QStringLiteral("Français"),  QStringLiteral("Español"),
        QStringLiteral("Italiano"),  QStringLiteral("Nederlands"),
        QStringLiteral("Português"), QStringLiteral("Polski"),
        QStringLiteral("Čeština"),   QStringLiteral("Magyar"),
        QStringLiteral("Ελληνικά"),  QStringLiteral("Türkçe"),
        QStringLiteral("Русский"),   QStringLiteral("Svenska"),
        QStringLiteral("Dansk"),     QStringLiteral("Suomi"),
        QStringLiteral("Norsk"),     QStringLiteral("日本語"),
        QStringLiteral("한국어"),    QStringLiteral("简体中文"),
        QStringLiteral("繁體中文"),  QStringLiteral("A very long language name that does not fit")};
}

class Page : public platform::MessageWindow<QWidget> {};

void Hover(QWidget& widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, {}, {});
    QApplication::sendEvent(&widget, &move);
}

}  // namespace

TEST(Gallery, IndicatorsSpinnerFramesAndPictures) {
    std::vector<std::unique_ptr<CPageIndicator>> dots;
    const std::vector<std::pair<int, int>> settings{{5, 0},  {5, 2},   {5, 5},  {11, 1},
                                                    {11, 5}, {11, 10}, {11, 11}};
    for (auto [count, current] : settings) {
        auto indicator = std::make_unique<CPageIndicator>();
        indicator->resize(200, 30);
        indicator->setCount(count);
        indicator->setCurrent(current);
        dots.push_back(std::move(indicator));
    }
    std::vector<std::unique_ptr<CLoadingStatic>> spinners;
    for (int frame = 0; frame < 8; ++frame) {
        auto busy = std::make_unique<CLoadingStatic>();
        busy->resize(300, 40);
        busy->setCaption(QStringLiteral("Searching device"));
        for (int i = 0; i < frame; ++i) {
            busy->step();
        }
        spinners.push_back(std::move(busy));
    }
    CImageBox radio;
    radio.resize(25, 25);
    ASSERT_TRUE(radio.LoadStateImage(0, 4013));
    CImageBox radioLarge;
    radioLarge.resize(40, 40);
    radioLarge.LoadStateImage(0, 4082);
    CImageBox mark;
    mark.resize(25, 25);
    mark.LoadStateImage(0, 3064);
    CGroupImageBox group;
    group.resize(160, 100);

    Shoot(QStringLiteral("indicators"), QSize(720, 560), [&](QPainter& p) {
        Note(p, QPoint(20, 24), QStringLiteral("CPageIndicator  (count / current)"));
        for (std::size_t i = 0; i < dots.size(); ++i) {
            const int y = 40 + static_cast<int>(i) * 34;
            Note(p, QPoint(20, y + 10),
                 QStringLiteral("%1 / %2").arg(settings[i].first).arg(settings[i].second));
            Put(p, *dots[i], QPoint(80, y));
        }
        Note(p, QPoint(20, 290), QStringLiteral("CLoadingStatic  frames 0 to 7"));
        for (int f = 0; f < 8; ++f) {
            const QPoint at(20 + (f % 2) * 340, 300 + (f / 2) * 46);
            Bounds(p, QRect(at, spinners[f]->size()));
            Put(p, *spinners[f], at);
        }
        Note(p, QPoint(380, 24), QStringLiteral("CImageBox  4013 at 25, 4082 at 40, 3064"));
        Put(p, radio, QPoint(380, 40));
        Put(p, radioLarge, QPoint(420, 32));
        Put(p, mark, QPoint(480, 40));
        Note(p, QPoint(380, 110), QStringLiteral("CGroupImageBox  4051"));
        Bounds(p, QRect(QPoint(380, 120), group.size()));
        Put(p, group, QPoint(380, 120));
    });
}

TEST(Gallery, ComboBoxListsScrollBarAndEdits) {
    Page page;
    page.resize(900, 640);

    auto* closed = new CApproComboBox(page.windowId(), &page);
    closed->setGeometry(20, 40, 188, 32);
    closed->setItems(Languages());
    closed->setCurrentIndex(0);
    auto* focused = new CApproComboBox(page.windowId(), &page);
    focused->setGeometry(230, 40, 188, 32);
    focused->setItems(Languages());
    focused->setCurrentIndex(21);
    auto* shortList = new CApproComboBox(page.windowId(), &page);
    shortList->setGeometry(440, 40, 188, 32);
    shortList->setItems(Languages().mid(0, 5));
    shortList->setCurrentIndex(1);
    auto* longList = new CApproComboBox(page.windowId(), &page);
    longList->setGeometry(660, 40, 188, 32);
    longList->setItems(Languages());
    longList->setCurrentIndex(12);

    auto* view = new QListWidget(&page);
    view->setGeometry(20, 420, 300, 176);
    view->setFrameShape(QFrame::NoFrame);
    for (int i = 0; i < 30; ++i) {
        auto* row = new QListWidgetItem(QStringLiteral("192.168.1.%1").arg(10 + i), view);
        row->setSizeHint(QSize(280, 44));
    }
    auto* bar = new CListCtrlVScrollbar(&page);
    bar->setGeometry(320, 420, 14, 176);
    bar->setThumbImage(3053);
    bar->attach(view);
    auto* plainBar = new CListCtrlVScrollbar(&page);
    plainBar->setGeometry(360, 420, 14, 176);
    plainBar->attach(view);

    std::vector<CMyEditCtrl2*> edits;
    for (int i = 0; i < 5; ++i) {
        auto* edit = new CMyEditCtrl2(5004 + i, &page);
        edit->setGeometry(480, 420 + i * 40, 200, 30);
        edits.push_back(edit);
    }
    edits[1]->setFramed(true);
    edits[1]->setText(QStringLiteral("admin"));
    edits[2]->setFramed(true);
    edits[2]->setText(QStringLiteral("focused"));
    edits[3]->setFramed(true);
    edits[3]->setPasswordMode(true);
    edits[3]->setText(QStringLiteral("secret"));
    edits[4]->setFramed(true);
    edits[4]->setError(true);
    edits[4]->setText(QStringLiteral("bad@"));
    edits[0]->setText(QStringLiteral("plain, frame of its own page"));
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QApplication::setActiveWindow(&page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->verticalScrollBar()->maximum() > 0; }));
    view->verticalScrollBar()->setValue(300);

    // Opens each list for its picture: the short one hovering item 3, the long one scrolled
    // with the mouse on its down area.
    auto listShot = [&](CApproComboBox& combo, const std::function<void(CComboBoxList&)>& pose) {
        combo.showList();
        CComboBoxList& list = *combo.list();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
        pose(list);
        QImage shots[2];
        for (int scale : {1, 2}) {
            QImage& shot = shots[scale - 1];
            shot = QImage(list.size() * scale, QImage::Format_ARGB32_Premultiplied);
            shot.setDevicePixelRatio(scale);
            shot.fill(Qt::transparent);
            list.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
        }
        combo.update();
        return std::make_pair(shots[0], shots[1]);
    };
    const auto shortShots = listShot(*shortList, [&](CComboBoxList& list) {
        Hover(list, list.listGeometry().itemRect(3).center());
    });
    // Rendered while open, so the box shows its open look.
    QImage shortBox[2];
    for (int scale : {1, 2}) {
        shortBox[scale - 1] =
            QImage(shortList->size() * scale, QImage::Format_ARGB32_Premultiplied);
        shortBox[scale - 1].setDevicePixelRatio(scale);
        shortBox[scale - 1].fill(Qt::white);
        shortList->render(&shortBox[scale - 1], QPoint(), QRegion(), QWidget::DrawChildren);
    }
    shortList->hideList();
    const auto longShots = listShot(*longList, [&](CComboBoxList& list) {
        list.scrollBy(6);
        Hover(list, list.listGeometry().downArea().center());
    });
    longList->hideList();
    QApplication::setActiveWindow(&page);
    focused->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused->hasFocus(); }));

    Shoot(QStringLiteral("lists"), QSize(900, 640), [&](QPainter& p) {
        Note(p, QPoint(20, 30), QStringLiteral("CApproComboBox  closed"));
        Note(p, QPoint(230, 30), QStringLiteral("focused, long text elided"));
        Note(p, QPoint(440, 30), QStringLiteral("open, hover on item 3"));
        Note(p, QPoint(660, 30), QStringLiteral("22 items, scrolled, mouse on the down area"));
        Put(p, *closed, closed->pos());
        Put(p, *focused, focused->pos());
        const bool hi = p.device()->devicePixelRatioF() > 1.0;
        p.drawImage(QRect(shortList->pos(), shortList->size()), shortBox[hi ? 1 : 0]);
        Put(p, *longList, longList->pos());
        const auto& s = hi ? shortShots.second : shortShots.first;
        const auto& l = hi ? longShots.second : longShots.first;
        p.drawImage(QRect(shortList->geometry().bottomLeft() + QPoint(0, 3),
                          s.deviceIndependentSize().toSize()),
                    s);
        p.drawImage(QRect(longList->geometry().bottomLeft() + QPoint(0, 3),
                          l.deviceIndependentSize().toSize()),
                    l);

        Note(p, QPoint(20, 410),
             QStringLiteral("CListCtrlVScrollbar  PNG 3053 thumb, plain thumb"));
        Put(p, *view, view->pos());
        Put(p, *bar, bar->pos());
        Put(p, *plainBar, plainBar->pos());

        Note(p, QPoint(480, 410),
             QStringLiteral("CMyEditCtrl2  plain, framed, focused, password, error"));
        edits[2]->setFocus();
        for (CMyEditCtrl2* edit : edits) {
            Put(p, *edit, edit->pos());
        }
        focused->setFocus();
    });
}
