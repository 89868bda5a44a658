#include "editor/win32/eq_page_view.h"

#include <algorithm>

#include "editor/win32/view_style.h"

namespace vemo {

namespace {

constexpr char kComboTip[] = "请通过下拉框选择转换方式 快速转换时无视频显示和无声音";

// The widest of the shown labels' texts in pixels, in the font each label has.
int widest_label(const std::array<CLabel, EqPageView::kSlots>& labels, const std::array<EqSlot, 32>& slots) {
    int widest = 0;
    HDC dc = GetDC(labels[0].m_hWnd);
    for (size_t k = 0; k < labels.size(); ++k) {
        if (!slots[k].shown) continue;
        const std::wstring text = widen(slots[k].label);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(labels[k].m_hWnd, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        widest = std::max<int>(widest, size.cx);
    }
    ReleaseDC(labels[0].m_hWnd, dc);
    return widest;
}

bool same_place(const EqSlot& a, const EqSlot& b) {
    return a.shown == b.shown && a.row == b.row && a.column == b.column && a.label == b.label &&
           a.label_colour == b.label_colour && a.slider_colour == b.slider_colour;
}

void set_if_changed(HWND slider, int pos) {
    if (SendMessageW(slider, TBM_GETPOS, 0, 0) != pos) SendMessageW(slider, TBM_SETPOS, TRUE, pos);
}

}  // namespace

RECT EqPageView::ItemRect(int id) const {
    RECT r{0, 0, 0, 0};
    if (HWND item = GetDlgItem(id)) {
        GetWindowRect(item, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

void EqPageView::DoDataExchange(CDataExchange& dx) {
    for (int k = 0; k < kSlots; ++k) {
        DDX_Control(dx, SliderId(k), sliders[static_cast<size_t>(k)]);
        DDX_Control(dx, LabelId(k), labels[static_cast<size_t>(k)]);
    }
    for (size_t i = 0; i < band_buttons.size(); ++i) DDX_Control(dx, kBandButtonIds[i], band_buttons[i]);
    DDX_Control(dx, kOptionId, option);
    DDX_Control(dx, kLinkedId, linked);
    DDX_Control(dx, kComboId, presets);
    DDX_Control(dx, kSaveId, save);
    DDX_Control(dx, kDeleteId, remove);
    DDX_Control(dx, kPreampId, preamp);
    DDX_Control(dx, kPreampLabelId, preamp_label);
    for (size_t i = 0; i < scales.size(); ++i) DDX_Control(dx, kScaleIds[i], scales[i]);
    // The page's data is the model: showing the page loads it; the controls wrote it already.
    if (!dx.m_bSaveAndValidate) Refresh();
}

BOOL EqPageView::OnInitDialog() {
    // Template geometry before the lay-out moves anything.
    frame_ = ItemRect(kFrameId);
    slider_ = ItemRect(SliderId(0));
    label_ = ItemRect(LabelId(0));
    scale_ = ItemRect(kScaleIds[2]);
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    SetBitmap(IDB_BACKGROUND);

    save.SetIcon(IDI_SAVE);
    remove.SetIcon(IDI_DELETE);
    save.DrawTransparent(false);
    remove.DrawTransparent(false);
    save.SetTooltipText("保存当前的均衡器设置为音效模式");
    remove.SetTooltipText("删除选择的音效模式");
    for (CIconButton* b : {&band_buttons[0], &band_buttons[1], &band_buttons[2], &band_buttons[3], &option, &linked})
        style_check_button(*b);
    option.SetTooltipText("二级调整：均衡之后再滤一次");
    linked.SetTooltipText("调谐联动：移动一个频段时相邻频段随之变化");
    combo_tip_.AddTool(presets.m_hWnd, kComboTip);

    preamp.SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(0, 24));
    preamp.SendMessage(TBM_SETTICFREQ, 1);
    preamp.SendMessage(TBM_SETSEL, FALSE, MAKELPARAM(6, 18));
    for (CColorSlider& s : sliders) {
        s.SendMessage(TBM_SETTICFREQ, 10);
        s.SendMessage(TBM_SETSEL, FALSE, MAKELPARAM(15, 35));
    }
    ResetBandRanges();
    Recolour();
    ready_ = true;
    Refresh();
    return TRUE;
}

void EqPageView::ResetBandRanges() {
    for (CColorSlider& s : sliders) s.SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(0, kBandRangeMax));
}

void EqPageView::Recolour() {
    if (m_hWnd == nullptr) return;
    const ColourScheme& s = scheme_;
    const PageColours c = page_colours(s);
    const COLORREF plate = c.plate;
    presets.SetColors(c.chooser, s.main_colour);
    preamp.SetColor1(plate);
    preamp.SetColor2(RGB(0xF2, 0xA5, 0x2F));
    preamp.SetColor3(RGB(0xF2, 0xF5, 0xF8));
    preamp_label.SetBkColor(plate).SetTextColor(c.label);
    for (CLabel& l : scales) l.SetBkColor(plate).SetTextColor(c.label);
    for (int k = 0; k < kSlots; ++k) {
        const EqSlot& slot = page_.slots[static_cast<size_t>(k)];
        CColorSlider& slider = sliders[static_cast<size_t>(k)];
        slider.SetColor1(plate);
        slider.SetColor2(slot.slider_colour);
        slider.SetColor3(blend(slot.slider_colour, RGB(0xFF, 0xFF, 0xFF), 96));
        // Each label on a ground its own colour reads on: blue needs a light one, red a dark one.
        labels[static_cast<size_t>(k)].SetBkColor(band_label_ground(c, slot.label_colour)).SetTextColor(slot.label_colour);
    }
    ResetBandRanges();
    Invalidate();
}

void EqPageView::LayOut() {
    const EqPage& eq = page_;
    const int rows = eq.row_length[1] > 0 ? 2 : 1;
    // The bands fill the frame left of the scale column.
    EqRect area{frame_.left + 6, frame_.top + 8, scale_.left - 2, frame_.bottom - 4};
    const int label_h = label_.bottom - label_.top;
    const int row_h = area.height() / rows;
    const int widest_row = std::max({eq.row_length[0], eq.row_length[1], 1});
    const int pitch = area.width() / widest_row;
    const int slider_w = std::clamp(pitch - 2, 8, 22);
    // Many bands leave little room for "12.5K": a smaller font then, and where a name is still
    // wider than its column the labels alternate between two lines, each as wide as two columns.
    const int font_px = widest_row > 12 ? 10 : 12;
    const PageColours colours = page_colours(scheme_);
    for (int k = 0; k < kSlots; ++k) {
        const EqSlot& slot = eq.slots[static_cast<size_t>(k)];
        // Bold: thin strokes of a saturated colour lose it to smoothing, and with it their contrast.
        labels[static_cast<size_t>(k)].SetFontSize(font_px).SetFontBold(true).SetText(slot.label);
        labels[static_cast<size_t>(k)].SetBkColor(band_label_ground(colours, slot.label_colour));
    }
    const int widest = widest_label(labels, eq.slots);
    const bool two_lines = widest + 2 > pitch;
    const int label_w = two_lines ? std::min(2 * pitch - 2, widest + 6) : pitch;
    const int labels_h = two_lines ? 2 * label_h : label_h;
    const int slider_h = std::min<int>(slider_.bottom - slider_.top, row_h - labels_h - 2);

    HDWP dwp = BeginDeferWindowPos(2 * kSlots + 6);
    for (int k = 0; k < kSlots; ++k) {
        const EqSlot& slot = eq.slots[static_cast<size_t>(k)];
        HWND s = sliders[static_cast<size_t>(k)].m_hWnd;
        HWND l = labels[static_cast<size_t>(k)].m_hWnd;
        if (!slot.shown) {
            ShowWindow(s, SW_HIDE);
            ShowWindow(l, SW_HIDE);
            EnableWindow(s, FALSE);
            EnableWindow(l, FALSE);
            continue;
        }
        EqSlotPlace p = eq_slot_place(area, slider_w, slider_h, label_w, labels_h, rows, slot.row, slot.column,
                                      eq.row_length[slot.row]);
        p.label.top += two_lines && slot.column % 2 == 1 ? label_h : 0;
        p.label.bottom = p.label.top + label_h;
        if (dwp != nullptr) {
            dwp = DeferWindowPos(dwp, s, nullptr, p.slider.left, p.slider.top, p.slider.width(), p.slider.height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
            dwp = DeferWindowPos(dwp, l, nullptr, p.label.left, p.label.top, p.label.width(), p.label.height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
        }
        CColorSlider& slider = sliders[static_cast<size_t>(k)];
        slider.SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(0, kBandRangeMax));
        slider.SendMessage(TBM_SETTICFREQ, 10);
        slider.SendMessage(TBM_SETSEL, FALSE, MAKELPARAM(15, 35));
        slider.SetColor2(slot.slider_colour);
        slider.SetColor3(blend(slot.slider_colour, RGB(0xFF, 0xFF, 0xFF), 96));
        labels[static_cast<size_t>(k)].SetTextColor(slot.label_colour);
        EnableWindow(s, TRUE);
        EnableWindow(l, TRUE);
        ShowWindow(s, SW_SHOW);
        ShowWindow(l, SW_SHOW);
    }
    // Each scale stands beside the first slider of its row: "+20" at the top, "-20" at the bottom.
    const int scale_h = scale_.bottom - scale_.top;
    for (int row = 0; row < 2; ++row) {
        const bool shown = row == 0 || eq.second_scale_visible;
        const EqSlotPlace p = eq_slot_place(area, slider_w, slider_h, pitch, labels_h, rows, row, 0, 1);
        const int tops[3] = {p.slider.bottom - scale_h, (p.slider.top + p.slider.bottom - scale_h) / 2, p.slider.top};
        for (int i = 0; i < 3; ++i) {
            HWND h = scales[static_cast<size_t>(row * 3 + i)].m_hWnd;
            if (shown && dwp != nullptr)
                dwp = DeferWindowPos(dwp, h, nullptr, area.right + 2, tops[i], frame_.right - area.right - 4, scale_h,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
            ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
        }
    }
    if (dwp != nullptr) EndDeferWindowPos(dwp);
    placed_ = eq.slots;
    placed_rows_[0] = eq.row_length[0];
    placed_rows_[1] = eq.row_length[1];
    Invalidate();
}

void EqPageView::RefreshCombo() {
    const EqPage& eq = page_;
    if (eq.combo != shown_names_) {
        presets.Reset();
        for (const std::string& name : eq.combo) presets.AddName(name);
        shown_names_ = eq.combo;
    }
    if (presets.GetCurSel() != eq.combo_sel) presets.SetCurSel(eq.combo_sel);
}

void EqPageView::Refresh() {
    if (!ready_ || m_hWnd == nullptr) return;
    refreshing_ = true;
    const EqPage& eq = page_;
    for (size_t i = 0; i < band_buttons.size(); ++i) {
        const Button& b = eq.band_buttons[i];
        if (band_buttons[i].GetCheck() != (b.checked ? 1 : 0)) band_buttons[i].SetCheck(b.checked ? 1 : 0);
        EnableWindow(band_buttons[i].m_hWnd, b.enabled ? TRUE : FALSE);
    }
    if (option.GetCheck() != (eq.option.checked ? 1 : 0)) option.SetCheck(eq.option.checked ? 1 : 0);
    if (linked.GetCheck() != (eq.linked.checked ? 1 : 0)) linked.SetCheck(eq.linked.checked ? 1 : 0);

    bool moved = placed_rows_[0] != eq.row_length[0] || placed_rows_[1] != eq.row_length[1];
    for (int k = 0; k < kSlots && !moved; ++k)
        moved = !same_place(placed_[static_cast<size_t>(k)], eq.slots[static_cast<size_t>(k)]);
    if (moved) LayOut();
    for (int k = 0; k < kSlots; ++k) set_if_changed(sliders[static_cast<size_t>(k)].m_hWnd, eq.slider_pos[static_cast<size_t>(k)]);
    set_if_changed(preamp.m_hWnd, eq.preamp_pos);
    RefreshCombo();
    refreshing_ = false;
}

BOOL EqPageView::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (id == kComboId) {
        if (code == CBN_SELCHANGE && !refreshing_) page_.choose_preset(presets.GetCurSel());
        return code == CBN_SELCHANGE ? TRUE : CSkinDialog::OnCommand(wp, lp);
    }
    if (code != BN_CLICKED || refreshing_) return CSkinDialog::OnCommand(wp, lp);
    for (size_t i = 0; i < band_buttons.size(); ++i) {
        if (kBandButtonIds[i] == id) {
            page_.on_band_button(static_cast<int>(i));
            // A click on the checked button un-checked it; the model has the group's state.
            Refresh();
            return TRUE;
        }
    }
    switch (id) {
    case kOptionId: page_.on_option(option.GetCheck() == 1); return TRUE;
    case kLinkedId: page_.on_linked(linked.GetCheck() == 1); return TRUE;
    case kSaveId: page_.on_save(); return TRUE;
    case kDeleteId: page_.on_delete(); return TRUE;
    default: return CSkinDialog::OnCommand(wp, lp);
    }
}

void EqPageView::OnVScroll(UINT, UINT, HWND bar) {
    if (refreshing_ || bar == nullptr) return;
    if (const int k = index_of_window(sliders, bar); k >= 0)
        page_.on_band_slider(k, static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)));
}

void EqPageView::OnHScroll(UINT, UINT, HWND bar) {
    if (refreshing_ || bar == nullptr || bar != preamp.m_hWnd) return;
    page_.on_preamp(static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)));
}

}  // namespace vemo
