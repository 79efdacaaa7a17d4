#include "controls/CComboBoxList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

#include "controls/Fonts.h"
#include "shell/WindowShape.h"

namespace controls {
namespace {

constexpr int kTextInset = 12;
constexpr QColor kArrow(120, 120, 120);
constexpr QColor kArrowDisabled(215, 215, 215);
constexpr QColor kArrowHover(42, 169, 209);
constexpr int kItemTextSize = 16;

}  // namespace

int CComboBoxList::Geometry::visibleRows() const {
    return std::clamp(itemCount, 0, std::max(1, maxRows));
}

int CComboBoxList::Geometry::lastFirstRow() const {
    return std::max(0, itemCount - visibleRows());
}

QSize CComboBoxList::Geometry::size() const {
    const int areas = hasScrollAreas() ? 2 * scrollAreaHeight : 0;
    return QSize(width, 2 * padding + areas + visibleRows() * itemHeight);
}

QRect CComboBoxList::Geometry::upArea() const {
    if (!hasScrollAreas()) {
        return {};
    }
    return QRect(0, padding, width, scrollAreaHeight);
}

QRect CComboBoxList::Geometry::downArea() const {
    if (!hasScrollAreas()) {
        return {};
    }
    return QRect(0, size().height() - padding - scrollAreaHeight, width, scrollAreaHeight);
}

QRect CComboBoxList::Geometry::itemRect(int index) const {
    const int row = index - firstRow;
    if (index < 0 || index >= itemCount || row < 0 || row >= visibleRows()) {
        return {};
    }
    const int top = padding + (hasScrollAreas() ? scrollAreaHeight : 0) + row * itemHeight;
    return QRect(0, top, width, itemHeight);
}

CComboBoxList::Hit CComboBoxList::Geometry::hitTest(const QPoint& point) const {
    if (!QRect(QPoint(0, 0), size()).contains(point)) {
        return {};
    }
    if (upArea().contains(point)) {
        return {Hit::Up, -1};
    }
    if (downArea().contains(point)) {
        return {Hit::Down, -1};
    }
    const int top = padding + (hasScrollAreas() ? scrollAreaHeight : 0);
    if (point.y() < top || itemHeight <= 0) {
        return {};
    }
    const int row = (point.y() - top) / itemHeight;
    if (row >= visibleRows()) {
        return {};
    }
    return {Hit::Item, firstRow + row};
}

int CComboBoxList::Geometry::firstRowShowing(int index) const {
    if (index < 0 || index >= itemCount) {
        return std::clamp(firstRow, 0, lastFirstRow());
    }
    int first = firstRow;
    if (index < first) {
        first = index;
    } else if (index >= first + visibleRows()) {
        first = index - visibleRows() + 1;
    }
    return std::clamp(first, 0, lastFirstRow());
}

CComboBoxList::CComboBoxList(platform::WindowId notify, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      notify_(notify),
      font_(UiFont(kItemTextSize, false, QStringLiteral("Arial"))) {
    setObjectName(QStringLiteral("comboBoxList"));
    setAttribute(Qt::WA_TranslucentBackground);
    // A click on the combo box that closes the list must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CComboBoxList::setItems(const QStringList& items) {
    items_ = items;
    geometry_.itemCount = static_cast<int>(items.size());
    highlighted_ = -1;
    setGeometryRows();
}

void CComboBoxList::setItemFont(const QFont& font) {
    font_ = font;
    update();
}

void CComboBoxList::setItemHeight(int height) {
    geometry_.itemHeight = std::max(1, height);
    setGeometryRows();
}

void CComboBoxList::setMaxVisibleItems(int rows) {
    geometry_.maxRows = std::max(1, rows);
    setGeometryRows();
}

void CComboBoxList::setGeometryRows() {
    geometry_.firstRow = std::clamp(geometry_.firstRow, 0, geometry_.lastFirstRow());
    resize(geometry_.size());
    // Without a compositor the corners outside the rounded frame would show black.
    setMask(shape::RoundedRegion(size(), 2 * kCornerRadius));
    update();
}

void CComboBoxList::popup(const QPoint& globalTopLeft, int width, int current) {
    geometry_.width = width;
    highlighted_ = current >= 0 && current < geometry_.itemCount ? current : -1;
    geometry_.firstRow = 0;
    geometry_.firstRow = geometry_.firstRowShowing(highlighted_);
    hoverArea_ = Hit::None;
    setGeometryRows();
    move(globalTopLeft);
    show();
    setFocus(Qt::PopupFocusReason);
}

void CComboBoxList::scrollBy(int rows) {
    const int first = std::clamp(geometry_.firstRow + rows, 0, geometry_.lastFirstRow());
    if (first != geometry_.firstRow) {
        geometry_.firstRow = first;
        update();
    }
}

void CComboBoxList::choose(int index) {
    if (index < 0 || index >= geometry_.itemCount) {
        return;
    }
    platform::PostMessage(notify_, kItemChosen, index);
    emit chosen(index);
    hide();
}

void CComboBoxList::timerStep() {
    if (hoverArea_ == Hit::Up) {
        scrollBy(-1);
    } else if (hoverArea_ == Hit::Down) {
        scrollBy(1);
    }
}

void CComboBoxList::track(const QPoint& point) {
    const Hit hit = geometry_.hitTest(point);
    const Hit::Kind area = hit.kind == Hit::Up || hit.kind == Hit::Down ? hit.kind : Hit::None;
    if (area != hoverArea_) {
        hoverArea_ = area;
        update();
    }
    setCursor(hit.kind == Hit::Item ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (hit.kind == Hit::Item && hit.index != highlighted_) {
        highlighted_ = hit.index;
        update();
    }
}

void CComboBoxList::mouseMoveEvent(QMouseEvent* event) {
    track(event->position().toPoint());
}

void CComboBoxList::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (!rect().contains(point)) {
        QWidget::mousePressEvent(event);  // outside: the pop-up closes
        return;
    }
    const Hit hit = geometry_.hitTest(point);
    pressed_ = hit.kind == Hit::Item ? hit.index : -1;
    if (hit.kind == Hit::Up) {
        scrollBy(-1);
    } else if (hit.kind == Hit::Down) {
        scrollBy(1);
    }
}

void CComboBoxList::mouseReleaseEvent(QMouseEvent* event) {
    const Hit hit = geometry_.hitTest(event->position().toPoint());
    const int pressed = std::exchange(pressed_, -1);
    if (hit.kind == Hit::Item && hit.index == pressed) {
        choose(hit.index);
    }
}

void CComboBoxList::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    scrollBy(-steps);
    track(event->position().toPoint());
}

void CComboBoxList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int step = event->key() == Qt::Key_Up ? -1 : 1;
            const int from =
                highlighted_ < 0 ? (step > 0 ? -1 : geometry_.itemCount) : highlighted_;
            highlighted_ = std::clamp(from + step, 0, std::max(0, geometry_.itemCount - 1));
            geometry_.firstRow = geometry_.firstRowShowing(highlighted_);
            update();
            break;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose(highlighted_);
            break;
        case Qt::Key_Escape:
            hide();
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CComboBoxList::leaveEvent(QEvent* event) {
    hoverArea_ = Hit::None;
    update();
    QWidget::leaveEvent(event);
}

void CComboBoxList::showEvent(QShowEvent* event) {
    timer_.start(kTimerPeriodMs, this);
    QWidget::showEvent(event);
}

void CComboBoxList::hideEvent(QHideEvent* event) {
    timer_.stop();
    hoverArea_ = Hit::None;
    pressed_ = -1;
    QWidget::hideEvent(event);
    emit closed();
}

void CComboBoxList::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        timerStep();
        return;
    }
    QWidget::timerEvent(event);
}

