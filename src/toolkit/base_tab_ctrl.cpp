#include "toolkit/base_tab_ctrl.h"

namespace vemo {

CBaseTabCtrl::CBaseTabCtrl() {
    show_message = [](HWND owner, const std::wstring& text) { MessageBoxW(owner, text.c_str(), L"", MB_OK); };
}

void CBaseTabCtrl::PreSubclassWindow() {
    // Pages are children of the tab; its painting must leave them alone.
    ModifyStyle(0, WS_CLIPCHILDREN);
}

CDialog* CBaseTabCtrl::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)].dialog : nullptr;
}

RECT CBaseTabCtrl::PageRect() const {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    SendMessage(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

bool CBaseTabCtrl::AddPage(std::string_view title, CDialog* page, UINT template_id, int image) {
    if (page == nullptr || m_hWnd == nullptr) return false;
    if (page->m_hWnd == nullptr && !page->Create(template_id, m_hWnd)) return false;
    m_pages.push_back(Page{widen(title), page, template_id, image});
    Page& p = m_pages.back();
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = p.title.data();
    item.iImage = image;
    SendMessage(TCM_INSERTITEMW, m_pages.size() - 1, reinterpret_cast<LPARAM>(&item));
    const RECT r = PageRect();
    SetWindowPos(page->m_hWnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    ShowWindow(page->m_hWnd, SW_HIDE);
    return true;
}

bool CBaseTabCtrl::SelectPage(int index) {
    if (index < 0 || index >= GetPageCount()) return false;
    if (GetStyle() & TCS_VERTICAL) show_message(m_hWnd, widen(kVerticalMessage));
    if (CDialog* old = GetPage(m_current)) {
        old->UpdateData(true);
        ShowWindow(old->m_hWnd, SW_HIDE);
    }
    m_current = index;
    SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index));
    CDialog* page = GetPage(index);
    page->UpdateData(false);
    const RECT r = PageRect();
    SetWindowPos(page->m_hWnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
    return true;
}

void CBaseTabCtrl::SetImageList(HIMAGELIST images) {
    m_images = images;
    SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
}

bool CBaseTabCtrl::SetBitmap(UINT bitmap_id) {
    const int slot = m_bitmapCount < 2 ? m_bitmapCount : 1;
    m_bitmaps[slot].reset(load_bitmap(bitmap_id));
    m_bitmapSizes[slot] = bitmap_size(m_bitmaps[slot].bitmap());
    if (m_bitmapSizes[slot].cx <= 0 || m_bitmapSizes[slot].cy <= 0) {
        m_bitmaps[slot].reset();
        return false;
    }
    m_bitmapCount = slot + 1;
    Invalidate();
    return true;
}

void CBaseTabCtrl::SetColors(COLORREF text, COLORREF header) {
    m_text = text;
    m_header = header;
    Invalidate();
}

void CBaseTabCtrl::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    const RECT r = PageRect();
    for (const Page& p : m_pages)
        SetWindowPos(p.dialog->m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | SWP_NOZORDER);
}

void CBaseTabCtrl::OnPaint() {
    BufferedPaint paint(m_hWnd);
    HDC dc = paint.dc();
    const RECT& rc = paint.rect();
    {
        // Background: the parent's tiling continued under the tab.
        POINT at{0, 0};
        MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &at, 1);
        if (m_bitmaps[1])
            tile_bitmap(dc, m_bitmaps[1].bitmap(), m_bitmapSizes[1], rc, POINT{-at.x, -at.y});
        else
            fill_solid(dc, rc, shift(m_header, -40));
        RECT page = PageRect();
        InflateRect(&page, 1, 1);
        frame_rect(dc, page, m_header);

        HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        Selected sel(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        HDC src = CreateCompatibleDC(dc);
        for (int i = 0; i < GetPageCount(); ++i) {
            RECT r;
            if (!SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
            const bool selected = i == m_current;
            if (selected) r.top -= 2;
            if (selected) {
                fill_vertical(dc, r, shift(m_header, 36), m_header);
            } else if (m_bitmaps[0]) {
                HGDIOBJ old = SelectObject(src, m_bitmaps[0].bitmap());
                SetStretchBltMode(dc, HALFTONE);
                StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, m_bitmapSizes[0].cx,
                           m_bitmapSizes[0].cy, SRCCOPY);
                SelectObject(src, old);
            } else {
                fill_vertical(dc, r, shift(m_header, -10), shift(m_header, -40));
            }
            frame_rect(dc, r, selected ? shift(m_header, 60) : shift(m_header, -30));
            const Page& p = m_pages[static_cast<size_t>(i)];
            int x = r.left + 6;
            if (m_images != nullptr && p.image >= 0) {
                int w = 0, h = 0;
                ImageList_GetIconSize(m_images, &w, &h);
                ImageList_Draw(m_images, p.image, dc, x, (r.top + r.bottom - h) / 2, ILD_TRANSPARENT);
                x += w + 4;
            }
            RECT tr{x, r.top, r.right - 4, r.bottom};
            SetTextColor(dc, selected ? m_text : RGB(0xC8, 0xCE, 0xD6));
            DrawTextW(dc, p.title.c_str(), static_cast<int>(p.title.size()), &tr,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        }
        DeleteDC(src);
    }
}

bool CBaseTabCtrl::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
    if (msg != WM_NOTIFY) return false;
    const auto* nm = reinterpret_cast<const NMHDR*>(lp);
    if (nm->code != static_cast<UINT>(TCN_SELCHANGE)) return false;
    SelectPage(static_cast<int>(SendMessage(TCM_GETCURSEL)));
    *result = 0;
    return false;  // the parent hears of the change too
}

}  // namespace vemo
