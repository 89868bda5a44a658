// A sample editor made of the library's own templates and every toolkit control: the editor
// frame (3000) with its tab control, caption strip and window skin in host mode, the chain
// page (3021), the equaliser page (3001), and the colour settings window (3058) with its own
// skin. The tests drive it and the screenshot shows it.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "editor/colour_scheme.h"
#include "toolkit/base_tab_ctrl.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_list_ctrl.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"

namespace vemo::sample {

inline ColourScheme g_scheme;

// The slots' colours (slot, colour), without redrawing.
inline void button_colours(CIconButton& b, std::initializer_list<std::pair<int, COLORREF>> slots) {
    for (auto [slot, c] : slots) b.SetColor(slot, c, false);
}
inline void style_button(CIconButton& b, COLORREF main) {
    button_colours(b, {{CIconButton::kBkOut, shift(main, 20)}, {CIconButton::kFgOut, RGB(0xF0, 0xF2, 0xF5)},
                       {CIconButton::kBkIn, shift(main, 60)}, {CIconButton::kFgIn, RGB(0xFF, 0xFF, 0x80)}});
}
inline void style_check(CIconButton& b) {
    b.SetIcon(3019, 3020);
    b.DrawTransparent(false);
    button_colours(b, {{CIconButton::kFgOut, RGB(0xE8, 0xEC, 0xF0)}, {CIconButton::kFgIn, RGB(0xFF, 0xFF, 0x80)},
                       {CIconButton::kBkIn, RGB(0x1C, 0xB8, 0xC8)}});
}
inline void slider_colours(CColorSlider& s, COLORREF c1, COLORREF c2, COLORREF c3) {
    s.SetColor1(c1);
    s.SetColor2(c2);
    s.SetColor3(c3);
}

class ChainPage : public CSkinDialog {
public:
    static constexpr std::array<int, 16> kCheckIds = {3070, 3072, 3073, 3080, 3079, 3076, 3069, 3071,
                                                      3074, 3078, 3075, 3077, 3081, 3084, 3085, 3087};
    static constexpr const char* kNames[16] = {"图形均衡器", "压缩效果器", "音调变化器", "失真效果器", "过载效果器",
                                               "调幅效果器", "回响效果器", "飘忽效果器", "移相效果器", "降噪效果器",
                                               "合唱效果器", "混响效果器", "WaWa效果器", "超重低音效果器", "取反效果器",
                                               "颤音效果器"};
    ChainPage() : CSkinDialog(3021) {}
    std::array<CIconButton, 16> checks;
    std::array<int, 16> check_values{};
    CLabel title;
    CColorListCtrl list;
    CIconButton up, down, load, save, play, stop;
    int exchanges_saved = 0;
    std::vector<std::pair<int, int>> clicks;  // BN_CLICKED of each check button with the state it read then

protected:
    void DoDataExchange(CDataExchange& dx) override {
        for (size_t i = 0; i < checks.size(); ++i) {
            DDX_Control(dx, kCheckIds[i], checks[i]);
            DDX_Check(dx, kCheckIds[i], check_values[i]);
        }
        DDX_Control(dx, 3006, title);
        DDX_Control(dx, 3086, list);
        CIconButton* buttons[6] = {&up, &down, &load, &save, &play, &stop};
        for (int i = 0; i < 6; ++i) DDX_Control(dx, (i < 2 ? 3082 : 3086) + i, *buttons[i]);
        if (dx.m_bSaveAndValidate) ++exchanges_saved;
    }
    BOOL OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        SetClientDrag(false);
        SetBitmap(3060);
        const COLORREF main = g_scheme.main_colour;
        for (size_t i = 0; i < checks.size(); ++i) style_check(checks[i]), checks[i].SetTooltipText(kNames[i]);
        title.SetFontName("楷体").SetFontSize(12).SetBkColor(main).SetTextColor(RGB(0, 0, 0));
        for (CIconButton* b : {&up, &down, &load, &save, &play, &stop}) style_button(*b, main);
        up.SetTooltipText("音效向上移");
        down.SetTooltipText("音效向下移");
        save.SetIcon(3018);
        save.SetTooltipText("关闭Lorun效果器窗口");
        list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        list.SendMessage(LVM_SETBKCOLOR, 0, 0x008B3E94);
        list.SendMessage(LVM_SETTEXTBKCOLOR, 0, 0x008B3E30);
        list.SendMessage(LVM_SETTEXTCOLOR, 0, 0x0000FFFF);
        list.SetHeaderColors(g_scheme.tab_header, RGB(0xFF, 0xFF, 0xFF));
        list.InsertColumn(0, "序号", 60);
        list.InsertColumn(1, "音效名称", 120);
        list.InsertColumn(2, "有效性", 60);
        const COLORREF cells[3][2] = {{RGB(0xFF, 0xFF, 0xFF), main}, {0x0000FFFF, g_scheme.cell_shade_1},
                                      {0x000000FF, g_scheme.cell_shade_2}};
        for (int t = 1; t <= 16; ++t) {
            const int row = list.InsertItem(t - 1, std::to_string(t).c_str());
            list.SetItemText(row, 1, kNames[t - 1]);
            list.SetItemText(row, 2, "无效");
            for (int c = 0; c < 3; ++c) {
                list.SetItemTextColor(row, c, cells[c][0], false);
                list.SetItemBkColor(row, c, cells[c][1], false);
            }
        }
        // Two effects switched on, drawn as the chain page draws an enabled row.
        for (int row : {0, 6}) {
            check_values[static_cast<size_t>(row)] = 1;  // the page's data: loaded when the tab is selected
            list.SetItemText(row, 2, "有效");
            list.SetItemTextColor(row, -1, RGB(0xFF, 0xFF, 0xFF), false);
            list.SetItemBkColor(row, -1, 0x001010FF, false);
        }
        return TRUE;
    }
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        for (size_t i = 0; i < checks.size() && HIWORD(wp) == BN_CLICKED; ++i)
            if (kCheckIds[i] == LOWORD(wp)) clicks.emplace_back(kCheckIds[i], checks[i].GetCheck());
        return CSkinDialog::OnCommand(wp, lp);
    }
};

