// An owner-drawn drop list that draws its item names from its own string array in two colours.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/gdi.h"

namespace vemo {

class CColorComboBox : public CWnd {
public:
    // Appends the name to the array and an item to the list; returns the item's index.
    int AddName(std::string_view utf8);
    void Reset();
    void SetColors(COLORREF text, COLORREF background);
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    std::string GetName(int index) const;
    COLORREF GetTextColor() const { return m_text; }
    COLORREF GetBkColor() const { return m_bk; }

    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

private:
    void DrawItem(const DRAWITEMSTRUCT& dis);

    std::vector<std::wstring> m_names;
    COLORREF m_text = RGB(0xFF, 0xFF, 0x00);
    COLORREF m_bk = RGB(0x06, 0x4C, 0x62);
};

}  // namespace vemo
