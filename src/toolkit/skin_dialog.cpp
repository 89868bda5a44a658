#include "toolkit/skin_dialog.h"

namespace vemo {

bool CSkinDialog::SetBitmap(UINT bitmap_id) {
    m_bitmap.reset(load_bitmap(bitmap_id));
    m_bitmapSize = bitmap_size(m_bitmap.bitmap());
    if (m_bitmapSize.cx <= 0 || m_bitmapSize.cy <= 0) {
        m_bitmap.reset();
        m_bitmapSize = SIZE{0, 0};
    }
    m_patternBrush.reset(m_bitmap ? CreatePatternBrush(m_bitmap.bitmap()) : nullptr);
    Invalidate();
    return static_cast<bool>(m_bitmap);
}

void CSkinDialog::SetFillColor(COLORREF colour, bool repaint) {
    m_crFill = colour;
    m_fillBrush.reset(CreateSolidBrush(colour));
    if (repaint) Invalidate();
}

BOOL CSkinDialog::OnInitDialog() {
    SetFillColor(kDefaultFillColour, false);
    return CDialog::OnInitDialog();
}

void CSkinDialog::PaintBackground(HDC dc, const RECT& r, POINT origin) const {
    // Fill mode 22 and every other mode fill flat; only the bitmap draws a picture.
    if (m_bitmap)
        tile_bitmap(dc, m_bitmap.bitmap(), m_bitmapSize, r, POINT{-origin.x, -origin.y});
    else
        fill_solid(dc, r, m_crFill);
}

BOOL CSkinDialog::OnEraseBkgnd(HDC dc) {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    PaintBackground(dc, rc, POINT{0, 0});
    return TRUE;
}

void CSkinDialog::OnLButtonDown(UINT flags, POINT pt) {
    if (!m_bClientDrag) {
        CDialog::OnLButtonDown(flags, pt);
        return;
    }
    // The system moves the window when it thinks its caption was pressed. A page inside a tab
    // moves the window it belongs to, never itself.
    ClientToScreen(m_hWnd, &pt);
    PostMessageW(GetAncestor(m_hWnd, GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

HBRUSH CSkinDialog::OnCtlColor(HDC dc, HWND child, UINT type) {
    if (type != CTLCOLOR_STATIC && type != CTLCOLOR_BTN && type != CTLCOLOR_DLG) return CDialog::OnCtlColor(dc, child, type);
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const bool plain = type == CTLCOLOR_DLG || lstrcmpiW(cls, L"Static") == 0 || lstrcmpiW(cls, L"Button") == 0;
    if (!plain) return CDialog::OnCtlColor(dc, child, type);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xE8, 0xEC, 0xF0));
    if (m_bitmap) {
        // The pattern lines up with the dialog's own tiling at the child's place.
        POINT at{0, 0};
        MapWindowPoints(child, m_hWnd, &at, 1);
        SetBrushOrgEx(dc, -at.x, -at.y, nullptr);
        return m_patternBrush.brush();
    }
    if (!m_fillBrush) m_fillBrush.reset(CreateSolidBrush(m_crFill));
    return m_fillBrush.brush();
}

}  // namespace vemo
