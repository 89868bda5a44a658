#include "toolkit/window_skin.h"

#include <windowsx.h>

#include <algorithm>

namespace vemo {

namespace {

constexpr int kBoxTop = 3;
constexpr int kBoxBottom = 24;
constexpr ULONG_PTR kMenuItemTag = 0x56454D00;  // item data of our owner-drawn menu items: tag | index

bool is_sizing_hit(int hit) { return hit >= HTLEFT && hit <= HTBOTTOMRIGHT; }

// The caption glyphs and menu images, drawn with lines so that they scale with nothing.
void draw_glyph(HDC dc, const RECT& r, UINT what, COLORREF c) {
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    switch (what) {
    case HTCLOSE:
    case CWindowSkin::kMenuClose:
        line(dc, cx - 4, cy - 4, cx + 5, cy + 5, c, 2);
        line(dc, cx + 4, cy - 4, cx - 5, cy + 5, c, 2);
        break;
    case HTMINBUTTON:
    case CWindowSkin::kMenuMinimise: fill_solid(dc, RECT{cx - 5, cy + 3, cx + 5, cy + 5}, c); break;
    case HTMAXBUTTON:
    case CWindowSkin::kMenuMaximise:
        frame_rect(dc, RECT{cx - 5, cy - 5, cx + 5, cy + 5}, c);
        fill_solid(dc, RECT{cx - 5, cy - 5, cx + 5, cy - 3}, c);
        break;
    case CWindowSkin::kMenuRestore:
        frame_rect(dc, RECT{cx - 2, cy - 5, cx + 5, cy + 2}, c);
        fill_solid(dc, RECT{cx - 5, cy - 2, cx + 2, cy + 5}, c);
        break;
    case CWindowSkin::kMenuSize:
        line(dc, cx - 5, cy + 5, cx + 5, cy - 5, c, 1);
        line(dc, cx + 1, cy - 5, cx + 5, cy - 5, c, 1);
        line(dc, cx + 5, cy - 5, cx + 5, cy - 1, c, 1);
        line(dc, cx - 5, cy + 1, cx - 5, cy + 5, c, 1);
        line(dc, cx - 5, cy + 5, cx - 1, cy + 5, c, 1);
        break;
    case CWindowSkin::kMenuSkin:
        fill_solid(dc, RECT{cx - 5, cy - 5, cx, cy}, RGB(0xE5, 0x48, 0x4D));
        fill_solid(dc, RECT{cx, cy - 5, cx + 5, cy}, RGB(0xF2, 0xA5, 0x2F));
        fill_solid(dc, RECT{cx - 5, cy, cx, cy + 5}, RGB(0x1C, 0xB8, 0xC8));
        fill_solid(dc, RECT{cx, cy, cx + 5, cy + 5}, RGB(0x3D, 0xD6, 0x8C));
        break;
    case CWindowSkin::kMenuAbout:
        fill_solid(dc, RECT{cx - 1, cy - 5, cx + 1, cy - 3}, c);
        fill_solid(dc, RECT{cx - 1, cy - 1, cx + 1, cy + 5}, c);
        break;
    default: break;
    }
}

BOOL CALLBACK tell_inactive(HWND child, LPARAM) {
    SendMessageW(child, TopLevelInactiveMessage(), 0, 0);
    return TRUE;
}

}  // namespace

RECT skin_close_box(int width) { return RECT{width - 25, kBoxTop, width - 4, kBoxBottom}; }
RECT skin_min_box(int width, bool has_max_box) {
    return has_max_box ? RECT{width - 70, kBoxTop, width - 49, kBoxBottom} : RECT{width - 47, kBoxTop, width - 26, kBoxBottom};
}
RECT skin_max_box(int width) { return RECT{width - 47, kBoxTop, width - 26, kBoxBottom}; }

CWindowSkin::~CWindowSkin() { Unhook(this); }

bool CWindowSkin::LoadSkin(const char* name) {
    m_name = name ? name : "";
    m_bLoaded = true;
    m_insets = RECT{kInsetLeft, kInsetTop, kInsetRight, kInsetBottom};
    return true;
}

bool CWindowSkin::Attach(HWND hwnd) {
    if (!m_bLoaded || hwnd == nullptr || IsHooked()) return false;
    RECT client;
    GetClientRect(hwnd, &client);
    if (!Hook(hwnd, this)) return false;
    m_hSkinned = hwnd;
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    m_bSizable = (style & WS_THICKFRAME) != 0;
    m_bHasMinBox = (style & WS_MINIMIZEBOX) != 0;
    m_bHasMaxBox = (style & WS_MAXIMIZEBOX) != 0;
    SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    const int n = GetWindowTextLengthW(hwnd);
    m_caption.assign(static_cast<size_t>(n) + 1, L'\0');
    m_caption.resize(static_cast<size_t>(std::max(0, GetWindowTextW(hwnd, m_caption.data(), n + 1))));
    m_bActive = GetActiveWindow() == hwnd;
    // The frame is wider than the system's: the window grows so that the client area keeps the
    // size its template gave it.
    SetWindowPos(hwnd, nullptr, 0, 0, client.right + m_insets.left + m_insets.right,
                 client.bottom + m_insets.top + m_insets.bottom,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void CWindowSkin::SetColours(const SkinColours& colours) {
    m_colours = colours;
    RepaintFrame();
}

void CWindowSkin::RepaintFrame() {
    if (m_hSkinned == nullptr || !IsHooked()) return;
    RECT wr;
    GetWindowRect(m_hSkinned, &wr);
    HDC dc = GetWindowDC(m_hSkinned);
    if (dc == nullptr) return;
    PaintFrame(dc, wr.right - wr.left, wr.bottom - wr.top);
    ReleaseDC(m_hSkinned, dc);
}

POINT CWindowSkin::ToWindow(LPARAM screen_lp) const {
    RECT wr;
    GetWindowRect(m_hSkinned, &wr);
    return POINT{GET_X_LPARAM(screen_lp) - wr.left, GET_Y_LPARAM(screen_lp) - wr.top};
}

int CWindowSkin::HitTest(POINT pt) const {
    RECT wr{0, 0, 0, 0};
    if (m_hSkinned) GetWindowRect(m_hSkinned, &wr);
    const int w = wr.right - wr.left;
    const int h = wr.bottom - wr.top;
    RECT box = skin_close_box(w);
    if (PtInRect(&box, pt)) return HTCLOSE;
    if (m_bHasMinBox) {
        box = skin_min_box(w, m_bHasMaxBox);
        if (PtInRect(&box, pt)) return HTMINBUTTON;
    }
    if (m_bHasMaxBox) {
        box = skin_max_box(w);
        if (PtInRect(&box, pt)) return HTMAXBUTTON;
    }
    const RECT icon{m_insets.left, kCaptionTop, m_insets.left + GetSystemMetrics(SM_CXSMICON),
                    kCaptionTop + GetSystemMetrics(SM_CYSMICON)};
    if (PtInRect(&icon, pt)) return HTSYSMENU;
    if (m_bSizable && m_state != kMaximised) {
        // The top edge is the strip above the caption band; the others are as wide as the insets.
        const bool left = pt.x < m_insets.left, right = pt.x >= w - m_insets.right;
        const bool top = pt.y < kCaptionTop, bottom = pt.y >= h - m_insets.bottom;
        if (top && left) return HTTOPLEFT;
        if (top && right) return HTTOPRIGHT;
        if (bottom && left) return HTBOTTOMLEFT;
        if (bottom && right) return HTBOTTOMRIGHT;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
        if (bottom) return HTBOTTOM;
        if (top) return HTTOP;
    }
    if (pt.x >= m_insets.left && pt.x < w - m_insets.right && pt.y >= kCaptionTop && pt.y < m_insets.top)
        return HTCAPTION;
    return HTCLIENT;
}

void CWindowSkin::SetHot(int hit) {
    if (hit == m_hot) return;
    m_hot = hit;
    RepaintFrame();
}

void CWindowSkin::Maximise() {
    if (!m_bHasMaxBox || m_state == kMaximised || m_hSkinned == nullptr) return;
    GetWindowRect(m_hSkinned, &m_normalRect);
    m_state = kMaximised;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(m_hSkinned, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& a = mi.rcWork;
    MoveWindow(m_hSkinned, a.left, a.top, a.right - a.left, a.bottom - a.top, TRUE);
    RepaintFrame();
}

void CWindowSkin::Restore() {
    if (m_hSkinned == nullptr) return;
    if (m_state == kMaximised) {
        m_state = kNormal;
        const RECT& r = m_normalRect;
        MoveWindow(m_hSkinned, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        RepaintFrame();
    } else if (m_state == kMinimised) {
        m_state = m_stateBeforeMinimise;
        ShowWindow(m_hSkinned, SW_RESTORE);
    } else if (IsIconic(m_hSkinned)) {
        ShowWindow(m_hSkinned, SW_RESTORE);  // minimised by the system, not through the skin
    }
}

void CWindowSkin::Minimise() {
    if (m_hSkinned == nullptr || m_state == kMinimised) return;
    m_stateBeforeMinimise = m_state;
    m_state = kMinimised;
    ShowWindow(m_hSkinned, SW_MINIMIZE);
}

void CWindowSkin::CloseAction() {
    if (m_hostMode == 1)
        SendMessageW(m_hSkinned, kEditorCommand, kFrameCommand, kHide);
    else
        SendMessageW(m_hSkinned, WM_CLOSE, 0, 0);
}

bool CWindowSkin::OnMenuCommand(UINT id) {
    switch (id) {
    case kMenuRestore: Restore(); return true;
    case kMenuSize:
        if (m_bSizable) PostMessageW(m_hSkinned, WM_SYSCOMMAND, SC_SIZE, 0);
        return true;
    case kMenuMinimise: Minimise(); return true;
    case kMenuMaximise: Maximise(); return true;
    case kMenuSkin:
        if (m_hostMode == 1) SendMessageW(m_hSkinned, kEditorCommand, kFrameCommand, kToggleColourWindow);
        return true;
    case kMenuClose: CloseAction(); return true;
    case kMenuAbout:
        if (m_hostMode == 1) SendMessageW(m_hSkinned, kEditorCommand, kFrameCommand, kAbout);
        return true;
    default: return false;
    }
}

void CWindowSkin::ShowSystemMenu(POINT screen) {
    HMENU bar = LoadMenuW(resource_module(), MAKEINTRESOURCEW(kMenuId));
    if (bar == nullptr) return;
    HMENU popup = GetSubMenu(bar, 0);
    // Every item is drawn by the skin; the texts are kept here for the drawing.
    m_menuTexts.clear();
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 63;
        GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &mii);
        m_menuTexts.push_back((mii.fType & MFT_SEPARATOR) ? L"" : text);
        MENUITEMINFOW od{};
        od.cbSize = sizeof od;
        od.fMask = MIIM_FTYPE | MIIM_DATA;
        od.fType = (mii.fType & MFT_SEPARATOR) | MFT_OWNERDRAW;
        od.dwItemData = kMenuItemTag | static_cast<ULONG_PTR>(i);
        SetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &od);
    }
    SetForegroundWindow(m_hSkinned);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hSkinned, nullptr);
    PostMessageW(m_hSkinned, WM_NULL, 0, 0);
    DestroyMenu(bar);
}

bool CWindowSkin::OnMeasureMenu(MEASUREITEMSTRUCT* mis) {
    if (mis->CtlType != ODT_MENU || (mis->itemData & ~0xFFul) != kMenuItemTag) return false;
    const size_t index = mis->itemData & 0xFF;
    const std::wstring text = index < m_menuTexts.size() ? m_menuTexts[index] : L"";
    if (text.empty() && index != 0) {
        mis->itemWidth = 40;
        mis->itemHeight = 7;
        return true;
    }
    HDC dc = GetDC(m_hSkinned);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hSkinned, WM_GETFONT, 0, 0));
    Selected sel(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE sz{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz);
    ReleaseDC(m_hSkinned, dc);
    mis->itemWidth = static_cast<UINT>(sz.cx + 16 + 28);
    mis->itemHeight = static_cast<UINT>(std::max<LONG>(22, sz.cy + 8));
    return true;
}

