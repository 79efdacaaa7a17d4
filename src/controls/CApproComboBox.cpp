#include "controls/CApproComboBox.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "controls/CComboBoxList.h"
#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr int kTextInset = 10;
constexpr int kArrowWidth = 30;  // the arrow's strip at the right edge
constexpr QColor kArrow(100, 100, 100);

QFont TextFont() {
    return UiFont(CApproComboBox::kTextSize, false, QStringLiteral("Arial"));
}

}  // namespace

CApproComboBox::CApproComboBox(platform::WindowId notify, QWidget* parent)
    : QWidget(parent), list_(new CComboBoxList(notify, this)) {
    setObjectName(QStringLiteral("comboBox"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    connect(list_, &CComboBoxList::chosen, this, &CApproComboBox::setCurrentIndex);
    connect(list_, &CComboBoxList::closed, this, qOverload<>(&QWidget::update));
}

void CApproComboBox::setItems(const QStringList& items) {
    items_ = items;
    list_->setItems(items);
    setCurrentIndex(current_);
}

void CApproComboBox::setCurrentIndex(int index) {
    current_ = index >= 0 && index < count() ? index : -1;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, currentText());
        QAccessible::updateAccessibility(&event);
    }
    update();
}

QString CApproComboBox::currentText() const {
    return current_ >= 0 ? items_[current_] : QString();
}

void CApproComboBox::setMaxVisibleItems(int rows) {
    list_->setMaxVisibleItems(rows);
}

void CApproComboBox::showList() {
    if (items_.isEmpty()) {
        return;
    }
    list_->popup(mapToGlobal(QPoint(0, height() + kListGap)), width(), current_);
    update();
    emit listShown();
}

void CApproComboBox::hideList() {
    list_->hide();
}

bool CApproComboBox::isListShown() const {
    return list_->isVisible();
}

QSize CApproComboBox::sizeHint() const {
    return QSize(188, 32);
}

void CApproComboBox::mousePressEvent(QMouseEvent*) {
    setFocus(Qt::MouseFocusReason);
    if (isListShown()) {
        hideList();
    } else {
        showList();
    }
}

void CApproComboBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
        case Qt::Key_F4:
            showList();
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CApproComboBox::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void CApproComboBox::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void CApproComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool lit = hasFocus() || isListShown();
    painter.setPen(QPen(lit ? kFocusBorder : kBorder, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(frame, kCornerRadius, kCornerRadius);

    const QFont font = TextFont();
    const QRect textRect = rect().adjusted(kTextInset, 0, -kArrowWidth, 0);
    painter.setFont(font);
    painter.setPen(kText);
    painter.drawText(
        textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(font).elidedText(currentText(), Qt::ElideRight, textRect.width()));

    const QPointF c(width() - kArrowWidth / 2.0, height() / 2.0);
    const qreal rise = isListShown() ? -2.5 : 2.5;
    QPainterPath arrow;
    arrow.moveTo(c.x() - 5, c.y() - rise);
    arrow.lineTo(c.x(), c.y() + rise);
    arrow.lineTo(c.x() + 5, c.y() - rise);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kArrow, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(arrow);
}

}  // namespace controls
