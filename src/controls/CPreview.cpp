#include "controls/CPreview.h"

#include <QPainter>

namespace controls {

CPreview::CPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("id%1").arg(kId));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CPreview::setFrame(const QImage& frame) {
    frame_ = frame;
    ++frames_;
    update();
}

void CPreview::paintEvent(QPaintEvent*) {
    if (frame_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), frame_);
}

}  // namespace controls
