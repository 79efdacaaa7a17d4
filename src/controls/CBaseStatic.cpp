#include "controls/CBaseStatic.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

#include "controls/Fonts.h"

namespace controls {

CBaseStatic::CBaseStatic(QWidget* parent) : QWidget(parent) {}

void CBaseStatic::setText(const QString& text) {
    text_ = text;
    setAccessibleName(plainText());
    update();
}

void CBaseStatic::setTextColor(const QColor& color) {
    color_ = color;
    update();
}

void CBaseStatic::setFontFamily(const QString& family) {
    family_ = family;
    update();
}

void CBaseStatic::setPixelSize(int pixelSize) {
    pixelSize_ = pixelSize;
    update();
}

void CBaseStatic::setBold(bool bold) {
    bold_ = bold;
    update();
}

QFont CBaseStatic::textFont() const {
    return UiFont(pixelSize_, bold_, family_);
}

bool CBaseStatic::LoadPicture(int resourceId) {
    picture_ = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    update();
    return !picture_.isNull();
}

void CBaseStatic::setPicture(const QImage& picture) {
    picture_ = ResourcePicture(picture);
    update();
}

void CBaseStatic::setBox(const QColor& fill, int radius, const BoxMargins& margins) {
    boxed_ = true;
    boxFill_ = fill;
    boxRadius_ = radius;
    margins_ = margins;
    update();
}

void CBaseStatic::clearBox() {
    boxed_ = false;
    update();
}

void CBaseStatic::setAlternativeLineLayout(bool alternative) {
    alternative_ = alternative;
    update();
}

void CBaseStatic::setLineHeight(int pixels) {
    lineHeight_ = std::max(0, pixels);
    update();
}

QList<TextSegment> CBaseStatic::segments() const {
    return {TextSegment{text_, false}};
}

QRect CBaseStatic::textArea() const {
    QRect area = rect();
    if (boxed_) {
        area.adjust(margins_.left, margins_.top, -margins_.right, -margins_.top);
    }
    if (!picture_.isNull()) {
        const int indent = qRound(picture_.size().width()) + kPictureGap;
        area.setLeft(area.left() + indent);
    }
    return area;
}

qreal CBaseStatic::layOut(QTextLayout& layout, qreal width) const {
    QString all;
    QList<QTextLayout::FormatRange> formats;
    for (const TextSegment& segment : segments()) {
        if (segment.emphasised) {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            formats.append(
                {static_cast<int>(all.size()), static_cast<int>(segment.text.size()), bold});
        }
        all += segment.text;
    }
    layout.setText(all);
    layout.setFont(textFont());
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(alternative_ ? QTextOption::WrapAnywhere
                                    : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const qreal pitch = lineHeight_ > 0 ? lineHeight_
                                        : QFontMetricsF(textFont()).height() *
                                              (alternative_ ? kAlternativePitch : 1);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // Tall fallback glyphs must not push lines apart unevenly: one pitch for every line.
        line.setPosition(QPointF(0, y + (pitch - line.height()) / 2));
        y += lineHeight_ > 0 ? pitch : std::max(pitch, line.height());
    }
    layout.endLayout();
    return y;
}

int CBaseStatic::contentHeight() const {
    QTextLayout layout;
    const qreal textHeight = layOut(layout, textArea().width());
    const int pictureHeight = qRound(picture_.size().height());
    const int inner = std::max(static_cast<int>(std::ceil(textHeight)), pictureHeight);
    return inner + (boxed_ ? 2 * margins_.top : 0);
}

int CBaseStatic::lineCount() const {
    QTextLayout layout;
    layOut(layout, textArea().width());
    return layout.lineCount();
}

QList<QRect> CBaseStatic::lineRects() const {
    QTextLayout layout;
    const QRect area = textArea();
    layOut(layout, area.width());
    QList<QRect> rects;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        rects.append(QRectF(area.left() + line.x(), area.top() + line.y(), line.naturalTextWidth(),
                            line.height())
                         .toRect());
    }
    return rects;
}

void CBaseStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (boxed_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(boxFill_);
        painter.drawRoundedRect(QRectF(rect()), boxRadius_, boxRadius_);
    }
    const QRect area = textArea();
    QTextLayout layout;
    layOut(layout, area.width());
    if (!picture_.isNull()) {
        const QSizeF size = picture_.size();
        // Centred on the first line.
        const qreal lineHeight = layout.lineCount() > 0 ? layout.lineAt(0).height() : 0;
        const qreal top = area.top() + (lineHeight - size.height()) / 2;
        painter.drawImage(QPointF(area.left() - kPictureGap - size.width(), std::max(0.0, top)),
                          picture_.image(painter));
    }
    painter.setPen(color_);
    layout.draw(&painter, area.topLeft());
}

}  // namespace controls
