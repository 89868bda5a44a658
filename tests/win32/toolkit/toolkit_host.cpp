// Wine tests of the toolkit: the class layer, the hook chain, the window skin, every control,
// and the library's resources, driven through window messages on the sample editor.
//   toolkit_host        prints one line per check and "toolkit: N passed, M failed"
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <type_traits>

#include "../host_checks.h"
#include "../wine_support.h"
#include "sample_dialog.h"
#include "toolkit/subclass_wnd.h"

using namespace vemo;

namespace {

using Suite = host::Report;

std::string text_of(HWND hwnd) { return narrow(window_text(hwnd)); }

LPARAM screen_lparam(HWND hwnd, int x, int y) {
    RECT wr;
    GetWindowRect(hwnd, &wr);
    return MAKELPARAM(wr.left + x, wr.top + y);
}

int window_width(HWND hwnd) {
    RECT wr;
    GetWindowRect(hwnd, &wr);
    return wr.right - wr.left;
}

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

// Counts the messages it sees and passes everything on.
class CountingHook : public CSubclassWnd {
public:
    int seen = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM, LPARAM) override {
        if (msg == WM_USER + 7) ++seen;
        return Default();
    }
};

// ---------------------------------------------------------------------------- resources

void resources(Suite& s, sample::Editor& editor, sample::ColourWindow& colours) {
    s.run("dialog 3000: caption, font, tab 3000 and caption strip 3152", [&] {
        s.expect_text(text_of(editor.m_hWnd), "广告音乐输出效果调整", "editor caption");
        s.expect(editor.GetDlgItem(3000) != nullptr && editor.GetDlgItem(3152) != nullptr, "tab and strip");
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(editor.SendMessage(WM_GETFONT)), sizeof lf, &lf);
        s.expect_text(narrow(lf.lfFaceName), "宋体", "dialog font face");
    });
    s.run("dialog 3021: the sixteen check buttons with their captions and every other control", [&] {
        const char* captions[16] = {"图形均衡器", "压缩效果器", "音调变化器", "失真效果器", "过载效果器", "调幅效果器",
                                    "回响效果器", "飘忽效果器", "移相效果器", "降噪效果器", "合唱效果器", "混响效果器",
                                    "WaWa效果器", "超重低音器", "取反效果器", "颤音效果器"};
        for (size_t i = 0; i < 16; ++i)
            s.expect_text(text_of(editor.chain.GetDlgItem(sample::ChainPage::kCheckIds[i])), captions[i], "check caption");
        const std::map<int, const char*> texts = {{3004, "输出音频效果控制开关"}, {3005, ""}, {3006, "输出音频效果从上到下顺序调整"},
                                                  {3082, "上移"}, {3083, "下移"}, {3088, "载入"}, {3089, "保存"},
                                                  {3090, "播放"}, {3091, "停止"}, {3150, ""}, {3151, ""}, {3012, ""}};
        for (const auto& [id, text] : texts) s.expect_text(text_of(editor.chain.GetDlgItem(id)), text, "chain page text");
        s.expect_text(narrow(class_name(editor.chain.GetDlgItem(3086))), "SysListView32", "3086 is a list view");
        s.expect((GetWindowLongPtrW(editor.chain.GetDlgItem(3086), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT, "report view");
    });
    s.run("dialog 3001: 32 band slots, scales, band buttons, options, presets, pre-gain", [&] {
        int found = 0;
        for (int k = 0; k < 32; ++k) {
            const int slider = k == 0 ? 3068 : 3003 + 2 * k;
            const int label = 3004 + 2 * k;
            found += editor.eq.GetDlgItem(slider) != nullptr && editor.eq.GetDlgItem(label) != nullptr;
        }
        s.expect_eq(found, 32, "band slots with slider and label");
        const std::map<int, const char*> texts = {{3069, "10频段"}, {3070, "15频段"}, {3071, "25频段"}, {3072, "31频段"},
                                                  {3073, "二级调整"}, {3084, "调谐联动"}, {3095, "预增益"},
                                                  {3075, "-20"}, {3076, "0"}, {3077, "+20"},
                                                  {3078, "-20"}, {3079, "00"}, {3080, "+20"}};
        for (const auto& [id, text] : texts) s.expect_text(text_of(editor.eq.GetDlgItem(id)), text, "equaliser page text");
        for (int id : {3003, 3081, 3082, 3083, 3087}) s.expect(editor.eq.GetDlgItem(id) != nullptr, "equaliser control");
    });
    s.run("dialog 3058: caption, swatches, sliders, labels and buttons", [&] {
        s.expect_text(text_of(colours.m_hWnd), "界面颜色设置", "colour window caption");
        const std::map<int, const char*> texts = {{3004, "R颜色值"}, {3010, "主窗口透明度"}, {3082, "换窗头"},
                                                  {3083, "换边框"}, {3084, "保存"}, {3153, "主窗口透明度调整"}};
        for (const auto& [id, text] : texts) s.expect_text(text_of(colours.GetDlgItem(id)), text, "colour window text");
        for (int id : {3069, 3070, 3071, 3072, 3073, 3068, 3074, 3075, 3076, 3005, 3006, 3007, 3008, 3009, 3011})
            s.expect(colours.GetDlgItem(id) != nullptr, "colour window control");
    });
    s.run("dialog 3016: the preset name dialog's caption, field and buttons", [&] {
        CDialog names(3016);
        s.expect(names.Create(3016, nullptr), "3016 created");
        s.expect_text(text_of(names.m_hWnd), "音效模式保存", "caption");
        s.expect_text(text_of(names.GetDlgItem(3082)), "确定", "confirm button");
        s.expect_text(text_of(names.GetDlgItem(3084)), "放弃", "give-up button");
        s.expect_text(narrow(class_name(names.GetDlgItem(3083))), "Edit", "3083 is an edit field");
        s.expect(FindWindowExW(names.m_hWnd, nullptr, L"Static", L"保存名称") != nullptr, "label 保存名称");
    });
    s.run("menu 3059: title \"Lorun系统\" and the commands 32771-32777", [&] {
        HMENU bar = LoadMenuW(resource_module(), MAKEINTRESOURCEW(3059));
        HMENU popup = GetSubMenu(bar, 0);
        wchar_t title[64] = {};
        GetMenuStringW(bar, 0, title, 63, MF_BYPOSITION);
        s.expect_text(narrow(title), "Lorun系统", "popup title");
        GetMenuStringW(popup, 0, title, 63, MF_BYPOSITION);
        s.expect_text(narrow(title), "Lorun系统", "title item");
        const char* items[7] = {"还原窗口大小", "改变窗口大小", "窗口最小化", "窗口最大化", "窗口换肤", "关闭窗口", "关于"};
        for (UINT id = 32771; id <= 32777; ++id) {
            wchar_t text[64] = {};
            GetMenuStringW(popup, id, text, 63, MF_BYCOMMAND);
            s.expect_text(narrow(text), items[id - 32771], "menu item");
        }
        DestroyMenu(bar);
    });
    s.run("bitmaps 3060 (802 x 366), 3005 (150 x 150), 3050 and the twelve icons load", [&] {
        const std::map<UINT, SIZE> sizes = {{3060, {802, 366}}, {3005, {150, 150}}, {3050, {64, 16}}};
        for (const auto& [id, want] : sizes) {
            GdiHandle bmp(load_bitmap(id));
            const SIZE got = bitmap_size(bmp.bitmap());
            s.expect_eq(got.cx, want.cx, "bitmap width");
            s.expect_eq(got.cy, want.cy, "bitmap height");
        }
        for (UINT id : {3011u, 3012u, 3014u, 3015u, 3017u, 3018u, 3019u, 3020u, 3024u, 3025u, 3026u, 3031u})
            for (int size : {16, 32}) {
                HICON icon = load_icon(id, size);
                s.expect(icon != nullptr, "icon loads");
                if (icon != nullptr) DestroyIcon(icon);
            }
    });
}

// ---------------------------------------------------------------------------- class layer

void class_layer(Suite& s) {
    s.run("window objects are bound once, cannot be copied, and keep exceptions inside", [&] {
        static_assert(!std::is_copy_constructible_v<CWnd> && !std::is_copy_assignable_v<CWnd>);
        Plain w;
        s.expect(w.Make(WS_OVERLAPPEDWINDOW), "window created");
        s.expect(CWnd::FromHandlePermanent(w.m_hWnd) == &w, "handle maps to the object");
        Plain other;
        s.expect(!other.SubclassWindow(w.m_hWnd), "a bound window is not bound twice");
        SendMessageW(w.m_hWnd, WM_TIMER, 99, 0);
        s.expect_eq(w.timers, 1, "handler ran and its exception stayed in the window procedure");
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
        s.expect_eq(page.checks[3].GetCheck(), 1, "loaded into the control");
        s.expect_eq(IsDlgButtonChecked(page.m_hWnd, sample::ChainPage::kCheckIds[3]), BST_CHECKED, "BM_GETCHECK answers it");
        page.checks[5].SetCheck(1);
        page.UpdateData(true);
        s.expect_eq(page.check_values[5], 1, "stored from the control");
        SendMessageW(ed.eq.GetDlgItem(3087), TBM_SETPOS, TRUE, 20);
        ed.eq.UpdateData(true);
        s.expect_eq(ed.eq.pregain_pos, 20, "trackbar position stored");
    });
}

// ---------------------------------------------------------------------------- hook chain

void hook_chain(Suite& s) {
    for (bool first_out_first : {true, false}) {
        s.run(first_out_first ? "two hooks removed first-hooked first restore the window procedure"
                              : "two hooks removed last-hooked first restore the window procedure",
              [&] {
                  HWND hwnd = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
                  const LONG_PTR original = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
                  CountingHook a, b;
                  s.expect(a.HookWindow(hwnd) && b.HookWindow(hwnd), "both hooked");
                  s.expect(CSubclassWnd::FirstHook(hwnd) == &b, "the newest hook is the head");
                  s.expect_eq(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(CSubclassWnd::SharedProc()),
                          "shared procedure installed");
                  SendMessageW(hwnd, WM_USER + 7, 0, 0);
                  s.expect(a.seen == 1 && b.seen == 1, "a message passes both hooks");
                  CSubclassWnd& out = first_out_first ? static_cast<CSubclassWnd&>(a) : b;
                  CSubclassWnd& last = first_out_first ? static_cast<CSubclassWnd&>(b) : a;
                  out.HookWindow(nullptr);
                  s.expect(CSubclassWnd::FirstHook(hwnd) == &last, "the other hook heads the chain");
                  SendMessageW(hwnd, WM_USER + 7, 0, 0);
                  s.expect_eq(a.seen + b.seen, 3, "only the remaining hook sees the next message");
                  s.expect(GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != original, "still hooked after the first unhook");
                  last.HookWindow(nullptr);
                  s.expect_eq(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original, "original procedure back");
                  s.expect(CSubclassWnd::FirstHook(hwnd) == nullptr, "window left the map");
                  DestroyWindow(hwnd);
              });
    }
    s.run("a hook in the middle unlinks, and WM_NCDESTROY removes the whole chain", [&] {
        HWND hwnd = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        CountingHook a, b, c;
        a.HookWindow(hwnd);
        b.HookWindow(hwnd);
        c.HookWindow(hwnd);
        b.HookWindow(nullptr);
        s.expect(c.m_pNext == &a, "head links past the removed hook");
        SendMessageW(hwnd, WM_USER + 7, 0, 0);
        s.expect(a.seen == 1 && b.seen == 0 && c.seen == 1, "the removed hook sees nothing");
        DestroyWindow(hwnd);
        s.expect(!a.IsHooked() && !c.IsHooked(), "hooks released by the window's destruction");
        s.expect(CSubclassWnd::FirstHook(hwnd) == nullptr, "no chain left for the handle");
    });
}

// ---------------------------------------------------------------------------- window skin

void window_skin(Suite& s, sample::Editor& editor, sample::ColourWindow& colours) {
    HWND ed = editor.m_hWnd;
    s.run("the editor frame: insets 10/33/12/13, only a close box, no system boxes left", [&] {
        RECT wr, cr;
        GetWindowRect(ed, &wr);
        GetClientRect(ed, &cr);
        s.expect_eq((wr.right - wr.left) - cr.right, 22, "left + right insets");
        s.expect_eq((wr.bottom - wr.top) - cr.bottom, 46, "top + bottom insets");
        POINT origin{0, 0};
        ClientToScreen(ed, &origin);
        s.expect_eq(origin.x - wr.left, 10, "client left");
        s.expect_eq(origin.y - wr.top, 33, "client top");
        s.expect((GetWindowLongPtrW(ed, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0,
                "system menu and boxes removed");
        const int w = window_width(ed);
        auto hit = [&](int x, int y) { return static_cast<long long>(SendMessageW(ed, WM_NCHITTEST, 0, screen_lparam(ed, x, y))); };
        s.expect_eq(hit(w - 15, 12), HTCLOSE, "close box");
        s.expect_eq(hit(w - 25, 3), HTCLOSE, "close box's top-left corner");
        s.expect_eq(hit(w - 37, 12), HTCAPTION, "where a maximise box would be");
        s.expect_eq(hit(w - 60, 12), HTCAPTION, "where a minimise box would be");
        s.expect_eq(hit(12, 8), HTSYSMENU, "system icon");
        s.expect_eq(hit(100, 20), HTCAPTION, "caption band");
        s.expect_eq(hit(3, 100), HTCLIENT, "no sizing edge on a fixed window");
        s.expect_eq(hit(100, 100), HTCLIENT, "client area");
    });
    s.run("host mode: the close box and the menu send 12424 with 1333999/1, /4 and /3", [&] {
        editor.commands.clear();
        ShowWindow(ed, SW_SHOW);
        const int w = window_width(ed);
        SendMessageW(ed, WM_NCLBUTTONDOWN, HTCLOSE, screen_lparam(ed, w - 15, 12));
        SendMessageW(ed, WM_NCLBUTTONUP, HTCLOSE, screen_lparam(ed, w - 15, 12));
        s.expect_eq(static_cast<long long>(editor.commands.size()), 1, "one command");
        if (!editor.commands.empty()) {
            s.expect_eq(static_cast<long long>(editor.commands[0].first), 1333999, "command code");
            s.expect_eq(editor.commands[0].second, 1, "argument: hide");
        }
        s.expect(!IsWindowVisible(ed), "the editor hid itself");
        editor.commands.clear();
        for (UINT id : {32775u, 32777u, 32776u}) SendMessageW(ed, WM_COMMAND, id, 0);
        s.expect_eq(static_cast<long long>(editor.commands.size()), 3, "three commands");
        if (editor.commands.size() == 3) {
            s.expect_eq(editor.commands[0].second, 4, "窗口换肤 toggles the colour window");
            s.expect_eq(editor.commands[1].second, 3, "关于");
            s.expect_eq(editor.commands[2].second, 1, "关闭窗口 hides");
        }
        const RECT before = [&] { RECT r; GetWindowRect(ed, &r); return r; }();
        SendMessageW(ed, WM_NCLBUTTONDBLCLK, HTCAPTION, screen_lparam(ed, 100, 20));
        RECT after;
        GetWindowRect(ed, &after);
        s.expect(EqualRect(&before, &after) != FALSE && editor.skin.m_state == CWindowSkin::kNormal,
                "a double click on a fixed window's caption does nothing");
    });
    s.run("without host mode the close box sends WM_CLOSE, which hides the colour window", [&] {
        ShowWindow(colours.m_hWnd, SW_SHOW);
        const int w = window_width(colours.m_hWnd);
        SendMessageW(colours.m_hWnd, WM_NCLBUTTONDOWN, HTCLOSE, screen_lparam(colours.m_hWnd, w - 10, 10));
        SendMessageW(colours.m_hWnd, WM_NCLBUTTONUP, HTCLOSE, screen_lparam(colours.m_hWnd, w - 10, 10));
        pump(0);
        s.expect(!IsWindowVisible(colours.m_hWnd), "hidden by its own close");
        s.expect(IsWindow(colours.m_hWnd), "hidden, not destroyed");
    });
    s.run("a sizable window with both boxes: box places, edges, maximise, restore, minimum track size", [&] {
        Plain p;
        p.Make(WS_OVERLAPPEDWINDOW);
        CWindowSkin skin;
        s.expect(!skin.Attach(p.m_hWnd), "nothing is attached before the skin is loaded");
        skin.LoadSkin("test");
        s.expect(skin.Attach(p.m_hWnd), "attached once loaded");
        s.expect(skin.m_bSizable && skin.m_bHasMinBox && skin.m_bHasMaxBox, "styles recorded");
        const int w = window_width(p.m_hWnd);
        RECT wr;
        GetWindowRect(p.m_hWnd, &wr);
        const int h = wr.bottom - wr.top;
        auto hit = [&](int x, int y) { return static_cast<long long>(skin.HitTest(POINT{x, y})); };
        s.expect_eq(hit(w - 60, 12), HTMINBUTTON, "minimise box beside the maximise box");
        s.expect_eq(hit(w - 37, 12), HTMAXBUTTON, "maximise box");
        s.expect_eq(hit(w - 15, 12), HTCLOSE, "close box");
        s.expect_eq(hit(2, 2), HTTOPLEFT, "top-left corner");
        s.expect_eq(hit(w - 2, h - 2), HTBOTTOMRIGHT, "bottom-right corner");
        s.expect_eq(hit(3, 100), HTLEFT, "left edge");
        s.expect_eq(hit(w - 5, 100), HTRIGHT, "right edge");
        s.expect_eq(hit(100, h - 5), HTBOTTOM, "bottom edge");
        s.expect_eq(hit(100, 2), HTTOP, "top edge");
        MINMAXINFO mmi{};
        SendMessageW(p.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        s.expect_eq(mmi.ptMinTrackSize.x, 223, "minimum tracking width");
        s.expect_eq(mmi.ptMinTrackSize.y, 78, "minimum tracking height");
        SendMessageW(p.m_hWnd, WM_NCLBUTTONDBLCLK, HTCAPTION, screen_lparam(p.m_hWnd, 100, 20));
        s.expect_eq(skin.m_state, CWindowSkin::kMaximised, "double click on the caption maximises");
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(p.m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        RECT maxed;
        GetWindowRect(p.m_hWnd, &maxed);
        s.expect(EqualRect(&maxed, &mi.rcWork) != FALSE, "maximised over the work area");
        s.expect(skin.HitTest(POINT{2, 2}) != HTTOPLEFT, "no sizing corner while maximised");
        s.expect(skin.HitTest(POINT{3, 100}) != HTLEFT, "no sizing edge while maximised");
        SendMessageW(p.m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        RECT back;
        GetWindowRect(p.m_hWnd, &back);
        s.expect(EqualRect(&back, &wr) != FALSE && skin.m_state == CWindowSkin::kNormal, "restored to the saved rectangle");
        SendMessageW(p.m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        s.expect_eq(skin.m_state, CWindowSkin::kMaximised, "SC_MAXIMIZE maximises");
        skin.Minimise();
        s.expect_eq(skin.m_state, CWindowSkin::kMinimised, "minimised");
        skin.Restore();
        s.expect_eq(skin.m_state, CWindowSkin::kMaximised, "restore from minimised returns to the state before");
        p.DestroyWindow();
        s.expect(!skin.IsHooked(), "the window's destruction unhooked the skin");
    });
    s.run("a window with only a minimise box has it beside the close box", [&] {
        Plain p;
        p.Make(WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX);
        CWindowSkin skin;
        skin.LoadSkin("min");
        skin.Attach(p.m_hWnd);
        const int w = window_width(p.m_hWnd);
        s.expect_eq(skin.HitTest(POINT{w - 37, 12}), HTMINBUTTON, "minimise box at W-47..W-26");
        s.expect_eq(skin.HitTest(POINT{w - 60, 12}), HTCAPTION, "nothing further left");
        s.expect(skin.HitTest(POINT{3, 100}) == HTCLIENT, "not sizable");
    });
    s.run("frame painting differs for each of the 4 header and 7 border styles and for inactive", [&] {
        ColourScheme scheme;
        CWindowSkin skin;
        skin.LoadSkin("paint");
        skin.SetScheme(&scheme);
        skin.m_caption = L"Lorun";
        const int w = 300, h = 200;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bmp);
        auto signature = [&](int x0, int y0, int x1, int y1) {
            unsigned long long sum = 1469598103934665603ull;
            for (int y = y0; y < y1; y += 1)
                for (int x = x0; x < x1; x += 3) sum = (sum ^ GetPixel(dc, x, y)) * 1099511628211ull;
            return sum;
        };
        std::set<unsigned long long> headers, borders;
        for (int hs = 0; hs < 4; ++hs) {
            scheme.header_style = hs;
            skin.PaintFrame(dc, w, h);
            headers.insert(signature(40, 2, 200, 32));
        }
        scheme.header_style = 2;
        for (int bs = 0; bs < 7; ++bs) {
            scheme.border_style = bs;
            skin.PaintFrame(dc, w, h);
            borders.insert(signature(0, 40, 10, 190) ^ (signature(0, 0, 2, 2) << 1));
        }
        s.expect_eq(static_cast<long long>(headers.size()), 4, "distinct header styles");
        s.expect_eq(static_cast<long long>(borders.size()), 7, "distinct border styles");
        scheme.border_style = 0;
        skin.PaintFrame(dc, w, h);
        const auto active = signature(40, 2, 200, 32);
        skin.m_bActive = false;
        skin.PaintFrame(dc, w, h);
        s.expect(signature(40, 2, 200, 32) != active, "inactive caption looks different");
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    });
}

// ---------------------------------------------------------------------------- controls

void icon_button(Suite& s, sample::Editor& editor) {
    CIconButton& b = editor.chain.up;
    s.run("icon button colour slots: slot 6 gives 3 and changes nothing; defaults", [&] {
        CIconButton fresh;
        COLORREF c = 0;
        fresh.GetColor(CIconButton::kBkOut, &c);
        s.expect_eq(c, 0x00969600, "default resting background");
        fresh.GetColor(CIconButton::kBkIn, &c);
        s.expect_eq(c, GetSysColor(COLOR_BTNFACE), "default hover background");
        COLORREF before[6], after[6];
        for (int i = 0; i < 6; ++i) b.GetColor(i, &before[i]);
        s.expect_eq(b.SetColor(6, 0x00123456), 3, "slot 6");
        s.expect_eq(b.SetColor(-1, 0x00123456), 3, "slot -1");
        for (int i = 0; i < 6; ++i) b.GetColor(i, &after[i]);
        bool unchanged = true;
        for (int i = 0; i < 6; ++i) unchanged = unchanged && before[i] == after[i];
        s.expect(unchanged, "no slot changed");
        s.expect_eq(b.SetColor(5, 0x00123456), 0, "slot 5");
        b.GetColor(5, &c);
        s.expect_eq(c, 0x00123456, "slot 5 stored");
    });
    s.run("icon button offset colour: 0x00F0F0F0 by +30 gives 0x00FFFFFF; limits and result 5", [&] {
        COLORREF c = 0;
        b.SetColor(0, 0x00F0F0F0);
        s.expect_eq(b.OffsetColor(0, 30), 0, "result");
        b.GetColor(0, &c);
        s.expect_eq(c, 0x00FFFFFF, "lightened to white");
        b.SetColor(1, 0x00102030);
        b.OffsetColor(1, -40);
        b.GetColor(1, &c);
        s.expect_eq(c, 0x00001020, "darkening stops when red reaches 0");
        b.SetColor(2, 0x00405060);
        s.expect_eq(b.OffsetColor(2, 256), 5, "offset 256");
        s.expect_eq(b.OffsetColor(2, -256), 5, "offset -256");
        b.GetColor(2, &c);
        s.expect_eq(c, 0x00405060, "unchanged after a refused offset");
        s.expect_eq(b.OffsetColor(7, 10), 3, "bad slot first");
    });
    s.run("a check button flips on each click, double click is a second click, the dialog sees the new state", [&] {
        auto& page = editor.chain;
        CIconButton& check = page.checks[2];
        HWND h = check.m_hWnd;
        s.expect(check.IsCheckMode(), "automatic check box became a check button");
        s.expect((GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW, "drawn by the toolkit");
        check.SetCheck(0);
        page.clicks.clear();
        const int want[3] = {1, 0, 1};
        for (int i = 0; i < 3; ++i) {
            SendMessageW(h, BM_CLICK, 0, 0);
            s.expect_eq(check.GetCheck(), want[i], "state after click");
        }
        s.expect_eq(static_cast<long long>(SendMessageW(h, BM_GETCHECK, 0, 0)), BST_CHECKED, "BM_GETCHECK");
        s.expect_eq(static_cast<long long>(page.clicks.size()), 3, "three BN_CLICKED");
        if (page.clicks.size() == 3) s.expect_eq(page.clicks[1].second, 0, "handler read the flipped state");
        page.clicks.clear();
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        s.expect_eq(check.GetCheck(), 1, "click and double click flip twice");
        s.expect_eq(static_cast<long long>(page.clicks.size()), 2, "two clicks reported");
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(-50, 4));
        s.expect_eq(check.GetCheck(), 1, "released outside: no click");
        CIconButton& push = page.up;
        push.SetCheck(1);
        s.expect_eq(push.GetCheck(), 0, "a push button keeps no check");
    });
    s.run("hover: set only over the button of the active window without a held button, cleared on leaving and deactivation", [&] {
        CIconButton& btn = editor.chain.down;
        ShowWindow(editor.m_hWnd, SW_SHOW);
        SetForegroundWindow(editor.m_hWnd);
        SetActiveWindow(editor.m_hWnd);
        pump(0);
        RECT r;
        GetWindowRect(btn.m_hWnd, &r);
        SetCursorPos(r.left + 6, r.top + 6);
        btn.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
        s.expect(!btn.IsHover(), "no hover while the left button is held");
        btn.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
        s.expect(btn.IsHover(), "hover");
        btn.SendMessage(WM_MOUSELEAVE);
        s.expect(!btn.IsHover(), "cleared on leaving");
        btn.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
        btn.SendMessage(WM_KILLFOCUS);
        s.expect(!btn.IsHover(), "cleared when the focus goes");
        btn.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
        SendMessageW(editor.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
        s.expect(!btn.IsHover(), "cleared when its window is deactivated");
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
        s.expect(names.ok.IsDefault() && !names.cancel.IsDefault(), "default taken from the template");
        s.expect_eq(names.ok.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_DEFPUSHBUTTON,
                "default button");
        s.expect_eq(names.cancel.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
                DLGC_UNDEFPUSHBUTTON, "normal button");
        names.cancel.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        s.expect(names.cancel.IsDefault(), "the dialog manager can make it the default");
        s.expect_eq(names.cancel.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW, "still drawn by the toolkit");
        s.expect_eq(static_cast<long long>(SendMessageW(names.m_hWnd, WM_CTLCOLORBTN, 0,
                                                    reinterpret_cast<LPARAM>(names.cancel.m_hWnd))),
                reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)), "the parent's colour message gets a null brush");
    });
    s.run("tooltip: the balloon window is made on the first text and shaped as a balloon", [&] {
        CIconButton& btn = editor.chain.play;
        s.expect(btn.Tooltip().m_hWnd == nullptr, "no window before any text");
        btn.SetTooltipText("播放选择音效的声音文件");
        s.expect(btn.Tooltip().m_hWnd != nullptr, "window made");
        btn.SetTooltipText("播放");
        s.expect_eq(static_cast<long long>(btn.Tooltip().ToolCount()), 1, "one tool, text replaced");
        s.expect_text(btn.Tooltip().ToolText(btn.m_hWnd), "播放", "tool text");
        ShowWindow(editor.m_hWnd, SW_SHOW);
        RECT br;
        GetWindowRect(btn.m_hWnd, &br);
        s.expect(btn.Tooltip().Show(btn.m_hWnd, POINT{br.left + 5, br.top + 5}), "shown");
        HWND tip = btn.Tooltip().m_hWnd;
        s.expect(IsWindowVisible(tip) != FALSE, "visible");
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        s.expect_eq(GetWindowRgn(tip, rgn), COMPLEXREGION, "balloon region");
        RECT tr;
        GetWindowRect(tip, &tr);
        const int w = tr.right - tr.left, h = tr.bottom - tr.top;
        s.expect(!PtInRegion(rgn, 0, 0), "rounded corner cut");
        s.expect(PtInRegion(rgn, 15, h - 2) != FALSE, "pointer below the body");
        s.expect(!PtInRegion(rgn, w - 3, h - 2), "nothing beside the pointer");
        DeleteObject(rgn);
        btn.Tooltip().Hide();
        s.expect(!IsWindowVisible(tip), "hidden");
        ShowWindow(editor.m_hWnd, SW_HIDE);
    });
}

void other_controls(Suite& s, sample::Editor& editor) {
    s.run("label setters chain and take effect", [&] {
        CLabel& l = editor.chain.title;
        CLabel& r = l.SetBkColor(0x00112233).SetTextColor(0x00445566).SetFontName("楷体").SetFontSize(14).SetFontBold(true);
        s.expect(&r == &l, "the setters return the label");
        s.expect_eq(l.GetBkColor(), 0x00112233, "background");
        s.expect_eq(l.GetTextColor(), 0x00445566, "text colour");
        s.expect_text(l.GetFontName(), "楷体", "font face");
        s.expect_eq(l.GetFontSize(), 14, "font height");
        s.expect(l.IsBold(), "bold");
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(l.SendMessage(WM_GETFONT)), sizeof lf, &lf);
        s.expect_eq(lf.lfWeight, FW_BOLD, "the control's font is bold");
        s.expect_eq(lf.lfHeight, -14, "character height");
        HDC dc = GetDC(l.m_hWnd);
        SendMessageW(editor.chain.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(l.m_hWnd));
        s.expect_eq(GetTextColor(dc), 0x00445566, "colour message sets the text colour");
        s.expect_eq(GetBkColor(dc), 0x00112233, "and the background");
        ReleaseDC(l.m_hWnd, dc);
        l.SetFontBold(false);
        s.expect(!l.IsBold(), "weight 400 again");
    });
    s.run("coloured slider: three colours and the background brush", [&] {
        CColorSlider& sl = editor.eq.pregain;
        sl.SetColor1(0x00010203);
        sl.SetColor2(0x00040506);
        sl.SetColor3(0x00070809);
        s.expect(sl.GetColor1() == 0x00010203 && sl.GetColor2() == 0x00040506 && sl.GetColor3() == 0x00070809,
                "colours kept");
        HDC dc = GetDC(sl.m_hWnd);
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageW(editor.eq.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(sl.m_hWnd)));
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        s.expect_eq(lb.lbColor, 0x00010203, "background brush in colour 1");
        ReleaseDC(sl.m_hWnd, dc);
    });
    s.run("list cells: row 3 column -1 colours the whole row; rows outside mean all; -1 the system colours", [&] {
        CColorListCtrl& l = editor.chain.list;
        s.expect_eq(l.GetItemCount(), 16, "sixteen rows");
        s.expect_eq(l.GetColumnCount(), 3, "three columns");
        l.SetItemTextColor(3, -1, 0x00123456);
        for (int c = 0; c < 3; ++c) s.expect_eq(l.GetItemTextColor(3, c), 0x00123456, "row 3 text");
        for (int c = 0; c < 3; ++c)
            s.expect(l.GetItemTextColor(2, c) != 0x00123456 && l.GetItemTextColor(4, c) != 0x00123456, "neighbours untouched");
        l.SetItemBkColor(3, 7, 0x00ABCDEF);
        for (int c = 0; c < 3; ++c) s.expect_eq(l.GetItemBkColor(3, c), 0x00ABCDEF, "column past the end: every column");
        l.SetItemBkColor(-1, 1, 0x00010101);
        l.SetItemBkColor(99, 2, 0x00020202);
        for (int r = 0; r < 16; ++r) {
            s.expect_eq(l.GetItemBkColor(r, 1), 0x00010101, "row -1: every row");
            s.expect_eq(l.GetItemBkColor(r, 2), 0x00020202, "row past the end: every row");
        }
        l.SetItemTextColor(5, 0, CColorListCtrl::kSystemColour);
        l.SetItemBkColor(5, 0, CColorListCtrl::kSystemColour);
        s.expect_eq(l.GetItemTextColor(5, 0), GetSysColor(COLOR_WINDOWTEXT), "system text colour");
        s.expect_eq(l.GetItemBkColor(5, 0), GetSysColor(COLOR_WINDOW), "system window colour");
        // A new row starts in the system colours and pushes the others down with their colours.
        const int row = l.InsertItem(3, "99");
        s.expect_eq(row, 3, "inserted at 3");
        s.expect_eq(l.GetItemTextColor(3, 1), GetSysColor(COLOR_WINDOWTEXT), "new row text");
        s.expect_eq(l.GetItemBkColor(3, 2), GetSysColor(COLOR_WINDOW), "new row background");
        s.expect_eq(l.GetItemTextColor(4, 2), 0x00123456, "old row 3 moved to 4 with its colours");
        l.DeleteItem(3);
        s.expect_eq(l.GetItemTextColor(3, 2), 0x00123456, "and back after the delete");
        s.expect_text(l.GetItemText(6, 1), "回响效果器", "cell text");
        // Custom draw hands the cell's colours to the list.
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.hdr.hwndFrom = l.m_hWnd;
        cd.nmcd.hdr.idFrom = 3086;
        cd.nmcd.hdr.code = NM_CUSTOMDRAW;
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        cd.nmcd.dwItemSpec = 3;
        cd.iSubItem = 1;
        SendMessageW(editor.chain.m_hWnd, WM_NOTIFY, 3086, reinterpret_cast<LPARAM>(&cd));
        s.expect_eq(cd.clrText, 0x00123456, "custom draw text colour");
        s.expect_eq(cd.clrTextBk, 0x00010101, "custom draw background");
    });
    s.run("combo box: names from its own array, reset, colours", [&] {
        CColorComboBox& c = editor.eq.presets;
        c.Reset();
        s.expect_eq(c.GetCount(), 0, "empty after reset");
        s.expect_eq(c.AddName("Rock摇滚模式"), 0, "first index");
        s.expect_eq(c.AddName("超低音模式"), 1, "second index");
        s.expect_text(c.GetName(1), "超低音模式", "name of item 1");
        s.expect_text(c.GetName(5), "", "no item 5");
        c.SetColors(0x0000FFFF, 0x00624C06);
        s.expect(c.GetTextColor() == 0x0000FFFF && c.GetBkColor() == 0x00624C06, "colours");
    });
    s.run("tabs: tab 5 of two pages changes nothing; a valid index swaps and exchanges the pages", [&] {
        CBaseTabCtrl& tab = editor.tab;
        tab.SelectPage(0);
        const int saved = editor.chain.exchanges_saved;
        s.expect(!tab.SelectPage(5), "index 5 refused");
        s.expect(!tab.SelectPage(-1), "index -1 refused");
        s.expect_eq(tab.GetCurPage(), 0, "selection unchanged");
        s.expect_eq(static_cast<long long>(tab.SendMessage(TCM_GETCURSEL)), 0, "control's selection unchanged");
        s.expect_eq(editor.chain.exchanges_saved, saved, "nothing stored");
        s.expect(tab.SelectPage(1), "index 1");
        s.expect_eq(tab.GetCurPage(), 1, "page 1 selected");
        s.expect_eq(editor.chain.exchanges_saved, saved + 1, "the old page stored its controls");
        s.expect(!(GetWindowLongPtrW(editor.chain.m_hWnd, GWL_STYLE) & WS_VISIBLE), "old page hidden");
        s.expect((GetWindowLongPtrW(editor.eq.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0, "new page shown");
        std::wstring shown;
        tab.show_message = [&](HWND, const std::wstring& text) { shown = text; };
        tab.ModifyStyle(0, TCS_VERTICAL);
        s.expect(tab.SelectPage(0), "a vertical tab still selects");
        s.expect_text(narrow(shown), CBaseTabCtrl::kVerticalMessage, "vertical-style message");
        tab.ModifyStyle(TCS_VERTICAL, 0);
        s.expect_eq(tab.GetCurPage(), 0, "back on page 0");
    });
    s.run("skinned dialog: bitmap tiles across and down, fill colour without one, client drag posts a caption hit", [&] {
        sample::ChainPage& page = editor.chain;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 1000, 800);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bmp);
        page.PaintBackground(dc, RECT{0, 0, 1000, 800}, POINT{0, 0});
        s.expect_eq(GetPixel(dc, 5, 7), GetPixel(dc, 807, 7), "repeats after 802 pixels");
        s.expect_eq(GetPixel(dc, 5, 7), GetPixel(dc, 5, 373), "repeats after 366 pixels");
        sample::ColourWindow fresh;
        fresh.Create(3058, nullptr);
        s.expect_eq(fresh.m_crFill, ColourScheme().dialog_fill, "the page set its own fill");
        CSkinDialog plain(3016);
        plain.Create(3016, nullptr);
        s.expect_eq(plain.m_crFill, 0x00FF3737, "initial fill colour");
        s.expect_eq(plain.m_nFillMode, 22, "fill mode");
        s.expect(!plain.SetBitmap(4242), "a missing bitmap is dropped");
        plain.PaintBackground(dc, RECT{0, 0, 50, 50}, POINT{0, 0});
        s.expect_eq(GetPixel(dc, 10, 10), 0x00FF3737, "filled with the fill colour");
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        pump(0);
        SendMessageW(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        MSG msg{};
        const bool posted = PeekMessageW(&msg, plain.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
        s.expect(posted && msg.wParam == HTCAPTION, "caption hit posted");
        POINT pt{20, 10};
        ClientToScreen(plain.m_hWnd, &pt);
        s.expect(posted && msg.lParam == MAKELPARAM(pt.x, pt.y), "at the cursor's screen position");
        plain.SetClientDrag(false);
        SendMessageW(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        s.expect(!PeekMessageW(&msg, plain.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE), "nothing with drag off");
    });
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    Suite s;
    sample::Editor editor;
    sample::ColourWindow colours;
    const bool made = editor.Create(3000, nullptr) && colours.Create(3058, nullptr);
    s.run("the sample editor and colour window are made from templates 3000, 3021, 3001 and 3058", [&] {
        s.expect(made, "all dialogs created");
        s.expect(editor.chain.m_hWnd != nullptr && editor.eq.m_hWnd != nullptr, "both tab pages created");
        s.expect_eq(editor.tab.GetPageCount(), 2, "two pages");
    });
    if (made) {
        resources(s, editor, colours);
        class_layer(s);
        hook_chain(s);
        window_skin(s, editor, colours);
        icon_button(s, editor);
        other_controls(s, editor);
    }
    std::printf("toolkit: %d passed, %d failed\n", s.passed(), s.failed());
    return s.failed() == 0 ? 0 : 1;
}
