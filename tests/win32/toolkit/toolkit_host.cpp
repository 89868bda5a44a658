// Wine tests of the toolkit: the library's resources, the class layer, the hook chain, the window
// skin and every control, driven through window messages on a sample editor made of the library's
// own templates and every toolkit control: the editor frame (3000) with its tab control, caption
// strip and window skin in host mode, the chain page (3021), the equaliser page (3001), and the
// colour settings window (3058) with its own skin. Then a screenshot of the sample dialogs for
// people to look at.
//   toolkit_host [screenshot.png]      prints one line per check and "toolkit: N passed, M failed"
#include <array>
#include <set>
#include <string>
#include <type_traits>

#include "../report.h"
#include "../wine_support.h"
#include "editor/colour_scheme.h"
#include "toolkit/base_tab_ctrl.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_list_ctrl.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"
#include "toolkit/subclass_wnd.h"

namespace vemo::sample {

inline ColourScheme g_scheme;
inline SkinColours skin_of(const ColourScheme& c) { return {c.main_colour, c.header_style, c.border_style}; }

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
        skin.SetColours(skin_of(g_scheme));
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
        skin.SetColours(skin_of(g_scheme));
        skin.Attach(m_hWnd);
        skin.SetHostMode(true);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
};

}  // namespace vemo::sample

using namespace vemo;
using host::each;
using host::named;
using host::nums;
using Names = std::vector<std::string>;
using Suite = host::Report;

namespace {

LPARAM screen_lparam(HWND hwnd, int x, int y) { return MAKELPARAM(rect_of(hwnd).left + x, rect_of(hwnd).top + y); }
int width_of(HWND hwnd) { return rect_of(hwnd).right - rect_of(hwnd).left; }
LOGFONTW font_of(HWND hwnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}
COLORREF colour(CIconButton& button, int slot) {
    COLORREF c = 0;
    button.GetColor(slot, &c);
    return c;
}

// A memory bitmap to paint into and read pixels from.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp;
    HGDIOBJ old;
    Canvas(int w, int h) {
        HDC screen = GetDC(nullptr);
        bmp = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    // FNV-1a over every third pixel of the rectangle.
    unsigned long long signature(int x0, int y0, int x1, int y1) const {
        unsigned long long sum = 1469598103934665603ull;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; x += 3) sum = (sum ^ GetPixel(dc, x, y)) * 1099511628211ull;
        return sum;
    }
};

// A plain top-level window of the toolkit's class, for the skin and the hook chain.
class Plain : public CWnd {
public:
    int timers = 0;
    bool Make(DWORD style) { return CreateEx(0, nullptr, L"plain", style, RECT{40, 40, 440, 340}, nullptr, 0); }

protected:
    void OnTimer(UINT_PTR id) override {
        ++timers;
        if (id == 99) throw 1;  // must not unwind into the system
    }
};

// Counts the messages WM_USER + 7 it sees and passes everything on.
class CountingHook : public CSubclassWnd {
public:
    int seen = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM, LPARAM) override {
        seen += msg == WM_USER + 7;
        return Default();
    }
};
HWND popup() { return CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); }

// Hit-test rows: x from the right edge when negative, y from the bottom when negative.
struct Hit {
    int x, y;
    LRESULT want;
    const char* what;
};
template <typename HitTest>
void expect_hits(Suite& s, HWND hwnd, HitTest hit, std::initializer_list<Hit> rows) {
    const RECT r = rect_of(hwnd);
    for (const Hit& h : rows)
        s.eq(hit(h.x < 0 ? r.right - r.left + h.x : h.x, h.y < 0 ? r.bottom - r.top + h.y : h.y), h.want, h.what);
}

