#include "controls/CCamListCtrl.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "controls/CCamHeaderCtrl.h"
#include "controls/Fonts.h"
#include "shell/Messages.h"
#include "shell/OverlayKinds.h"

namespace controls {
namespace {

using Header = CCamHeaderCtrl;

QRect Centred(const QRect& cell, QSize size) {
    return {cell.left() + (cell.width() - size.width()) / 2,
            cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height()};
}

}  // namespace

CCamListCtrl::CCamListCtrl(QWidget* parent, platform::WindowId page)
    : CRowList(parent, kRowHeight, kThumbId),
      page_(page),
      header_(new CCamHeaderCtrl(this)),
      ticked_(kTickedId, ResourcePicture::DeviceRatioOf(*this)),
      unticked_(kUntickedId, ResourcePicture::DeviceRatioOf(*this)),
      preview_(kPreviewId, ResourcePicture::DeviceRatioOf(*this)) {
    setObjectName(QStringLiteral("cameraList"));
    setHeader(header_, Header::kHeight);
    retranslate();
}

void CCamListCtrl::retranslate() {
    header_->retranslate();
    // The language packs have no word for the list as a whole.
    setAccessibleName(QStringLiteral("Cameras"));
}

void CCamListCtrl::setRows(std::vector<Row> rows) {
    rows_ = std::move(rows);
    focusRow_ = rows_.empty() ? -1 : std::clamp(focusRow_, 0, rowCount() - 1);
    rowsChanged(false);
}

void CCamListCtrl::clearRows() {
    rows_.clear();
    focusRow_ = -1;
    rowsChanged(true);
}

void CCamListCtrl::setRowState(int index, bool ticked, bool passwordKnown) {
    if (index < 0 || index >= rowCount()) {
        return;
    }
    Row& r = rows_[static_cast<size_t>(index)];
    const bool tickChanged = r.ticked != ticked;
    r.ticked = ticked;
    r.passwordKnown = passwordKnown;
    viewport()->update(rowRect(index).translated(-rowsGeometry().topLeft()));
    if (tickChanged) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    }
}

const CCamListCtrl::Row* CCamListCtrl::row(int index) const {
    return index >= 0 && index < rowCount() ? &rows_[static_cast<size_t>(index)] : nullptr;
}

void CCamListCtrl::setGreyed(bool greyed) {
    if (greyed_ != greyed) {
        greyed_ = greyed;
        viewport()->update();
    }
}

QString CCamListCtrl::rowDescription(int index) const {
    const Row* r = row(index);
    if (r == nullptr) {
        return {};
    }
    QString text = QStringLiteral("No. %1, %2, %3").arg(index + 1).arg(r->model, r->ip);
    if (r->passwordKnown) {
        text += QStringLiteral(", preview");
    }
    return text;
}

bool CCamListCtrl::isRowChecked(int index) const {
    const Row* r = row(index);
    return r != nullptr && r->ticked;
}

int CCamListCtrl::focusRow() const {
    if (rows_.empty()) {
        return -1;
    }
    return focusRow_ >= 0 && focusRow_ < rowCount() ? focusRow_ : 0;
}

QRect CCamListCtrl::cellRect(int index, int column) const {
    const QRect cell = Header::ColumnRect(column, kRowHeight);
    if (cell.isNull()) {
        return {};
    }
    return cell.translated(rowsGeometry().topLeft() +
                           QPoint(0, index * kRowHeight - scrollOffset()));
}

QRect CCamListCtrl::rowRect(int index) const {
    const QRect first = cellRect(index, 0);
    const QRect last = cellRect(index, Header::kColumnCount - 1);
    return {first.topLeft(), last.bottomRight()};
}

int CCamListCtrl::columnAt(QPoint point) const {
    return Header::ColumnAt(point.x());
}

void CCamListCtrl::toggleRow(int index) {
    if (row(index) == nullptr) {
        return;
    }
    moveFocus(index);
    platform::PostMessage(page_, msg::kTickRequest, index);
}

