#include "controls/CApproStatic2.h"

#include <QPaintEngine>
#include <QPainter>

namespace controls {

CApproStatic2::CApproStatic2(QWidget* parent) : CApproStatic(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CApproStatic2::captureBackground(qreal ratio) {
    background_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    background_.setDevicePixelRatio(ratio);
    background_.fill(Qt::white);
    if (QWidget* page = parentWidget()) {
        // The page's own drawing only: siblings and this label are not part of the background.
        page->render(&background_, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
}

void CApproStatic2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The ratio of the device really painted on (a 2x render or grab), not the screen's.
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    if (background_.isNull() || background_.devicePixelRatio() != ratio ||
        background_.size() != size() * ratio) {
        captureBackground(ratio);
    }
    painter.drawImage(QPoint(), background_);
    drawTexts(painter);
}

}  // namespace controls
