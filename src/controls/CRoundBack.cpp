#include "controls/CRoundBack.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {

CRoundBack::CRoundBack(QWidget* parent) : QWidget(parent) {}

void CRoundBack::setFillColor(const QColor& color) {
    fill_ = color;
    update();
}

void CRoundBack::setOutline(qreal radius, const QColor& pen, qreal penWidth) {
    radius_ = radius;
    pen_ = pen;
    penWidth_ = penWidth;
    update();
}

void CRoundBack::setCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleName(caption);
    update();
}

void CRoundBack::setCaptionColor(const QColor& color) {
    captionColor_ = color;
    update();
}

void CRoundBack::setCaptionFont(int pixelSize, bool bold, const QString& family) {
    captionSize_ = pixelSize;
    captionBold_ = bold;
    captionFamily_ = family;
    update();
}

void CRoundBack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal half = penWidth_ / 2;
    const QRectF box = QRectF(rect()).adjusted(half, half, -half, -half);
    // The fill keeps to the outline so the corners show the page, not a square.
    painter.setBrush(fill_);
    painter.setPen(penWidth_ > 0 ? QPen(pen_, penWidth_) : QPen(Qt::NoPen));
    painter.drawRoundedRect(box, radius_, radius_);
    if (!caption_.isEmpty()) {
        painter.setFont(UiFont(captionSize_, captionBold_, captionFamily_));
        painter.setPen(captionColor_);
        painter.drawText(rect().adjusted(kCaptionInset, 0, -kCaptionInset, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
    }
}

}  // namespace controls
