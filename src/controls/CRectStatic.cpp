#include "controls/CRectStatic.h"

#include <QPainter>

namespace controls {

CRectStatic::CRectStatic(QWidget* parent) : QWidget(parent) {}

void CRectStatic::setFrameColor(const QColor& color) {
    frame_ = color;
    update();
}

void CRectStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(frame_, kPenWidth));
    painter.setBrush(Qt::NoBrush);
    // The pen straddles the path: inset by half its width so both pixels fall inside.
    const qreal half = kPenWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), kRadius, kRadius);
}

}  // namespace controls
