#pragma once

#include <QRegion>
#include <QSize>

namespace shape {

inline constexpr QSize kHostSize{860, 640};
inline constexpr QSize kOuterSize{874, 654};
inline constexpr int kHostInset = 7;
inline constexpr int kCornerEllipse = 6;

// A rectangle whose corners are cut by ellipses of `corner` pixels; the host's outline by
// default.
QRegion RoundedRegion(QSize size, int corner = kCornerEllipse);

}  // namespace shape
