#include "controls/CNvrListCtrl.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "controls/CNvrHeaderCtrl.h"
#include "controls/Fonts.h"
#include "shell/Messages.h"

namespace controls {
namespace {

using Header = CNvrHeaderCtrl;

// Where a column's text starts, before the common inset.
int TextIndent(int column) {
    switch (column) {
        case Header::kNumberColumn:
            return 5;
        case Header::kIpColumn:
            return 24;
        default:
            return 12;
    }
}

// The columns that carry something: the mark and the three texts.
int DrawnWidth() {
    const QRect last = Header::ColumnRect(Header::kColumnCount - 1, 1);
    return last.right() + 1;
}

}  // namespace

CNvrListCtrl::CNvrListCtrl(QWidget* parent, platform::WindowId page)
    : CRowList(parent, kRowHeight, kThumbId),
      page_(page),
      header_(new CNvrHeaderCtrl(this, windowId())),
      radioOff_(kRadioOffId, ResourcePicture::DeviceRatioOf(*this)),
      radioOn_(kRadioOnId, ResourcePicture::DeviceRatioOf(*this)) {
    setObjectName(QStringLiteral("recorderList"));
    setHeader(header_, Header::kHeight);
    retranslate();
}

void CNvrListCtrl::retranslate() {
    header_->retranslate();
    // The language packs have no word for the list as a whole.
    setAccessibleName(QStringLiteral("Recorders"));
}

void CNvrListCtrl::addRow(const QString& ipText, const QString& macText) {
    rows_.push_back({QString::number(rowCount() + 1), ipText, macText, false});
    rowsChanged(false);
}

void CNvrListCtrl::clearRows() {
    rows_.clear();
    focusRow_ = -1;
    rowsChanged(true);
}

QString CNvrListCtrl::ipText(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)].ip : QString();
}

QString CNvrListCtrl::macText(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)].mac : QString();
}

QString CNvrListCtrl::rowDescription(int row) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const Row& r = rows_[static_cast<size_t>(row)];
    return QStringLiteral("No. %1, %2, %3").arg(r.number, r.ip, r.mac);
}

bool CNvrListCtrl::isMarked(int row) const {
    return row >= 0 && row < rowCount() && rows_[static_cast<size_t>(row)].marked;
}

int CNvrListCtrl::firstMarkedRow() const {
    const auto it = std::find_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.marked; });
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void CNvrListCtrl::markRow(int row, bool notifyPage) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    for (int i = 0; i < rowCount(); ++i) {
        Row& r = rows_[static_cast<size_t>(i)];
        if (r.marked != (i == row)) {
            r.marked = i == row;
            notifyAccessibility(i);
        }
    }
    focusRow_ = row;
    viewport()->update();
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(row);
        QAccessible::updateAccessibility(&focus);
    }
    if (notifyPage) {
        platform::PostMessage(page_, msg::kRowMarked);
    }
}

void CNvrListCtrl::notifyAccessibility(int row) {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

int CNvrListCtrl::focusRow() const {
    if (rows_.empty()) {
        return -1;
    }
    if (focusRow_ >= 0 && focusRow_ < rowCount()) {
        return focusRow_;
    }
    return std::max(firstMarkedRow(), 0);
}

QRect CNvrListCtrl::cellRect(int row, int column) const {
    const QRect cell = Header::ColumnRect(column, kRowHeight);
    if (cell.isNull()) {
        return {};
    }
    return cell.translated(rowsGeometry().topLeft() +
                           QPoint(kColumnShift, row * kRowHeight - scrollOffset()));
}

int CNvrListCtrl::columnAt(QPoint point) const {
    const int x = point.x() - kColumnShift;
    for (int column = 0; column < Header::kColumnCount; ++column) {
        const QRect cell = Header::ColumnRect(column, 1);
        if (x >= cell.left() && x <= cell.right()) {
            return column;
        }
    }
    return -1;
}

QRect CNvrListCtrl::rowRect(int row) const {
    const QRect first = cellRect(row, 0);
    const QRect last = cellRect(row, Header::kColumnCount - 1);
    return {first.topLeft(), last.bottomRight()};
}

void CNvrListCtrl::toggleRow(int row) {
    markRow(row, true);
    scrollToRow(row);
}

void CNvrListCtrl::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kShowOverlay) {
        platform::PostMessage(page_, msg::kShowOverlay, event.wParam(), event.lParam());
    }
}

