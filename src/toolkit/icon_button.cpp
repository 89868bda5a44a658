#include "toolkit/icon_button.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/skin_dialog.h"

namespace vemo {

CIconButton::CIconButton() { SetDefaultColors(false); }

CIconButton::~CIconButton() { FreeIcons(); }

void CIconButton::FreeIcons() {
    for (HICON& icon : m_icons) {
        if (icon != nullptr) DestroyIcon(icon);
        icon = nullptr;
    }
}

void CIconButton::PreSubclassWindow() {
    const DWORD style = GetStyle();
    const DWORD type = style & BS_TYPEMASK;
    m_checkMode = type == BS_AUTOCHECKBOX;
    m_isDefault = type == BS_DEFPUSHBUTTON;
    if (m_checkMode) m_check = DefWindowProc(BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    // The button draws itself from here on; BM_SETSTYLE also repaints it.
    DefWindowProc(BM_SETSTYLE, (style & 0xFFFF & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW, TRUE);
}

int CIconButton::SetIcon(UINT first_id, UINT second_id) {
    FreeIcons();
    RECT rc{0, 0, 0, 0};
    if (m_hWnd) GetClientRect(m_hWnd, &rc);
    const int h = rc.bottom - rc.top;
    m_iconSize = h >= 36 ? 32 : (h >= 26 ? 24 : 16);
    m_icons[0] = first_id ? load_icon(first_id, m_iconSize) : nullptr;
    m_icons[1] = second_id ? load_icon(second_id, m_iconSize) : nullptr;
    Invalidate();
    return kOk;
}

int CIconButton::SetColor(int slot, COLORREF colour, bool repaint) {
    if (slot < 0 || slot >= kSlotCount) return kInvalidIndex;
    m_colors[static_cast<size_t>(slot)] = colour;
    if (repaint) Invalidate();
    return kOk;
}

int CIconButton::GetColor(int slot, COLORREF* colour) const {
    if (slot < 0 || slot >= kSlotCount || colour == nullptr) return kInvalidIndex;
    *colour = m_colors[static_cast<size_t>(slot)];
    return kOk;
}

int CIconButton::OffsetColor(int slot, int offset, bool repaint) {
    if (slot < 0 || slot >= kSlotCount) return kInvalidIndex;
    if (offset < -255 || offset > 255) return kBadParam;
    const COLORREF c = m_colors[static_cast<size_t>(slot)];
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    // The whole shift stops where the first channel reaches its end, so the hue is kept.
    if (offset > 0)
        offset = std::min(offset, 255 - std::max({r, g, b}));
    else
        offset = std::max(offset, -std::min({r, g, b}));
    m_colors[static_cast<size_t>(slot)] = RGB(r + offset, g + offset, b + offset);
    if (repaint) Invalidate();
    return kOk;
}

int CIconButton::SetDefaultColors(bool repaint) {
    m_colors[kBkIn] = GetSysColor(COLOR_BTNFACE);
    m_colors[kFgIn] = GetSysColor(COLOR_BTNTEXT);
    m_colors[kBkOut] = 0x00969600;
    m_colors[kFgOut] = GetSysColor(COLOR_BTNTEXT);
    m_colors[kBkFocus] = GetSysColor(COLOR_BTNFACE);
    m_colors[kFgFocus] = GetSysColor(COLOR_BTNTEXT);
    if (repaint) Invalidate();
    return kOk;
}

int CIconButton::SetCheck(int state, bool repaint) {
    if (m_checkMode) {
        m_check = state ? 1 : 0;
        if (repaint) Invalidate();
    }
    return kOk;
}

int CIconButton::SetTooltipText(std::string_view utf8, bool active) {
    m_tip.AddTool(m_hWnd, utf8, active);
    return kOk;
}

void CIconButton::DrawTransparent(bool repaint) {
    m_transparent = true;
    if (repaint) Invalidate();
}

void CIconButton::SetLink(std::string_view url) { m_link.assign(url.substr(0, std::min(url.size(), kMaxLink))); }

void CIconButton::SetHover(bool on) {
    if (m_hover == on) return;
    m_hover = on;
    Invalidate();
}

LRESULT CIconButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TopLevelInactiveMessage()) {
        SetHover(false);
        return 0;
    }
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter works as for the system's buttons: the default one answers it.
        return DLGC_BUTTON | (m_isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
        const DWORD type = static_cast<DWORD>(wp) & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON) m_isDefault = true;
        if (type == BS_PUSHBUTTON) m_isDefault = false;
        return DefWindowProc(msg, (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lp);
    }
    case BM_GETCHECK: return m_checkMode && m_check ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        SetCheck(wp == BST_CHECKED ? 1 : 0, true);
        return 0;
    case WM_LBUTTONDBLCLK:
        // A double click is a second click.
        return Dispatch(WM_LBUTTONDOWN, wp, lp);
    case WM_LBUTTONDOWN:
        SetFocus(m_hWnd);
        return Default();
    case WM_LBUTTONUP:
    case WM_KEYUP: {
        // The button reports BN_CLICKED while handling this message when it was pushed and the
        // release is inside it (or the space bar): the check flips first, so the dialog's
        // handler reads the new state.
        const bool pushed = (DefWindowProc(BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        bool release = false;
        if (msg == WM_LBUTTONUP) {
            RECT rc;
            GetClientRect(m_hWnd, &rc);
            const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            release = PtInRect(&rc, pt) != FALSE;
        } else {
            release = wp == VK_SPACE;
        }
        if (pushed && release && m_checkMode) {
            m_check = m_check ? 0 : 1;
            Invalidate();
        }
        return Default();
    }
    case WM_MOUSEMOVE:
        if (!m_hover && !(wp & MK_LBUTTON)) {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(m_hWnd, &pt);
            if (WindowFromPoint(pt) == m_hWnd && GetActiveWindow() == GetAncestor(m_hWnd, GA_ROOT)) {
                SetHover(true);
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
                TrackMouseEvent(&tme);
            }
        }
        return Default();
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        SetHover(false);
        return Default();
    default: return CWnd::WindowProc(msg, wp, lp);
    }
}

bool CIconButton::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
    switch (msg) {
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *result = TRUE;
        return true;
    case WM_CTLCOLORBTN:
        // The parent's background shows behind a transparent button.
        *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    default: return false;
    }
}

void CIconButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    const RECT rc = dis.rcItem;
    BufferedDC buffer(dis.hDC, rc);
    HDC dc = buffer.dc();
    const bool pressed = (dis.itemState & ODS_SELECTED) != 0;
    const bool disabled = (dis.itemState & ODS_DISABLED) != 0;
    const bool checked = m_checkMode && m_check;
    const bool hot = m_hover || pressed;
    const COLORREF bk = m_colors[hot ? kBkIn : kBkOut];
    // Greyed, a button sinks into a flat, darker ground and its text dims a quarter of the way
    // towards it; on the parent's background the text turns a light grey. Both still read.
    const COLORREF sunk = shift(bk, -40);
    COLORREF fg = m_colors[hot ? kFgIn : kFgOut];
    if (disabled) fg = m_transparent ? RGB(0xA8, 0xAE, 0xB6) : blend(m_colors[kFgOut], sunk, 64);

