#pragma once

#include <QRegion>
#include <QSize>

namespace shape {

inline constexpr QSize kHostSize{860, 640};
inline constexpr QSize kOuterSize{874, 654};
inline constexpr int kHostInset = 7;
inline constexpr int kCornerEllipse = 6;

// The host's rounded outline: a rectangle with corner ellipses of kCornerEllipse pixels.
QRegion RoundedRegion(QSize size);

}  // namespace shape
