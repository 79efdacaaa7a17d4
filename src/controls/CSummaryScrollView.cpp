#include "controls/CSummaryScrollView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/Fonts.h"
#include "controls/ResourcePicture.h"

namespace controls {
namespace {

constexpr int kMarkerLeft = 5;
constexpr int kMarkerTop = 15;
constexpr int kMarkerHeight = 10;
constexpr int kMarkerLines = 5;
constexpr int kTextLeft = 15;
constexpr int kTextTop = 10;
constexpr int kTextWidth = 230;
constexpr qreal kBarCornerRadius = 3;  // corners 6 px across
const QString kFamily = QStringLiteral("Verdana");

}  // namespace

QRect CSummaryScrollView::TextRect(int index) {
    const int column = index / kRows;
    const int row = index % kRows;
    return QRect(column * kColumnWidth + kTextLeft, row * kRowHeight + kTextTop, kTextWidth,
                 kRowHeight);
}

QRect CSummaryScrollView::MarkerLine(int index, int k) {
    const int column = index / kRows;
    const int row = index % kRows;
    return QRect(column * kColumnWidth + kMarkerLeft + k, row * kRowHeight + kMarkerTop + k, 1,
                 kMarkerHeight - 2 * k);
}

int CSummaryScrollView::SourceX(int viewWidth, float scrollFraction) {
    return static_cast<int>(static_cast<float>(kContentWidth - viewWidth) * scrollFraction);
}

CSummaryScrollView::CSummaryScrollView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void CSummaryScrollView::setItems(const QStringList& items) {
    items_ = items;
    renderGrid(devicePixelRatio());
    updateAccessibleName();
    update();
}

void CSummaryScrollView::setCaption(const QString& caption) {
    caption_ = caption;
    updateAccessibleName();
}

void CSummaryScrollView::updateAccessibleName() {
    const QString names = items_.join(QStringLiteral(", "));
    setAccessibleName(caption_.isEmpty() || names.isEmpty()
                          ? caption_ + names
                          : caption_ + QStringLiteral(": ") + names);
}

void CSummaryScrollView::renderGrid(qreal ratio) {
    grid_ = QImage(QSize(kContentWidth, viewHeight()) * ratio, QImage::Format_RGB32);
    grid_.setDevicePixelRatio(ratio);
    grid_.fill(Qt::white);
    QPainter painter(&grid_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(UiFont(kTextSize, false, kFamily));
    painter.setPen(kTextColour);
    // Names from the tenth on would start past the grid's right edge.
    const int drawn = std::min(static_cast<int>(items_.size()), kRows * kColumns);
    for (int i = 0; i < drawn; ++i) {
        for (int k = 0; k < kMarkerLines; ++k) {
            painter.fillRect(MarkerLine(i, k), kMarkerColour);
        }
        painter.drawText(TextRect(i), Qt::AlignLeft | Qt::AlignTop, items_[i]);
    }
    ++gridRenders_;
}

void CSummaryScrollView::placeThumb(int left) {
    thumbRect_.moveLeft(std::clamp(left, 0, std::max(0, travel())));
    scrollFraction_ =
        travel() > 0 ? static_cast<float>(thumbRect_.left()) / static_cast<float>(travel()) : 0.0f;
    update();
}

void CSummaryScrollView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const float fraction = scrollFraction_;
    thumbRect_ = QRect(0, height() - kBarHeight, width() / 2, kBarHeight);
    // A new height makes the grid be drawn again at the next paint.
    placeThumb(static_cast<int>(fraction * static_cast<float>(travel())));
}

void CSummaryScrollView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = ResourcePicture::DeviceRatioOf(painter);
    const QSize wanted = QSize(kContentWidth, viewHeight()) * ratio;
    if (grid_.isNull() || grid_.devicePixelRatio() != ratio || grid_.size() != wanted) {
        renderGrid(ratio);
    }
    const QRectF shown(0, 0, width(), viewHeight());
    painter.drawImage(shown, grid_,
                      QRectF(sourceX() * ratio, 0, shown.width() * ratio, shown.height() * ratio));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTrackColour);
    painter.drawRoundedRect(QRectF(0, height() - kBarHeight, width(), kBarHeight), kBarCornerRadius,
                            kBarCornerRadius);
    painter.setBrush(hasFocus() ? kFocusedThumbColour : kThumbColour);
    painter.drawRoundedRect(QRectF(thumbRect_), kBarCornerRadius, kBarCornerRadius);
}

void CSummaryScrollView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && thumbRect_.contains(event->position().toPoint())) {
        dragging_ = true;
        lastX_ = event->position().toPoint().x();
    }
    // The strip keeps its presses: they never drag the wizard.
    event->accept();
}

void CSummaryScrollView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    setCursor(Qt::PointingHandCursor);
    const int x = event->position().toPoint().x();
    placeThumb(thumbRect_.left() + x - lastX_);
    lastX_ = x;
}

void CSummaryScrollView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        unsetCursor();
    }
}

void CSummaryScrollView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            placeThumb(thumbRect_.left() - kKeyStep);
            return;
        case Qt::Key_Right:
            placeThumb(thumbRect_.left() + kKeyStep);
            return;
        case Qt::Key_Home:
            placeThumb(0);
            return;
        case Qt::Key_End:
            placeThumb(travel());
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CSummaryScrollView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CSummaryScrollView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace controls
