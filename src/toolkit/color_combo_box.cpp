#include "toolkit/color_combo_box.h"

namespace vemo {

int CColorComboBox::AddName(std::string_view utf8) {
    m_names.push_back(widen(utf8));
    const size_t index = m_names.size() - 1;
    // Without CBS_HASSTRINGS an owner-drawn list keeps only the item data: our index.
    const bool has_strings = (GetStyle() & CBS_HASSTRINGS) != 0 || (GetStyle() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) == 0;
    const LPARAM lp = has_strings ? reinterpret_cast<LPARAM>(m_names.back().c_str()) : static_cast<LPARAM>(index);
    const int item = static_cast<int>(SendMessage(CB_ADDSTRING, 0, lp));
    if (item >= 0) SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(index));
    return item;
}

void CColorComboBox::Reset() {
    SendMessage(CB_RESETCONTENT);
    m_names.clear();
}

void CColorComboBox::SetColors(COLORREF text, COLORREF background) {
    m_text = text;
    m_bk = background;
    Invalidate();
}

std::string CColorComboBox::GetName(int index) const {
    const LRESULT data = SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index));
    if (data == CB_ERR || data < 0 || static_cast<size_t>(data) >= m_names.size()) return {};
    return narrow(m_names[static_cast<size_t>(data)]);
}

void CColorComboBox::DrawItem(const DRAWITEMSTRUCT& dis) {
    HDC dc = dis.hDC;
    const RECT r = dis.rcItem;
    const bool selected = (dis.itemState & ODS_SELECTED) != 0;
    const bool in_edit = (dis.itemState & ODS_COMBOBOXEDIT) != 0;
    const COLORREF bk = selected && !in_edit ? shift(m_bk, 50) : m_bk;
    fill_solid(dc, r, bk);
    if (dis.itemID != static_cast<UINT>(-1) && dis.itemData < m_names.size()) {
        const std::wstring& name = m_names[dis.itemData];
        RECT tr = r;
        tr.left += 4;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, m_text);
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &tr,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if ((dis.itemState & ODS_FOCUS) && in_edit) {
        RECT fr = r;
        InflateRect(&fr, -1, -1);
        frame_rect(dc, fr, shift(m_bk, 70));
    }
}

bool CColorComboBox::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
    if (msg == WM_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *result = TRUE;
        return true;
    }
    return false;
}

}  // namespace vemo
