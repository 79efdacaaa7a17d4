#include "controls/CApproButton2.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {

CApproButton2::CApproButton2(int controlId, QWidget* parent) : CStateButton(controlId, parent) {}

void CApproButton2::drawFace(QPainter& painter, int state) {
    if (state == 3) {
        drawSlot(painter, 3);
        drawSlot(painter, 1);
    } else {
        drawSlot(painter, state);
    }
}

QFont CApproButton2::captionFont() const {
    return UiFont(kCaptionSize, true);
}

}  // namespace controls
