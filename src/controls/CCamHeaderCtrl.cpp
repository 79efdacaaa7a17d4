#include "controls/CCamHeaderCtrl.h"

#include <QPainter>

#include "controls/CRowList.h"
#include "controls/Fonts.h"
#include "shell/LanguagePack.h"

namespace controls {

CCamHeaderCtrl::CCamHeaderCtrl(QWidget* parent)
    : QWidget(parent), background_(kBackgroundId, ResourcePicture::DeviceRatioOf(*this)) {
    setObjectName(QStringLiteral("header"));
    retranslate();
}

QRect CCamHeaderCtrl::ColumnRect(int column, int height) {
    return ColumnRectOf(kColumnWidths, column, height);
}

int CCamHeaderCtrl::ColumnAt(int x) {
    int left = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        const int width = kColumnWidths[static_cast<size_t>(column)];
        if (x >= left && x < left + width) {
            return column;
        }
        left += width;
    }
    return -1;
}

void CCamHeaderCtrl::retranslate() {
    headings_ = {};
    headings_[kNumberColumn] = QStringLiteral(" No.");
    headings_[kModelColumn] = QLatin1Char(' ') + shell::LookupText(u"Model Name", u"Model Name");
    headings_[kIpColumn] = QStringLiteral("  ") + shell::LookupText(u"IP Address", u"IP Address");
    setAccessibleName(QStringLiteral("%1, %2, %3")
                          .arg(headings_[kNumberColumn].trimmed(),
                               headings_[kModelColumn].trimmed(), headings_[kIpColumn].trimmed()));
    update();
}

QString CCamHeaderCtrl::heading(int column) const {
    return column >= 0 && column < kColumnCount ? headings_[static_cast<size_t>(column)]
                                                : QString();
}

void CCamHeaderCtrl::paintEvent(QPaintEvent*) {
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
        if (text.isEmpty()) {
            continue;
        }
        const Qt::Alignment horizontal = column == kNumberColumn ? Qt::AlignHCenter : Qt::AlignLeft;
        painter.drawText(ColumnRect(column, height()),
                         horizontal | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
}

}  // namespace controls
