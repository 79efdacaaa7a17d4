#include "controls/CLinkStatic.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/CStateButton.h"
#include "controls/Fonts.h"
#include "controls/ResourceImage.h"
#include "platform/WindowMessage.h"
#include "shell/Messages.h"

namespace controls {
namespace {

constexpr int kDefaultPixelSize = 14;
constexpr int kTrailingIconGap = 4;

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
    const int top = wraps ? 0 : std::max(0, (control.height() - textSize.height()) / 2);
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
    setIcon(ResourceImage(resourceId));
}

void CLinkStatic::setIcon(const QImage& icon) {
    icon_ = icon;
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

const LinkLayout& CLinkStatic::layout() const {
    if (laidOutFor_ == size()) {
        return layout_;
    }
    const QFontMetrics metrics(font_);
    const int left = iconLeft_ ? kTextIndent : 0;
    const int available = std::max(0, width() - left);
    QSize textSize;
    if (wraps()) {
        textSize = metrics.boundingRect(QRect(0, 0, available, 1 << 20), textFlags(), text_).size();
    } else {
        textSize = QSize(metrics.horizontalAdvance(text_), metrics.height());
    }
    const QSize iconSize =
        iconLeft_ ? QSize(kIconSide, kIconSide)
                  : icon_.deviceIndependentSize().toSize().boundedTo(QSize(kIconSide, kIconSide));
    layout_ = LayoutLink(size(), textSize, metrics.height(), !icon_.isNull(), iconSize, iconLeft_,
                         wraps());
    laidOutFor_ = size();
    return layout_;
}

void CLinkStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (!icon_.isNull() && !layout().icon.isEmpty()) {
        painter.drawImage(layout().icon, icon_);
    }
    painter.setFont(font_);
    painter.setPen(color_);
    // Wrapped text may use the rest of the control; one line never wraps.
    QRect area = layout().text;
    area.setRight(std::max(area.right(), width() - 1));
    area.setBottom(std::max(area.bottom(), height() - 1));
    painter.drawText(area, textFlags(), text_);
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
        if (kind_ != kInert) {
            // Posted, so the page opens its overlay after this handler has returned.
            platform::PostMessage(MessageTargetOf(parentWidget()), msg::kShowOverlay, kind_, 0);
        }
        event->accept();
        return;
    }
    // Outside the hot area the press belongs to the page (it drags the wizard).
    event->ignore();
}

}  // namespace controls
