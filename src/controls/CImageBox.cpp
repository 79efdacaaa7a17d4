#include "controls/CImageBox.h"

#include <QPainter>

#include "controls/ResourceImage.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace controls {

CImageBox::CImageBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool CImageBox::LoadStateImage(int slot, int resourceId) {
    if (slot < 0 || slot >= kSlotCount) {
        return false;
    }
    slots_[slot] = Slot{resourceId, ResourceImage(resourceId)};
    update();
    return !slots_[slot].image.isNull();
}

void CImageBox::setImage(int slot, const QImage& image) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    slots_[slot] = Slot{0, image};
    update();
}

QImage CImageBox::image(int slot) const {
    return slot >= 0 && slot < kSlotCount ? slots_[slot].image : QImage();
}

void CImageBox::Sharpen(QImage& image, int resourceId, const QPainter& painter) {
    // Rendering into a 2x image reaches the widget through a redirected painter whose device
    // is the widget; the device transform carries the real scale.
    const qreal density =
        std::max(painter.device()->devicePixelRatioF(), std::abs(painter.deviceTransform().m11()));
    if (resourceId == 0 || image.isNull() || image.devicePixelRatio() >= density) {
        return;
    }
    QImage sharper = ResourceImage(resourceId, density);
    if (sharper.devicePixelRatio() > image.devicePixelRatio()) {
        image = std::move(sharper);
    }
}

void CImageBox::paintEvent(QPaintEvent*) {
    Slot& slot = slots_[0];
    if (slot.image.isNull()) {
        return;
    }
    QPainter painter(this);
    Sharpen(slot.image, slot.resourceId, painter);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), slot.image);
}

}  // namespace controls
