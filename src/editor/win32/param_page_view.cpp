#include "editor/win32/param_page_view.h"

#include <algorithm>
#include <string>

#include "editor/win32/view_style.h"

namespace vemo {

namespace {

// The colour the model gives a row's value (a value the slider cannot show stands out).
COLORREF value_colour(const PageColours& c, const ParamSlider& s) { return s.in_range ? c.value : c.outside; }

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
        DDX_Control(dx, CheckId(r), checks[static_cast<size_t>(r)]);
    }
    DDX_Control(dx, IDC_PARAM_NOTE, note);
    // The page's data is the model: showing the page loads it; the controls wrote it already.
    if (!dx.m_bSaveAndValidate) Refresh();
}

BOOL ParamPageView::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    SetBitmap(IDB_BACKGROUND);
    for (int t = 1; t <= kEffectCount; ++t) chooser.AddName(effect_list_text(t));
    style_check_button(on_switch);
    for (CIconButton& c : checks) style_check_button(c);
    on_switch.SetTooltipText("打开或关闭所选的音效");
    defaults.SetTooltipText("所选音效的参数恢复为缺省值");
    Recolour();
    ready_ = true;
    Refresh();
    return TRUE;
}

void ParamPageView::Recolour() {
    if (m_hWnd == nullptr) return;
    const ColourScheme& s = scheme_;
    const PageColours c = page_colours(s);
    heading.SetFontName("楷体").SetFontSize(12).SetBkColor(s.main_colour).SetTextColor(c.heading);
    chooser.SetColors(c.chooser, s.main_colour);
    style_push_button(defaults, s.main_colour);
    note.SetBkColor(c.plate).SetTextColor(c.label);
    for (int r = 0; r < kRows; ++r) {
        labels[static_cast<size_t>(r)].SetBkColor(c.plate).SetTextColor(c.label);
        values[static_cast<size_t>(r)].SetBkColor(c.plate);
        CColorSlider& slider = sliders[static_cast<size_t>(r)];
        slider.SetColor1(c.plate);
        slider.SetColor2(RGB(0x1C, 0xB8, 0xC8));
        slider.SetColor3(RGB(0xF2, 0xA5, 0x2F));
    }
    shown_rows_.fill(nullptr);  // value colours are set again by the next refresh
    Refresh();
    Invalidate();
}

void ParamPageView::OnSize(UINT type, int cx, int cy) {
    CSkinDialog::OnSize(type, cx, cy);
    // The page fills the tab, wider than its template: the controls move to the middle, so that
    // the margins left and right are equal.
    RECT box{};
    GetWindowRect(GetDlgItem(IDC_PARAM_ROW_BOX), &box);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&box), 2);
    const int dx = (cx - box.right - box.left) / 2;
    if (cx <= 0 || cx - box.right == box.left) return;
    for (HWND h = GetWindow(m_hWnd, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(h, nullptr, r.left + dx, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // An odd spare pixel goes to the frame, so that both margins are the same.
    const int spare = cx - (box.right + dx) - (box.left + dx);
    if (spare != 0)
        SetWindowPos(GetDlgItem(IDC_PARAM_ROW_BOX), nullptr, 0, 0, box.right - box.left + spare, box.bottom - box.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

void ParamPageView::Refresh() {
    if (!ready_ || m_hWnd == nullptr) return;
    refreshing_ = true;
    const ParamPage& page = page_;
    const PageColours colours = page_colours(scheme_);
    if (chooser.GetCurSel() != page.effect - 1) chooser.SetCurSel(page.effect - 1);
    if (on_switch.GetCheck() != (page.effect_on ? 1 : 0)) on_switch.SetCheck(page.effect_on ? 1 : 0);
    // The caption says what ticking does; the tick says the state.
    if (on_switch.GetWindowText() != kParamSwitchCaption) on_switch.SetWindowText(kParamSwitchCaption);
    EnableWindow(defaults.m_hWnd, page.defaults_enabled ? TRUE : FALSE);
    note.SetText(page.note);
    ShowWindow(note.m_hWnd, page.note.empty() ? SW_HIDE : SW_SHOW);

    const int n = std::min<int>(kRows, static_cast<int>(page.sliders.size()));
    for (int r = 0; r < kRows; ++r) {
        const size_t i = static_cast<size_t>(r);
        const bool shown = r < n;
        const bool check = shown && page.sliders[i].check_box;
        CLabel& label = labels[i];
        CColorSlider& slider = sliders[i];
        CLabel& value = values[i];
        auto show = [](HWND h, bool on) {
            ShowWindow(h, on ? SW_SHOW : SW_HIDE);
            EnableWindow(h, on ? TRUE : FALSE);
        };
        show(label.m_hWnd, shown);
        show(slider.m_hWnd, shown && !check);
        show(value.m_hWnd, shown && !check);
        show(checks[i].m_hWnd, check);
        if (!shown) {
            shown_rows_[i] = nullptr;
            continue;
        }
        const ParamSlider& s = page.sliders[i];
        if (shown_rows_[i] != s.row) {
            shown_rows_[i] = s.row;
            label.SetText(s.row->label_zh);
            const int steps = param_track_steps(*s.row);
            slider.SendMessage(TBM_SETRANGEMIN, FALSE, 0);
            slider.SendMessage(TBM_SETRANGEMAX, TRUE, steps);
            slider.SendMessage(TBM_SETPAGESIZE, 0, std::max(1, steps / 10));
        }
        if (check) {
            if (checks[i].GetCheck() != (s.value != 0 ? 1 : 0)) checks[i].SetCheck(s.value != 0 ? 1 : 0);
            if (checks[i].GetWindowText() != kParamSwitchCaption) checks[i].SetWindowText(kParamSwitchCaption);
            continue;
        }
        if (slider.SendMessage(TBM_GETPOS) != s.track) slider.SendMessage(TBM_SETPOS, TRUE, s.track);
        value.SetTextColor(value_colour(colours, s)).SetText(s.text);
    }
    refreshing_ = false;
}

BOOL ParamPageView::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (id == IDC_PARAM_CHOOSER) {
        if (code != CBN_SELCHANGE) return CSkinDialog::OnCommand(wp, lp);
        // The equaliser's entry leads to its tab and leaves the page's effect as it was.
        if (!refreshing_) page_.choose_effect(chooser.GetCurSel() + 1);
        Refresh();
        return TRUE;
    }
    if (code != BN_CLICKED || refreshing_) return CSkinDialog::OnCommand(wp, lp);
    if (id == IDC_PARAM_SWITCH) {
        page_.on_switch(on_switch.GetCheck() == 1);
        return TRUE;
    }
    for (int r = 0; r < kRows; ++r) {
        if (id == CheckId(r)) {
            page_.on_track(r, checks[static_cast<size_t>(r)].GetCheck() == 1 ? 1 : 0);
            return TRUE;
        }
    }
    if (id == IDC_PARAM_DEFAULTS) {
        page_.on_defaults();
        return TRUE;
    }
    return CSkinDialog::OnCommand(wp, lp);
}

void ParamPageView::OnHScroll(UINT, UINT, HWND bar) {
    if (refreshing_ || bar == nullptr) return;
    if (const int r = index_of_window(sliders, bar); r >= 0)
        page_.on_track(r, static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)));
}

}  // namespace vemo
