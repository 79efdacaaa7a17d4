#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include "platform/WindowMessage.h"
#include "shell/Messages.h"

namespace controls {

// The drop-down list of CApproComboBox: a pop-up that posts 1129 (WM_USER+105) with the chosen
// index to the window it was made for.
class CComboBoxList : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint32_t kItemChosen = msg::kLanguageChosen;  // 1129
    static constexpr int kTimerPeriodMs = 200;
    static constexpr QColor kText{50, 50, 50};
    static constexpr QColor kBorder{200, 200, 200};
    static constexpr QColor kHighlight{221, 241, 248};
    static constexpr int kCornerRadius = 6;

    // Where the mouse is over the list.
    struct Hit {
        enum Kind { None, Up, Down, Item };
        Kind kind = None;
        int index = -1;  // the item, for Item
    };

    // The list's geometry, from its item count and scroll position alone.
    struct Geometry {
        int width = 0;
        int itemCount = 0;
        int maxRows = 8;
        int firstRow = 0;
        int itemHeight = 30;
        int scrollAreaHeight = 18;
        int padding = 3;  // between the border and the first or last row

        int visibleRows() const;
        bool hasScrollAreas() const { return itemCount > maxRows; }
        int lastFirstRow() const;
        QSize size() const;
        QRect upArea() const;             // empty without scroll areas
        QRect downArea() const;           // empty without scroll areas
        QRect itemRect(int index) const;  // empty when the item is scrolled away
        Hit hitTest(const QPoint& point) const;
        // The first row that keeps `index` in view with the least scrolling.
        int firstRowShowing(int index) const;
    };

    explicit CComboBoxList(platform::WindowId notify, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const { return items_; }
    void setItemFont(const QFont& font);
    void setItemHeight(int height);
    void setMaxVisibleItems(int rows);

    // Opens below `globalTopLeft`, `width` wide, with `current` highlighted and in view.
    void popup(const QPoint& globalTopLeft, int width, int current);

    int highlighted() const { return highlighted_; }
    int firstRow() const { return geometry_.firstRow; }
    const Geometry& listGeometry() const { return geometry_; }
    bool isTimerRunning() const { return timer_.isActive(); }

    void scrollBy(int rows);
    // Posts the choice, tells the combo box and closes.
    void choose(int index);
    // One 200 ms step: keeps scrolling while the mouse rests on a scroll area.
    void timerStep();

signals:
    void chosen(int index);
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void setGeometryRows();
    void track(const QPoint& point);
    void drawArrow(QPainter& painter, const QRect& area, bool up, bool enabled) const;

    platform::WindowId notify_;
    QStringList items_;
    QFont font_;
    Geometry geometry_;
    Hit::Kind hoverArea_ = Hit::None;
    int highlighted_ = -1;
    int pressed_ = -1;
    QBasicTimer timer_;
};

}  // namespace controls
