#include "controls/CNvrHeaderCtrl.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "controls/CRowList.h"
#include "controls/Fonts.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/OverlayKinds.h"

namespace controls {

CNvrHeaderCtrl::CNvrHeaderCtrl(QWidget* parent, platform::WindowId target)
    : QWidget(parent),
      target_(target),
      background_(kBackgroundId, ResourcePicture::DeviceRatioOf(*this)),
      helpIcon_(kHelpIconId, ResourcePicture::DeviceRatioOf(*this)) {
    setObjectName(QStringLiteral("header"));
    setMouseTracking(true);
    retranslate();
}

QRect CNvrHeaderCtrl::ColumnRect(int column, int height) {
    return ColumnRectOf(kColumnWidths, column, height);
}

void CNvrHeaderCtrl::retranslate() {
    headings_ = {};
    headings_[kNumberColumn] = QStringLiteral("No.");
    headings_[kIpColumn] = shell::LookupText(u"IP Address", u"IP Address");
    headings_[kMacColumn] = shell::LookupText(u"Mac Address", u"Mac Address");
    setAccessibleName(
        QStringLiteral("%1, %2, %3")
            .arg(headings_[kNumberColumn], headings_[kIpColumn], headings_[kMacColumn]));
    update();
}

QString CNvrHeaderCtrl::heading(int column) const {
    return column >= 0 && column < kColumnCount ? headings_[static_cast<size_t>(column)]
                                                : QString();
}

QRect CNvrHeaderCtrl::helpIconRect() const {
    const QRect column = ColumnRect(kMacColumn, height());
    const qreal text = QFontMetricsF(UiFont(kTextSize)).horizontalAdvance(headings_[kMacColumn]);
    // The heading is centred in its column; the icon follows its last letter.
    const int textRight =
        static_cast<int>(std::lround(column.left() + (column.width() + text) / 2));
    const int side = height() - 2 * kHelpIconInset;
    return {textRight + kHelpIconGap, kHelpIconInset, side, side};
}

void CNvrHeaderCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!background_.isNull()) {
        painter.drawImage(rect(), background_.image(painter));
    }
    painter.setFont(UiFont(kTextSize));
    painter.setPen(kTextColor);
    for (int column = 0; column < kColumnCount; ++column) {
        const QString& text = headings_[static_cast<size_t>(column)];
        if (!text.isEmpty()) {
            painter.drawText(ColumnRect(column, height()), Qt::AlignCenter | Qt::TextSingleLine,
                             text);
        }
    }
    if (!helpIcon_.isNull()) {
        painter.drawImage(helpIconRect(), helpIcon_.image(painter));
    }
}

void CNvrHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    iconPressed_ =
        event->button() == Qt::LeftButton && helpIconRect().contains(event->position().toPoint());
}

void CNvrHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !iconPressed_) {
        return;
    }
    iconPressed_ = false;
    platform::PostMessage(target_, msg::kShowOverlay, overlay::kMacDisplay);
}

void CNvrHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (helpIconRect().contains(event->position().toPoint())) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace controls
