#include "controls/CRowList.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace controls {

QRect ColumnRectOf(std::span<const int> widths, int column, int height) {
    if (column < 0 || column >= static_cast<int>(widths.size())) {
        return {};
    }
    int left = 0;
    for (int c = 0; c < column; ++c) {
        left += widths[static_cast<size_t>(c)];
    }
    return {left, 0, widths[static_cast<size_t>(column)], height};
}

CRowList::CRowList(QWidget* parent, int rowHeight, int thumbId)
    : MessageWindow<QWidget>(parent), body_(new QAbstractScrollArea(this)), rowHeight_(rowHeight) {
    setFocusPolicy(Qt::StrongFocus);
    body_->setObjectName(QStringLiteral("rows"));
    body_->setFrameShape(QFrame::NoFrame);
    body_->setFocusPolicy(Qt::NoFocus);
    body_->verticalScrollBar()->setSingleStep(rowHeight_);
    QWidget* rows = body_->viewport();
    rows->setAttribute(Qt::WA_OpaquePaintEvent);
    rows->setMouseTracking(true);
    rows->installEventFilter(this);

    // Beside the list, not on it: the page gives it its own place.
    scrollBar_ = new CListCtrlVScrollbar(parent != nullptr ? parent : this);
    scrollBar_->setThumbImage(thumbId);
    scrollBar_->attach(body_);
}

CRowList::~CRowList() {
    if (scrollBar_ != nullptr && scrollBar_->parent() != this) {
        delete scrollBar_.data();
    }
}

void CRowList::setHeader(QWidget* header, int headerHeight) {
    header_ = header;
    headerHeight_ = headerHeight;
    header_->setGeometry(0, 0, width(), headerHeight_);
    body_->setGeometry(0, headerHeight_, width(), std::max(0, height() - headerHeight_));
}

QWidget* CRowList::viewport() const {
    return body_->viewport();
}

int CRowList::scrollOffset() const {
    return body_->verticalScrollBar()->value();
}

QRect CRowList::rowsGeometry() const {
    return body_->geometry();
}

void CRowList::scrollToRow(int row) {
    QScrollBar* bar = body_->verticalScrollBar();
    const int top = row * rowHeight_;
    const int shown = body_->height();
    if (top < bar->value()) {
        bar->setValue(top);
    } else if (top + rowHeight_ > bar->value() + shown) {
        bar->setValue(top + rowHeight_ - shown);
    }
}

int CRowList::rowAt(QPoint point) const {
    const QRect rows = body_->geometry();
    if (!rows.contains(point)) {
        return -1;
    }
    const int row = (point.y() - rows.top() + scrollOffset()) / rowHeight_;
    return row < rowCount() ? row : -1;
}

bool CRowList::isRowShown(int row) const {
    return body_->geometry().intersects(rowRect(row));
}

void CRowList::updateScrollRange() {
    QScrollBar* bar = body_->verticalScrollBar();
    const int shown = body_->height();
    bar->setRange(0, std::max(0, rowCount() * rowHeight_ - shown));
    bar->setPageStep(shown);
}

void CRowList::resetScroll() {
    updateScrollRange();
    scrollBar_->reset();
}

void CRowList::rowsChanged(bool toTop) {
    if (toTop) {
        resetScroll();
    } else {
        updateScrollRange();
    }
    viewport()->update();
    QAccessibleEvent changed(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&changed);
}

void CRowList::placeScrollBar() {
    if (scrollBar_->parent() == this) {
        scrollBar_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    } else {
        scrollBar_->setGeometry(x() + width(), y(), kScrollBarWidth, height());
    }
}

void CRowList::resizeEvent(QResizeEvent*) {
    if (header_ != nullptr) {
        header_->setGeometry(0, 0, width(), headerHeight_);
    }
    body_->setGeometry(0, headerHeight_, width(), std::max(0, height() - headerHeight_));
    updateScrollRange();
    placeScrollBar();
}

void CRowList::moveEvent(QMoveEvent*) {
    placeScrollBar();
}

void CRowList::showEvent(QShowEvent*) {
    if (scrollBar_->parent() != this) {
        scrollBar_->show();
    }
}

void CRowList::hideEvent(QHideEvent*) {
    // Hidden itself, not with its parent: the bar beside it goes too.
    if (isHidden() && scrollBar_->parent() != this) {
        scrollBar_->hide();
    }
}

void CRowList::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    viewport()->update();
}

void CRowList::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    viewport()->update();
}

bool CRowList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport()) {
        return MessageWindow<QWidget>::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::Paint:
            paintRows(*viewport());
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto& mouse = static_cast<QMouseEvent&>(*event);
            rowsMouse(mouse, mouse.position().toPoint() + body_->pos() + viewport()->pos());
            return event->type() != QEvent::MouseMove;
        }
        default:
            return false;
    }
}

}  // namespace controls
