// The level display as a portable picture: the caption strip's background bands, grid, bars
// and outlines drawn into a W x H pixel buffer with GDI's rules (a line leaves out its end
// point, a filled rectangle its right and bottom edges).  Windows blits it into the strip;
// the CLI writes it as PNG.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/levels.h"

namespace vemo {

class StripRaster {
public:
    StripRaster() = default;
    StripRaster(int width, int height) { resize(width, height); }
    void resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // 0x00BBGGRR, as a COLORREF.
    uint32_t pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }

    void fill_rect(int left, int top, int right, int bottom, uint32_t colour);
    // From (x0, y0) towards (x1, y1); the end point is not drawn.
    void line(int x0, int y0, int x1, int y1, uint32_t colour);
    void polyline(const int* xs, const int* ys, int count, uint32_t colour);

private:
    void plot(int x, int y, uint32_t colour);
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Column means of one captured buffer, taken out of the engine so drawing needs no lock.
struct LevelColumns {
    int width = 0;   // W
    int height = 0;  // H (client height + 1)
    int height6 = 0;
    int width10 = 0;
    int step = 0;    // frames per column
    uint8_t left[kStripMaxWidth] = {};
    uint8_t right[kStripMaxWidth] = {};
};

// Column means of the captured levels; false (and the capture dropped) when there are fewer
// frames than the strip has columns or no strip was measured.  Resets display_frames to 0.
bool take_level_columns(LevelCapture& lv, LevelColumns& out);

// Draws background, grid, bars and outlines for these columns into a W x (H - 1) raster.
void draw_level_strip(const LevelColumns& cols, StripRaster& raster);

}  // namespace vemo
