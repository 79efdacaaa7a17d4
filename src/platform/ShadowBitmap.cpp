#include "platform/ShadowBitmap.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

std::uint32_t KernelCell(double distance, const ShadowParams& p, int radius, int centre) {
    int alpha = 0;
    if (distance < centre) {
        alpha = p.darkness;
    } else if (distance <= radius) {
        alpha = static_cast<int>((1.0 - (distance - centre) / (p.sharpness + 1.0)) * p.darkness);
    }
    alpha = std::clamp(alpha, 0, 255);
    const std::uint32_t r = (p.colorRef & 0xFFu) * static_cast<std::uint32_t>(alpha) / 255u;
    const std::uint32_t g = ((p.colorRef >> 8) & 0xFFu) * static_cast<std::uint32_t>(alpha) / 255u;
    const std::uint32_t b = ((p.colorRef >> 16) & 0xFFu) * static_cast<std::uint32_t>(alpha) / 255u;
    return (static_cast<std::uint32_t>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

std::vector<std::uint32_t> BuildShadowKernel(const ShadowParams& p) {
    const int radius = std::max(p.size, p.sharpness);
    const int centre = std::max(p.size - p.sharpness, 0);
    const int side = 2 * radius + 1;
    std::vector<std::uint32_t> kernel(static_cast<std::size_t>(side) * side);
    for (int ky = 0; ky < side; ++ky) {
        for (int kx = 0; kx < side; ++kx) {
            const double distance = std::hypot(kx - radius, ky - radius);
            kernel[static_cast<std::size_t>(ky) * side + kx] =
                KernelCell(distance, p, radius, centre);
        }
    }
    return kernel;
}

std::vector<std::uint32_t> BuildShadowBitmap(int width, int height, const ShadowParams& p) {
    const int margin = std::max(p.size, 0);
    const int rectWidth = width - 2 * margin;
    const int rectHeight = height - 2 * margin;
    if (rectWidth <= 0 || rectHeight <= 0) {
        return {};
    }
    const int radius = std::max(p.size, p.sharpness);
    const int side = 2 * radius + 1;
    const std::vector<std::uint32_t> kernel = BuildShadowKernel(p);

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0u);
    auto stamp = [&](int cx, int cy) {
        for (int ky = 0; ky < side; ++ky) {
            const int y = cy + ky - radius;
            if (y < 0 || y >= height) {
                continue;
            }
            for (int kx = 0; kx < side; ++kx) {
                const int x = cx + kx - radius;
                if (x < 0 || x >= width) {
                    continue;
                }
                std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * width + x];
                pixel = std::max(pixel, kernel[static_cast<std::size_t>(ky) * side + kx]);
            }
        }
    };

    // Every row of the rectangle spans the same columns; the shadow comes from its border.
    const int first = margin;
    const int last = margin + rectWidth - 1;
    for (int row = 0; row < rectHeight; ++row) {
        const int y = margin + row;
        if (row == 0 || row == rectHeight - 1) {
            for (int x = first; x <= last; ++x) {
                stamp(x, y);
            }
        } else {
            stamp(first, y);
            stamp(last, y);
        }
    }

    for (int y = margin; y < margin + rectHeight; ++y) {
        std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + first, rectWidth, 0u);
    }
    return pixels;
}

}  // namespace platform
