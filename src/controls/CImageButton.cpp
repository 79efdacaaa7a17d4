#include "controls/CImageButton.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr int kCaptionSize = 14;

}  // namespace

CImageButton::CImageButton(int controlId, QWidget* parent)
    : CStateButton(controlId, parent), idValue_(controlId) {
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (const platform::WindowId target = messageTarget()) {
            platform::PostMessage(target, kClickMessage, idValue_);
        }
    });
}

void CImageButton::setBackgroundColor(const QColor& color) {
    background_ = color;
    update();
}

void CImageButton::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(rect(), background_);
    }
    CStateButton::paintEvent(event);
}

void CImageButton::drawFace(QPainter& painter, int) {
    drawSlot(painter, 1);
}

QFont CImageButton::captionFont() const {
    return UiFont(kCaptionSize, true);
}

}  // namespace controls
