#include "editor/win32/view_style.h"

namespace vemo {

namespace {
constexpr COLORREF kButtonText = RGB(0xF0, 0xF2, 0xF5);
constexpr COLORREF kHoverText = RGB(0xFF, 0xFF, 0x80);
}  // namespace

void style_push_button(CIconButton& b, COLORREF main) {
    // Light texts on the shades of a dark main colour; a light one gets dark texts.
    b.SetColor(CIconButton::kBkOut, shift(main, 20), false);
    b.SetColor(CIconButton::kFgOut, readable_on(shift(main, 34), kButtonText), false);
    b.SetColor(CIconButton::kBkIn, shift(main, 60), false);
    b.SetColor(CIconButton::kFgIn, readable_on(shift(main, 74), kHoverText), true);
}

void style_check_button(CIconButton& b) {
    b.SetIcon(IDI_CHECKED, IDI_UNCHECKED);
    b.DrawTransparent(false);
    b.SetColor(CIconButton::kFgOut, RGB(0xE8, 0xEC, 0xF0), false);
    b.SetColor(CIconButton::kFgIn, kHoverText, false);
    b.SetColor(CIconButton::kBkIn, RGB(0x1C, 0xB8, 0xC8), true);
}

SkinColours skin_colours(const ColourScheme& s) { return {s.main_colour, s.header_style, s.border_style}; }

}  // namespace vemo
