// GDI helpers shared by the skin and the controls: owned handles, resources of this module,
// colour arithmetic and the few fills every control draws.
#pragma once
#include <optional>

#include "toolkit/wnd.h"

namespace vemo {

// Owns one GDI object (pen, brush, font, bitmap, region) and deletes it.
class GdiHandle {
public:
    GdiHandle() = default;
    explicit GdiHandle(HGDIOBJ h) : h_(h) {}
    ~GdiHandle() { reset(); }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    void reset(HGDIOBJ h = nullptr) {
        if (h_ != nullptr) DeleteObject(h_);
        h_ = h;
    }
    HGDIOBJ get() const { return h_; }
    HBRUSH brush() const { return static_cast<HBRUSH>(h_); }
    HPEN pen() const { return static_cast<HPEN>(h_); }
    HFONT font() const { return static_cast<HFONT>(h_); }
    HBITMAP bitmap() const { return static_cast<HBITMAP>(h_); }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HGDIOBJ h_ = nullptr;
};

// Selects an object into a DC for a scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// An off-screen copy of a rectangle of dc, copied back when it goes.
class BufferedDC {
public:
    BufferedDC(HDC target, const RECT& rect);
    ~BufferedDC();
    BufferedDC(const BufferedDC&) = delete;
    BufferedDC& operator=(const BufferedDC&) = delete;
    HDC dc() const { return mem_; }

private:
    HDC target_;
    RECT rect_;
    HDC mem_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// WM_PAINT of a whole client area through an off-screen buffer.
class BufferedPaint {
public:
    explicit BufferedPaint(HWND hwnd);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC dc() const { return buffer_->dc(); }
    const RECT& rect() const { return rect_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    RECT rect_{0, 0, 0, 0};
    std::optional<BufferedDC> buffer_;
};

HBITMAP load_bitmap(UINT id);
HICON load_icon(UINT id, int size);
SIZE bitmap_size(HBITMAP bitmap);

// t in 0..256: 0 gives a, 256 gives b.
COLORREF blend(COLORREF a, COLORREF b, int t);
// Adds n (may be negative) to every channel, stopping at 0 and 255.
COLORREF shift(COLORREF c, int n);

void fill_solid(HDC dc, const RECT& r, COLORREF c);
// Top-to-bottom gradient, one line per row.
void fill_vertical(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);
void frame_rect(HDC dc, const RECT& r, COLORREF c);
// Repeats the bitmap over r, its top-left tile at origin.
void tile_bitmap(HDC dc, HBITMAP bitmap, SIZE size, const RECT& r, POINT origin);
void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c, int width = 1);

}  // namespace vemo
