#include "controls/CSummaryTable.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr int kRowHeight = 32;
constexpr int kCloudRowHeight = 34;
constexpr int kRecorderRowTop = 30;
constexpr int kCloudRowTop = 74;
constexpr int kLabelLeft = 140;
constexpr int kPasswordLabelRight = 280;
constexpr int kPasswordValueWidth = 160;
constexpr int kEmailLabelRight = 330;
constexpr int kEmailValueGap = 1;
constexpr int kEmailValueRight = 411;
constexpr int kCloudPasswordLabelLeft = 430;
constexpr int kCloudPasswordLabelRight = 590;
constexpr int kCloudPasswordValueGap = 8;
constexpr int kCloudPasswordValueRight = 695;
constexpr qreal kHeaderRadius = 10;
constexpr qreal kHeaderPen = 3;
constexpr int kInsetDivisor = 6;
const QString kFamily = QStringLiteral("Verdana");
const QString kLabelSeparator = QStringLiteral(": ");

QRect Span(int left, int top, int right, int height) {
    return QRect(left, top, std::max(0, right - left), height);
}

}  // namespace

CSummaryTable::Layout CSummaryTable::LayoutFor(int passwordWidth, int emailWidth,
                                               int cloudPasswordWidth) {
    Layout layout;
    layout.passwordLabel = Span(kLabelLeft, kRecorderRowTop, kPasswordLabelRight, kRowHeight);
    // Nothing lies to the right of the recorder password: it may use the lines' whole length.
    const int valueLeft = kLabelLeft + passwordWidth;
    layout.passwordValue = Span(valueLeft, kRecorderRowTop,
                                std::max(valueLeft + kPasswordValueWidth, kLineRight), kRowHeight);
    layout.emailLabel = Span(kLabelLeft, kCloudRowTop, kEmailLabelRight, kCloudRowHeight);
    layout.emailValue = Span(kLabelLeft + kEmailValueGap + emailWidth, kCloudRowTop,
                             kEmailValueRight, kCloudRowHeight);
    layout.cloudPasswordLabel =
        Span(kCloudPasswordLabelLeft, kCloudRowTop, kCloudPasswordLabelRight, kCloudRowHeight);
    layout.cloudPasswordValue =
        Span(kCloudPasswordLabelLeft + kCloudPasswordValueGap + cloudPasswordWidth, kCloudRowTop,
             kCloudPasswordValueRight, kCloudRowHeight);
    return layout;
}

qreal CSummaryTable::Inset(const QFont& font) {
    return static_cast<qreal>(font.pixelSize()) / kInsetDivisor;
}

int CSummaryTable::MeasuredWidth(const QString& label, const QFont& font) {
    return static_cast<int>(QFontMetricsF(font).horizontalAdvance(label) + 2 * Inset(font));
}

CSummaryTable::Fitted CSummaryTable::Fit(const QString& value, const QFont& font, int width) {
    QFont sized = font;
    for (int size = font.pixelSize(); size >= kSmallestValueSize; --size) {
        sized.setPixelSize(size);
        if (QFontMetricsF(sized).horizontalAdvance(value) <= width - 2 * Inset(sized)) {
            return {value, sized, true};
        }
    }
    // The middle goes: the start and the domain of an address say the most.
    const qreal room = std::max<qreal>(0, width - 2 * Inset(sized));
    const QString shortened = QFontMetricsF(sized).elidedText(value, Qt::ElideMiddle, room);
    return {shortened, sized, shortened == value};
}

CSummaryTable::CSummaryTable(QWidget* parent)
    : QWidget(parent), textFont_(UiFont(kTextSize, false, kFamily)) {
    // Presses go on to the page, which drags the wizard; hovering still shows the tooltip.
    setFocusPolicy(Qt::NoFocus);
    relayout();
}

void CSummaryTable::setLabels(const SummaryLabels& labels) {
    labels_ = labels;
    relayout();
}

void CSummaryTable::setAccount(const QString& adminPassword, const QString& cloudEmail,
                               const QString& cloudPassword) {
    adminPassword_ = adminPassword;
    cloudEmail_ = cloudEmail;
    cloudPassword_ = cloudPassword;
    relayout();
}

void CSummaryTable::relayout() {
    layout_ = LayoutFor(MeasuredWidth(labels_.password, textFont_),
                        MeasuredWidth(labels_.email, textFont_),
                        MeasuredWidth(labels_.password, textFont_));
    fitted_[0] = Fit(adminPassword_, textFont_, layout_.passwordValue.width());
    fitted_[1] = Fit(cloudEmail_, textFont_, layout_.emailValue.width());
    fitted_[2] = Fit(cloudPassword_, textFont_, layout_.cloudPasswordValue.width());
    const QString spoken = spokenText();
    setAccessibleName(spoken);
    const bool whole = std::all_of(fitted_.begin(), fitted_.end(),
                                   [](const Fitted& fitted) { return fitted.whole; });
    // A value drawn shortened can still be read whole.
    setToolTip(whole ? QString() : spoken);
    update();
}

QString CSummaryTable::spokenText() const {
    QStringList lines;
    lines << labels_.recorder + QStringLiteral(" - ") + labels_.password + kLabelSeparator +
                 adminPassword_;
    if (showsCloud()) {
        lines << labels_.cloud + QStringLiteral(" - ") + labels_.email + kLabelSeparator +
                     cloudEmail_ + QStringLiteral(", ") + labels_.password + kLabelSeparator +
                     cloudPassword_;
    }
    return lines.join(QLatin1Char('\n'));
}

void CSummaryTable::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawHeader(painter, kRecorderHeader, labels_.recorder, kRecorderHeaderTextSize);
    if (showsCloud()) {
        drawHeader(painter, kCloudHeader, labels_.cloud, kHeaderTextSize);
    }
    drawHeader(painter, kCamerasHeader, labels_.cameras, kHeaderTextSize);
    for (int y : {kFirstLineY, kSecondLineY}) {
        painter.fillRect(QRect(kLineLeft, y, kLineRight - kLineLeft, 1), kLineColour);
    }
    drawText(painter, layout_.passwordLabel, labels_.password, textFont_, kLabelColour);
    drawText(painter, layout_.passwordValue, fitted_[0].text, fitted_[0].font, kValueColour);
    if (showsCloud()) {
        drawText(painter, layout_.emailLabel, labels_.email, textFont_, kLabelColour);
        drawText(painter, layout_.emailValue, fitted_[1].text, fitted_[1].font, kValueColour);
        drawText(painter, layout_.cloudPasswordLabel, labels_.password, textFont_, kLabelColour);
        drawText(painter, layout_.cloudPasswordValue, fitted_[2].text, fitted_[2].font,
                 kValueColour);
    }
}

void CSummaryTable::drawHeader(QPainter& painter, const QRect& box, const QString& text,
                               int size) const {
    painter.setPen(QPen(kHeaderColour, kHeaderPen));
    painter.setBrush(kHeaderColour);
    painter.drawRoundedRect(QRectF(box), kHeaderRadius, kHeaderRadius);
    painter.setPen(Qt::white);
    painter.setFont(UiFont(size, false, kFamily));
    painter.drawText(box, Qt::AlignCenter, text);
}

void CSummaryTable::drawText(QPainter& painter, const QRect& rect, const QString& text,
                             const QFont& font, const QColor& colour) const {
    const qreal inset = Inset(font);
    painter.setPen(colour);
    painter.setFont(font);
    painter.drawText(QRectF(rect).adjusted(inset, 0, -inset, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
}

}  // namespace controls
