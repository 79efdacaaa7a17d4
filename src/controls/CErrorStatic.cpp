#include "controls/CErrorStatic.h"

#include <QPainter>

#include "controls/Fonts.h"

namespace controls {

CErrorStatic::CErrorStatic(QWidget* parent) : QWidget(parent), font_(UiFont(kPixelSize)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CErrorStatic::setText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
}

void CErrorStatic::setTextFont(int pixelSize, bool bold) {
    font_ = UiFont(pixelSize, bold);
    update();
}

void CErrorStatic::setColor(const QColor& color) {
    color_ = color;
    update();
}

void CErrorStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(font_);
    painter.setPen(color_);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
}

}  // namespace controls
