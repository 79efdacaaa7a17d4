#include "controls/ResourceImage.h"

#include <QGuiApplication>

namespace controls {

QImage ResourceImage(int id) {
    return ResourceImage(id, qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0);
}

QImage ResourceImage(int id, qreal devicePixelRatio) {
    if (devicePixelRatio > 1.0) {
        QImage hi(QStringLiteral(":/PNG/%1@2x.png").arg(id));
        if (!hi.isNull()) {
            hi.setDevicePixelRatio(2.0);
            return hi;
        }
    }
    return QImage(QStringLiteral(":/PNG/%1.png").arg(id));
}

}  // namespace controls
