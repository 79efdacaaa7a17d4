#include "controls/CApproStatic.h"

#include <QFontMetricsF>
#include <QPainter>

#include "controls/Fonts.h"

namespace controls {
namespace {

const QString kEllipsis = QStringLiteral("...");
constexpr int kTextFlags = Qt::TextWordWrap;

Qt::Alignment HorizontalOf(CApproStatic::Align align) {
    switch (align) {
        case CApproStatic::Align::Centre:
            return Qt::AlignHCenter;
        case CApproStatic::Align::Right:
            return Qt::AlignRight;
        case CApproStatic::Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

}  // namespace

CApproStatic::CApproStatic(QWidget* parent) : QWidget(parent) {}

void CApproStatic::setText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
}

void CApproStatic::setSecondText(const QString& text) {
    second_ = text;
    setAccessibleDescription(text);
    update();
}

void CApproStatic::setTextColor(const QColor& color) {
    color_ = QColor(color.red(), color.green(), color.blue());
    update();
}

void CApproStatic::setFontFamily(const QString& family) {
    family_ = family;
    update();
}

void CApproStatic::setPixelSize(int pixelSize) {
    pixelSize_ = pixelSize;
    update();
}

void CApproStatic::setBold(bool bold) {
    bold_ = bold;
    update();
}

void CApproStatic::setUnderline(bool underline) {
    underline_ = underline;
    update();
}

void CApproStatic::setAlignment(Align align) {
    align_ = align;
    update();
}

void CApproStatic::setVerticalCentre(bool centre) {
    verticalCentre_ = centre;
    update();
}

void CApproStatic::useVerdana(int pixelSize, bool bold) {
    family_ = QStringLiteral("Verdana");
    pixelSize_ = pixelSize;
    bold_ = bold;
    update();
}

void CApproStatic::useTahoma14Bold() {
    family_ = QStringLiteral("Tahoma");
    pixelSize_ = kTahomaSize;
    bold_ = true;
    update();
}

void CApproStatic::useVerdana32() {
    useVerdana(kTitleSize);
}

QFont CApproStatic::textFont() const {
    QFont font = UiFont(pixelSize_, bold_, family_);
    font.setUnderline(underline_);
    return font;
}

QSizeF CApproStatic::measureText() const {
    const QFontMetricsF metrics(textFont());
    return {metrics.horizontalAdvance(text_ + kEllipsis), metrics.height()};
}

QString CApproStatic::ElideToWidth(const QString& text, const QFont& font, qreal width) {
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) <= width) {
        return text;
    }
    // Binary search on the kept length: advance grows with every character kept.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid) + kEllipsis) <= width) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return text.left(low) + kEllipsis;
}

void CApproStatic::drawTexts(QPainter& painter) const {
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color_);
    const Qt::Alignment h = HorizontalOf(align_);
    const QFont first = textFont();
    QFont regular = UiFont(pixelSize_, false, family_);
    const QRect area = rect();
    const QRect firstBox =
        QFontMetrics(first).boundingRect(area, static_cast<int>(h) | kTextFlags, text_);
    QRect secondBox;
    if (!second_.isEmpty()) {
        secondBox =
            QFontMetrics(regular).boundingRect(area, static_cast<int>(h) | kTextFlags, second_);
    }
    const int total = firstBox.height() + secondBox.height();
    const int top = verticalCentre_ ? (height() - total) / 2 : 0;
    painter.setFont(first);
    painter.drawText(QRect(0, top, width(), firstBox.height()), static_cast<int>(h) | kTextFlags,
                     text_);
    if (!second_.isEmpty()) {
        painter.setFont(regular);
        painter.drawText(QRect(0, top + firstBox.height(), width(), secondBox.height()),
                         static_cast<int>(h) | kTextFlags, second_);
    }
}

void CApproStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawTexts(painter);
}

}  // namespace controls
