#include "controls/ResourcePicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

#include "controls/ResourceImage.h"

namespace controls {

ResourcePicture::ResourcePicture(int resourceId)
    : ResourcePicture(resourceId, qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0) {}

ResourcePicture::ResourcePicture(int resourceId, qreal devicePixelRatio) : resourceId_(resourceId) {
    load(RenderingFor(devicePixelRatio));
}

ResourcePicture::ResourcePicture(QImage image) : image_(std::move(image)) {}

int ResourcePicture::RenderingFor(qreal devicePixelRatio) {
    return devicePixelRatio > 1.0 ? 2 : 1;
}

void ResourcePicture::load(int rendering) {
    rendering_ = rendering;
    // A missing 2x rendering gives the 1x one; remembering what was asked for keeps it from
    // being looked for again on every paint.
    image_ = ResourceImage(resourceId_, rendering);
}

const QImage& ResourcePicture::image(qreal devicePixelRatio) {
    const int wanted = RenderingFor(devicePixelRatio);
    if (resourceId_ != 0 && wanted != rendering_) {
        load(wanted);
    }
    return image_;
}

const QImage& ResourcePicture::image(const QPainter& painter) {
    return image(DeviceRatioOf(painter));
}

qreal ResourcePicture::DeviceRatioOf(const QPainter& painter) {
    const qreal device = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    const QTransform& transform = painter.deviceTransform();
    // The scale along x, whatever the rotation.
    const qreal scale = std::hypot(transform.m11(), transform.m12());
    return std::max(device, scale);
}

qreal ResourcePicture::DeviceRatioOf(const QWidget& widget) {
    return widget.devicePixelRatio();
}

}  // namespace controls