void CNvrListCtrl::rowsMouse(QMouseEvent& event, QPoint at) {
    const bool onMark = rowAt(at) >= 0 && columnAt(at) == kRadioColumn;
    if (event.type() == QEvent::MouseMove) {
        if (onMark) {
            viewport()->setCursor(Qt::PointingHandCursor);
        } else {
            viewport()->unsetCursor();
        }
        return;
    }
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton && onMark) {
        markRow(rowAt(at), true);
    }
}

void CNvrListCtrl::keyPressEvent(QKeyEvent* event) {
    const int current = focusRow();
    if (current < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = current;
    switch (event->key()) {
        case Qt::Key_Up:
            target = isMarked(current) ? std::max(current - 1, 0) : current;
            break;
        case Qt::Key_Down:
            target = isMarked(current) ? std::min(current + 1, rowCount() - 1) : current;
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = rowCount() - 1;
            break;
        case Qt::Key_Space:
            markRow(current, true);
            scrollToRow(current);
            return;
        default:
            // Enter and Escape belong to the page.
            QWidget::keyPressEvent(event);
            return;
    }
    // At either end the mark stays and the page hears nothing.
    if (target != current || !isMarked(target)) {
        markRow(target, true);
    }
    scrollToRow(target);
}

void CNvrListCtrl::paintRows(QWidget& rowsView) {
    QPainter painter(&rowsView);
    painter.fillRect(rowsView.rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setFont(UiFont(kTextSize));
    const int offset = scrollOffset();
    const int first = offset / kRowHeight;
    const int last = std::min(rowCount() - 1, (offset + rowsView.height()) / kRowHeight);
    for (int row = first; row <= last; ++row) {
        const Row& r = rows_[static_cast<size_t>(row)];
        const int top = row * kRowHeight - offset;
        for (int column = 0; column < Header::kColumnCount; ++column) {
            const QRect cell = Header::ColumnRect(column, kRowHeight).translated(kColumnShift, top);
            if (column == kRadioColumn) {
                ResourcePicture& radio = r.marked ? radioOn_ : radioOff_;
                const int free = kRowHeight - kRadioTopInset - kRadioSize;
                const QRect mark(cell.right() + 1 - kRadioSize, top + kRadioTopInset + free / 2,
                                 kRadioSize, kRadioSize);
                if (!radio.isNull()) {
                    painter.drawImage(mark, radio.image(painter));
                }
                continue;
            }
            painter.fillRect(cell, Qt::white);
            const QString* text = column == Header::kNumberColumn ? &r.number
                                  : column == Header::kIpColumn   ? &r.ip
                                  : column == Header::kMacColumn  ? &r.mac
                                                                  : nullptr;
            if (text != nullptr) {
                painter.setPen(kTextColor);
                painter.drawText(cell.adjusted(TextIndent(column) + kTextInset, 0, 0, 0),
                                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, *text);
            }
        }
    }
    if (!hasFocus()) {
        return;
    }
    // The focus mark: around the keyboard's row, or around the empty list.
    QRectF mark = QRectF(rowsView.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (const int row = focusRow(); row >= 0) {
        mark = QRectF(kColumnShift + 0.5, row * kRowHeight - offset + 0.5, DrawnWidth() - 1.0,
                      kRowHeight - 1.0);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kFocusColor, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mark);
}

}  // namespace controls