class EqPage : public CSkinDialog {
public:
    EqPage() : CSkinDialog(3001) {}
    std::array<CColorSlider, 10> bands;
    std::array<CLabel, 10> band_labels;
    CColorSlider pregain;
    CColorComboBox presets;
    CIconButton save, remove;
    std::array<CIconButton, 6> options;  // 3069..3073, 3084
    int pregain_pos = 12;

protected:
    void DoDataExchange(CDataExchange& dx) override {
        for (int k = 0; k < 10; ++k) {
            DDX_Control(dx, k == 0 ? 3068 : 3003 + 2 * k, bands[static_cast<size_t>(k)]);
            DDX_Control(dx, 3004 + 2 * k, band_labels[static_cast<size_t>(k)]);
        }
        DDX_Control(dx, 3087, pregain);
        DDX_Slider(dx, 3087, pregain_pos);
        DDX_Control(dx, 3081, presets);
        DDX_Control(dx, 3082, save);
        DDX_Control(dx, 3083, remove);
        for (size_t i = 0; i < options.size(); ++i) DDX_Control(dx, i < 5 ? 3069 + static_cast<int>(i) : 3084, options[i]);
    }
    BOOL OnInitDialog() override {
        // The controls exist before the data exchange loads the pre-gain position.
        HWND pre = GetDlgItem(3087);
        SendMessageW(pre, TBM_SETRANGE, FALSE, MAKELPARAM(0, 24));
        SendMessageW(pre, TBM_SETTICFREQ, 1, 0);
        SendMessageW(pre, TBM_SETSEL, FALSE, MAKELPARAM(6, 18));
        CSkinDialog::OnInitDialog();
        SetClientDrag(false);
        SetBitmap(3060);
        const COLORREF main = g_scheme.main_colour;
        save.SetIcon(3012);
        remove.SetIcon(3011);
        save.DrawTransparent();
        remove.DrawTransparent();
        save.SetTooltipText("保存");
        for (CIconButton& b : options) style_check(b);
        options[0].SetCheck(1);
        presets.SetColors(0x0000FFFF, main);
        for (const char* name : {"10频段缺省模式", "Normal自然模式", "Rock摇滚模式", "POP流行模式"}) presets.AddName(name);
        presets.SetCurSel(2);
        // Ten bands in one row across the frame, the rock preset's curve.
        const char* labels[10] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"};
        const int gains[10] = {8, 6, -6, 8, -2, 4, 8, 10, 10, 10};
        RECT frame;
        GetWindowRect(GetDlgItem(3003), &frame);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&frame), 2);
        const int step = (frame.right - frame.left - 40) / 10;
        for (size_t k = 0; k < bands.size(); ++k) {
            const int x = frame.left + 8 + static_cast<int>(k) * step;
            HWND s = bands[k].m_hWnd, l = band_labels[k].m_hWnd;
            MoveWindow(s, x, frame.top + 14, step - 4, frame.bottom - frame.top - 40, FALSE);
            SendMessageW(s, TBM_SETRANGE, FALSE, MAKELPARAM(0, 50));
            SendMessageW(s, TBM_SETTICFREQ, 10, 0);
            SendMessageW(s, TBM_SETSEL, FALSE, MAKELPARAM(15, 35));
            SendMessageW(s, TBM_SETPOS, TRUE, static_cast<LPARAM>(25 - 1.25 * gains[k]));
            const COLORREF family = k < 5 ? RGB(0x20, 0xFF, 0x20) : (k < 8 ? RGB(0x00, 0x00, 0xFF) : RGB(0xFF, 0x00, 0x00));
            slider_colours(bands[k], shift(main, -30), blend(family, main, static_cast<int>(k % 5) * 30), shift(family, 40));
            MoveWindow(l, x - 2, frame.bottom - 24, step, 14, FALSE);
            band_labels[k].SetText(labels[k]).SetBkColor(shift(main, -30)).SetTextColor(family);
            for (HWND h : {s, l}) EnableWindow(h, TRUE), ShowWindow(h, SW_SHOW);
        }
        slider_colours(pregain, shift(main, -30), RGB(0xF2, 0xA5, 0x2F), RGB(0xF2, 0xF5, 0xF8));
        return TRUE;
    }
};