void resources(Suite& s, sample::Editor& editor, sample::ColourWindow& colours) {
    s.run("templates 3000, 3021, 3001, 3058 and 3016: captions, font, texts, classes and controls", [&] {
        CDialog names(3016);
        s.expect(names.Create(3016, nullptr) && editor.chain.m_hWnd && editor.eq.m_hWnd, "3016 and both tab pages made");
        s.eq(editor.tab.GetPageCount(), 2, "pages");
        s.eq(utf8(font_of(editor.m_hWnd).lfFaceName), "宋体", "dialog font face");
        const HWND ed = editor.m_hWnd, ch = editor.chain.m_hWnd, eq = editor.eq.m_hWnd, cw = colours.m_hWnd, nd = names.m_hWnd;
        s.eq(Names{text_of(ed), text_of(cw), text_of(nd)}, Names{"广告音乐输出效果调整", "界面颜色设置", "音效模式保存"},
             "captions of the editor, the colour window and the name dialog");
        s.eq(each(16, [&](int i) { return text_of(GetDlgItem(ch, sample::ChainPage::kCheckIds[i])); }),
             Names{"图形均衡器", "压缩效果器", "音调变化器", "失真效果器", "过载效果器", "调幅效果器", "回响效果器", "飘忽效果器",
                   "移相效果器", "降噪效果器", "合唱效果器", "混响效果器", "WaWa效果器", "超重低音器", "取反效果器", "颤音效果器"},
             "check captions of 3021");
        struct Text {
            HWND dialog;
            int id;
            const char* text;
        };
        const Text texts[] = {
            {ch, 3004, "输出音频效果控制开关"}, {ch, 3005, ""}, {ch, 3006, "输出音频效果从上到下顺序调整"}, {ch, 3082, "上移"},
            {ch, 3083, "下移"}, {ch, 3088, "载入"}, {ch, 3089, "保存"}, {ch, 3090, "播放"}, {ch, 3091, "停止"},
            {ch, 3150, ""}, {ch, 3151, ""}, {ch, 3012, ""}, {eq, 3069, "10频段"}, {eq, 3070, "15频段"},
            {eq, 3071, "25频段"}, {eq, 3072, "31频段"}, {eq, 3073, "二级调整"}, {eq, 3084, "调谐联动"}, {eq, 3095, "预增益"},
            {eq, 3075, "-20"}, {eq, 3076, "0"}, {eq, 3077, "+20"}, {eq, 3078, "-20"}, {eq, 3079, "00"}, {eq, 3080, "+20"},
            {cw, 3004, "R颜色值"}, {cw, 3010, "主窗口透明度"}, {cw, 3082, "换窗头"}, {cw, 3083, "换边框"}, {cw, 3084, "保存"},
            {cw, 3153, "主窗口透明度调整"}, {nd, 3082, "确定"}, {nd, 3084, "放弃"}};
        for (const Text& t : texts) {
            HWND h = GetDlgItem(t.dialog, t.id);
            s.eq(h ? text_of(h) : "(no control)", t.text, named("text of ", t.id));
        }
        s.eq(Names{class_of(GetDlgItem(nd, 3083)), class_of(GetDlgItem(ch, 3086))}, Names{"Edit", "SysListView32"},
             "classes of 3083 in 3016 and 3086 in 3021");
        s.expect(FindWindowExW(nd, nullptr, L"Static", L"保存名称") != nullptr, "label 保存名称 in 3016");
        s.eq(GetWindowLongPtrW(GetDlgItem(ch, 3086), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT, "list view style");
        s.eq(each(32, [eq](int k) { return GetDlgItem(eq, k == 0 ? 3068 : 3003 + 2 * k) && GetDlgItem(eq, 3004 + 2 * k); }),
             std::vector<bool>(32, true), "band slots of 3001 with slider and label");
        const std::pair<HWND, std::vector<int>> controls[] = {
            {ed, {3000, 3152}},
            {eq, {3003, 3081, 3082, 3083, 3087}},
            {cw, {3069, 3070, 3071, 3072, 3073, 3068, 3074, 3075, 3076, 3005, 3006, 3007, 3008, 3009, 3011}}};
        for (const auto& [dialog, ids] : controls)
            for (int id : ids) s.expect(GetDlgItem(dialog, id) != nullptr, named("control ", id));
    });
    s.run("menu 3059 \"Lorun系统\" with the commands 32771-32777; bitmaps 3060, 3005, 3050 and twelve icons", [&] {
        HMENU bar = LoadMenuW(resource_module(), MAKEINTRESOURCEW(3059)), menu = GetSubMenu(bar, 0);
        auto item = [](HMENU m, UINT at, UINT how) {
            wchar_t text[64] = {};
            GetMenuStringW(m, at, text, 63, how);
            return utf8(text);
        };
        s.eq(Names{item(bar, 0, MF_BYPOSITION), item(menu, 0, MF_BYPOSITION)}, Names{"Lorun系统", "Lorun系统"},
             "popup title and title item");
        s.eq(each(7, [&](int i) { return item(menu, 32771 + i, MF_BYCOMMAND); }),
             Names{"还原窗口大小", "改变窗口大小", "窗口最小化", "窗口最大化", "窗口换肤", "关闭窗口", "关于"}, "menu items");
        DestroyMenu(bar);
        for (auto [id, w, h] : {std::tuple{3060, 802, 366}, {3005, 150, 150}, {3050, 64, 16}}) {
            GdiHandle bmp(load_bitmap(id));
            const SIZE got = bitmap_size(bmp.bitmap());
            s.eq(nums(got.cx, got.cy), nums(w, h), named("size of bitmap ", id));
        }
        for (UINT id : {3011u, 3012u, 3014u, 3015u, 3017u, 3018u, 3019u, 3020u, 3024u, 3025u, 3026u, 3031u})
            for (int size : {16, 32}) {
                HICON icon = load_icon(id, size);
                s.expect(icon != nullptr, named("icon ", id) + named(" loads at ", size));
                if (icon != nullptr) DestroyIcon(icon);
            }
    });
}

void class_layer(Suite& s) {
    s.run("window objects are bound once, cannot be copied, and keep exceptions inside", [&] {
        static_assert(!std::is_copy_constructible_v<CWnd> && !std::is_copy_assignable_v<CWnd>);
        Plain w, other;
        s.expect(w.Make(WS_OVERLAPPEDWINDOW) && CWnd::FromHandlePermanent(w.m_hWnd) == &w, "made, the handle maps to it");
        s.expect(!other.SubclassWindow(w.m_hWnd), "a bound window is not bound twice");
        SendMessageW(w.m_hWnd, WM_TIMER, 99, 0);
        s.eq(w.timers, 1, "timer handler runs, its exception stays in the window procedure");
        HWND hwnd = w.m_hWnd;
        w.DestroyWindow();
        s.expect(w.m_hWnd == nullptr && !IsWindow(hwnd), "destroyed and unbound");
    });
    s.run("control exchange stores and loads check buttons and trackbars through the page data", [&] {
        sample::Editor ed;
        ed.Create(3000, nullptr);
        auto& page = ed.chain;
        page.check_values.fill(0);
        page.check_values[3] = 1;
        page.UpdateData(false);
        s.eq(nums(page.checks[3].GetCheck(), IsDlgButtonChecked(page.m_hWnd, sample::ChainPage::kCheckIds[3])),
             nums(1, BST_CHECKED), "loaded into the control, and BM_GETCHECK answers it");
        page.checks[5].SetCheck(1);
        page.UpdateData(true);
        SendMessageW(ed.eq.GetDlgItem(3087), TBM_SETPOS, TRUE, 20);
        ed.eq.UpdateData(true);
        s.eq(nums(page.check_values[5], ed.eq.pregain_pos), nums(1, 20), "stored check and trackbar position");
    });
    for (bool first_out_first : {true, false}) {
        s.run(std::string("two hooks removed ") + (first_out_first ? "first" : "last") + "-hooked first restore the window procedure", [&] {
            HWND hwnd = popup();
            const LONG_PTR original = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
            CountingHook a, b;
            s.expect(a.HookWindow(hwnd) && b.HookWindow(hwnd) && CSubclassWnd::FirstHook(hwnd) == &b, "both hooked, the newest heads");
            s.eq(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(CSubclassWnd::SharedProc()), "procedure");
            SendMessageW(hwnd, WM_USER + 7, 0, 0);
            CSubclassWnd& out = first_out_first ? static_cast<CSubclassWnd&>(a) : b;
            CSubclassWnd& last = first_out_first ? static_cast<CSubclassWnd&>(b) : a;
            out.HookWindow(nullptr);
            s.expect(CSubclassWnd::FirstHook(hwnd) == &last && GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != original,
                     "the other hook heads the chain, still hooked");
            SendMessageW(hwnd, WM_USER + 7, 0, 0);
            s.eq(nums(a.seen, b.seen), first_out_first ? nums(1, 2) : nums(2, 1), "messages seen by a and b");
            last.HookWindow(nullptr);
            s.eq(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original, "procedure after both unhooked");
            s.expect(CSubclassWnd::FirstHook(hwnd) == nullptr, "window left the map");
            DestroyWindow(hwnd);
        });
    }
    s.run("a hook in the middle unlinks, and WM_NCDESTROY removes the whole chain", [&] {
        HWND hwnd = popup();
        CountingHook a, b, c;
        for (CountingHook* h : {&a, &b, &c}) h->HookWindow(hwnd);
        b.HookWindow(nullptr);
        s.expect(c.m_pNext == &a, "head links past the removed hook");
        SendMessageW(hwnd, WM_USER + 7, 0, 0);
        s.eq(nums(a.seen, b.seen, c.seen), nums(1, 0, 1), "messages seen by a, b (removed) and c");
        DestroyWindow(hwnd);
        s.expect(!a.IsHooked() && !c.IsHooked() && CSubclassWnd::FirstHook(hwnd) == nullptr, "hooks and chain released");
    });
}

void window_skin(Suite& s, sample::Editor& editor, sample::ColourWindow& colours) {
    HWND ed = editor.m_hWnd;
    s.run("the editor frame: insets 10/33/12/13, only a close box, no system boxes left", [&] {
        RECT wr = rect_of(ed), cr;
        GetClientRect(ed, &cr);
        POINT origin{0, 0};
        ClientToScreen(ed, &origin);
        s.eq(nums(wr.right - wr.left - cr.right, wr.bottom - wr.top - cr.bottom, origin.x - wr.left, origin.y - wr.top),
             nums(22, 46, 10, 33), "left + right and top + bottom insets, client left and top");
        s.eq(GetWindowLongPtrW(ed, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0, "system menu and boxes");
        expect_hits(s, ed, [ed](int x, int y) { return SendMessageW(ed, WM_NCHITTEST, 0, screen_lparam(ed, x, y)); },
                    {{-15, 12, HTCLOSE, "close box"}, {-25, 3, HTCLOSE, "close box's top-left corner"},
                     {-37, 12, HTCAPTION, "where a maximise box would be"}, {-60, 12, HTCAPTION, "where a minimise box would be"},
                     {12, 8, HTSYSMENU, "system icon"}, {100, 20, HTCAPTION, "caption band"},
                     {3, 100, HTCLIENT, "no sizing edge on a fixed window"}, {100, 100, HTCLIENT, "client area"}});
    });
    s.run("host mode: the close box and the menu send 12424 with 1333999/1, /4 and /3; without, the close box closes", [&] {
        editor.commands.clear();
        ShowWindow(ed, SW_SHOW);
        for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP}) SendMessageW(ed, msg, HTCLOSE, screen_lparam(ed, width_of(ed) - 15, 12));
        s.expect(!IsWindowVisible(ed), "the editor hid itself");
        for (UINT id : {32775u, 32777u, 32776u}) SendMessageW(ed, WM_COMMAND, id, 0);
        // close box: hide; 窗口换肤 toggles the colour window; 关于; 关闭窗口 hides.
        const std::vector<std::pair<WPARAM, LPARAM>> want = {{1333999, 1}, {1333999, 4}, {1333999, 3}, {1333999, 1}};
        s.expect(editor.commands == want, "commands 1333999 with 1, 4, 3, 1");
        const RECT before = rect_of(ed);
        SendMessageW(ed, WM_NCLBUTTONDBLCLK, HTCAPTION, screen_lparam(ed, 100, 20));
        const RECT after = rect_of(ed);
        s.expect(EqualRect(&before, &after) && editor.skin.m_state == CWindowSkin::kNormal, "a fixed window ignores the double click");
        // Without host mode (the colour window) the close box sends WM_CLOSE, which hides it.
        HWND cw = colours.m_hWnd;
        ShowWindow(cw, SW_SHOW);
        for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP}) SendMessageW(cw, msg, HTCLOSE, screen_lparam(cw, width_of(cw) - 10, 10));
        pump(0);
        s.expect(!IsWindowVisible(cw) && IsWindow(cw), "hidden by its own close, not destroyed");
    });
    s.run("a sizable window with both boxes: box places, edges, maximise, restore, minimum track size; a minimise box alone", [&] {
        Plain p;
        p.Make(WS_OVERLAPPEDWINDOW);
        CWindowSkin skin;
        s.expect(!skin.Attach(p.m_hWnd), "nothing is attached before the skin is loaded");
        skin.LoadSkin("test");
        s.expect(skin.Attach(p.m_hWnd) && skin.m_bSizable && skin.m_bHasMinBox && skin.m_bHasMaxBox, "attached, styles recorded");
        auto hit = [&](int x, int y) { return skin.HitTest(POINT{x, y}); };
        expect_hits(s, p.m_hWnd, hit,
                    {{-60, 12, HTMINBUTTON, "minimise box beside the maximise box"}, {-37, 12, HTMAXBUTTON, "maximise box"},
                     {-15, 12, HTCLOSE, "close box"}, {2, 2, HTTOPLEFT, "top-left corner"},
                     {-2, -2, HTBOTTOMRIGHT, "bottom-right corner"}, {3, 100, HTLEFT, "left edge"},
                     {-5, 100, HTRIGHT, "right edge"}, {100, -5, HTBOTTOM, "bottom edge"}, {100, 2, HTTOP, "top edge"}});
        MINMAXINFO mmi{};
        SendMessageW(p.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        s.eq(nums(mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y), nums(223, 78), "minimum tracking size");
        const RECT normal = rect_of(p.m_hWnd);
        SendMessageW(p.m_hWnd, WM_NCLBUTTONDBLCLK, HTCAPTION, screen_lparam(p.m_hWnd, 100, 20));
        MONITORINFO mi{sizeof mi, {}, {}, 0};
        GetMonitorInfoW(MonitorFromWindow(p.m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        const RECT maxed = rect_of(p.m_hWnd);
        s.expect(skin.m_state == CWindowSkin::kMaximised && EqualRect(&maxed, &mi.rcWork),
                 "a double click on the caption maximises over the work area");
        s.expect(hit(2, 2) != HTTOPLEFT && hit(3, 100) != HTLEFT, "no sizing corner or edge while maximised");
        SendMessageW(p.m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        const RECT back = rect_of(p.m_hWnd);
        s.expect(EqualRect(&back, &normal) && skin.m_state == CWindowSkin::kNormal, "restored to the saved rectangle");
        std::vector<long long> states;
        SendMessageW(p.m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        states.push_back(skin.m_state);
        skin.Minimise();
        states.push_back(skin.m_state);
        skin.Restore();  // back to the state before minimising
        states.push_back(skin.m_state);
        s.eq(states, nums(CWindowSkin::kMaximised, CWindowSkin::kMinimised, CWindowSkin::kMaximised),
             "states after SC_MAXIMIZE, Minimise and Restore");
        p.DestroyWindow();
        s.expect(!skin.IsHooked(), "the window's destruction unhooked the skin");
        // A window with only a minimise box has it beside the close box.
        Plain q;
        q.Make(WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX);
        CWindowSkin min;
        min.LoadSkin("min");
        min.Attach(q.m_hWnd);
        expect_hits(s, q.m_hWnd, [&](int x, int y) { return min.HitTest(POINT{x, y}); },
                    {{-37, 12, HTMINBUTTON, "minimise box at W-47..W-26"}, {-60, 12, HTCAPTION, "nothing further left"},
                     {3, 100, HTCLIENT, "not sizable"}});
    });
    s.run("frame painting differs for each of the 4 header and 7 border styles and for inactive", [&] {
        CWindowSkin skin;
        skin.LoadSkin("paint");
        skin.m_caption = L"Lorun";
        Canvas c(300, 200);
        auto paint = [&](int header, int border) {
            skin.SetColours({0x00624C06, header, border});
            skin.PaintFrame(c.dc, 300, 200);
        };
        std::set<unsigned long long> headers, borders;
        for (int hs = 0; hs < 4; ++hs) paint(hs, 0), headers.insert(c.signature(40, 2, 200, 32));
        for (int bs = 0; bs < 7; ++bs) paint(2, bs), borders.insert(c.signature(0, 40, 10, 190) ^ (c.signature(0, 0, 2, 2) << 1));
        s.eq(nums(headers.size(), borders.size()), nums(4, 7), "distinct header and border styles");
        paint(2, 0);
        const auto active = c.signature(40, 2, 200, 32);
        skin.m_bActive = false;
        paint(2, 0);
        s.expect(c.signature(40, 2, 200, 32) != active, "inactive caption looks different");
    });
}

void icon_button(Suite& s, sample::Editor& editor) {
    CIconButton& b = editor.chain.up;
    s.run("icon button colours: defaults; slot 6 or -1 gives 3 and changes nothing; offsets and their limits", [&] {
        CIconButton fresh;
        s.eq(nums(colour(fresh, CIconButton::kBkOut), colour(fresh, CIconButton::kBkIn)), nums(0x00969600, GetSysColor(COLOR_BTNFACE)),
             "default resting and hover backgrounds");
        const auto before = each(6, [&](int i) { return colour(b, i); });
        s.eq(nums(b.SetColor(6, 0x00123456), b.SetColor(-1, 0x00123456)), nums(3, 3), "results for slots 6, -1");
        s.eq(each(6, [&](int i) { return colour(b, i); }), before, "slots after refused sets");
        s.eq(b.SetColor(5, 0x00123456), 0, "slot 5");
        s.eq(colour(b, 5), 0x00123456, "slot 5 stored");
        // Offsets: 0x00F0F0F0 by +30 is white; darkening stops when red reaches 0; +-256 is refused.
        b.SetColor(0, 0x00F0F0F0);
        b.SetColor(1, 0x00102030);
        b.SetColor(2, 0x00405060);
        s.eq(std::vector<long long>{b.OffsetColor(0, 30), b.OffsetColor(1, -40), b.OffsetColor(2, 256), b.OffsetColor(2, -256),
                                    b.OffsetColor(7, 10)},
             nums(0, 0, 5, 5, 3), "results of offsets 30, -40, 256, -256 and a bad slot");
        s.eq(nums(colour(b, 0), colour(b, 1), colour(b, 2)), nums(0x00FFFFFF, 0x00001020, 0x00405060),
             "colours: lightened to white, darkened until red reaches 0, unchanged after a refused offset");
    });
    s.run("a check button flips on each click, double click is a second click, the dialog sees the new state", [&] {
        auto& page = editor.chain;
        CIconButton& check = page.checks[2];
        HWND h = check.m_hWnd;
        s.expect(check.IsCheckMode(), "automatic check box became a check button");
        s.eq(GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW, "button type: drawn by the toolkit");
        check.SetCheck(0);
        page.clicks.clear();
        s.eq(each(3, [&](int) { return SendMessageW(h, BM_CLICK, 0, 0), check.GetCheck(); }), nums(1, 0, 1), "states after clicks");
        s.eq(SendMessageW(h, BM_GETCHECK, 0, 0), BST_CHECKED, "BM_GETCHECK");
        const std::vector<std::pair<int, int>> reported = {{3073, 1}, {3073, 0}, {3073, 1}};
        s.expect(page.clicks == reported, "three BN_CLICKED, each handler reading the flipped state");
        page.clicks.clear();
        auto mouse = [h](UINT msg, int x) { SendMessageW(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, 4)); };
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) mouse(msg, 4);
        s.eq(nums(check.GetCheck(), page.clicks.size()), nums(1, 2), "state and clicks reported after a click and a double click");
        mouse(WM_LBUTTONDOWN, 4);
        mouse(WM_LBUTTONUP, -50);
        page.up.SetCheck(1);
        s.eq(nums(check.GetCheck(), page.up.GetCheck()), nums(1, 0), "state after a release outside; a push button keeps no check");
    });
    s.run("hover: only over the button of the active window without a held button; gone on leaving, focus loss, deactivation", [&] {
        CIconButton& btn = editor.chain.down;
        ShowWindow(editor.m_hWnd, SW_SHOW);
        SetForegroundWindow(editor.m_hWnd);
        SetActiveWindow(editor.m_hWnd);
        pump(0);
        SetCursorPos(rect_of(btn.m_hWnd).left + 6, rect_of(btn.m_hWnd).top + 6);
        btn.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
        std::vector<bool> hover = {btn.IsHover()};
        for (int step = 0; step < 4; ++step) {  // a move, then a move and leaving, losing the focus, deactivation
            btn.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
            if (step == 1) btn.SendMessage(WM_MOUSELEAVE);
            if (step == 2) btn.SendMessage(WM_KILLFOCUS);
            if (step == 3) SendMessageW(editor.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
            hover.push_back(btn.IsHover());
        }
        s.eq(hover, std::vector<bool>{false, true, false, false, false},
             "hover with the left button held, after a move, then after leaving, losing the focus, deactivation");
        ShowWindow(editor.m_hWnd, SW_HIDE);
        pump(0);
    });
    s.run("the default button reports DLGC_DEFPUSHBUTTON, the others DLGC_UNDEFPUSHBUTTON", [&] {
        struct Names : CDialog {
            Names() : CDialog(3016) {}
            CIconButton ok, cancel;
            void DoDataExchange(CDataExchange& dx) override {
                DDX_Control(dx, 3082, ok);
                DDX_Control(dx, 3084, cancel);
            }
        } names;
        names.Create(3016, nullptr);
        auto code = [](CIconButton& btn) { return btn.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON); };
        s.expect(names.ok.IsDefault() && !names.cancel.IsDefault(), "default taken from the template");
        s.eq(nums(code(names.ok), code(names.cancel)), nums(DLGC_DEFPUSHBUTTON, DLGC_UNDEFPUSHBUTTON), "codes of the two buttons");
        names.cancel.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        s.expect(names.cancel.IsDefault(), "the dialog manager can make it the default");
        s.eq(names.cancel.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW, "button type: still drawn by the toolkit");
        s.eq(SendMessageW(names.m_hWnd, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(names.cancel.m_hWnd)),
             reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)), "the parent's colour message gets a null brush");
    });
    s.run("tooltip: the balloon window is made on the first text and shaped as a balloon", [&] {
        CIconButton& btn = editor.chain.play;
        s.expect(btn.Tooltip().m_hWnd == nullptr, "no window before any text");
        btn.SetTooltipText("播放选择音效的声音文件");
        s.expect(btn.Tooltip().m_hWnd != nullptr, "window made");
        btn.SetTooltipText("播放");
        s.eq(named(btn.Tooltip().ToolText(btn.m_hWnd) + " ", btn.Tooltip().ToolCount()), "播放 1", "tool text and tools after a new text");
        ShowWindow(editor.m_hWnd, SW_SHOW);
        const RECT br = rect_of(btn.m_hWnd);
        HWND tip = btn.Tooltip().m_hWnd;
        s.expect(btn.Tooltip().Show(btn.m_hWnd, POINT{br.left + 5, br.top + 5}) && IsWindowVisible(tip), "shown");
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        s.eq(GetWindowRgn(tip, rgn), COMPLEXREGION, "balloon region");
        const int w = width_of(tip), h = rect_of(tip).bottom - rect_of(tip).top;
        s.eq(nums(PtInRegion(rgn, 0, 0), PtInRegion(rgn, 15, h - 2), PtInRegion(rgn, w - 3, h - 2)), nums(0, 1, 0),
             "region at a rounded corner, at the pointer below the body, beside the pointer");
        DeleteObject(rgn);
        btn.Tooltip().Hide();
        s.expect(!IsWindowVisible(tip), "hidden");
        ShowWindow(editor.m_hWnd, SW_HIDE);
    });
}