bool CWindowSkin::OnDrawMenu(const DRAWITEMSTRUCT* dis) {
    if (dis->CtlType != ODT_MENU || (dis->itemData & ~0xFFul) != kMenuItemTag) return false;
    const SkinColours& s = m_colours;
    const size_t index = dis->itemData & 0xFF;
    const std::wstring text = index < m_menuTexts.size() ? m_menuTexts[index] : L"";
    const RECT r = dis->rcItem;
    HDC dc = dis->hDC;
    const COLORREF panel = shift(s.main_colour, -24);
    if (index == 0) {  // the title item
        fill_vertical(dc, r, shift(s.main_colour, 36), s.main_colour);
    } else if (text.empty()) {
        fill_solid(dc, r, panel);
        const int y = (r.top + r.bottom) / 2;
        fill_solid(dc, RECT{r.left + 6, y, r.right - 6, y + 1}, shift(s.main_colour, 30));
        return true;
    } else {
        const bool selected = (dis->itemState & ODS_SELECTED) != 0;
        fill_solid(dc, r, selected ? shift(s.main_colour, 40) : panel);
        const UINT id = dis->itemID;
        draw_glyph(dc, RECT{r.left + 4, r.top + (r.bottom - r.top - 16) / 2, r.left + 20, r.top + (r.bottom - r.top + 16) / 2},
                   id, RGB(0xF0, 0xF2, 0xF5));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, index == 0 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0xE8, 0xEC, 0xF0));
    RECT tr{r.left + (index == 0 ? 8 : 28), r.top, r.right - 4, r.bottom};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    return true;
}

