// A push button drawn by the toolkit with up to two icons, six colour slots, hover tracking and
// a balloon tooltip; made from an automatic check box it keeps a check state and is the check
// button of the editor's pages.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "toolkit/balloon_tip.h"
#include "toolkit/gdi.h"

namespace vemo {

class CIconButton : public CWnd {
public:
    enum Slot : int {
        kBkIn = 0,   // background while the pointer is over the button
        kFgIn = 1,   // text while the pointer is over the button
        kBkOut = 2,  // background otherwise
        kFgOut = 3,  // text otherwise
        kBkFocus = 4,
        kFgFocus = 5,
        kSlotCount = 6,
    };
    enum Result : int { kOk = 0, kInvalidIndex = 3, kBadParam = 5 };
    static constexpr size_t kMaxLink = 260;

    CIconButton();
    ~CIconButton() override;

    // First icon: the hover (or checked) look; the second, when given, the resting (or
    // unchecked) look.
    int SetIcon(UINT first_id, UINT second_id = 0);
    int SetColor(int slot, COLORREF colour, bool repaint = true);
    int GetColor(int slot, COLORREF* colour) const;
    // Adds offset (-255..255) to red, green and blue, reduced so that no channel leaves 0..255.
    int OffsetColor(int slot, int offset, bool repaint = true);
    int SetDefaultColors(bool repaint = true);
    // Only in check mode.
    int SetCheck(int state, bool repaint = true);
    int GetCheck() const { return m_checkMode ? m_check : 0; }
    int SetTooltipText(std::string_view utf8, bool active = true);
    void DrawTransparent(bool repaint = true);
    void SetLink(std::string_view url);

    bool IsCheckMode() const { return m_checkMode; }
    bool IsHover() const { return m_hover; }
    bool IsDefault() const { return m_isDefault; }
    bool IsTransparent() const { return m_transparent; }
    const std::string& GetLink() const { return m_link; }
    CBalloonTip& Tooltip() { return m_tip; }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    void DrawItem(const DRAWITEMSTRUCT& dis);

private:
    void SetHover(bool on);
    void FreeIcons();

    std::array<COLORREF, kSlotCount> m_colors{};
    HICON m_icons[2] = {nullptr, nullptr};
    int m_iconSize = 16;
    bool m_transparent = false;
    bool m_checkMode = false;
    int m_check = 0;
    bool m_hover = false;
    bool m_isDefault = false;
    std::string m_link;
    CBalloonTip m_tip;
};

}  // namespace vemo
