#include "toolkit/color_slider.h"

namespace vemo {

CColorSlider::CColorSlider() : m_colors{RGB(0x22, 0x2A, 0x36), RGB(0x1C, 0xB8, 0xC8), RGB(0xF2, 0xA5, 0x2F)} {
    Rebuild();
}

void CColorSlider::Rebuild() {
    m_bkBrush.reset(CreateSolidBrush(m_colors[0]));
    m_channelPen.reset(CreatePen(PS_SOLID, 1, shift(m_colors[1], -60)));
    m_thumbBrush.reset(CreateSolidBrush(m_colors[2]));
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColorSlider::SetColor1(COLORREF colour) {
    m_colors[0] = colour;
    Rebuild();
}

void CColorSlider::SetColor2(COLORREF colour) {
    m_colors[1] = colour;
    Rebuild();
}

void CColorSlider::SetColor3(COLORREF colour) {
    m_colors[2] = colour;
    Rebuild();
}

LRESULT CColorSlider::CustomDraw(NMCUSTOMDRAW& cd) {
    if (cd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    HDC dc = cd.hdc;
    RECT r = cd.rc;
    const bool vertical = (GetStyle() & TBS_VERT) != 0;
    switch (cd.dwItemSpec) {
    case TBCD_CHANNEL: {
        // A slim groove in the channel colour; the selection range in a lighter shade.
        if (vertical)
            InflateRect(&r, -((r.right - r.left) / 2 - 2), 0);
        else
            InflateRect(&r, 0, -((r.bottom - r.top) / 2 - 2));
        fill_solid(dc, r, shift(m_colors[1], -70));
        const int start = static_cast<int>(SendMessage(TBM_GETSELSTART));
        const int end = static_cast<int>(SendMessage(TBM_GETSELEND));
        const int lo = static_cast<int>(SendMessage(TBM_GETRANGEMIN));
        const int hi = static_cast<int>(SendMessage(TBM_GETRANGEMAX));
        if ((GetStyle() & TBS_ENABLESELRANGE) && end > start && hi > lo) {
            RECT s = r;
            const int len = vertical ? r.bottom - r.top : r.right - r.left;
            const int a = (start - lo) * len / (hi - lo), b = (end - lo) * len / (hi - lo);
            if (vertical) {
                s.top = r.top + a;
                s.bottom = r.top + b;
            } else {
                s.left = r.left + a;
                s.right = r.left + b;
            }
            fill_solid(dc, s, m_colors[1]);
        }
        Selected pen(dc, m_channelPen.get());
        Selected brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        return CDRF_SKIPDEFAULT;
    }
    case TBCD_THUMB: {
        const bool active = (cd.uItemState & CDIS_SELECTED) != 0;
        const COLORREF face = active ? shift(m_colors[2], 40) : m_colors[2];
        fill_vertical(dc, r, shift(face, 30), shift(face, -20));
        frame_rect(dc, r, shift(face, -80));
        // A grip line across the thumb.
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        if (vertical)
            fill_solid(dc, RECT{r.left + 3, cy, r.right - 3, cy + 1}, shift(face, -90));
        else
            fill_solid(dc, RECT{cx, r.top + 3, cx + 1, r.bottom - 3}, shift(face, -90));
        return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

bool CColorSlider::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, m_colors[0]);
        ::SetTextColor(dc, shift(m_colors[1], 40));  // the tick marks
        *result = reinterpret_cast<LRESULT>(m_bkBrush.brush());
        return true;
    }
    if (msg == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        if (nm->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            *result = CustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lp));
            return true;
        }
    }
    return false;
}

}  // namespace vemo
