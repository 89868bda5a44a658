// The dialog base of every editor window: paints its client area itself (a tiled bitmap, or a
// fill colour) and lets the user drag the window by its client area.
#pragma once
#include "toolkit/gdi.h"

namespace vemo {

class CSkinDialog : public CDialog {
public:
    static constexpr int kDefaultFillMode = 22;
    static constexpr COLORREF kDefaultFillColour = 0x00FF3737;

    explicit CSkinDialog(UINT template_id = 0) : CDialog(template_id) {}

    // Loads the bitmap and tiles it over the client area; one whose size cannot be read is
    // dropped. False when there is no usable bitmap.
    bool SetBitmap(UINT bitmap_id);
    void SetClientDrag(bool on) { m_bClientDrag = on; }
    void SetFillColor(COLORREF colour, bool repaint = true);
    void SetFillMode(int mode) { m_nFillMode = mode; }

    int m_nFillMode = kDefaultFillMode;
    COLORREF m_crFill = kDefaultFillColour;
    GdiHandle m_bitmap;
    SIZE m_bitmapSize{0, 0};
    bool m_bClientDrag = true;

    // Paints the background of the rectangle r of this dialog's client area into dc, whose
    // origin is at client point origin (so a child can paint what lies behind it).
    void PaintBackground(HDC dc, const RECT& r, POINT origin) const;

protected:
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnLButtonDown(UINT flags, POINT pt) override;
    // Plain statics, group frames and buttons take the background under them.
    HBRUSH OnCtlColor(HDC dc, HWND child, UINT type) override;

private:
    GdiHandle m_fillBrush;
    GdiHandle m_patternBrush;
};

}  // namespace vemo
