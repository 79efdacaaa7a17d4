#include "controls/CIconButton.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr qreal kPressedOpacity = 0.6;
constexpr QColor kGlyph(120, 120, 120);
constexpr QColor kHoverPlate(232, 236, 239);
constexpr QColor kCloseHoverPlate(223, 4, 15);
constexpr qreal kGlyphPen = 1.6;
constexpr qreal kGlyphHalf = 5.0;

}  // namespace

CIconButton::CIconButton(int controlId, QWidget* parent) : CStateButton(controlId, parent) {}

CIconButton::CIconButton(int controlId, Glyph glyph, QWidget* parent)
    : CStateButton(controlId, parent), glyph_(glyph) {
    if (glyph == Glyph::Close) {
        setAccessibleName(QStringLiteral("Close"));
    } else if (glyph == Glyph::Minimise) {
        setAccessibleName(QStringLiteral("Minimise"));
    }
}

bool CIconButton::LoadIconImage(int resourceId) {
    icon_ = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    update();
    return !icon_.isNull();
}

void CIconButton::setIconImage(const QImage& image) {
    icon_ = ResourcePicture(image);
    update();
}

void CIconButton::drawFace(QPainter& painter, int state) {
    if (stateImage(state).isNull()) {
        drawGlyph(painter, state);
    } else {
        drawSlot(painter, state, state == 2 ? kPressedOpacity : 1.0);
    }
    if (!icon_.isNull()) {
        const QRectF box(kIconLeft, (height() - kIconSize) / 2.0, kIconSize, kIconSize);
        painter.drawImage(box, icon_.image(painter));
    }
}

void CIconButton::drawCaption(QPainter& painter) {
    if (icon_.isNull() || text().isEmpty()) {
        CStateButton::drawCaption(painter);
        return;
    }
    painter.setFont(captionFont());
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(kIconLeft + kIconSize, 0, 0, 0),
                     Qt::AlignCenter | Qt::TextSingleLine, text());
}

void CIconButton::drawGlyph(QPainter& painter, int state) {
    if (glyph_ == Glyph::None) {
        return;
    }
    QColor pen = kGlyph;
    if (state == 2 || state == 3) {
        painter.fillRect(rect(), glyph_ == Glyph::Close ? kCloseHoverPlate : kHoverPlate);
        if (glyph_ == Glyph::Close) {
            pen = Qt::white;
        }
    }
    painter.setPen(QPen(pen, kGlyphPen, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = QRectF(rect()).center();
    const qreal h = kGlyphHalf;
    if (glyph_ == Glyph::Minimise) {
        painter.drawLine(QPointF(c.x() - h, c.y() + 3), QPointF(c.x() + h, c.y() + 3));
    } else {
        painter.drawLine(QPointF(c.x() - h, c.y() - h), QPointF(c.x() + h, c.y() + h));
        painter.drawLine(QPointF(c.x() + h, c.y() - h), QPointF(c.x() - h, c.y() + h));
    }
}

QFont CIconButton::captionFont() const {
    return UiFont(kCaptionSize, true);
}

}  // namespace controls
