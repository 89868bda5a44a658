#include "toolkit/label.h"

#include <algorithm>

namespace vemo {

CLabel::CLabel() : m_bk(GetSysColor(COLOR_3DFACE)), m_text(GetSysColor(COLOR_WINDOWTEXT)) {
    m_brush.reset(CreateSolidBrush(m_bk));
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof m_font, &m_font);
    m_font.lfWeight = FW_NORMAL;
}

void CLabel::PreSubclassWindow() {
    // Start from the font the dialog gave the control.
    if (HFONT f = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) GetObjectW(f, sizeof m_font, &m_font);
    m_font.lfWeight = m_font.lfWeight >= FW_BOLD ? FW_BOLD : FW_NORMAL;
}

void CLabel::Redraw() {
    if (m_hWnd == nullptr) return;
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLabel::ApplyFont() {
    m_hfont.reset(CreateFontIndirectW(&m_font));
    if (m_hWnd != nullptr) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hfont.get()), TRUE);
    Redraw();
}

CLabel& CLabel::SetBkColor(COLORREF colour) {
    m_bk = colour;
    m_brush.reset(CreateSolidBrush(colour));
    Redraw();
    return *this;
}

CLabel& CLabel::SetTextColor(COLORREF colour) {
    m_text = colour;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontName(std::string_view utf8) {
    const std::wstring name = widen(utf8);
    const size_t n = std::min<size_t>(name.size(), LF_FACESIZE - 1);
    std::fill(std::begin(m_font.lfFaceName), std::end(m_font.lfFaceName), L'\0');
    std::copy_n(name.begin(), n, m_font.lfFaceName);
    ApplyFont();
    return *this;
}

CLabel& CLabel::SetFontSize(int height) {
    m_font.lfHeight = -std::clamp(height, 1, 400);  // negative: the character height, not the cell
    ApplyFont();
    return *this;
}

CLabel& CLabel::SetFontBold(bool bold) {
    m_font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    ApplyFont();
    return *this;
}

CLabel& CLabel::SetText(std::string_view utf8) {
    SetWindowText(utf8);
    Redraw();
    return *this;
}

bool CLabel::OnChildNotify(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, m_text);
    ::SetBkColor(dc, m_bk);
    *result = reinterpret_cast<LRESULT>(m_brush.brush());
    return true;
}

}  // namespace vemo
