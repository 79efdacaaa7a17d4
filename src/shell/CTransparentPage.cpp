#include "shell/CTransparentPage.h"

#include <QPainter>
#include <QPointer>
#include <QTimerEvent>

#include "shell/FlowTrace.h"
#include "shell/WindowShape.h"

CTransparentPage::CTransparentPage(QWidget* host, int kind, QPoint position,
                                   overlay::OverlayData data, overlay::SidePage sidePage)
    : MessageWindow<QDialog>(host, Qt::Dialog | Qt::FramelessWindowHint),
      kind_(kind),
      position_(position),
      data_(std::move(data)),
      sidePage_(std::move(sidePage)) {
    setObjectName(QStringLiteral("CTransparentPage"));
    setFixedSize(shape::kHostSize);
    move(position_);
    setMask(shape::RoundedRegion(shape::kHostSize));
    // The veil is the wizard as it looks now, darkened: the same picture with or without a
    // compositing window manager.
    if (host != nullptr) {
        veil_ = shape::Snapshot(*host);
    }
    startTimer_.start(kStartDelayMs, this);
}

int CTransparentPage::Show(QWidget* page, int kind, const overlay::OverlayData& data,
                           overlay::SidePage sidePage) {
    if (page == nullptr || overlay::RuleOf(kind) == overlay::Rule::Unknown) {
        return overlay::kCancel;
    }
    if (!sidePage) {
        sidePage = overlay::SidePageFor(kind);
    }
    if (!sidePage) {
        return overlay::kCancel;  // no side page for this kind in this program
    }
    QPointer<CTransparentPage> dialog = new CTransparentPage(
        page->window(), kind, page->mapToGlobal(QPoint(0, 0)), data, std::move(sidePage));
    const int result = dialog->exec();
    if (dialog) {
        delete dialog.data();
    }
    return result == overlay::kOk ? overlay::kOk : overlay::kCancel;
}

void CTransparentPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!veil_.isNull()) {
        painter.drawImage(rect(), veil_);
    }
    painter.fillRect(rect(), QColor(0, 0, 0, kOpacity));
}

void CTransparentPage::timerEvent(QTimerEvent* event) {
    if (event->timerId() != startTimer_.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    startTimer_.stop();
    QPointer<CTransparentPage> self(this);
    qCDebug(lcFlow, "side page %d open", kind_);
    const int sideResult = sidePage_ ? sidePage_(this, position_, data_) : overlay::kCancel;
    qCDebug(lcFlow, "side page %d closed: %d", kind_, sideResult);
    if (self) {
        done(overlay::ResultOf(kind_, sideResult));
    }
}