void other_controls(Suite& s, sample::Editor& editor) {
    s.run("label setters chain and take effect; coloured slider: three colours and the background brush", [&] {
        CLabel& l = editor.chain.title;
        CLabel& r = l.SetBkColor(0x00112233).SetTextColor(0x00445566).SetFontName("楷体").SetFontSize(14).SetFontBold(true);
        s.expect(&r == &l, "the setters return the label");
        s.eq(nums(l.GetBkColor(), l.GetTextColor(), l.GetFontSize(), l.IsBold()), nums(0x00112233, 0x00445566, 14, 1),
             "background, text colour, font height, bold");
        const LOGFONTW lf = font_of(l.m_hWnd);
        s.eq(Names{l.GetFontName(), utf8(lf.lfFaceName)}, Names{"楷体", "楷体"}, "font face of the label and of its control");
        s.eq(nums(lf.lfWeight, lf.lfHeight), nums(FW_BOLD, -14), "the control's font weight and height");
        HDC dc = GetDC(l.m_hWnd);
        SendMessageW(editor.chain.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(l.m_hWnd));
        s.eq(nums(GetTextColor(dc), GetBkColor(dc)), nums(0x00445566, 0x00112233), "colours the colour message sets");
        ReleaseDC(l.m_hWnd, dc);
        l.SetFontBold(false);
        s.expect(!l.IsBold(), "weight 400 again");
        CColorSlider& sl = editor.eq.pregain;
        sample::slider_colours(sl, 0x00010203, 0x00040506, 0x00070809);
        s.eq(nums(sl.GetColor1(), sl.GetColor2(), sl.GetColor3()), nums(0x00010203, 0x00040506, 0x00070809), "slider colours");
        dc = GetDC(sl.m_hWnd);
        LOGBRUSH lb{};
        GetObjectW(reinterpret_cast<HBRUSH>(SendMessageW(editor.eq.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(sl.m_hWnd))),
                   sizeof lb, &lb);
        s.eq(lb.lbColor, 0x00010203, "slider background brush in colour 1");
        ReleaseDC(sl.m_hWnd, dc);
    });
    s.run("list cells: row 3 column -1 colours the whole row; rows outside mean all; -1 the system colours", [&] {
        CColorListCtrl& l = editor.chain.list;
        s.eq(nums(l.GetItemCount(), l.GetColumnCount()), nums(16, 3), "rows and columns");
        auto text_colours = [&](int row) { return each(3, [&](int c) { return l.GetItemTextColor(row, c); }); };
        l.SetItemTextColor(3, -1, 0x00123456);
        l.SetItemBkColor(3, 7, 0x00ABCDEF);
        s.eq(text_colours(3), nums(0x123456, 0x123456, 0x123456), "row 3 text, column -1");
        s.expect(text_colours(2) != text_colours(3) && text_colours(4) != text_colours(3), "neighbours untouched");
        s.eq(each(3, [&](int c) { return l.GetItemBkColor(3, c); }), nums(0xABCDEF, 0xABCDEF, 0xABCDEF), "row 3 background, column 7");
        l.SetItemBkColor(-1, 1, 0x00010101);
        l.SetItemBkColor(99, 2, 0x00020202);
        s.eq(each(16, [&](int r) { return l.GetItemBkColor(r, 1); }), std::vector<long long>(16, 0x010101), "column 1, row -1");
        s.eq(each(16, [&](int r) { return l.GetItemBkColor(r, 2); }), std::vector<long long>(16, 0x020202), "column 2, row 99");
        l.SetItemTextColor(5, 0, CColorListCtrl::kSystemColour);
        l.SetItemBkColor(5, 0, CColorListCtrl::kSystemColour);
        const auto system = nums(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
        s.eq(nums(l.GetItemTextColor(5, 0), l.GetItemBkColor(5, 0)), system, "system text and window colours");
        // A new row starts in the system colours and pushes the others down with their colours.
        s.eq(l.InsertItem(3, "99"), 3, "row inserted");
        s.eq(nums(l.GetItemTextColor(3, 1), l.GetItemBkColor(3, 2)), system, "new row text and background");
        s.eq(l.GetItemTextColor(4, 2), 0x00123456, "old row 3 moved to 4 with its colours");
        l.DeleteItem(3);
        s.eq(l.GetItemTextColor(3, 2), 0x00123456, "and back after the delete");
        s.eq(l.GetItemText(6, 1), "回响效果器", "cell text");
        const auto [text, back] = cell_colours(editor.chain.m_hWnd, l.m_hWnd, 3, 1);
        s.eq(nums(text, back), nums(0x00123456, 0x00010101), "custom draw text and background colours");
    });
    s.run("combo box: names from its own array, reset, colours", [&] {
        CColorComboBox& c = editor.eq.presets;
        c.Reset();
        s.eq(std::vector<long long>{c.GetCount(), c.AddName("Rock摇滚模式"), c.AddName("超低音模式")}, nums(0, 0, 1),
             "items after reset, indexes of two names added");
        s.eq(Names{c.GetName(1), c.GetName(5)}, Names{"超低音模式", ""}, "names of items 1 and 5");
        c.SetColors(0x0000FFFF, 0x00624C06);
        s.eq(nums(c.GetTextColor(), c.GetBkColor()), nums(0x0000FFFF, 0x00624C06), "colours");
    });
    s.run("tabs: tab 5 of two pages changes nothing; a valid index swaps and exchanges the pages", [&] {
        CBaseTabCtrl& tab = editor.tab;
        tab.SelectPage(0);
        const int saved = editor.chain.exchanges_saved;
        s.expect(!tab.SelectPage(5) && !tab.SelectPage(-1), "index 5 and -1 refused");
        s.eq(nums(tab.GetCurPage(), tab.SendMessage(TCM_GETCURSEL), editor.chain.exchanges_saved), nums(0, 0, saved),
             "after refusals: selection, the control's selection, exchanges stored");
        s.expect(tab.SelectPage(1), "index 1");
        s.eq(nums(tab.GetCurPage(), editor.chain.exchanges_saved), nums(1, saved + 1),
             "page selected, exchanges stored: the old page stored its controls");
        s.eq(nums(GetWindowLongPtrW(editor.chain.m_hWnd, GWL_STYLE) & WS_VISIBLE, GetWindowLongPtrW(editor.eq.m_hWnd, GWL_STYLE) & WS_VISIBLE),
             nums(0, WS_VISIBLE), "old page hidden, new page shown");
        std::wstring shown;
        tab.show_message = [&](HWND, const std::wstring& text) { shown = text; };
        tab.ModifyStyle(0, TCS_VERTICAL);
        s.expect(tab.SelectPage(0), "a vertical tab still selects");
        s.eq(utf8(shown.c_str()), CBaseTabCtrl::kVerticalMessage, "vertical-style message");
        tab.ModifyStyle(TCS_VERTICAL, 0);
        s.eq(tab.GetCurPage(), 0, "page selected at the end");
    });
    s.run("skinned dialog: bitmap tiles across and down, fill colour without one, client drag posts a caption hit", [&] {
        Canvas c(1000, 800);
        editor.chain.PaintBackground(c.dc, RECT{0, 0, 1000, 800}, POINT{0, 0});
        s.eq(nums(GetPixel(c.dc, 807, 7), GetPixel(c.dc, 5, 373)), nums(GetPixel(c.dc, 5, 7), GetPixel(c.dc, 5, 7)),
             "pixels 802 to the right and 366 further down");
        sample::ColourWindow fresh;
        fresh.Create(3058, nullptr);
        s.eq(fresh.m_crFill, ColourScheme().dialog_fill, "the colour window set its own fill");
        CSkinDialog plain(3016);
        plain.Create(3016, nullptr);
        s.eq(nums(plain.m_crFill, plain.m_nFillMode), nums(0x00FF3737, 22), "initial fill colour and mode");
        s.expect(!plain.SetBitmap(4242), "a missing bitmap is dropped");
        plain.PaintBackground(c.dc, RECT{0, 0, 50, 50}, POINT{0, 0});
        s.eq(GetPixel(c.dc, 10, 10), 0x00FF3737, "pixel filled with the fill colour");
        pump(0);
        SendMessageW(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        MSG msg{};
        const bool posted = PeekMessageW(&msg, plain.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
        POINT pt{20, 10};
        ClientToScreen(plain.m_hWnd, &pt);
        s.expect(posted && msg.wParam == HTCAPTION && msg.lParam == MAKELPARAM(pt.x, pt.y), "caption hit posted at the cursor");
        plain.SetClientDrag(false);
        SendMessageW(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        s.expect(!PeekMessageW(&msg, plain.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE), "nothing with drag off");
    });
}

// Two fresh editors side by side (one per page) and the colour window beside them in another
// header and border style, with a hovered button, a checked row and an open balloon tooltip.
bool screenshot(const char* path) {
    sample::Editor chain_view, eq_view;
    sample::ColourWindow colours;
    if (!chain_view.Create(3000, nullptr) || !eq_view.Create(3000, nullptr) || !colours.Create(3058, nullptr)) return false;
    eq_view.tab.SelectPage(1);
    const int w = width_of(chain_view.m_hWnd), gap = 12;
    int x = gap;
    for (HWND hwnd : {chain_view.m_hWnd, eq_view.m_hWnd, colours.m_hWnd}) {
        SetWindowPos(hwnd, HWND_TOPMOST, x, gap + 24, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        x += w + gap;
    }
    static ColourScheme other;
    other.set_main_colour(0x00084808);
    other.header_style = 3;
    other.border_style = 6;
    colours.skin.SetColours(sample::skin_of(other));
    pump(400);
    SetForegroundWindow(chain_view.m_hWnd);
    sample::ChainPage& page = chain_view.chain;
    SetCursorPos(rect_of(page.up.m_hWnd).left + 8, rect_of(page.up.m_hWnd).top + 6);
    page.up.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(8, 6));
    page.list.SendMessage(LVM_SETITEMSTATE, 6, 0);
    page.play.SetTooltipText("播放选择音效的声音文件");
    page.play.Tooltip().Show(page.play.m_hWnd, POINT{rect_of(page.play.m_hWnd).left + 16, rect_of(page.play.m_hWnd).top + 4});
    pump(400);
    for (HWND hwnd : {chain_view.m_hWnd, eq_view.m_hWnd, colours.m_hWnd})
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump(300);
    const RECT a = rect_of(chain_view.m_hWnd), c = rect_of(colours.m_hWnd);
    return save_screen_png(path, RECT{0, 0, x + width_of(colours.m_hWnd) - w, gap * 2 + 24 + std::max(a.bottom, c.bottom) - a.top});
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    Suite s;
    {
        sample::Editor editor;
        sample::ColourWindow colours;
        if (!editor.Create(3000, nullptr) || !colours.Create(3058, nullptr)) {
            std::printf("FAIL the sample editor and colour window are made from their templates\n");
            return 1;
        }
        resources(s, editor, colours);
        class_layer(s);
        window_skin(s, editor, colours);
        icon_button(s, editor);
        other_controls(s, editor);
    }
    // The run script checks the file.
    if (argc == 2 && !screenshot(argv[1])) std::fprintf(stderr, "toolkit_host: no screenshot written to %s\n", argv[1]);
    return s.finish("toolkit");
}
