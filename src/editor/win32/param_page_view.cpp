#include "editor/win32/param_page_view.h"

#include <algorithm>
#include <string>

#include "editor/win32/view_style.h"

namespace vemo {

namespace {

constexpr COLORREF kLabelText = RGB(0xE8, 0xEC, 0xF0);
constexpr COLORREF kValueText = RGB(0xFF, 0xFF, 0x80);
// A value the slider cannot show (a record's, outside the range) stands out.
constexpr COLORREF kOutsideText = RGB(0xFF, 0x90, 0x60);
constexpr COLORREF kChooserText = 0x0000FFFF;

// The rows sit on the same grey plate, tinted by the main colour, as the equaliser's bands.
COLORREF plate_colour(const ColourScheme& s) { return blend(s.main_colour, RGB(0x9A, 0x9E, 0xA4), 170); }

}  // namespace

void ParamPageView::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_PARAM_HEADING, heading);
    DDX_Control(dx, IDC_PARAM_CHOOSER, chooser);
    DDX_Control(dx, IDC_PARAM_SWITCH, on_switch);
    DDX_Control(dx, IDC_PARAM_DEFAULTS, defaults);
    for (int r = 0; r < kRows; ++r) {
        DDX_Control(dx, LabelId(r), labels[static_cast<size_t>(r)]);
        DDX_Control(dx, SliderId(r), sliders[static_cast<size_t>(r)]);
        DDX_Control(dx, ValueId(r), values[static_cast<size_t>(r)]);
    }
    // The page's data is the model: showing the page loads it; the controls wrote it already.
    if (!dx.m_bSaveAndValidate) Refresh();
}

BOOL ParamPageView::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    SetBitmap(IDB_BACKGROUND);
    for (int t = 1; t <= kEffectCount; ++t) chooser.AddName(effect_list_text(t));
    style_check_button(on_switch);
    on_switch.SetTooltipText("打开或关闭所选的音效");
    defaults.SetTooltipText("所选音效的参数恢复为缺省值");
    Recolour();
    ready_ = true;
    Refresh();
    return TRUE;
}

void ParamPageView::Recolour() {
    if (m_hWnd == nullptr) return;
    const ColourScheme& s = model_.colours;
    const COLORREF plate = plate_colour(s);
    heading.SetFontName("楷体").SetFontSize(12).SetBkColor(s.main_colour).SetTextColor(RGB(0, 0, 0));
    chooser.SetColors(kChooserText, s.main_colour);
    style_push_button(defaults, s.main_colour);
    for (int r = 0; r < kRows; ++r) {
        labels[static_cast<size_t>(r)].SetBkColor(plate).SetTextColor(kLabelText);
        values[static_cast<size_t>(r)].SetBkColor(plate);
        CColorSlider& slider = sliders[static_cast<size_t>(r)];
        slider.SetColor1(plate);
        slider.SetColor2(RGB(0x1C, 0xB8, 0xC8));
        slider.SetColor3(RGB(0xF2, 0xA5, 0x2F));
    }
    shown_rows_.fill(nullptr);  // value colours are set again by the next refresh
    Refresh();
    Invalidate();
}

void ParamPageView::Refresh() {
    if (!ready_ || m_hWnd == nullptr) return;
    refreshing_ = true;
    const ParamPage& page = model_.param;
    if (chooser.GetCurSel() != page.effect - 1) chooser.SetCurSel(page.effect - 1);
    if (on_switch.GetCheck() != (page.effect_on ? 1 : 0)) on_switch.SetCheck(page.effect_on ? 1 : 0);
    const char* caption = page.effect_on ? "开启" : "关闭";
    if (on_switch.GetWindowText() != caption) on_switch.SetWindowText(caption);

    const int n = std::min<int>(kRows, static_cast<int>(page.sliders.size()));
    for (int r = 0; r < kRows; ++r) {
        const bool shown = r < n;
        CLabel& label = labels[static_cast<size_t>(r)];
        CColorSlider& slider = sliders[static_cast<size_t>(r)];
        CLabel& value = values[static_cast<size_t>(r)];
        for (HWND h : {label.m_hWnd, slider.m_hWnd, value.m_hWnd}) {
            ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
            EnableWindow(h, shown ? TRUE : FALSE);
        }
        if (!shown) {
            shown_rows_[static_cast<size_t>(r)] = nullptr;
            continue;
        }
        const ParamSlider& s = page.sliders[static_cast<size_t>(r)];
        if (shown_rows_[static_cast<size_t>(r)] != s.row) {
            shown_rows_[static_cast<size_t>(r)] = s.row;
            label.SetText(s.row->label_zh);
            slider.SendMessage(TBM_SETRANGEMIN, FALSE, s.row->pos_min);
            slider.SendMessage(TBM_SETRANGEMAX, TRUE, s.row->pos_max);
            slider.SendMessage(TBM_SETPAGESIZE, 0, std::max(1, (s.row->pos_max - s.row->pos_min) / 10));
        }
        if (slider.SendMessage(TBM_GETPOS) != s.pos) slider.SendMessage(TBM_SETPOS, TRUE, s.pos);
        value.SetTextColor(s.in_range ? kValueText : kOutsideText).SetText(s.text);
    }
    refreshing_ = false;
}

BOOL ParamPageView::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (id == IDC_PARAM_CHOOSER) {
        if (code != CBN_SELCHANGE) return CSkinDialog::OnCommand(wp, lp);
        // The equaliser's entry leads to its tab and leaves the page's effect as it was.
        if (!refreshing_) model_.param_choose_effect(chooser.GetCurSel() + 1);
        Refresh();
        return TRUE;
    }
    if (code != BN_CLICKED || refreshing_) return CSkinDialog::OnCommand(wp, lp);
    if (id == IDC_PARAM_SWITCH) {
        model_.param_on_switch(on_switch.GetCheck() == 1);
        return TRUE;
    }
    if (id == IDC_PARAM_DEFAULTS) {
        model_.param_on_defaults();
        return TRUE;
    }
    return CSkinDialog::OnCommand(wp, lp);
}

void ParamPageView::OnHScroll(UINT, UINT, HWND bar) {
    if (refreshing_ || bar == nullptr) return;
    for (int r = 0; r < kRows; ++r) {
        if (sliders[static_cast<size_t>(r)].m_hWnd == bar) {
            model_.param_on_slider(r, static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)));
            return;
        }
    }
}

}  // namespace vemo
