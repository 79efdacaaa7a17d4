#include "controls/CListCtrlVScrollbar.h"

#include <qdrawutil.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace controls {
namespace {

constexpr int kThumbCap = 4;

}  // namespace

CListCtrlVScrollbar::Thumb CListCtrlVScrollbar::ThumbOf(int track, int minimum, int maximum,
                                                        int pageStep, int value, int minLength) {
    track = std::max(0, track);
    const int range = maximum - minimum;
    if (range <= 0) {
        return {0, track};
    }
    const double share = static_cast<double>(std::max(0, pageStep)) / (range + pageStep);
    const int length =
        std::clamp(static_cast<int>(std::lround(track * share)), std::min(minLength, track), track);
    const double at = static_cast<double>(std::clamp(value, minimum, maximum) - minimum) / range;
    return {static_cast<int>(std::lround((track - length) * at)), length};
}

int CListCtrlVScrollbar::ValueAt(int thumbTop, int track, int thumbLength, int minimum,
                                 int maximum) {
    const int travel = track - thumbLength;
    if (travel <= 0 || maximum <= minimum) {
        return minimum;
    }
    const double at = static_cast<double>(std::clamp(thumbTop, 0, travel)) / travel;
    return minimum + static_cast<int>(std::lround(at * (maximum - minimum)));
}

CListCtrlVScrollbar::Zone CListCtrlVScrollbar::ZoneAt(int y, const Thumb& thumb) {
    if (y < thumb.top) {
        return Zone::Above;
    }
    return y < thumb.top + thumb.length ? Zone::Thumb : Zone::Below;
}

CListCtrlVScrollbar::CListCtrlVScrollbar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("listScrollBar"));
}

void CListCtrlVScrollbar::attach(QAbstractScrollArea* view) {
    if (view_ != nullptr) {
        view_->verticalScrollBar()->disconnect(this);
    }
    view_ = view;
    if (view == nullptr) {
        update();
        return;
    }
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (auto* items = qobject_cast<QAbstractItemView*>(view)) {
        items->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    }
    QScrollBar* scroll = view->verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    connect(scroll, &QScrollBar::rangeChanged, this, qOverload<>(&QWidget::update));
    update();
}

void CListCtrlVScrollbar::setThumbImage(int resourceId) {
    thumbImage_ = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    update();
}

void CListCtrlVScrollbar::reset() {
    grabOffset_ = -1;
    if (QScrollBar* scroll = bar()) {
        scroll->setValue(scroll->minimum());
    }
    update();
}

QScrollBar* CListCtrlVScrollbar::bar() const {
    return view_ != nullptr ? view_->verticalScrollBar() : nullptr;
}

bool CListCtrlVScrollbar::canScroll() const {
    const QScrollBar* scroll = bar();
    return scroll != nullptr && scroll->maximum() > scroll->minimum();
}

CListCtrlVScrollbar::Thumb CListCtrlVScrollbar::thumb() const {
    const QScrollBar* scroll = bar();
    if (scroll == nullptr) {
        return {0, height()};
    }
    return ThumbOf(height(), scroll->minimum(), scroll->maximum(), scroll->pageStep(),
                   scroll->value());
}

void CListCtrlVScrollbar::mousePressEvent(QMouseEvent* event) {
    QScrollBar* scroll = bar();
    if (event->button() != Qt::LeftButton || !canScroll()) {
        return;
    }
    const Thumb current = thumb();
    const int y = event->position().toPoint().y();
    switch (ZoneAt(y, current)) {
        case Zone::Above:
            scroll->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case Zone::Below:
            scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case Zone::Thumb:
            grabOffset_ = y - current.top;
            update();
            break;
    }
}

void CListCtrlVScrollbar::mouseMoveEvent(QMouseEvent* event) {
    QScrollBar* scroll = bar();
    if (grabOffset_ < 0 || scroll == nullptr) {
        return;
    }
    const Thumb current = thumb();
    const int top = event->position().toPoint().y() - grabOffset_;
    scroll->setValue(ValueAt(top, height(), current.length, scroll->minimum(), scroll->maximum()));
}

void CListCtrlVScrollbar::mouseReleaseEvent(QMouseEvent*) {
    grabOffset_ = -1;
    update();
}

void CListCtrlVScrollbar::wheelEvent(QWheelEvent* event) {
    if (view_ != nullptr) {
        QApplication::sendEvent(view_->viewport(), event);
    }
}

void CListCtrlVScrollbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Track and plain thumb share the slim middle of the control, as the thumb picture does.
    const qreal slim = std::min<qreal>(kSlimWidth, width());
    const qreal left = (width() - slim) / 2.0;
    const qreal round = slim / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTrack);
    painter.drawRoundedRect(QRectF(left, 0, slim, height()), round, round);
    if (!canScroll()) {
        return;
    }
    const Thumb current = thumb();
    if (!thumbImage_.isNull()) {
        // Only the middle stretches, so the rounded ends keep their shape on a short thumb.
        qDrawBorderPixmap(&painter, QRect(0, current.top, width(), current.length),
                          QMargins(0, kThumbCap, 0, kThumbCap),
                          QPixmap::fromImage(thumbImage_.image(painter)));
        return;
    }
    painter.setBrush(grabOffset_ >= 0 ? kThumbActive : kThumb);
    painter.drawRoundedRect(QRectF(left, current.top, slim, current.length), round, round);
}
}  // namespace controls
