#include "editor/win32/colour_window.h"

#include <string>

#include "editor/win32/view_style.h"

namespace vemo {

namespace {

constexpr int kChannelMax = 255;

void set_swatch_colour(CIconButton& b, COLORREF c) {
    b.SetColor(CIconButton::kBkOut, c, false);
    b.SetColor(CIconButton::kBkIn, c, false);
    // The pointer over a swatch lights it a little.
    b.OffsetColor(CIconButton::kBkIn, 40, true);
}

}  // namespace

void ColourWindowView::DoDataExchange(CDataExchange& dx) {
    for (size_t i = 0; i < swatches.size(); ++i) DDX_Control(dx, kSwatchIds[i], swatches[i]);
    for (size_t i = 0; i < sliders.size(); ++i) {
        DDX_Control(dx, kSliderIds[i], sliders[i]);
        DDX_Control(dx, kValueIds[i], values[i]);
    }
    DDX_Control(dx, kHeaderId, header);
    DDX_Control(dx, kBorderId, border);
    DDX_Control(dx, kSaveId, save);
}

BOOL ColourWindowView::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    for (CIconButton& s : swatches) {
        // The check mark tells the chosen swatch apart from the others.
        s.SetIcon(IDI_CHECKED, IDI_UNCHECKED);
        s.SetTooltipText("选择颜色效果");
    }
    header.SetTooltipText("更换软件界面的窗口头部");
    border.SetTooltipText("更换软件界面的窗口边框");
    save.SetIcon(IDI_SAVE);
    save.SetTooltipText("软件界面参数保存并返回");
    for (size_t i = 0; i < sliders.size(); ++i) {
        const int index = static_cast<int>(i);
        sliders[i].on_release = [this, index] { Released(index); };
        values[i].SetFontName("楷体").SetFontSize(12).SetBkColor(kValueColours[i]).SetTextColor(RGB(0, 0, 0));
    }
    skin.LoadSkin("aa");
    skin.SetColours(skin_colours(colours_.scheme));
    skin.Attach(m_hWnd);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    ready_ = true;
    Recolour();
    return TRUE;
}

void ColourWindowView::Recolour() {
    if (!ready_ || m_hWnd == nullptr) return;
    const ColourScheme& s = colours_.scheme;
    SetFillColor(s.dialog_fill, false);
    for (CIconButton* b : {&header, &border, &save}) style_push_button(*b, s.main_colour);
    for (size_t i = 0; i < sliders.size(); ++i) {
        sliders[i].SendMessage(TBM_SETRANGE, FALSE,
                               i == kAlphaSlider ? MAKELPARAM(kMinAlpha, kMaxAlpha) : MAKELPARAM(0, kChannelMax));
        sliders[i].SetColor1(s.dialog_fill);
        sliders[i].SetColor2(kValueColours[i]);
        sliders[i].SetColor3(RGB(0xF2, 0xF5, 0xF8));
    }
    Refresh();
    skin.SetColours(skin_colours(colours_.scheme));
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ColourWindowView::ShowValue(int slider, int value) {
    values[static_cast<size_t>(slider)].SetText(std::to_string(value));
}

void ColourWindowView::ShowSwatches() {
    const ColourWindow& cw = colours_.window;
    for (size_t i = 0; i < swatches.size(); ++i) {
        const COLORREF c = i == ColourWindow::kCustomSwatch ? cw.custom_colour : ColourWindow::kPresetColours[i];
        COLORREF now = 0;
        swatches[i].GetColor(CIconButton::kBkOut, &now);
        if (now != c) set_swatch_colour(swatches[i], c);
        const int check = cw.checked[i] ? 1 : 0;
        if (swatches[i].GetCheck() != check) swatches[i].SetCheck(check);
    }
}

void ColourWindowView::Refresh() {
    if (!ready_ || m_hWnd == nullptr) return;
    refreshing_ = true;
    const ColourWindow& cw = colours_.window;
    ShowSwatches();
    for (size_t i = 0; i < sliders.size(); ++i) {
        const int value = i == kAlphaSlider ? cw.alpha_pos : cw.channel[i];
        if (sliders[i].SendMessage(TBM_GETPOS) != value) sliders[i].SendMessage(TBM_SETPOS, TRUE, value);
        ShowValue(static_cast<int>(i), value);
    }
    refreshing_ = false;
}

LRESULT ColourWindowView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT result = CSkinDialog::WindowProc(msg, wp, lp);
    // Being shown: the model chose the swatch and the values already.
    if (msg == WM_SHOWWINDOW && wp != FALSE) Refresh();
    return result;
}

void ColourWindowView::OnHScroll(UINT, UINT, HWND bar) {
    if (refreshing_ || bar == nullptr) return;
    for (size_t i = 0; i < sliders.size(); ++i) {
        if (sliders[i].m_hWnd != bar) continue;
        const int value = static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0));
        if (i == kAlphaSlider) {
            // Previews the alpha on this window; the editor takes it on release.
            colours_.window.on_alpha_moved(value);
        } else {
            // Only the custom swatch follows; the skin changes on release.
            colours_.window.on_channel_moved(static_cast<int>(i), value);
            ShowSwatches();
        }
        ShowValue(static_cast<int>(i), value);
        return;
    }
}

void ColourWindowView::Released(int slider) {
    if (refreshing_ || m_hWnd == nullptr) return;
    if (slider == kAlphaSlider)
        colours_.window.on_alpha_released();
    else
        colours_.window.on_channel_released();
    Refresh();
}

BOOL ColourWindowView::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) != BN_CLICKED) return CSkinDialog::OnCommand(wp, lp);
    const int id = LOWORD(wp);
    for (size_t i = 0; i < swatches.size(); ++i) {
        if (kSwatchIds[i] == id) {
            colours_.window.on_swatch_clicked(static_cast<int>(i));
            // A click on the checked swatch un-checked it; the model keeps one checked.
            Refresh();
            return TRUE;
        }
    }
    switch (id) {
    case kHeaderId: colours_.window.on_next_header(); return TRUE;
    case kBorderId: colours_.window.on_next_border(); return TRUE;
    // Writes the settings file and hides the window through the model.
    case kSaveId: colours_.save(); return TRUE;
    default: return CSkinDialog::OnCommand(wp, lp);
    }
}

void ColourWindowView::OnCancel() {
    colours_.window.on_close();
    ShowWindow(m_hWnd, SW_HIDE);
}

}  // namespace vemo
