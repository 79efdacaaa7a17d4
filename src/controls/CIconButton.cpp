#include "controls/CIconButton.h"

#include <QPainter>

namespace controls {
namespace {

constexpr QColor kGlyph(120, 120, 120);
constexpr QColor kHoverPlate(232, 236, 239);
constexpr QColor kCloseHoverPlate(223, 4, 15);

}  // namespace

CIconButton::CIconButton(int controlId, Glyph glyph, QWidget* parent)
    : QAbstractButton(parent), controlId_(controlId), glyph_(glyph) {
    setObjectName(QStringLiteral("id%1").arg(controlId));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setAccessibleName(glyph == Glyph::Close ? QStringLiteral("Close") : QStringLiteral("Minimise"));
}

int CIconButton::state() const {
    if (!isEnabled()) {
        return 0;
    }
    if (isDown()) {
        return 2;
    }
    return hovered_ ? 3 : 1;
}

void CIconButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CIconButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int s = state();
    QColor glyph = kGlyph;
    if (s == 2 || s == 3) {
        painter.fillRect(rect(), glyph_ == Glyph::Close ? kCloseHoverPlate : kHoverPlate);
        if (glyph_ == Glyph::Close) {
            glyph = Qt::white;
        }
    }
    painter.setPen(QPen(glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = QRectF(rect()).center();
    if (glyph_ == Glyph::Minimise) {
        painter.drawLine(QPointF(c.x() - 5, c.y() + 3), QPointF(c.x() + 5, c.y() + 3));
    } else {
        painter.drawLine(QPointF(c.x() - 5, c.y() - 5), QPointF(c.x() + 5, c.y() + 5));
        painter.drawLine(QPointF(c.x() + 5, c.y() - 5), QPointF(c.x() - 5, c.y() + 5));
    }
}

}  // namespace controls
