#include "controls/CLoadingStatic.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>

#include "controls/Fonts.h"

namespace controls {
namespace {

// Keeps the caption in place while no frame picture exists.
constexpr QSize kFallbackPictureSize(24, 24);

QString Shown(const QString& caption) {
    return caption + QStringLiteral("...");
}

}  // namespace

CLoadingStatic::CLoadingStatic(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int i = 0; i < kFrameCount; ++i) {
        frames_[i] = ResourcePicture(kFirstFrameId + i, ResourcePicture::DeviceRatioOf(*this));
    }
}

void CLoadingStatic::setCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleName(Shown(caption));
    update();
}

void CLoadingStatic::start(int periodMs) {
    // A page runs several searches; each one gets a fresh run of kLastStep steps.
    counter_ = 0;
    timer_.start(periodMs, this);
    update();
}

void CLoadingStatic::stop() {
    timer_.stop();
}

void CLoadingStatic::step() {
    if (counter_ >= kLastStep) {
        timer_.stop();
        return;
    }
    ++counter_;
    if (counter_ >= kLastStep) {
        timer_.stop();
    }
    update();
}

void CLoadingStatic::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        step();
        return;
    }
    QWidget::timerEvent(event);
}

CLoadingStatic::Layout CLoadingStatic::Arrange(const QRect& area, const QSize& textSize,
                                               const QSize& pictureSize, int spacing) {
    const int groupWidth = textSize.width() + spacing + pictureSize.width();
    const int left = area.left() + (area.width() - groupWidth) / 2;
    const int middle = area.top() + area.height() / 2;
    Layout layout;
    layout.text = QRect(left, middle - textSize.height() / 2, textSize.width(), textSize.height());
    layout.picture = QRect(layout.text.right() + 1 + spacing, middle - pictureSize.height() / 2,
                           pictureSize.width(), pictureSize.height());
    return layout;
}

QSize CLoadingStatic::pictureSize() const {
    for (const ResourcePicture& frame : frames_) {
        if (!frame.isNull()) {
            return frame.size().toSize();
        }
    }
    return kFallbackPictureSize;
}

void CLoadingStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), Qt::white);

    const QFont font = UiFont(kTextSize);
    const QString text = Shown(caption_);
    const QFontMetrics metrics(font);
    const QSize textSize(metrics.horizontalAdvance(text), metrics.height());
    const Layout layout = Arrange(rect(), textSize, pictureSize(), kSpacing);

    painter.setFont(font);
    painter.setPen(kAccent);
    painter.drawText(layout.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    ResourcePicture& picture = frames_[frame()];
    if (!picture.isNull()) {
        painter.drawImage(layout.picture, picture.image(painter));
    }
}

}  // namespace controls
