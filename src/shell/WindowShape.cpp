#include "shell/WindowShape.h"

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

}  // namespace shape
