#include "shell/WindowShape.h"

#include <QPixmap>
#include <QWidget>

namespace shape {

QRegion RoundedRegion(QSize size, int corner) {
    const int w = size.width();
    const int h = size.height();
    const int d = corner;
    QRegion region(d / 2, 0, w - d, h);
    region += QRegion(0, d / 2, w, h - d);
    region += QRegion(0, 0, d, d, QRegion::Ellipse);
    region += QRegion(w - d, 0, d, d, QRegion::Ellipse);
    region += QRegion(0, h - d, d, d, QRegion::Ellipse);
    region += QRegion(w - d, h - d, d, d, QRegion::Ellipse);
    return region;
}

QImage Snapshot(QWidget& window, QRect area) {
    const QPixmap shot = area.isNull() ? window.grab() : window.grab(area);
    QImage picture = shot.toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(shot.devicePixelRatio());
    return picture;
}

}  // namespace shape
