// The level strip raster: geometry, colours and GDI's end-point rules.
#include <gtest/gtest.h>

#include <memory>

#include "engine/strip_raster.h"

namespace vemo {
namespace {

constexpr uint32_t kBar = 0x0010D4D4;  // RGB(212, 212, 16)
constexpr uint32_t kGrid = 0x00002000;  // RGB(0, 32, 0)
constexpr uint32_t kWhite = 0x00FFFFFF;

std::unique_ptr<LevelCapture> capture(int width, int client_height, int frames) {
    auto lv = std::make_unique<LevelCapture>();
    set_strip_geometry(*lv, width, client_height);
    lv->display_frames = frames;
    return lv;
}

TEST(StripRaster, LinesLeaveOutTheirEndPoint) {
    StripRaster r(8, 8);
    r.line(1, 2, 5, 2, kWhite);
    EXPECT_EQ(r.pixel(1, 2), kWhite);
    EXPECT_EQ(r.pixel(4, 2), kWhite);
    EXPECT_EQ(r.pixel(5, 2), 0u);
    r.line(3, 6, 3, 3, kBar);  // upwards
    EXPECT_EQ(r.pixel(3, 6), kBar);
    EXPECT_EQ(r.pixel(3, 4), kBar);
    EXPECT_EQ(r.pixel(3, 3), 0u);
    r.line(0, 0, 0, 0, kBar);  // empty
    EXPECT_EQ(r.pixel(0, 0), 0u);
    r.fill_rect(0, 0, 2, 2, kGrid);
    EXPECT_EQ(r.pixel(1, 1), kGrid);
    EXPECT_EQ(r.pixel(2, 1), 0u);
    EXPECT_EQ(r.pixel(1, 2), kWhite);
}

TEST(StripRaster, TooFewFramesDrawNothingAndDropTheCapture) {
    auto lv = capture(414, 41, 413);
    LevelColumns cols;
    EXPECT_FALSE(take_level_columns(*lv, cols));
    EXPECT_EQ(lv->display_frames, 0);
}

TEST(StripRaster, TwoThousandFramesOnFourHundredFourteenColumnsUseStepFour) {
    auto lv = capture(414, 41, 2048);
    for (int i = 0; i < 2048; ++i) lv->left[i] = lv->right[i] = 0;
    for (int i = 1656; i < 2048; ++i) lv->left[i] = 128;  // never shown
    lv->left[1652] = 4;
    lv->left[1655] = 8;  // the last frame shown: column 413
    lv->right[0] = 9;
    lv->right[1] = 2;
    auto cols = std::make_unique<LevelColumns>();
    ASSERT_TRUE(take_level_columns(*lv, *cols));
    EXPECT_EQ(cols->step, 4);
    EXPECT_EQ(cols->left[413], 3);  // (4 + 8) / 4
    EXPECT_EQ(cols->right[0], 2);   // (9 + 2) / 4, integer mean
    for (int x = 0; x < 413; ++x) EXPECT_EQ(cols->left[x], 0) << x;
    EXPECT_EQ(lv->display_frames, 0);
}

TEST(StripRaster, BackgroundBandsAndGrid) {
    auto lv = capture(414, 41, 414);  // H = 42, mid = 21, H/6 = 7
    auto cols = std::make_unique<LevelColumns>();
    ASSERT_TRUE(take_level_columns(*lv, *cols));
    StripRaster r;
    draw_level_strip(*cols, r);
    ASSERT_EQ(r.width(), 414);
    ASSERT_EQ(r.height(), 41);
    // Rows 0..3 close at y = 4: v = 255 - 2*17 = 221, darkened by 165 -> RGB(0, 27, 90).
    EXPECT_EQ(r.pixel(5, 2), 0x005A1B00u);
    // Rows 24..27 close at y = 28: v = 241, darkened by 180 -> RGB(0, 12, 75).
    EXPECT_EQ(r.pixel(5, 25), 0x004B0C00u);
    // Silent columns: the outlines sit just above and below the centre line.
    EXPECT_EQ(r.pixel(5, 20), kWhite);
    EXPECT_EQ(r.pixel(5, 22), 0u);
    // Horizontal grid rows 0, 7, 14, 21, 28, 35 and H-2 = 40, from x = 1 up to but not W-2.
    for (int y : {0, 7, 14, 21, 28, 35, 40}) {
        EXPECT_EQ(r.pixel(1, y), kGrid) << y;
        EXPECT_EQ(r.pixel(411, y), kGrid) << y;
    }
    // Vertical lines every 10 pixels for j < W/10 = 41, and at W-2.
    EXPECT_EQ(r.pixel(10, 3), kGrid);
    EXPECT_EQ(r.pixel(400, 3), kGrid);
    EXPECT_NE(r.pixel(410, 3), kGrid);
    EXPECT_EQ(r.pixel(412, 3), kGrid);
    EXPECT_NE(r.pixel(11, 3), kGrid);
}

TEST(StripRaster, MonoDrawsAboveTheCentreOnly) {
    auto lv = capture(414, 41, 828);
    for (int i = 0; i < 828; ++i) lv->left[i] = 128, lv->right[i] = 0;
    auto cols = std::make_unique<LevelColumns>();
    ASSERT_TRUE(take_level_columns(*lv, *cols));
    StripRaster r;
    draw_level_strip(*cols, r);
    const int mid = 21;
    // scale = 40/255: the bar runs from trunc(21 - 20.08) = 0 down to mid, leaving out mid.
    EXPECT_EQ(r.pixel(5, 1), kBar);
    EXPECT_EQ(r.pixel(5, mid - 1), kBar);
    for (int y = mid; y < 41; ++y) EXPECT_NE(r.pixel(5, y), kBar) << y;
    // Upper outline at trunc(21 - 20.08 - 1) = trunc(-0.08) = 0; lower at mid + 1, in black.
    EXPECT_EQ(r.pixel(5, 0), kWhite);
    EXPECT_EQ(r.pixel(5, mid + 1), 0u);
}

}  // namespace
}  // namespace vemo
