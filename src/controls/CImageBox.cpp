#include "controls/CImageBox.h"

#include <QPainter>

namespace controls {

CImageBox::CImageBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool CImageBox::LoadStateImage(int slot, int resourceId) {
    if (slot < 0 || slot >= kSlotCount) {
        return false;
    }
    slots_[slot] = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    update();
    return !slots_[slot].isNull();
}

void CImageBox::setImage(int slot, const QImage& image) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    slots_[slot] = ResourcePicture(image);
    update();
}

QImage CImageBox::image(int slot) const {
    return slot >= 0 && slot < kSlotCount ? slots_[slot].image() : QImage();
}

void CImageBox::paintEvent(QPaintEvent*) {
    ResourcePicture& slot = slots_[0];
    if (slot.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), slot.image(painter));
}

}  // namespace controls