void CCamListCtrl::requestPreview(int index) {
    const Row* r = row(index);
    if (r == nullptr || !r->passwordKnown) {
        return;
    }
    const QRect cell = cellRect(index, Header::kPreviewColumn);
    previewAnchor_ = mapToGlobal(QPoint(cell.right() + 1 - 5, cell.center().y() + 2));
    platform::PostMessage(page_, msg::kShowOverlay, overlay::kPreview, index);
}

void CCamListCtrl::moveFocus(int index) {
    if (row(index) == nullptr) {
        return;
    }
    focusRow_ = index;
    scrollToRow(index);
    viewport()->update();
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
}

void CCamListCtrl::rowsMouse(QMouseEvent& event, QPoint at) {
    const int index = rowAt(at);
    const int column = columnAt(at);
    const Row* r = row(index);
    if (event.type() == QEvent::MouseMove) {
        const bool hand = r != nullptr && r->passwordKnown &&
                          (column == Header::kBoxColumn || column == Header::kPreviewColumn);
        if (hand) {
            viewport()->setCursor(Qt::PointingHandCursor);
        } else {
            viewport()->unsetCursor();
        }
        return;
    }
    if (event.button() != Qt::LeftButton || r == nullptr) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (column == Header::kBoxColumn) {
        toggleRow(index);
    } else if (column == Header::kPreviewColumn && event.type() == QEvent::MouseButtonPress) {
        // The second click of a double click asks for nothing more.
        moveFocus(index);
        requestPreview(index);
    }
}

void CCamListCtrl::keyPressEvent(QKeyEvent* event) {
    const int current = focusRow();
    if (current < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Up:
            moveFocus(std::max(current - 1, 0));
            return;
        case Qt::Key_Down:
            moveFocus(std::min(current + 1, rowCount() - 1));
            return;
        case Qt::Key_Home:
            moveFocus(0);
            return;
        case Qt::Key_End:
            moveFocus(rowCount() - 1);
            return;
        case Qt::Key_Space:
            toggleRow(current);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (row(current)->passwordKnown) {
                requestPreview(current);
                return;
            }
            break;
        default:
            break;
    }
    // Enter on a row without a preview and Escape belong to the page.
    QWidget::keyPressEvent(event);
}

void CCamListCtrl::paintRows(QWidget& rowsView) {
    QPainter painter(&rowsView);
    painter.fillRect(rowsView.rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setFont(UiFont(kTextSize));
    const int offset = scrollOffset();
    const int first = offset / kRowHeight;
    const int last = std::min(rowCount() - 1, (offset + rowsView.height()) / kRowHeight);
    for (int index = first; index <= last; ++index) {
        const Row& r = rows_[static_cast<size_t>(index)];
        const int top = index * kRowHeight - offset;
        const auto cell = [top](int column) {
            return Header::ColumnRect(column, kRowHeight).translated(0, top);
        };
        ResourcePicture& box = r.ticked ? ticked_ : unticked_;
        if (!box.isNull()) {
            painter.drawImage(Centred(cell(Header::kBoxColumn), kBoxSize), box.image(painter));
        }
        if (r.passwordKnown && !preview_.isNull()) {
            painter.drawImage(Centred(cell(Header::kPreviewColumn), kIconSize),
                              preview_.image(painter));
        }
        painter.setPen(greyed_ && !r.ticked ? kGreyColor : kTextColor);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        painter.drawText(cell(Header::kNumberColumn), flags | Qt::AlignHCenter,
                         QString::number(index + 1));
        painter.drawText(cell(Header::kModelColumn).adjusted(kTextInset, 0, 0, 0),
                         flags | Qt::AlignLeft, r.model);
        painter.drawText(cell(Header::kIpColumn).adjusted(kTextInset, 0, 0, 0),
                         flags | Qt::AlignLeft, r.ip);
    }
    if (!hasFocus()) {
        return;
    }
    QRectF mark = QRectF(rowsView.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (const int index = focusRow(); index >= 0) {
        const QRect ipColumn = Header::ColumnRect(Header::kColumnCount - 1, 1);
        mark = QRectF(0.5, index * kRowHeight - offset + 0.5, ipColumn.right(), kRowHeight - 1.0);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kFocusColor, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mark);
}

}  // namespace controls
