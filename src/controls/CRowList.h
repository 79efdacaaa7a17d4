#pragma once

#include <QPointer>

#include <QRect>
#include <QWidget>
#include <span>

#include "controls/AccessibleRows.h"
#include "controls/CListCtrlVScrollbar.h"
#include "platform/MessageWindow.h"

class QAbstractScrollArea;
class QMouseEvent;

namespace controls {

// Column `column` of a header whose columns are `widths` wide from x 0, `height` tall; empty
// outside them.
QRect ColumnRectOf(std::span<const int> widths, int column, int height);

// What the wizard's self-painted lists share: a header over rows of one height that scroll
// under it, and the slim scroll bar, which stands beside the list in the list's parent (right
// of it, as tall as it, following it when it moves or resizes). Subclasses paint the rows and
// take the mouse over them.
class CRowList : public platform::MessageWindow<QWidget>, public AccessibleRows {
    Q_OBJECT
public:
    static constexpr int kScrollBarWidth = 14;

    // The bar's thumb is `thumbId`.
    CRowList(QWidget* parent, int rowHeight, int thumbId);
    ~CRowList() override;

    CListCtrlVScrollbar* scrollBar() const { return scrollBar_; }
    // Where the rows are drawn and clicked.
    QWidget* viewport() const;
    // Scrolls as little as needed for `row` to show whole.
    void scrollToRow(int row);

    // The row under a point of the list, -1 for none.
    int rowAt(QPoint point) const override;
    bool isRowShown(int row) const override;

protected:
    // The list's own header, `headerHeight` tall above the rows.
    void setHeader(QWidget* header, int headerHeight);
    int rowHeight() const { return rowHeight_; }
    int scrollOffset() const;
    // Where the rows' area sits in the list.
    QRect rowsGeometry() const;
    // After rows came or went.
    void updateScrollRange();
    // Back to the top, with the range of the rows there are now.
    void resetScroll();
    // Rows came or went: the range (and, with `toTop`, the position), the picture and the
    // screen readers follow.
    void rowsChanged(bool toTop);

    virtual void paintRows(QWidget& viewport) = 0;
    // Presses, double clicks and moves over the rows, at `at` in the list's coordinates.
    virtual void rowsMouse(QMouseEvent& event, QPoint at) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void placeScrollBar();

    QWidget* header_ = nullptr;
    QAbstractScrollArea* body_;
    QPointer<CListCtrlVScrollbar> scrollBar_;
    int headerHeight_ = 0;
    int rowHeight_;
};

}  // namespace controls
