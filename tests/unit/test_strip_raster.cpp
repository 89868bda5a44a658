// The level strip raster: geometry, colours and GDI's end-point rules (lines and rectangles leave out
// their far edge, as the bars and the grid below show).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "editor/strip_raster.h"

namespace vemo {
namespace {

constexpr uint32_t kBar = 0x0010D4D4;   // RGB(212, 212, 16)
constexpr uint32_t kGrid = 0x00002000;  // RGB(0, 32, 0)
constexpr uint32_t kWhite = 0x00FFFFFF;

// The columns of `frames` captured frames on a 414 x 41 strip, left channel at `left`, right at `right`.
std::unique_ptr<LevelColumns> columns(int frames, int left = 0, int right = 0) {
    auto lv = std::make_unique<LevelCapture>();
    set_strip_geometry(*lv, 414, 41);
    lv->display_frames = frames;
    for (int i = 0; i < frames; ++i) lv->left[i] = left, lv->right[i] = right;
    auto cols = std::make_unique<LevelColumns>();
    EXPECT_TRUE(take_level_columns(*lv, *cols));
    return cols;
}

TEST(StripRaster, ColumnsTakeTheMeanOfTheirFramesAndTooFewFramesDropTheCapture) {
    auto lv = std::make_unique<LevelCapture>();
    set_strip_geometry(*lv, 414, 41);
    lv->display_frames = 413;
    LevelColumns cols;
    EXPECT_FALSE(take_level_columns(*lv, cols));
    EXPECT_EQ(lv->display_frames, 0);

    // 2048 frames on 414 columns: step 4, and frames past the last column are never shown.
    lv->display_frames = 2048;
    for (int i = 0; i < 2048; ++i) lv->left[i] = i >= 1656 ? 128 : 0, lv->right[i] = 0;
    lv->left[1652] = 4, lv->left[1655] = 10;  // the last frame shown: column 413
    lv->right[0] = 9, lv->right[1] = 2;
    auto wide = std::make_unique<LevelColumns>();
    ASSERT_TRUE(take_level_columns(*lv, *wide));
    // Step 4; (4 + 10) / 4 and (9 + 2) / 4, truncated; the capture is used up.
    EXPECT_EQ(std::tuple(wide->step, wide->left[412], wide->left[413], wide->right[0], lv->display_frames),
              std::tuple(4, 0, 3, 2, 0));
}

TEST(StripRaster, BackgroundBandsGridAndBars) {
    StripRaster r;
    draw_level_strip(*columns(414), r);  // H = 42, mid = 21, H/6 = 7
    ASSERT_EQ(std::pair(r.width(), r.height()), std::pair(414, 41));
    // Rows 0..3 close at y = 4: v = 255 - 2*17 = 221, darkened by 165 -> RGB(0, 27, 90); rows 24..27
    // close at y = 28: v = 241, darkened by 180 -> RGB(0, 12, 75).  Silent columns: the outlines sit
    // just above and below the centre line.  Vertical grid lines every 10 pixels for j < W/10 = 41, and
    // at W-2.
    // Horizontal grid rows every H/6 and at H-2 = 40, from x = 1 up to but not W-2.
    const std::tuple<int, int, uint32_t> pixels[] = {
        {5, 2, 0x005A1B00u}, {5, 25, 0x004B0C00u}, {5, 20, kWhite}, {5, 22, 0},     {10, 3, kGrid}, {400, 3, kGrid},
        {412, 3, kGrid},     {1, 0, kGrid},        {411, 7, kGrid}, {1, 35, kGrid}, {411, 40, kGrid}};
    for (const auto& [x, y, c] : pixels) EXPECT_EQ(r.pixel(x, y), c) << x << "," << y;
    EXPECT_EQ(std::tuple(r.pixel(410, 3) != kGrid, r.pixel(11, 3) != kGrid), std::tuple(true, true));

    // Mono draws above the centre only.  scale = 40/255: the bar runs from trunc(21 - 20.08) = 0
    // down to mid, leaving out mid; the upper outline at trunc(-0.08) = 0, the lower at mid + 1 in black.
    StripRaster mono;
    draw_level_strip(*columns(828, 128, 0), mono);
    EXPECT_EQ(std::tuple(mono.pixel(5, 0), mono.pixel(5, 1), mono.pixel(5, 20), mono.pixel(5, 22)),
              std::tuple(kWhite, kBar, kBar, 0u));
    for (int y = 21; y < 41; ++y) EXPECT_NE(mono.pixel(5, y), kBar) << y;
}

// Channel 1 hangs below the centre line: its bar reaches trunc(21 + 20.08) = 41, past the raster,
// and the left channel's silence leaves the upper half without a bar.
TEST(StripRaster, RightChannelHangsBelowTheCentre) {
    StripRaster r;
    draw_level_strip(*columns(828, 0, 128), r);
    for (int y = 21; y < 41; ++y) EXPECT_EQ(r.pixel(5, y), kBar) << y;
    for (int y = 0; y < 20; ++y) EXPECT_NE(r.pixel(5, y), kBar) << y;
}

// Outlines between columns of different heights are sloped lines: every pixel stays within half a
// pixel of the true line, one pixel per step along the longer axis, the end point left out.
TEST(StripRaster, SlopedLinesKeepWithinHalfAPixel) {
    for (int dx = -9; dx <= 9; ++dx)
        for (int dy = -9; dy <= 9; ++dy) {
            StripRaster r(21, 21);
            r.line(10, 10, 10 + dx, 10 + dy, kWhite);
            int plotted = 0;
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 21; ++x) {
                    if (r.pixel(x, y) != kWhite) continue;
                    ++plotted;
                    const int u = x - 10, v = y - 10;
                    const double off = std::abs(dx) >= std::abs(dy) ? v - static_cast<double>(u) * dy / dx
                                                                    : u - static_cast<double>(v) * dx / dy;
                    EXPECT_LE(std::abs(off), 0.5) << dx << "," << dy << " at " << u << "," << v;
                }
            EXPECT_EQ(plotted, std::max(std::abs(dx), std::abs(dy))) << dx << "," << dy;
            EXPECT_TRUE((dx == 0 && dy == 0) || r.pixel(10 + dx, 10 + dy) != kWhite) << dx << "," << dy;
        }
}

}  // namespace
}  // namespace vemo
