#pragma once

#include <QImage>

namespace controls {

// The picture of a resource id, at 2x on screens that want it (its device pixel ratio set so
// it paints at its 1x size). Null when the program carries no such picture.
QImage ResourceImage(int id);
QImage ResourceImage(int id, qreal devicePixelRatio);

}  // namespace controls
