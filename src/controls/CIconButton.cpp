#include "controls/CIconButton.h"

#include <QPainter>

namespace controls {
namespace {

constexpr QColor kGlyph(120, 120, 120);
constexpr QColor kHoverPlate(232, 236, 239);
constexpr QColor kCloseHoverPlate(223, 4, 15);

}  // namespace

CIconButton::CIconButton(int controlId, Glyph glyph, QWidget* parent)
    : CStateButton(controlId, parent), glyph_(glyph) {
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(glyph == Glyph::Close ? QStringLiteral("Close") : QStringLiteral("Minimise"));
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
