#include "toolkit/gdi.h"

#include <algorithm>

namespace vemo {

BufferedDC::BufferedDC(HDC target, const RECT& rect) : target_(target), rect_(rect) {
    mem_ = CreateCompatibleDC(target);
    bitmap_ = CreateCompatibleBitmap(target, std::max(1L, rect.right - rect.left), std::max(1L, rect.bottom - rect.top));
    old_ = SelectObject(mem_, bitmap_);
    SetViewportOrgEx(mem_, -rect.left, -rect.top, nullptr);
}

BufferedDC::~BufferedDC() {
    SetViewportOrgEx(mem_, 0, 0, nullptr);
    BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, mem_, 0, 0, SRCCOPY);
    SelectObject(mem_, old_);
    DeleteObject(bitmap_);
    DeleteDC(mem_);
}

BufferedPaint::BufferedPaint(HWND hwnd) : hwnd_(hwnd) {
    HDC dc = BeginPaint(hwnd, &ps_);
    GetClientRect(hwnd, &rect_);
    buffer_.emplace(dc, rect_);
}

BufferedPaint::~BufferedPaint() {
    buffer_.reset();  // copies the picture to the window before the paint ends
    EndPaint(hwnd_, &ps_);
}

HBITMAP load_bitmap(UINT id) {
    return static_cast<HBITMAP>(
        LoadImageW(resource_module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HICON load_icon(UINT id, int size) {
    return static_cast<HICON>(LoadImageW(resource_module(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

SIZE bitmap_size(HBITMAP bitmap) {
    BITMAP bm{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

COLORREF blend(COLORREF a, COLORREF b, int t) {
    auto ch = [t](int x, int y) { return x + (y - x) * t / 256; };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

COLORREF shift(COLORREF c, int n) {
    auto ch = [n](int x) { return std::clamp(x + n, 0, 255); };
    return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

void fill_solid(HDC dc, const RECT& r, COLORREF c) {
    const COLORREF old = SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void fill_vertical(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    const int h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        const RECT row{r.left, r.top + y, r.right, r.top + y + 1};
        fill_solid(dc, row, blend(top, bottom, h > 1 ? y * 256 / (h - 1) : 0));
    }
}

void frame_rect(HDC dc, const RECT& r, COLORREF c) {
    fill_solid(dc, RECT{r.left, r.top, r.right, r.top + 1}, c);
    fill_solid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, c);
    fill_solid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, c);
    fill_solid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, c);
}

void tile_bitmap(HDC dc, HBITMAP bitmap, SIZE size, const RECT& r, POINT origin) {
    if (bitmap == nullptr || size.cx <= 0 || size.cy <= 0) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, bitmap);
    // First tile column and row at or before the rectangle's corner.
    auto first = [](int from, int org, int step) { return org + ((from - org) / step - ((from - org) % step < 0)) * step; };
    for (int y = first(r.top, origin.y, size.cy); y < r.bottom; y += size.cy)
        for (int x = first(r.left, origin.x, size.cx); x < r.right; x += size.cx)
            BitBlt(dc, x, y, size.cx, size.cy, src, 0, 0, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
    RestoreDC(dc, saved);
}

void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c, int width) {
    GdiHandle pen(CreatePen(PS_SOLID, width, c));
    Selected sel(dc, pen.get());
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

}  // namespace vemo
