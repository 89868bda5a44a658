// A report-view list control with a text and a background colour for every cell and a header
// in its own colours.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/gdi.h"

namespace vemo {

class CColorListCtrl : public CWnd {
public:
    // As a colour: the system window-text colour (text) or the system window colour (background).
    static constexpr COLORREF kSystemColour = 0xFFFFFFFF;

    int InsertColumn(int column, std::string_view title, int width);
    int InsertItem(int index, std::string_view text);
    bool SetItemText(int row, int column, std::string_view text);
    std::string GetItemText(int row, int column) const;
    bool DeleteItem(int row);
    bool DeleteAllItems();
    int GetItemCount() const;
    int GetColumnCount() const;

    // A column outside the list means every column of the row, a row outside the list every
    // row; kSystemColour means the system colours.
    void SetItemTextColor(int row, int column, COLORREF colour, bool repaint = true);
    void SetItemBkColor(int row, int column, COLORREF colour, bool repaint = true);
    COLORREF GetItemTextColor(int row, int column) const;
    COLORREF GetItemBkColor(int row, int column) const;
    void SetHeaderColors(COLORREF background, COLORREF text);

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

private:
    struct Cell {
        COLORREF text;
        COLORREF bk;
    };
    static Cell NewCell();
    void SetCells(int row, int column, COLORREF colour, bool text, bool repaint);
    const Cell* CellAt(int row, int column) const;
    LRESULT HeaderDraw(NMCUSTOMDRAW& cd);

    std::vector<std::vector<Cell>> m_rows;  // kept in step with the control's items
    COLORREF m_headerBk = RGB(0x3A, 0x46, 0x58);
    COLORREF m_headerText = RGB(0xF2, 0xF5, 0xF8);
};

}  // namespace vemo