// ----------------------------------------------------------------------------- painting

void CWindowSkin::UpdateRegion(int width, int height) {
    const SkinColours& s = m_colours;
    const bool maximised = m_state == kMaximised;
    if (width == m_regionSize.cx && height == m_regionSize.cy && s.border_style == m_regionBorder &&
        maximised == m_regionMaximised)
        return;
    m_regionSize = SIZE{width, height};
    m_regionBorder = s.border_style;
    m_regionMaximised = maximised;
    // Border style 6 cuts the corners round; every other style keeps the plain rectangle.
    HRGN rgn = (s.border_style == 6 && !maximised) ? CreateRoundRectRgn(0, 0, width + 1, height + 1, 14, 14)
                                                  : CreateRectRgn(0, 0, width, height);
    SetWindowRgn(m_hSkinned, rgn, FALSE);  // the system owns rgn from here
}

void CWindowSkin::PaintFrame(HDC window_dc, int width, int height) {
    if (width <= 0 || height <= 0) return;
    UpdateRegion(width, height);
    const int saved = SaveDC(window_dc);
    ExcludeClipRect(window_dc, m_insets.left, m_insets.top, width - m_insets.right, height - m_insets.bottom);
    {
        BufferedDC buffer(window_dc, RECT{0, 0, width, height});
        HDC dc = buffer.dc();
        PaintBorder(dc, width, height);
        PaintCaption(dc, width);
    }
    RestoreDC(window_dc, saved);
}

