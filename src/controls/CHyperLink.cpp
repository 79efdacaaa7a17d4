#include "controls/CHyperLink.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/CStateButton.h"
#include "controls/Fonts.h"
#include "platform/WindowMessage.h"

namespace controls {
namespace {

constexpr int kDefaultPixelSize = 14;

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setTextFont(kDefaultPixelSize);
}

void CHyperLink::setText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
}

void CHyperLink::setTextFont(int pixelSize, bool bold, bool underline) {
    font_ = UiFont(pixelSize, bold);
    font_.setUnderline(underline);
    update();
}

void CHyperLink::setColor(const QColor& color) {
    color_ = color;
    update();
}

void CHyperLink::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void CHyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    painter.setPen(color_);
    painter.drawText(rect(), static_cast<int>(alignment_) | Qt::TextSingleLine, text_);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release on the link; dragging off it cancels.
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) {
        platform::PostMessage(MessageTargetOf(parentWidget()), kClickedMessage, 0, 0);
    }
    event->accept();
}

}  // namespace controls