    HWND parent = ::GetParent(m_hWnd);
    if (m_transparent) {
        // What lies behind the button in the parent.
        POINT at{0, 0};
        MapWindowPoints(m_hWnd, parent, &at, 1);
        if (auto* skin = dynamic_cast<CSkinDialog*>(FromHandlePermanent(parent))) {
            skin->PaintBackground(dc, rc, at);
        } else {
            POINT old;
            SetViewportOrgEx(dc, -at.x, -at.y, &old);
            SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            SetViewportOrgEx(dc, old.x, old.y, nullptr);
        }
        if (hot || checked) {
            RECT in = rc;
            InflateRect(&in, -1, -1);
            frame_rect(dc, in, shift(bk, 50));
        }
    } else if (disabled) {
        fill_solid(dc, rc, sunk);
        frame_rect(dc, rc, shift(bk, -50));
    } else {
        fill_vertical(dc, rc, shift(bk, pressed || checked ? -14 : 14), shift(bk, pressed || checked ? 6 : -10));
        frame_rect(dc, rc, shift(bk, -50));
        RECT in = rc;
        InflateRect(&in, -1, -1);
        frame_rect(dc, in, pressed || checked ? shift(bk, -28) : shift(bk, 36));
    }

    // Icon: first while hot (or checked), second at rest (or unchecked) when there is one.
    HICON icon = m_icons[0];
    if (m_icons[1] != nullptr && (m_checkMode ? !checked : !hot)) icon = m_icons[1];
    const int shift_px = pressed ? 1 : 0;
    wchar_t text[128] = {};
    const int n = GetWindowTextW(m_hWnd, text, 127);
    int text_left = rc.left + 4;
    if (icon != nullptr) {
        const int x = n > 0 ? rc.left + 3 : (rc.left + rc.right - m_iconSize) / 2;
        const int y = (rc.top + rc.bottom - m_iconSize) / 2;
        DrawIconEx(dc, x + shift_px, y + shift_px, icon, m_iconSize, m_iconSize, 0, nullptr, DI_NORMAL);
        text_left = x + m_iconSize + 3;
    }
    if (n > 0) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        Selected sel(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        RECT tr{text_left + shift_px, rc.top + shift_px, rc.right - 3 + shift_px, rc.bottom + shift_px};
        const UINT align = (icon != nullptr ? DT_LEFT : DT_CENTER) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        // The one-pixel relief: a dark copy of the text below and right of it.
        OffsetRect(&tr, 1, 1);
        SetTextColor(dc, shift(m_transparent ? RGB(0x20, 0x20, 0x20) : bk, -70));
        DrawTextW(dc, text, n, &tr, align);
        OffsetRect(&tr, -1, -1);
        SetTextColor(dc, fg);
        DrawTextW(dc, text, n, &tr, align);
    }
    if ((dis.itemState & ODS_FOCUS) && !m_checkMode) {
        RECT fr = rc;
        InflateRect(&fr, -3, -3);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
        DrawFocusRect(dc, &fr);
    }
}

}  // namespace vemo
