#include "toolkit/color_list_ctrl.h"

#include <algorithm>

namespace vemo {

CColorListCtrl::Cell CColorListCtrl::NewCell() { return Cell{GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW)}; }

int CColorListCtrl::InsertColumn(int column, std::string_view title, int width) {
    std::wstring text = widen(title);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = text.data();
    col.cx = width;
    col.iSubItem = column;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

int CColorListCtrl::InsertItem(int index, std::string_view text) {
    std::wstring w = widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = w.data();
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CColorListCtrl::SetItemText(int row, int column, std::string_view text) {
    std::wstring w = widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = w.data();
    return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string CColorListCtrl::GetItemText(int row, int column) const {
    wchar_t buf[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 259;
    SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return narrow(buf);
}

bool CColorListCtrl::DeleteItem(int row) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row)) != 0; }
bool CColorListCtrl::DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
int CColorListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

int CColorListCtrl::GetColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void CColorListCtrl::SetCells(int row, int column, COLORREF colour, bool text, bool repaint) {
    if (colour == kSystemColour) colour = GetSysColor(text ? COLOR_WINDOWTEXT : COLOR_WINDOW);
    const int rows = static_cast<int>(m_rows.size());
    const int columns = std::max(GetColumnCount(), 1);
    const bool all_rows = row < 0 || row >= rows;
    const bool all_columns = column < 0 || column >= columns;
    for (int r = all_rows ? 0 : row; r < (all_rows ? rows : row + 1); ++r) {
        auto& cells = m_rows[static_cast<size_t>(r)];
        if (static_cast<int>(cells.size()) < columns) cells.resize(static_cast<size_t>(columns), NewCell());
        for (int c = all_columns ? 0 : column; c < (all_columns ? columns : column + 1); ++c) {
            Cell& cell = cells[static_cast<size_t>(c)];
            (text ? cell.text : cell.bk) = colour;
        }
    }
    if (repaint) Invalidate(false);
}

void CColorListCtrl::SetItemTextColor(int row, int column, COLORREF colour, bool repaint) {
    SetCells(row, column, colour, true, repaint);
}

void CColorListCtrl::SetItemBkColor(int row, int column, COLORREF colour, bool repaint) {
    SetCells(row, column, colour, false, repaint);
}

const CColorListCtrl::Cell* CColorListCtrl::CellAt(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || column < 0) return nullptr;
    const auto& cells = m_rows[static_cast<size_t>(row)];
    return column < static_cast<int>(cells.size()) ? &cells[static_cast<size_t>(column)] : nullptr;
}

COLORREF CColorListCtrl::GetItemTextColor(int row, int column) const {
    const Cell* c = CellAt(row, column);
    return c ? c->text : NewCell().text;
}

COLORREF CColorListCtrl::GetItemBkColor(int row, int column) const {
    const Cell* c = CellAt(row, column);
    return c ? c->bk : NewCell().bk;
}

void CColorListCtrl::SetHeaderColors(COLORREF background, COLORREF text) {
    m_headerBk = background;
    m_headerText = text;
    if (HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))) InvalidateRect(header, nullptr, TRUE);
}

LRESULT CColorListCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
        // Every way a row comes in gets its colours, so the cells always match the rows.
        const LRESULT index = Default();
        if (index >= 0 && index <= static_cast<LRESULT>(m_rows.size()))
            m_rows.insert(m_rows.begin() + index, std::vector<Cell>(static_cast<size_t>(std::max(GetColumnCount(), 1)), NewCell()));
        return index;
    }
    case LVM_DELETEITEM: {
        const LRESULT ok = Default();
        if (ok && wp < m_rows.size()) m_rows.erase(m_rows.begin() + static_cast<ptrdiff_t>(wp));
        return ok;
    }
    case LVM_DELETEALLITEMS: {
        const LRESULT ok = Default();
        if (ok) m_rows.clear();
        return ok;
    }
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        if (nm != nullptr && nm->code == static_cast<UINT>(NM_CUSTOMDRAW) &&
            nm->hwndFrom == reinterpret_cast<HWND>(DefWindowProc(LVM_GETHEADER, 0, 0)))
            return HeaderDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lp));
        return CWnd::WindowProc(msg, wp, lp);
    }
    default: return CWnd::WindowProc(msg, wp, lp);
    }
}

LRESULT CColorListCtrl::HeaderDraw(NMCUSTOMDRAW& cd) {
    if (cd.dwDrawStage == CDDS_PREPAINT) {
        // The strip right of the last column in the header colour too.
        RECT rc;
        GetClientRect(cd.hdr.hwndFrom, &rc);
        fill_solid(cd.hdc, rc, m_headerBk);
        return CDRF_NOTIFYITEMDRAW;
    }
    if (cd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    RECT r = cd.rc;
    fill_vertical(cd.hdc, r, shift(m_headerBk, 24), shift(m_headerBk, -8));
    fill_solid(cd.hdc, RECT{r.right - 1, r.top + 3, r.right, r.bottom - 3}, shift(m_headerBk, -40));
    fill_solid(cd.hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, shift(m_headerBk, -40));
    wchar_t text[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 127;
    SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMW, cd.dwItemSpec, reinterpret_cast<LPARAM>(&item));
    SetBkMode(cd.hdc, TRANSPARENT);
    ::SetTextColor(cd.hdc, m_headerText);
    InflateRect(&r, -4, 0);
    DrawTextW(cd.hdc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    return CDRF_SKIPDEFAULT;
}

bool CColorListCtrl::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
    if (msg != WM_NOTIFY) return false;
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    if (nm->code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
    auto& cd = *reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
    switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: *result = CDRF_NOTIFYITEMDRAW; return true;
    case CDDS_ITEMPREPAINT: *result = CDRF_NOTIFYSUBITEMDRAW; return true;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(cd.nmcd.dwItemSpec);
        cd.clrText = GetItemTextColor(row, cd.iSubItem);
        cd.clrTextBk = GetItemBkColor(row, cd.iSubItem);
        *result = CDRF_DODEFAULT;
        return true;
    }
    default: *result = CDRF_DODEFAULT; return true;
    }
}

}  // namespace vemo