void CWindowSkin::PaintBorder(HDC dc, int w, int h) {
    const SkinColours& s = m_colours;
    const COLORREF main = m_bActive ? s.main_colour : blend(s.main_colour, RGB(0x50, 0x50, 0x50), 120);
    const COLORREF dark = shift(main, -60);
    const COLORREF light = shift(main, 60);
    const RECT all{0, 0, w, h};
    const RECT client{m_insets.left, m_insets.top, w - m_insets.right, h - m_insets.bottom};
    switch (s.border_style) {
    case 1:  // double line
        fill_solid(dc, all, shift(main, -18));
        frame_rect(dc, all, dark);
        frame_rect(dc, RECT{3, 3, w - 3, h - 3}, light);
        break;
    case 2:  // raised bevel
        fill_solid(dc, all, main);
        fill_solid(dc, RECT{0, 0, w, 2}, light);
        fill_solid(dc, RECT{0, 0, 2, h}, light);
        fill_solid(dc, RECT{0, h - 2, w, h}, dark);
        fill_solid(dc, RECT{w - 2, 0, w, h}, dark);
        break;
    case 3:  // sunken bevel
        fill_solid(dc, all, shift(main, -10));
        fill_solid(dc, RECT{0, 0, w, 2}, dark);
        fill_solid(dc, RECT{0, 0, 2, h}, dark);
        fill_solid(dc, RECT{0, h - 2, w, h}, light);
        fill_solid(dc, RECT{w - 2, 0, w, h}, light);
        break;
    case 4:  // rings from dark outside to the main colour inside
        for (int i = 0; i < m_insets.left; ++i) {
            fill_solid(dc, RECT{i, i, w - i, h - i}, blend(dark, main, i * 256 / m_insets.left));
        }
        break;
    case 5:  // ribbed
        for (int i = 0; i < m_insets.left; ++i)
            fill_solid(dc, RECT{i, i, w - i, h - i}, (i & 1) ? shift(main, 16) : shift(main, -22));
        break;
    case 6:  // flat with a light rim; the window region rounds its corners
        fill_solid(dc, all, shift(main, -12));
        frame_rect(dc, all, light);
        break;
    default:  // 0: flat
        fill_solid(dc, all, shift(main, -12));
        frame_rect(dc, all, dark);
        break;
    }
    // A hairline where the client area begins.
    frame_rect(dc, RECT{client.left - 1, client.top - 1, client.right + 1, client.bottom + 1}, shift(main, -40));
}

