#include "controls/CStateButton.h"

namespace controls {

CStateButton::CStateButton(int controlId, QWidget* parent)
    : QAbstractButton(parent), controlId_(controlId) {
    setObjectName(QStringLiteral("id%1").arg(controlId));
    setAttribute(Qt::WA_Hover);
}

int CStateButton::state() const {
    if (!isEnabled()) {
        return 0;
    }
    if (isDown() || isChecked()) {
        return 2;
    }
    return hovered_ ? 3 : 1;
}

void CStateButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CStateButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace controls
