#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

class QWidget;

namespace shape {

inline constexpr QSize kHostSize{860, 640};
inline constexpr QSize kOuterSize{874, 654};
inline constexpr int kHostInset = 7;
inline constexpr int kCornerEllipse = 6;

// A rectangle whose corners are cut by ellipses of `corner` pixels; the host's outline by
// default.
QRegion RoundedRegion(QSize size, int corner = kCornerEllipse);

// A picture of `window` as it looks now (of `area` only, when given), at the screen's density.
// Windows that lie over it paint it themselves, so they look the same with or without a
// compositing window manager.
QImage Snapshot(QWidget& window, QRect area = {});

}  // namespace shape
