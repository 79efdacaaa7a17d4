#include "controls/CErrorMark.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {

namespace {

constexpr int kGlyphSize = 14;

}  // namespace

CErrorMark::CErrorMark(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CErrorMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal side = std::min(width(), height());
    const QRectF circle((width() - side) / 2, (height() - side) / 2, side, side);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFill);
    painter.drawEllipse(circle);
    painter.setPen(Qt::white);
    painter.setFont(UiFont(kGlyphSize, true));
    painter.drawText(circle, Qt::AlignCenter, QStringLiteral("!"));
}

}  // namespace controls
