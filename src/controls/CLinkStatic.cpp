#include "controls/CLinkStatic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/CStateButton.h"
#include "controls/Fonts.h"
#include "platform/WindowMessage.h"
#include "shell/Messages.h"

namespace controls {
namespace {

constexpr int kDefaultPixelSize = 14;
constexpr int kTrailingIconGap = 4;
constexpr int kFocusOutset = 1;

}  // namespace

LinkLayout LayoutLink(QSize control, QSize textSize, int firstLineHeight, bool hasIcon,
                      QSize iconSize, bool iconLeft, bool wraps) {
    LinkLayout out;
    const int side = CLinkStatic::kIconSide;
    if (iconLeft) {
        // The first line sits on the icon row.
        const int top = std::max(0, (side - firstLineHeight) / 2);
        out.text = QRect(QPoint(CLinkStatic::kTextIndent, top), textSize);
        if (hasIcon) {
            out.icon = QRect(0, 0, side, side);
        }
        out.hotRect = out.text & QRect(QPoint(0, 0), control);
        out.hotArea = QRect(0, 0, CLinkStatic::kIconHotSide, CLinkStatic::kIconHotSide);
        return out;
    }
    // Wrapped text starts at the top, or low enough that a taller trailing icon fits beside
    // its first line.
    const int top = wraps ? (hasIcon ? std::max(0, (iconSize.height() - firstLineHeight) / 2) : 0)
                          : std::max(0, (control.height() - textSize.height()) / 2);
    out.text = QRect(QPoint(0, top), textSize);
    out.hotRect = out.text;
    if (hasIcon) {
        // The icon follows the first line.
        const int lineTop = top + (firstLineHeight - iconSize.height()) / 2;
        out.icon = QRect(QPoint(out.text.right() + 1 + kTrailingIconGap, lineTop), iconSize);
        out.hotRect = out.hotRect.united(out.icon);
    }
    // What lies outside the control cannot be clicked.
    out.hotRect &= QRect(QPoint(0, 0), control);
    out.hotArea = out.hotRect;
    return out;
}

CLinkStatic::CLinkStatic(QWidget* parent, int kind)
    : QWidget(parent), font_(UiFont(kDefaultPixelSize)), kind_(kind) {
    setMouseTracking(true);
    // Tab only, as the picture buttons: a click must leave Enter and Esc with the page.
    setFocusPolicy(Qt::TabFocus);
    relayout();
}

void CLinkStatic::setText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    relayout();
}

void CLinkStatic::setTextFont(int pixelSize, bool bold, const QString& family) {
    font_ = UiFont(pixelSize, bold, family);
    relayout();
}

void CLinkStatic::setColor(const QColor& color) {
    color_ = color;
    update();
}

void CLinkStatic::setIcon(int resourceId) {
    icon_ = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    relayout();
}

void CLinkStatic::setIcon(const QImage& icon) {
    icon_ = ResourcePicture(icon);
    relayout();
}

void CLinkStatic::setIconLeft(bool iconLeft) {
    iconLeft_ = iconLeft;
    relayout();
}

int CLinkStatic::textFlags() const {
    return Qt::AlignLeft | Qt::AlignTop | (wraps() ? Qt::TextWordWrap : Qt::TextSingleLine);
}

void CLinkStatic::relayout() {
    laidOutFor_ = QSize();
    update();
}

QSize CLinkStatic::iconSize() const {
    return iconLeft_ ? QSize(kIconSide, kIconSide)
                     : icon_.size().toSize().boundedTo(QSize(kIconSide, kIconSide));
}

int CLinkStatic::trailingIconRoom() const {
    // Wrapped lines leave room for an icon that follows the text.
    return wraps() && !iconLeft_ && !icon_.isNull() ? iconSize().width() + kTrailingIconGap : 0;
}

const LinkLayout& CLinkStatic::layout() const {
    if (laidOutFor_ == size()) {
        return layout_;
    }
    const QFontMetrics metrics(font_);
    const int left = iconLeft_ ? kTextIndent : 0;
    const int available = std::max(0, width() - left - trailingIconRoom());
    QSize textSize;
    if (wraps()) {
        textSize = metrics.boundingRect(QRect(0, 0, available, 1 << 20), textFlags(), text_).size();
    } else {
        textSize = QSize(metrics.horizontalAdvance(text_), metrics.height());
    }
    layout_ = LayoutLink(size(), textSize, metrics.height(), !icon_.isNull(), iconSize(), iconLeft_,
                         wraps());
    laidOutFor_ = size();
    return layout_;
}

void CLinkStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (!icon_.isNull() && !layout().icon.isEmpty()) {
        painter.drawImage(layout().icon, icon_.image(painter));
    }
    painter.setFont(font_);
    painter.setPen(color_);
    // Wrapped text may use the rest of the control; one line never wraps.
    QRect area = layout().text;
    area.setRight(std::max(area.right(), width() - 1 - trailingIconRoom()));
    area.setBottom(std::max(area.bottom(), height() - 1));
    painter.drawText(area, textFlags(), text_);
    if (hasFocus()) {
        const QRect mark =
            layout().hotRect.adjusted(-kFocusOutset, -kFocusOutset, kFocusOutset, kFocusOutset) &
            rect();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(color_, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(mark.adjusted(0, 0, -1, -1));
    }
}

void CLinkStatic::mouseMoveEvent(QMouseEvent* event) {
    // An inert link still looks like a link.
    if (layout().hotArea.contains(event->position().toPoint())) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    QWidget::mouseMoveEvent(event);
}

void CLinkStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        layout().hotArea.contains(event->position().toPoint())) {
        activate();
        event->accept();
        return;
    }
    // Outside the hot area the press belongs to the page (it drags the wizard).
    event->ignore();
}

void CLinkStatic::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // A held key must not open one side page after another.
        if (!event->isAutoRepeat()) {
            activate();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CLinkStatic::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void CLinkStatic::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void CLinkStatic::activate() {
    if (kind_ != kInert) {
        // Posted, so the page opens its overlay after this handler has returned.
        platform::PostMessage(MessageTargetOf(parentWidget()), msg::kShowOverlay, kind_, 0);
    }
}

}  // namespace controls
