#include "controls/CApproButton4.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr qreal kPressedOpacity = 0.5;

}  // namespace

CApproButton4::CApproButton4(int controlId, QWidget* parent) : CStateButton(controlId, parent) {}

void CApproButton4::setCaptionSize(int pixelSize) {
    captionSize_ = pixelSize;
    update();
}

void CApproButton4::drawFace(QPainter& painter, int state) {
    switch (state) {
        case 0:
            drawSlot(painter, 0);
            break;
        case 2:
            drawSlot(painter, 1, kPressedOpacity);
            break;
        default:
            drawSlot(painter, 1);
            break;
    }
}

QFont CApproButton4::captionFont() const {
    return UiFont(captionSize_, true);
}

}  // namespace controls
