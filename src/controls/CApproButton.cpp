#include "controls/CApproButton.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr int kHintPadding = 40;
constexpr int kHintHeight = 43;
constexpr qreal kDisabledOpacity = 0.5;

}  // namespace

CApproButton::CApproButton(int controlId, QWidget* parent) : CStateButton(controlId, parent) {
    setBackgroundMode(kGradient);
}

void CApproButton::setLargeMode(bool large) {
    large_ = large;
    update();
}

void CApproButton::setCaptionFont(const QFont& font) {
    font_ = font;
    customFont_ = true;
    update();
}

QFont CApproButton::captionFont() const {
    return customFont_ ? font_ : UiFont(large_ ? kLargeCaptionSize : kCaptionSize, true);
}

QSizeF CApproButton::measureText() const {
    const QFontMetricsF metrics(captionFont());
    return {metrics.horizontalAdvance(text()), metrics.height()};
}

int CApproButton::captionWidth(int padding) const {
    return static_cast<int>(std::ceil(measureText().width())) + padding;
}

QSize CApproButton::sizeHint() const {
    return {captionWidth(kHintPadding), kHintHeight};
}

void CApproButton::drawFace(QPainter& painter, int state) {
    if (state == 0) {
        drawSlot(painter, 0, kDisabledOpacity);
    } else {
        drawSlot(painter, 1);
    }
}

}  // namespace controls
