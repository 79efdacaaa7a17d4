#include "controls/CApproButton.h"

#include <QLinearGradient>
#include <QPainter>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr QColor kTop(51, 139, 194);
constexpr QColor kBottom(0, 88, 143);
constexpr QColor kDisabled(190, 196, 200);
constexpr qreal kRadius = 4.0;

}  // namespace

CApproButton::CApproButton(int controlId, QWidget* parent) : CStateButton(controlId, parent) {
    setFont(UiFont(14, true));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void CApproButton::setCaptionFont(const QFont& font) {
    setFont(font);
    update();
}

int CApproButton::captionWidth(int padding) const {
    return fontMetrics().horizontalAdvance(text()) + padding;
}

QSize CApproButton::sizeHint() const {
    return {captionWidth(40), 43};
}

void CApproButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    switch (state()) {
        case 0:
            fill.setColorAt(0, kDisabled);
            fill.setColorAt(1, kDisabled.darker(110));
            break;
        case 2:
            fill.setColorAt(0, kBottom);
            fill.setColorAt(1, kTop.darker(115));
            break;
        case 3:
            fill.setColorAt(0, kTop.lighter(112));
            fill.setColorAt(1, kBottom.lighter(118));
            break;
        default:
            fill.setColorAt(0, kTop);
            fill.setColorAt(1, kBottom);
            break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, kRadius, kRadius);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 255, 150), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(3, 3, -3, -3), kRadius, kRadius);
    }
    painter.setPen(captionColor_);
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace controls
