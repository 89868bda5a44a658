#include "editor/strip_raster.h"

#include <algorithm>
#include <cstdlib>

namespace vemo {
namespace {

constexpr uint32_t colour(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

// Takes a from each of red, green and blue, stopping at 0.
uint32_t darken_by(uint32_t c, int a) {
    const int r = std::max(0, static_cast<int>(c & 0xFF) - a);
    const int g = std::max(0, static_cast<int>((c >> 8) & 0xFF) - a);
    const int b = std::max(0, static_cast<int>((c >> 16) & 0xFF) - a);
    return colour(r, g, b);
}

constexpr uint32_t kBandBase = colour(32, 192, 255);
constexpr uint32_t kGridColour = colour(0, 32, 0);
constexpr uint32_t kBarColour = colour(212, 212, 16);
constexpr uint32_t kWhite = colour(255, 255, 255);
constexpr uint32_t kBlack = colour(0, 0, 0);
// 1/255 as the single-precision constant the scale is built from.
constexpr float kInv255 = 1.0f / 255.0f;

}  // namespace

void StripRaster::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
}

void StripRaster::plot(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void StripRaster::fill_rect(int left, int top, int right, int bottom, uint32_t c) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void StripRaster::line(int x0, int y0, int x1, int y1, uint32_t c) {
    // Bresenham along the major axis, stopping one pixel short of the end point.
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    if (dx >= dy) {
        int err = dx / 2;
        for (int i = 0, y = y0, x = x0; i < dx; ++i, x += sx) {
            plot(x, y, c);
            err -= dy;
            if (err < 0) y += sy, err += dx;
        }
    } else {
        int err = dy / 2;
        for (int i = 0, x = x0, y = y0; i < dy; ++i, y += sy) {
            plot(x, y, c);
            err -= dx;
            if (err < 0) x += sx, err += dy;
        }
    }
}

void StripRaster::polyline(const int* xs, const int* ys, int count, uint32_t c) {
    for (int i = 0; i + 1 < count; ++i) line(xs[i], ys[i], xs[i + 1], ys[i + 1], c);
}

bool take_level_columns(LevelCapture& lv, LevelColumns& out) {
    const int frames = lv.display_frames;
    const int w = lv.width;
    if (w <= 0 || frames / w < 1) {
        lv.display_frames = 0;
        return false;
    }
    out.width = w;
    out.height = lv.height;
    out.height6 = lv.height6;
    out.width10 = lv.width10;
    out.step = frames / w;
    for (int x = 0; x < w; ++x) {
        int sl = 0, sr = 0;
        for (int k = 0; k < out.step; ++k) {
            sl += lv.left[x * out.step + k];
            sr += lv.right[x * out.step + k];
        }
        out.left[x] = static_cast<uint8_t>(sl / out.step);
        out.right[x] = static_cast<uint8_t>(sr / out.step);
    }
    lv.display_frames = 0;
    return true;
}

void draw_level_strip(const LevelColumns& cols, StripRaster& r) {
    const int w = cols.width, h = cols.height;
    const int mid = h / 2;
    if (r.width() != w || r.height() != h - 1) r.resize(w, h - 1);

    // 1. Bands, four rows each, light at the edges and dark blue in the middle.
    int top = 0;
    for (int y = 0; y < h; ++y) {
        if (!((y > 0 && y % 4 == 0) || y == h - 1)) continue;
        const int v = std::clamp(255 - 2 * std::abs(y - mid), 0, 255);
        r.fill_rect(0, top, w, y, darken_by(kBandBase, (3 * v) / 4));
        top = y;
    }

    // 2. Grid.
    for (int k : {0, 1, 2, 4, 5}) r.line(1, k * cols.height6, w - 2, k * cols.height6, kGridColour);
    r.line(1, mid, w - 2, mid, kGridColour);
    r.line(1, h - 2, w - 2, h - 2, kGridColour);
    for (int j = 0; j < cols.width10; ++j) r.line(10 * j, 1, 10 * j, h - 1, kGridColour);
    r.line(w - 2, 1, w - 2, h - 1, kGridColour);

    // 4. Bars: channel 0 rises above the centre line, channel 1 hangs below it.
    const double scale = static_cast<double>(h - 2) * static_cast<double>(kInv255);
    int xs[kStripMaxWidth], upper[kStripMaxWidth], lower[kStripMaxWidth];
    for (int x = 0; x < w; ++x) {
        xs[x] = x;
        const double l = cols.left[x] * scale, rr = cols.right[x] * scale;
        r.line(x, static_cast<int>(mid - l), x, static_cast<int>(mid + rr), kBarColour);
        upper[x] = static_cast<int>(mid - l - 1);
        lower[x] = static_cast<int>(mid + rr + 1);
    }
    // 6, 7. Outlines.
    r.polyline(xs, upper, w, kWhite);
    r.polyline(xs, lower, w, kBlack);
}

}  // namespace vemo
