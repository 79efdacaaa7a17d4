#include <gtest/gtest.h>

#include "platform/ShadowBitmap.h"

namespace {

constexpr int kWidth = 874;
constexpr int kHeight = 654;

int Alpha(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 24);
}

class ShadowBitmap : public ::testing::Test {
protected:
    std::uint32_t at(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * kWidth + x];
    }

    platform::ShadowParams params_;
    std::vector<std::uint32_t> pixels_ = platform::BuildShadowBitmap(kWidth, kHeight, params_);
};

}  // namespace

TEST_F(ShadowBitmap, KernelFallsFrom150AtTheCentreTo13AtItsRadius) {
    const auto kernel = platform::BuildShadowKernel(params_);
    ASSERT_EQ(kernel.size(), 21u * 21u);
    auto cell = [&](int dx, int dy) {
        return kernel[static_cast<std::size_t>(10 + dy) * 21 + 10 + dx];
    };
    EXPECT_EQ(Alpha(cell(0, 0)), 150);
    EXPECT_EQ(Alpha(cell(1, 0)), 136);  // (1 - 1/11) * 150, truncated
    EXPECT_EQ(Alpha(cell(0, 5)), 81);   // (1 - 5/11) * 150
    EXPECT_EQ(Alpha(cell(10, 0)), 13);
    EXPECT_EQ(Alpha(cell(-10, 0)), 13);
    EXPECT_EQ(Alpha(cell(6, 8)), 13);   // distance exactly 10
    EXPECT_EQ(Alpha(cell(10, 10)), 0);  // beyond the radius
    EXPECT_EQ(Alpha(cell(8, 7)), 0);    // distance 10.6
}

TEST_F(ShadowBitmap, HoleIsFullyTransparentAndShadowSurroundsIt) {
    ASSERT_EQ(pixels_.size(), static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 10; y < 10 + 634; ++y) {
        for (int x = 10; x < 10 + 854; ++x) {
            ASSERT_EQ(at(x, y), 0u) << x << "," << y;
        }
    }
    // Along the edges the shadow is the kernel at the distance to the nearest border pixel.
    EXPECT_EQ(Alpha(at(9, 300)), 136);
    EXPECT_EQ(Alpha(at(0, 300)), 13);
    EXPECT_EQ(Alpha(at(kWidth - 1, 300)), 13);
    EXPECT_EQ(Alpha(at(400, 9)), 136);
    EXPECT_EQ(Alpha(at(400, kHeight - 1)), 13);
    // Corners round off: (0, 0) is 14.1 from the nearest border pixel.
    EXPECT_EQ(at(0, 0), 0u);
    EXPECT_EQ(Alpha(at(3, 3)), 15);  // distance 9.9: (1 - 9.9 / 11) * 150
    // The 7 pixels the host leaves uncovered are all shadowed.
    for (int x = 3; x < 10; ++x) {
        EXPECT_GT(Alpha(at(x, 300)), 0) << x;
    }
}

TEST_F(ShadowBitmap, ColourIsPremultipliedByAlpha) {
    for (std::uint32_t pixel : pixels_) {
        ASSERT_EQ(pixel & 0x00FFFFFFu, 0u) << "black shadow carries no colour";
    }
    platform::ShadowParams red;
    red.colorRef = 0x00402010;  // blue 0x40, green 0x20, red 0x10
    const auto tinted = platform::BuildShadowBitmap(kWidth, kHeight, red);
    const std::uint32_t p = tinted[static_cast<std::size_t>(300) * kWidth + 9];
    ASSERT_EQ(Alpha(p), 136);
    EXPECT_EQ((p >> 16) & 0xFF, 0x10u * 136 / 255);
    EXPECT_EQ((p >> 8) & 0xFF, 0x20u * 136 / 255);
    EXPECT_EQ(p & 0xFF, 0x40u * 136 / 255);
}

TEST(ShadowBitmapSizes, TooSmallForARectangleGivesNothing) {
    EXPECT_TRUE(platform::BuildShadowBitmap(20, 100, {}).empty());
    EXPECT_TRUE(platform::BuildShadowBitmap(0, 0, {}).empty());
    EXPECT_EQ(platform::BuildShadowBitmap(21, 21, {}).size(), 21u * 21u);
}