void CComboBoxList::drawArrow(QPainter& painter, const QRect& area, bool up, bool enabled) const {
    const bool hovered = enabled && hoverArea_ == (up ? Hit::Up : Hit::Down);
    const QPointF c = QRectF(area).center();
    const qreal half = 5.0;
    const qreal rise = up ? -3.0 : 3.0;
    QPainterPath path;
    path.moveTo(c.x() - half, c.y() - rise);
    path.lineTo(c.x(), c.y() + rise);
    path.lineTo(c.x() + half, c.y() - rise);
    painter.setBrush(Qt::NoBrush);
    const QColor colour = hovered ? kArrowHover : (enabled ? kArrow : kArrowDisabled);
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

void CComboBoxList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(frame, kCornerRadius, kCornerRadius);
    painter.fillPath(outline, Qt::white);

    // Highlights stay inside the rounded outline.
    painter.save();
    painter.setClipPath(outline);
    painter.setFont(font_);
    const QFontMetrics metrics(font_);
    const int last = std::min(geometry_.itemCount, geometry_.firstRow + geometry_.visibleRows());
    for (int i = geometry_.firstRow; i < last; ++i) {
        const QRect item = geometry_.itemRect(i);
        if (i == highlighted_) {
            painter.fillRect(item.adjusted(1, 0, -1, 0), kHighlight);
        }
        const QRect textRect = item.adjusted(kTextInset, 0, -kTextInset, 0);
        painter.setPen(kText);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(items_[i], Qt::ElideRight, textRect.width()));
    }
    painter.restore();

    if (geometry_.hasScrollAreas()) {
        drawArrow(painter, geometry_.upArea(), true, geometry_.firstRow > 0);
        drawArrow(painter, geometry_.downArea(), false,
                  geometry_.firstRow < geometry_.lastFirstRow());
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kBorder, 1.0));
    painter.drawPath(outline);
}

}  // namespace controls
