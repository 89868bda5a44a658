// A static control with its own background and text colours and font; the setters chain.
#pragma once
#include <string>
#include <string_view>

#include "toolkit/gdi.h"

namespace vemo {

class CLabel : public CWnd {
public:
    CLabel();

    CLabel& SetBkColor(COLORREF colour);
    CLabel& SetTextColor(COLORREF colour);
    CLabel& SetFontName(std::string_view utf8);
    // Character height in pixels.
    CLabel& SetFontSize(int height);
    CLabel& SetFontBold(bool bold);
    CLabel& SetText(std::string_view utf8);

    COLORREF GetBkColor() const { return m_bk; }
    COLORREF GetTextColor() const { return m_text; }
    std::string GetFontName() const { return narrow(m_font.lfFaceName); }
    int GetFontSize() const { return m_font.lfHeight < 0 ? -m_font.lfHeight : m_font.lfHeight; }
    bool IsBold() const { return m_font.lfWeight >= FW_BOLD; }

    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;

private:
    void ApplyFont();
    void Redraw();

    COLORREF m_bk;
    COLORREF m_text;
    GdiHandle m_brush;
    LOGFONTW m_font{};
    GdiHandle m_hfont;
};

}  // namespace vemo
