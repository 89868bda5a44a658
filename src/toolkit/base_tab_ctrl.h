// A tab control that hosts page dialogs: each tab owns a child dialog made from a template;
// selecting a tab stores the old page's controls, loads the new page's and swaps them.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/gdi.h"

namespace vemo {

class CBaseTabCtrl : public CWnd {
public:
    static constexpr const char* kVerticalMessage =
        "CBaseTabCtrl属性页不支持纵向排列页标，请去掉TCS_VERTICAL属性设置以及相关风格设置代码代码";

    CBaseTabCtrl();

    // Creates the page as a child dialog from its template and adds its tab.
    bool AddPage(std::string_view title, CDialog* page, UINT template_id, int image = -1);
    // Nothing happens unless 0 <= index < page count.
    bool SelectPage(int index);
    int GetCurPage() const { return m_current; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CDialog* GetPage(int index) const;
    void SetImageList(HIMAGELIST images);
    // The first call gives the tabs' bitmap, the second the background bitmap.
    bool SetBitmap(UINT bitmap_id);
    void SetColors(COLORREF text, COLORREF header);

    // How the vertical-style message is shown (a modal message box unless replaced).
    std::function<void(HWND, const std::wstring&)> show_message;

    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC) override { return TRUE; }
    void OnSize(UINT type, int cx, int cy) override;

private:
    struct Page {
        std::wstring title;
        CDialog* dialog;
        UINT template_id;
        int image;
    };
    RECT PageRect() const;

    std::vector<Page> m_pages;
    int m_current = -1;
    HIMAGELIST m_images = nullptr;
    GdiHandle m_bitmaps[2];
    SIZE m_bitmapSizes[2] = {{0, 0}, {0, 0}};
    int m_bitmapCount = 0;
    COLORREF m_text = RGB(0xF2, 0xF5, 0xF8);
    COLORREF m_header = RGB(0x3A, 0x46, 0x58);
};

}  // namespace vemo
