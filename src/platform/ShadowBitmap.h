#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct ShadowParams {
    int darkness = 150;          // alpha of the darkest pixel, of 255
    int sharpness = 10;          // fall-off width
    std::uint32_t colorRef = 0;  // 0x00BBGGRR
    int size = 10;               // margin between the bitmap edge and the shadowed rectangle
};

// The square kernel stamped along the rectangle's border: side 2 * max(size, sharpness) + 1,
// row by row, pixels as in BuildShadowBitmap.
std::vector<std::uint32_t> BuildShadowKernel(const ShadowParams& params);

// The soft shadow of a rectangle inset by `size` on every side of a width x height bitmap.
// Pixels are 0xAARRGGBB with premultiplied colour, row by row; the rectangle itself is fully
// transparent. Empty when the bitmap is too small to hold a rectangle.
std::vector<std::uint32_t> BuildShadowBitmap(int width, int height, const ShadowParams& params);

}  // namespace platform
