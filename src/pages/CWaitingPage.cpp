#include "pages/CWaitingPage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimerEvent>

#include <cmath>

#include "controls/Fonts.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/WindowShape.h"

CWaitingPage::CWaitingPage(QWidget* parent, const std::atomic<std::int32_t>& busy, int waitTicks,
                           QPoint origin, int mode)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      busy_(busy),
      waitTicks_(waitTicks),
      text_(TextOf(mode)) {
    setObjectName(QStringLiteral("CWaitingPage"));
    setAccessibleName(text_);
    const QFontMetricsF metrics(controls::UiFont(kTextSize));
    const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(text_))) + kExtraWidth;
    setFixedSize(width, kHeight);
    move(origin.x() + kPageCentre.x() - width / 2, origin.y() + kPageCentre.y());
    setMask(shape::RoundedRegion(size(), kCornerEllipse));
    // What shows through is painted here from a picture of the window beneath, so the box
    // looks the same with or without a compositing window manager.
    if (QWidget* under = parent != nullptr ? parent->window() : nullptr) {
        beneath_ = shape::Snapshot(*under, QRect(under->mapFromGlobal(pos()), size()));
    }
    for (int i = 0; i < kFrameCount; ++i) {
        frames_[i] = controls::ResourcePicture(kFirstFrameId + i,
                                               controls::ResourcePicture::DeviceRatioOf(*this));
    }
}

QString CWaitingPage::TextOf(int mode) {
    if (mode == kPlainMode) {
        return shell::LookupText(u"Waiting", u"Waiting") + QStringLiteral("...");
    }
    return shell::LookupText(u"hddformat_14", u"Formatting your HDD...");
}

void CWaitingPage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!timer_.isActive() && !finished_) {
        qCDebug(lcFlow, "waiting overlay open");
        timer_.start(kTickMs, this);
    }
}

void CWaitingPage::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    step();
}

void CWaitingPage::step() {
    frame_ = (tick_ + 1) % kFrameCount;
    update();
    emit ticked(tick_);
    if (tick_ < waitTicks_ && busy_.load() != 0) {
        ++tick_;
        return;
    }
    finish();
}

void CWaitingPage::finish() {
    timer_.stop();
    finished_ = true;
    qCDebug(lcFlow, "waiting overlay closed");
    done(QDialog::Accepted);
}

// Only the worker ends the wait. Escape and the window manager's close both come here, and a
// close that reject leaves visible is refused.
void CWaitingPage::reject() {
    if (finished_) {
        QDialog::reject();
    }
}

void CWaitingPage::paintEvent(QPaintEvent*) {
    // The box as a layered window would show it: black, spinner and text together at the
    // constant alpha over what lies beneath.
    const qreal ratio = devicePixelRatioF();
    QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::black);
    {
        QPainter box(&layer);
        box.setRenderHint(QPainter::Antialiasing);
        box.setRenderHint(QPainter::TextAntialiasing);
        box.setRenderHint(QPainter::SmoothPixmapTransform);
        controls::ResourcePicture& frame = frames_[static_cast<size_t>(frame_)];
        if (!frame.isNull()) {
            box.drawImage(kSpinnerRect, frame.image(box));
        }
        const QFont font = controls::UiFont(kTextSize);
        box.setFont(font);
        box.setPen(kTextColor);
        const QRectF text(kTextLeft, kTextTop, width() - kTextLeft, QFontMetricsF(font).height());
        box.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
    }
    QPainter painter(this);
    if (!beneath_.isNull()) {
        painter.drawImage(rect(), beneath_);
    }
    painter.setOpacity(kOpacity / 255.0);
    painter.drawImage(rect(), layer);
}