void CWindowSkin::PaintCaption(HDC dc, int w) {
    const SkinColours& s = m_colours;
    const COLORREF main = m_bActive ? s.main_colour : blend(s.main_colour, RGB(0x50, 0x50, 0x50), 120);
    const int edge = (s.border_style == 1 || s.border_style == 2 || s.border_style == 3) ? 2 : 1;
    const RECT band{edge, edge, w - edge, m_insets.top - 1};
    switch (s.header_style) {
    case 0:  // flat
        fill_solid(dc, band, shift(main, -20));
        break;
    case 1:  // soft gradient
        fill_vertical(dc, band, shift(main, 40), main);
        break;
    case 3: {  // dark band with an accent line
        fill_solid(dc, band, blend(main, RGB(0x10, 0x12, 0x18), 170));
        fill_solid(dc, RECT{band.left, band.bottom - 2, band.right, band.bottom}, shift(main, 90));
        break;
    }
    default: {  // 2: glass, a light upper half over a deeper lower half
        const int mid = (band.top + band.bottom) / 2;
        fill_vertical(dc, RECT{band.left, band.top, band.right, mid}, shift(main, 46), shift(main, 22));
        fill_vertical(dc, RECT{band.left, mid, band.right, band.bottom}, shift(main, 4), shift(main, -14));
        fill_solid(dc, RECT{band.left, band.top, band.right, band.top + 1}, shift(main, 80));
        break;
    }
    }
    // Icon, caption text and the boxes.
    const int icon = GetSystemMetrics(SM_CXSMICON);
    if (HICON hicon = load_icon(kCaptionIconId, icon)) {
        DrawIconEx(dc, m_insets.left, kCaptionTop, hicon, icon, icon, 0, nullptr, DI_NORMAL);
        DestroyIcon(hicon);
    }
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(m_hSkinned, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    GetObjectW(base ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    GdiHandle font(CreateFontIndirectW(&lf));
    {
        Selected sel(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        RECT tr{m_insets.left + icon + 6, kBoxTop, w - 75, kBoxBottom + 2};
        SetTextColor(dc, RGB(0, 0, 0));
        OffsetRect(&tr, 1, 1);  // a one-pixel shadow under the text
        DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &tr,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        OffsetRect(&tr, -1, -1);
        SetTextColor(dc, m_bActive ? RGB(0xF4, 0xF6, 0xF8) : RGB(0xA8, 0xAE, 0xB6));
        DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &tr,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    PaintBox(dc, skin_close_box(w), HTCLOSE);
    if (m_bHasMinBox) PaintBox(dc, skin_min_box(w, m_bHasMaxBox), HTMINBUTTON);
    if (m_bHasMaxBox) PaintBox(dc, skin_max_box(w), HTMAXBUTTON);
}

void CWindowSkin::PaintBox(HDC dc, const RECT& box, int part) {
    const SkinColours& s = m_colours;
    const bool hot = m_hot == part;
    const bool pressed = hot && m_pressed == part;
    COLORREF face = shift(s.main_colour, -30);
    if (hot) face = part == HTCLOSE ? RGB(0xE5, 0x48, 0x4D) : shift(s.main_colour, 50);
    if (pressed) face = part == HTCLOSE ? RGB(0xB0, 0x30, 0x34) : shift(s.main_colour, 20);
    fill_solid(dc, box, face);
    frame_rect(dc, box, shift(face, -40));
    RECT glyph = box;
    if (pressed) OffsetRect(&glyph, 1, 1);
    const UINT what = (part == HTMAXBUTTON && m_state == kMaximised) ? UINT(kMenuRestore) : UINT(part);
    draw_glyph(dc, glyph, what, m_bActive || hot ? RGB(0xFF, 0xFF, 0xFF) : RGB(0xB0, 0xB6, 0xBE));
}

// ----------------------------------------------------------------------------- messages

LRESULT CWindowSkin::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
        r->left += m_insets.left;
        r->top += m_insets.top;
        r->right -= m_insets.right;
        r->bottom -= m_insets.bottom;
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        return 0;
    }
    case WM_NCHITTEST: return HitTest(ToWindow(lp));
    case WM_NCPAINT: RepaintFrame(); return 0;
    case WM_NCACTIVATE:
        m_bActive = wp != FALSE;
        RepaintFrame();
        return TRUE;
    case WM_ACTIVATE:
        m_bActive = LOWORD(wp) != WA_INACTIVE;
        if (!m_bActive) EnumChildWindows(m_hWnd, tell_inactive, 0);
        RepaintFrame();
        return Default();
    case WM_SIZE: {
        const LRESULT r = Default();
        RepaintFrame();
        return r;
    }
    case WM_SETTEXT: {
        const LRESULT r = Default();
        m_caption = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
        RepaintFrame();
        return r;
    }
    case WM_SHOWWINDOW: {
        const LRESULT r = Default();
        if (wp)
            SetWindowPos(m_hSkinned, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return r;
    }
    case WM_GETMINMAXINFO: {
        const LRESULT r = Default();
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        mmi->ptMinTrackSize = POINT{kMinTrackWidth, kMinTrackHeight};
        return r;
    }
    case WM_NCMOUSEMOVE: {
        SetHot(HitTest(ToWindow(lp)));
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_NONCLIENT, m_hSkinned, 0};
        TrackMouseEvent(&tme);
        return Default();
    }
    case WM_NCMOUSELEAVE:
        m_pressed = HTNOWHERE;
        SetHot(HTNOWHERE);
        return Default();
    case WM_NCLBUTTONDOWN: {
        const POINT pt = ToWindow(lp);
        const int hit = HitTest(pt);
        m_hot = m_pressed = hit;
        RepaintFrame();
        if ((hit == HTCAPTION && m_state != kMaximised) || (is_sizing_hit(hit) && m_bSizable)) {
            // The system's move or size loop; it returns when the button is released.
            const LRESULT r = CallNext(msg, hit, lp);
            m_hot = m_pressed = HTNOWHERE;
            RepaintFrame();
            return r;
        }
        if (hit == HTSYSMENU && m_hostMode == 1) {
            m_hot = m_pressed = HTNOWHERE;
            RepaintFrame();
            ShowSystemMenu(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        }
        return 0;
    }
    case WM_NCLBUTTONUP: {
        switch (HitTest(ToWindow(lp))) {
        case HTCLOSE: CloseAction(); break;
        case HTMINBUTTON: Minimise(); break;
        case HTMAXBUTTON:
            if (m_state == kMaximised)
                Restore();
            else
                Maximise();
            break;
        default: break;
        }
        m_hot = m_pressed = HTNOWHERE;
        if (IsHooked()) RepaintFrame();
        return 0;
    }
    case WM_NCLBUTTONDBLCLK:
        if (HitTest(ToWindow(lp)) == HTCAPTION) {
            if (m_bSizable) {
                if (m_state == kMaximised)
                    Restore();
                else
                    Maximise();
            }
            return 0;
        }
        return Default();
    case WM_NCRBUTTONDOWN:
        if (m_hostMode == 1 && HitTest(ToWindow(lp)) == HTCAPTION) {
            ShowSystemMenu(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        }
        return Default();
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0 && OnMenuCommand(LOWORD(wp))) return 0;
        return Default();
    case WM_SYSCOMMAND:
        switch (wp & 0xFFF0) {
        case SC_MAXIMIZE: Maximise(); return 0;
        case SC_RESTORE: Restore(); return 0;
        default: return Default();
        }
    case WM_MEASUREITEM:
        if (OnMeasureMenu(reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
        return Default();
    case WM_DRAWITEM:
        if (OnDrawMenu(reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
        return Default();
    default: return Default();
    }
}

}  // namespace vemo
