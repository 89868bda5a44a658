#include "toolkit/balloon_tip.h"

#include <algorithm>

namespace vemo {

namespace {
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
constexpr COLORREF kBody = RGB(0x22, 0x2A, 0x36);
constexpr COLORREF kRim = RGB(0x1C, 0xB8, 0xC8);
constexpr COLORREF kText = RGB(0xF2, 0xF5, 0xF8);
constexpr int kPointerLeft = 14;  // where the pointer leaves the body
constexpr int kPointerWidth = 12;

// The balloon: the rounded body joined with the pointer below its left part.
HRGN balloon_region(int w, int h) {
    const int body = h - CBalloonTip::kPointerHeight;
    HRGN rgn = CreateRoundRectRgn(0, 0, w + 1, body + 1, CBalloonTip::kCornerWidth, CBalloonTip::kCornerHeight);
    const POINT tri[3] = {{kPointerLeft, body - 1}, {kPointerLeft + kPointerWidth, body - 1}, {kPointerLeft, h}};
    HRGN pointer = CreatePolygonRgn(tri, 3, WINDING);
    CombineRgn(rgn, rgn, pointer, RGN_OR);
    DeleteObject(pointer);
    return rgn;
}
}  // namespace

CBalloonTip::~CBalloonTip() {
    for (Tool& t : tools_) t.relay.reset();
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

CBalloonTip::Tool* CBalloonTip::Find(HWND tool) {
    for (Tool& t : tools_)
        if (t.hwnd == tool) return &t;
    return nullptr;
}

const CBalloonTip::Tool* CBalloonTip::Find(HWND tool) const {
    for (const Tool& t : tools_)
        if (t.hwnd == tool) return &t;
    return nullptr;
}

bool CBalloonTip::AddTool(HWND tool, std::string_view utf8, bool active) {
    if (tool == nullptr || !IsWindow(tool)) return false;
    if (m_hWnd == nullptr &&
        !CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10},
                  GetAncestor(tool, GA_ROOT), 0))
        return false;
    if (!font_) {
        // The tool's own font, so the balloon speaks the dialog's script.
        LOGFONTW lf{};
        HFONT tool_font = reinterpret_cast<HFONT>(SendMessageW(tool, WM_GETFONT, 0, 0));
        GetObjectW(tool_font ? static_cast<HGDIOBJ>(tool_font) : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        font_.reset(CreateFontIndirectW(&lf));
    }
    Tool* t = Find(tool);
    if (t == nullptr) {
        tools_.push_back(Tool{tool, {}, active, std::make_unique<Relay>(this)});
        t = &tools_.back();
        t->relay->HookWindow(tool);
    }
    t->text = widen(utf8);
    t->active = active;
    return true;
}

void CBalloonTip::Activate(HWND tool, bool active) {
    if (Tool* t = Find(tool)) t->active = active;
    if (!active && shown_ == tool) Hide();
}

std::string CBalloonTip::ToolText(HWND tool) const {
    const Tool* t = Find(tool);
    return t ? narrow(t->text) : std::string();
}

bool CBalloonTip::IsToolActive(HWND tool) const {
    const Tool* t = Find(tool);
    return t != nullptr && t->active;
}

bool CBalloonTip::Show(HWND tool, POINT screen) {
    const Tool* t = Find(tool);
    if (t == nullptr || !t->active || t->text.empty() || m_hWnd == nullptr) return false;
    text_ = t->text;
    HDC dc = GetDC(m_hWnd);
    RECT tr{0, 0, 320, 0};
    {
        Selected sel(dc, font_.get());
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    ReleaseDC(m_hWnd, dc);
    const int w = std::max<int>(tr.right + 20, kPointerLeft + kPointerWidth + kCornerWidth);
    const int h = tr.bottom + 14 + kPointerHeight;
    // The pointer's tip sits on the point, the body above it.
    SetWindowPos(m_hWnd, HWND_TOPMOST, screen.x - kPointerLeft, screen.y - h, w, h, SWP_NOACTIVATE);
    SetWindowRgn(m_hWnd, balloon_region(w, h), FALSE);
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    shown_ = tool;
    SetTimer(m_hWnd, kHideTimer, kHideDelayMs, nullptr);
    return true;
}

void CBalloonTip::Hide() {
    pending_ = nullptr;
    if (m_hWnd == nullptr) return;
    KillTimer(m_hWnd, kShowTimer);
    KillTimer(m_hWnd, kHideTimer);
    if (shown_ != nullptr) ShowWindow(m_hWnd, SW_HIDE);
    shown_ = nullptr;
}

void CBalloonTip::OnToolMessage(HWND tool, UINT msg) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (pending_ != tool && shown_ != tool) {
            Hide();
            pending_ = tool;
            SetTimer(m_hWnd, kShowTimer, kShowDelayMs, nullptr);
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, tool, 0};
            TrackMouseEvent(&tme);
        }
        break;
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KILLFOCUS:
    case WM_DESTROY: Hide(); break;
    default: break;
    }
}

LRESULT CBalloonTip::Relay::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    tip_->OnToolMessage(m_hWnd, msg);
    return CallNext(msg, wp, lp);
}

void CBalloonTip::OnTimer(UINT_PTR id) {
    if (id == kShowTimer) {
        KillTimer(m_hWnd, kShowTimer);
        HWND tool = pending_;
        pending_ = nullptr;
        POINT pt;
        GetCursorPos(&pt);
        HWND under = WindowFromPoint(pt);
        if (tool != nullptr && (under == tool || IsChild(tool, under))) Show(tool, pt);
    } else if (id == kHideTimer) {
        Hide();
    } else {
        CWnd::OnTimer(id);
    }
}

void CBalloonTip::OnPaint() {
    BufferedPaint paint(m_hWnd);
    HDC b = paint.dc();
    const RECT& rc = paint.rect();
    fill_solid(b, rc, kBody);
    HRGN rgn = balloon_region(rc.right, rc.bottom);
    GdiHandle rim(CreateSolidBrush(kRim));
    FrameRgn(b, rgn, rim.brush(), 1, 1);
    DeleteObject(rgn);
    RECT tr{10, 7, rc.right - 10, rc.bottom - kPointerHeight - 7};
    Selected sel(b, font_.get());
    SetBkMode(b, TRANSPARENT);
    SetTextColor(b, kText);
    DrawTextW(b, text_.c_str(), static_cast<int>(text_.size()), &tr, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace vemo