class ColourWindow : public CSkinDialog {
public:
    ColourWindow() : CSkinDialog(3058) {}
    std::array<CIconButton, 5> swatches;
    std::array<CColorSlider, 4> sliders;  // red, green, blue, alpha
    std::array<CLabel, 4> values;
    CIconButton header, border, save;
    CWindowSkin skin;

protected:
    void DoDataExchange(CDataExchange& dx) override {
        for (size_t i = 0; i < swatches.size(); ++i) DDX_Control(dx, 3069 + static_cast<int>(i), swatches[i]);
        const int slider_ids[4] = {3068, 3074, 3075, 3076}, value_ids[4] = {3006, 3007, 3009, 3011};
        for (size_t i = 0; i < sliders.size(); ++i) DDX_Control(dx, slider_ids[i], sliders[i]), DDX_Control(dx, value_ids[i], values[i]);
        DDX_Control(dx, 3082, header);
        DDX_Control(dx, 3083, border);
        DDX_Control(dx, 3084, save);
    }
    BOOL OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        SetClientDrag(false);
        SetFillColor(g_scheme.dialog_fill);
        const COLORREF main = g_scheme.main_colour, presets[5] = {0x00383808, 0x00084808, 0x00083848, 0x00480808, main};
        for (size_t i = 0; i < swatches.size(); ++i) {
            button_colours(swatches[i], {{CIconButton::kBkOut, presets[i]}, {CIconButton::kBkIn, presets[i]}});
            swatches[i].OffsetColor(CIconButton::kBkIn, 40, false);
            swatches[i].SetTooltipText("选择颜色效果");
        }
        swatches[4].SetCheck(1);
        const COLORREF value_bk[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FF00FF};
        const int low[4] = {0, 0, 0, 120}, positions[4] = {GetRValue(main), GetGValue(main), GetBValue(main), 255};
        for (size_t i = 0; i < sliders.size(); ++i) {
            sliders[i].SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(low[i], 255));
            sliders[i].SendMessage(TBM_SETPOS, TRUE, positions[i]);
            slider_colours(sliders[i], g_scheme.dialog_fill, value_bk[i], RGB(0xF2, 0xF5, 0xF8));
            values[i].SetText(std::to_string(positions[i]).c_str()).SetBkColor(value_bk[i]).SetTextColor(RGB(0, 0, 0));
            values[i].SetFontName("楷体").SetFontSize(12);
        }
        for (CIconButton* b : {&header, &border, &save}) style_button(*b, main);
        save.SetIcon(3012);
        header.SetTooltipText("更换软件界面的窗口头部");
        border.SetTooltipText("更换软件界面的窗口边框");
        save.SetTooltipText("软件界面参数保存并返回");
        skin.LoadSkin("aa");
        skin.SetScheme(&g_scheme);
        skin.Attach(m_hWnd);
        return TRUE;
    }
};

class Editor : public CSkinDialog {
public:
    Editor() : CSkinDialog(3000) {}
    ~Editor() override {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
        if (images != nullptr) ImageList_Destroy(images);
    }
    ChainPage chain;
    EqPage eq;
    CBaseTabCtrl tab;
    CLabel strip;
    CWindowSkin skin;
    HIMAGELIST images = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> commands;  // editor commands (12424) the window received

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != CWindowSkin::kEditorCommand) return CSkinDialog::WindowProc(msg, wp, lp);
        commands.emplace_back(wp, lp);
        if (wp == CWindowSkin::kFrameCommand && lp == CWindowSkin::kHide) ShowWindow(m_hWnd, SW_HIDE);
        return 0;
    }

protected:
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Control(dx, 3000, tab);
        DDX_Control(dx, 3152, strip);
    }
    BOOL OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        SetClientDrag(false);
        SetBitmap(3060);
        strip.SetBkColor(g_scheme.caption).SetTextColor(0x00020202).SetFontName("宋体").SetFontSize(12);
        strip.SetText("广告音乐输出效果调整");
        images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 6, 6);
        for (UINT id : {3031u, 3014u, 3015u, 3025u, 3026u, 3024u}) {
            HICON icon = load_icon(id, 32);
            ImageList_AddIcon(images, icon);
            DestroyIcon(icon);
        }
        tab.SetImageList(images);
        tab.SetBitmap(3005);
        tab.SetBitmap(3060);
        tab.SetColors(g_scheme.tab_text, g_scheme.tab_header);
        tab.AddPage("音效控制", &chain, 3021, 0);
        tab.AddPage("均衡器", &eq, 3001, 1);
        tab.SelectPage(0);
        skin.LoadSkin("aaa");
        skin.SetScheme(&g_scheme);
        skin.Attach(m_hWnd);
        skin.SetHostMode(true);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
};

}  // namespace vemo::sample
