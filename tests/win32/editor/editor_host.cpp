// Drives the DLL's real editor window under Wine as a host program and a user would: exports
// from the host side, clicks and menu commands on the controls, audio from a second thread; and
// saves screenshots of the editor in each display mode and of the level display as PNG files.
//   editor_host <vemosoundmix.dll> <output directory>
// The last line reads "editor: N passed, M failed".
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../host_checks.h"
#include "../vemo_api.h"
#include "../wine_support.h"

using namespace vemo::host;

namespace {

Api api;
Report report;
std::wstring out_dir;

constexpr UINT kHostNotification = 8201;
constexpr UINT kEditorCommand = 12424;
constexpr wchar_t kEditorCaption[] = L"广告音乐输出效果调整";
constexpr wchar_t kColourCaption[] = L"界面颜色设置";
constexpr int kBottomIds[4] = {3088, 3089, 3090, 3091};
constexpr int kListId = 3086, kUpId = 3082, kDownId = 3083, kEchoSwitch = 3069;
// Check button of each EffectType.
constexpr int kSwitchIds[17] = {0,    3070, 3072, 3073, 3080, 3079, 3076, 3069, 3071,
                                3074, 3078, 3075, 3077, 3081, 3084, 3085, 3087};
constexpr COLORREF kMainColour = 0x00624C06;

// ------------------------------------------------------------------------------- the host window

struct Notification {
    WPARAM wp;
    LPARAM lp;
    bool editor_visible;  // at the moment the notification arrived
};
std::vector<Notification> notifications;
HWND g_editor = nullptr;

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kHostNotification) {
        notifications.push_back({wp, lp, g_editor != nullptr && IsWindowVisible(g_editor) != FALSE});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND make_host_window() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VemoEditorTestHost";
    RegisterClassW(&wc);
    return CreateWindowW(L"VemoEditorTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// ------------------------------------------------------------------------------- finding windows

// Top-level windows with that caption.
std::vector<HWND> top_windows(const wchar_t* caption) {
    return thread_windows([caption](HWND hwnd) { return window_text(hwnd) == caption; });
}

struct Editor {
    HWND window = nullptr, tab = nullptr, strip = nullptr, chain = nullptr, eq = nullptr, list = nullptr;
    HWND item(int id) const { return GetDlgItem(chain, id); }
};
Editor ed;

bool find_editor() {
    const std::vector<HWND> found = top_windows(kEditorCaption);
    ed = Editor{};
    if (found.size() != 1) return false;
    ed.window = g_editor = found[0];
    ed.tab = GetDlgItem(ed.window, 3000);
    ed.strip = GetDlgItem(ed.window, 3152);
    ed.list = find_descendant(ed.window, kListId);
    ed.chain = ed.list ? GetParent(ed.list) : nullptr;
    HWND pregain_label = find_descendant(ed.window, 3095);
    ed.eq = pregain_label ? GetParent(pregain_label) : nullptr;
    return ed.tab && ed.strip && ed.chain && ed.eq;
}

HWND colour_window() {
    const std::vector<HWND> found = top_windows(kColourCaption);
    return found.size() == 1 ? found[0] : nullptr;
}

bool visible(HWND hwnd) { return hwnd != nullptr && IsWindowVisible(hwnd) != FALSE; }

// ------------------------------------------------------------------------------- user actions

void click(int id) {
    SendMessageW(ed.item(id), BM_CLICK, 0, 0);
    pump(10);
}

// A click on a row of the list, as the mouse gives it.
void click_row(int row) {
    RECT r{LVIR_LABEL, 0, 0, 0};
    SendMessageW(ed.list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The list may wait for the release inside its button-down handling: it is queued first.
    PostMessageW(ed.list, WM_LBUTTONUP, 0, at);
    SendMessageW(ed.list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    pump(20);
}

void click_tab(int index) {
    RECT r{};
    SendMessageW(ed.tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(ed.tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(ed.tab, WM_LBUTTONUP, 0, at);
    pump(20);
}

std::wstring cell(int row, int column) {
    wchar_t buf[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 63;
    SendMessageW(ed.list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}

int row_count() { return static_cast<int>(SendMessageW(ed.list, LVM_GETITEMCOUNT, 0, 0)); }

int row_of_type(int type) {
    for (int r = 0; r < row_count(); ++r)
        if (cell(r, 0) == std::to_wstring(type)) return r;
    return -1;
}

// The text and background colours the list draws a cell with: asked as the list asks its page.
std::pair<COLORREF, COLORREF> cell_colours(int row, int column) {
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.hdr.hwndFrom = ed.list;
    cd.nmcd.hdr.idFrom = kListId;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    cd.iSubItem = column;
    SendMessageW(ed.chain, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&cd));
    return {cd.clrText, cd.clrTextBk};
}

// Moves the row of a type to a position with the page's own buttons.
void move_type_to(int type, int position) {
    int at = row_of_type(type);
    click_row(at);
    for (; at > position; --at) click(kUpId);
    for (; at < position; ++at) click(kDownId);
}

std::wstring order() {
    std::wstring s;
    for (int r = 0; r < row_count(); ++r) s += cell(r, 0) + L",";
    return s;
}

std::wstring default_order() {
    std::wstring s;
    for (int t = 1; t <= 16; ++t) s += std::to_wstring(t) + L",";
    return s;
}

int shown_buttons(std::wstring* captions) {
    int mask = 0;
    captions->clear();
    for (int i = 0; i < 4; ++i) {
        if (!visible(ed.item(kBottomIds[i]))) continue;
        mask |= 1 << i;
        *captions += window_text(ed.item(kBottomIds[i])) + L" ";
    }
    return mask;
}

uint8_t engine_flag(int type) {
    EffectSettings s{};
    api.get(&s);
    return enabled_byte(s, type);
}

bool save_png(HWND hwnd, const wchar_t* name) { return save_window_png(hwnd, out_dir + L"\\" + name); }

// ------------------------------------------------------------------------------- audio

std::vector<int16_t> constant_buffer(int frames, int channels, int16_t left, int16_t right) {
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        pcm[static_cast<size_t>(i) * channels] = left;
        if (channels == 2) pcm[static_cast<size_t>(i) * 2 + 1] = right;
    }
    return pcm;
}

// Music-like test tones: two sines under slow swells, one per channel.
std::vector<int16_t> tone_buffer(int frames, int start) {
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = (start + i) / 44100.0;
        const double swell = 0.55 + 0.45 * std::sin(2 * 3.14159265 * 1.3 * t + 2 * 3.14159265 * i / frames);
        pcm[static_cast<size_t>(i) * 2] = static_cast<int16_t>(26000 * swell * std::sin(2 * 3.14159265 * 220 * t));
        pcm[static_cast<size_t>(i) * 2 + 1] =
            static_cast<int16_t>(18000 * (1.0 - swell * 0.6) * std::sin(2 * 3.14159265 * 331 * t));
    }
    return pcm;
}

std::vector<int16_t> processed(std::vector<int16_t> pcm) {
    api.change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    return pcm;
}

// Plays buffers on a thread of its own, as a host's audio path, while this thread runs the
// windows; gives up after the timeout so that a deadlock fails the check instead of hanging.
template <typename Ui>
bool play_while(int buffers, const std::vector<int16_t>& pcm, Ui&& ui, DWORD timeout_ms = 20000) {
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<int16_t> buf;
        for (int n = 0; n < buffers; ++n) {
            buf = pcm;
            api.change(buf.data(), static_cast<int32_t>(buf.size() * 2));
            Sleep(1);
        }
        done = true;
    });
    const DWORD end = GetTickCount() + timeout_ms;
    while (!done && GetTickCount() < end) {
        ui();
        pump(5);
    }
    if (!done) {
        report.expect(false, "the audio thread to finish (deadlock?)");
        std::printf("editor: %d passed, %d failed\n", report.passed(), report.failed() + 1);
        std::fflush(stdout);
        ExitProcess(1);
    }
    audio.join();
    return true;
}

// ------------------------------------------------------------------------------- the checks

void check_before_begin() {
    report.run("display calls before vemomix_begin are harmless", [] {
        api.set_dispmode(1);
        api.setdisp(1);
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        report.expect_eq(static_cast<long long>(top_windows(kEditorCaption).size()), 0, "no editor window");
    });
}

void check_begin() {
    report.run("vemomix_begin twice leaves one hidden topmost editor with its tabs and strip", [] {
        api.begin();
        api.begin();
        report.expect_eq(static_cast<long long>(top_windows(kEditorCaption).size()), 1, "editor windows");
        report.expect(find_editor(), "the editor's tab, strip and pages");
        report.expect(!visible(ed.window), "editor hidden");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        report.expect(window_text(ed.strip) == L"广告音乐输出效果调整", "caption strip text");
        report.expect_eq(SendMessageW(ed.tab, TCM_GETITEMCOUNT, 0, 0), 2, "tab count");
        const wchar_t* titles[2] = {L"音效控制", L"均衡器"};
        for (int i = 0; i < 2; ++i) {
            wchar_t buf[32] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = buf;
            item.cchTextMax = 31;
            SendMessageW(ed.tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            report.expect(std::wstring(buf) == titles[i], "tab title");
        }
        HWND colours = colour_window();
        report.expect(colours != nullptr && !visible(colours), "colour settings window made hidden");
        report.expect((GetWindowLongPtrW(ed.window, GWL_STYLE) & WS_SYSMENU) == 0, "the skin drew the frame");
    });
}

void check_start_rows() {
    report.run("after vemomix_init the sixteen rows read 无效 in the order 1 to 16, three columns", [] {
        api.init(44100, 2, 0);
        report.expect_eq(row_count(), 16, "rows");
        report.expect(order() == default_order(), "default order");
        bool off = true, named = true;
        for (int r = 0; r < 16; ++r) {
            off = off && cell(r, 2) == L"无效";
            named = named && !cell(r, 1).empty();
        }
        report.expect(off, "every row 无效");
        report.expect(named && cell(6, 1) == L"回响效果器" && cell(13, 1) == L"超重低音效果器", "row names");
        const int widths[3] = {60, 120, 60};
        for (int c = 0; c < 3; ++c)
            report.expect_eq(SendMessageW(ed.list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0), widths[c],
                             "column width");
        report.expect(IsWindowEnabled(ed.item(kSwitchIds[1])) != FALSE, "equaliser switch enabled at 44100 Hz");
        api.init(32000, 2, 0);
        report.expect(IsWindowEnabled(ed.item(kSwitchIds[1])) == FALSE, "equaliser switch disabled at 32000 Hz");
        api.init(44100, 2, 0);
    });
}

void check_display_modes() {
    report.run("vemomix_setdisp(1) in mode 0 shows one bottom button, 关闭", [] {
        api.set_dispmode(0);
        api.setdisp(1);
        pump(50);
        std::wstring captions;
        report.expect(visible(ed.window), "editor shown");
        report.expect_eq(api.get_dispstatus(), 1, "shown flag");
        pump(50);
        report.expect((GetWindowLongPtrW(ed.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "editor topmost");
        report.expect(visible(ed.chain), "chain page shown");
        report.expect_eq(shown_buttons(&captions), 0x2, "only 3089 visible");
        report.expect(captions == L"关闭 ", "its caption");
        save_png(ed.window, L"editor_mode0.png");
    });
    report.run("changing the display mode while shown changes the buttons at once", [] {
        std::wstring captions;
        api.set_dispmode(1);
        report.expect_eq(shown_buttons(&captions), 0xF, "mode 1: four buttons");
        report.expect(captions == L"放弃 确认 播放 停止 ", "mode 1 captions");
        report.expect(visible(ed.window), "still shown");
        save_png(ed.window, L"editor_mode1.png");
        api.set_dispmode(2);
        report.expect_eq(shown_buttons(&captions), 0x3, "mode 2: two buttons");
        report.expect(captions == L"载入 保存 ", "mode 2 captions");
        save_png(ed.window, L"editor_mode2.png");
        api.set_dispmode(0);
        report.expect_eq(shown_buttons(&captions), 0x6, "mode 0 from set_dispmode keeps 播放");
        api.setdisp(1);
        report.expect_eq(shown_buttons(&captions), 0x2, "setdisp hides 播放 again");
    });
}

void check_switches_and_moves() {
    report.run("上移 on the top row and 下移 on the bottom row change nothing", [] {
        click_row(0);
        click(kUpId);
        click_row(15);
        click(kDownId);
        report.expect(order() == default_order(), "order unchanged");
    });
    report.run("checking 回响效果器 turns row 7 to 有效 and red wherever it stands", [] {
        move_type_to(7, 3);
        const int r = row_of_type(7);
        report.expect_eq(r, 3, "row 7 moved to position 3");
        report.expect(order() == L"1,2,3,7,4,5,6,8,9,10,11,12,13,14,15,16,", "order after the moves");
        report.expect_eq(SendMessageW(ed.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 3,
                         "moved row selected");
        report.expect(GetFocus() == ed.list, "focus in the list");
        // A moved row is a new row: system colours until its switch is used.
        report.expect_eq(cell_colours(r, 1).second, GetSysColor(COLOR_WINDOW), "moved row in system colours");
        click(kEchoSwitch);
        report.expect_eq(SendMessageW(ed.item(kEchoSwitch), BM_GETCHECK, 0, 0), BST_CHECKED, "switch checked");
        report.expect_eq(engine_flag(7), 1, "echo flag set at once");
        report.expect(cell(r, 2) == L"有效", "有效");
        for (int c = 0; c < 3; ++c) {
            const auto [text, back] = cell_colours(r, c);
            report.expect_eq(text, 0x00FFFFFF, "enabled text white");
            report.expect_eq(back, 0x001010FF, "enabled background");
        }
        click_row(0);  // the enabled row shows its own colours, not the selection's
        save_png(ed.window, L"editor_echo_on.png");
        click(kEchoSwitch);
        report.expect_eq(engine_flag(7), 0, "echo flag cleared");
        report.expect(cell(r, 2) == L"无效", "无效 again");
        const COLORREF want[3][2] = {{0x00FFFFFF, kMainColour}, {0x0000FFFF, 0x0069530D}, {0x000000FF, 0x00705A14}};
        for (int c = 0; c < 3; ++c) {
            const auto [text, back] = cell_colours(r, c);
            report.expect_eq(text, want[c][0], "disabled text");
            report.expect_eq(back, want[c][1], "disabled background");
        }
    });
    report.run("the page shows the engine flags set by vemomix_setecho and vemomix_setiir", [] {
        api.setecho(1);
        api.setiir(1);
        report.expect_eq(SendMessageW(ed.item(kEchoSwitch), BM_GETCHECK, 0, 0), BST_CHECKED, "echo switch");
        report.expect_eq(SendMessageW(ed.item(kSwitchIds[1]), BM_GETCHECK, 0, 0), BST_CHECKED, "equaliser switch");
        api.setecho(0);
        api.setiir(0);
        report.expect_eq(SendMessageW(ed.item(kEchoSwitch), BM_GETCHECK, 0, 0), BST_UNCHECKED, "echo switch off");
    });
}

void check_order_reaches_audio() {
    report.run("moving rows changes what the next vemomix_change does", [] {
        // Compressor (2) and overdrive (5): their order matters. Some effects keep history over
        // vemomix_init, so the two runs are compared with each other, not with single-effect runs.
        const std::vector<int16_t> input = tone_buffer(2048, 0);
        auto run = [&](bool swapped) {
            api.init(44100, 2, 0);
            for (int t : {2, 5}) click(kSwitchIds[t]);
            if (swapped) move_type_to(5, row_of_type(2));
            return processed(input);
        };
        const std::vector<int16_t> in_order = run(false);
        const std::vector<int16_t> swapped = run(true);
        report.expect(order().rfind(L"1,5,2,3,4,6,", 0) == 0, "row 5 above row 2");
        report.expect(in_order != swapped, "the two orders sound different");
        report.expect(in_order != input, "the effects changed the buffer");
    });
}

void check_bottom_buttons(HWND host) {
    api.set_mainwnd(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
    report.run("关闭 in mode 0 hides the editor and tells the host nothing", [] {
        notifications.clear();
        api.set_dispmode(0);
        api.setdisp(1);
        click(3089);
        report.expect(!visible(ed.window), "editor hidden");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        report.expect_eq(static_cast<long long>(notifications.size()), 0, "no notification");
    });
    report.run("mode 1: 播放 and 停止 notify 3 and 4, 确认 and 放弃 hide first and notify 2 and 1", [] {
        notifications.clear();
        api.set_dispmode(1);
        api.setdisp(1);
        click(3090);
        click(3091);
        report.expect(visible(ed.window), "播放 and 停止 leave the editor open");
        click(3089);
        report.expect(!visible(ed.window), "确认 hides");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        api.setdisp(1);
        click(3088);
        report.expect(!visible(ed.window), "放弃 hides");
        const long long want[4] = {3, 4, 2, 1};
        report.expect_eq(static_cast<long long>(notifications.size()), 4, "notifications");
        for (size_t i = 0; i < notifications.size() && i < 4; ++i) {
            report.expect_eq(static_cast<long long>(notifications[i].wp), 9999, "wParam");
            report.expect_eq(notifications[i].lp, want[i], "lParam");
        }
        if (notifications.size() == 4) {
            report.expect(notifications[0].editor_visible, "播放 notified while open");
            report.expect(!notifications[2].editor_visible && !notifications[3].editor_visible,
                          "确认 and 放弃 notified after hiding");
        }
    });
    report.run("mode 2: 载入 does nothing, 保存 hides without a notification", [] {
        notifications.clear();
        api.set_dispmode(2);
        api.setdisp(1);
        click(3088);
        report.expect(visible(ed.window), "载入 leaves it open");
        click(3089);
        report.expect(!visible(ed.window), "保存 hides");
        report.expect_eq(static_cast<long long>(notifications.size()), 0, "no notification");
    });
    report.run("a host window handle of 0 or a stale one is harmless", [] {
        api.set_dispmode(1);
        for (int32_t handle : {0, 0x7FFF1234}) {
            api.set_mainwnd(handle);
            api.setdisp(1);
            click(3089);
            report.expect(!visible(ed.window), "确认 still hides");
        }
    });
    api.set_mainwnd(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
}

void check_frame_and_menu() {
    report.run("the system menu's 关于 leaves the selected tab as it is", [] {
        api.setdisp(1);
        click_tab(1);
        report.expect_eq(SendMessageW(ed.tab, TCM_GETCURSEL, 0, 0), 1, "tab 1 selected by a click");
        report.expect(visible(ed.eq) && !visible(ed.chain), "equaliser page shown");
        SendMessageW(ed.window, WM_COMMAND, 32777, 0);
        report.expect_eq(SendMessageW(ed.tab, TCM_GETCURSEL, 0, 0), 1, "still tab 1");
        report.expect(visible(ed.eq), "still the equaliser page");
        click_tab(0);
        report.expect(visible(ed.chain) && !visible(ed.eq), "back on the chain page");
    });
    report.run("the caption's close box hides the editor without a notification", [] {
        notifications.clear();
        api.setdisp(1);
        RECT r;
        GetWindowRect(ed.window, &r);
        const LPARAM at = MAKELPARAM(r.right - 15, r.top + 12);
        SendMessageW(ed.window, WM_NCLBUTTONDOWN, HTCLOSE, at);
        SendMessageW(ed.window, WM_NCLBUTTONUP, HTCLOSE, at);
        report.expect(!visible(ed.window), "hidden");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        report.expect_eq(static_cast<long long>(notifications.size()), 0, "no notification");
    });
    report.run("窗口换肤 toggles the colour settings window; the hide command hides both", [] {
        HWND colours = colour_window();
        api.setdisp(1);
        SendMessageW(ed.window, WM_COMMAND, 32775, 0);
        report.expect(visible(colours), "shown");
        SendMessageW(ed.window, WM_COMMAND, 32775, 0);
        report.expect(!visible(colours), "hidden again");
        SendMessageW(ed.window, kEditorCommand, 1333999, 2);
        report.expect(visible(colours), "command 1333999 / 2 shows it");
        SendMessageW(colours, WM_CLOSE, 0, 0);
        pump(20);  // the dialog answers WM_CLOSE with a posted cancel
        report.expect(!visible(colours) && visible(ed.window), "its own close hides only it");
        SendMessageW(ed.window, kEditorCommand, 1333999, 4);
        SendMessageW(ed.window, kEditorCommand, 1333999, 1);
        report.expect(!visible(colours) && !visible(ed.window), "1333999 / 1 hides both");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
    });
}

// Pixel (x, y) of the strip as the screen shows it.
COLORREF strip_pixel(int x, int y) {
    HDC dc = GetDC(ed.strip);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(ed.strip, dc);
    return c;
}

void check_levels() {
    report.run("the strip shows the levels of the buffers that play while the editor is shown", [] {
        api.set_dispmode(1);
        api.init(44100, 2, 1);
        RECT rc;
        GetClientRect(ed.strip, &rc);
        const int w = rc.right, h = rc.bottom + 1, mid = h / 2;
        const double scale = (h - 2) * static_cast<double>(1.0f / 255.0f);
        // Left at 20000 (level 78) rises above the centre, right at -10000 (level 39) hangs below.
        play_while(20, constant_buffer(2048, 2, 20000, -10000), [] {});
        pump(100);
        const int x = w / 2 + 3;
        report.expect_eq(strip_pixel(x, mid), RGB(212, 212, 16), "bar at the centre");
        report.expect_eq(strip_pixel(x, static_cast<int>(mid - 78 * scale - 1)), RGB(255, 255, 255), "upper outline");
        report.expect_eq(strip_pixel(x, static_cast<int>(mid + 39 * scale + 1)), RGB(0, 0, 0), "lower outline");
        report.expect_eq(strip_pixel(1, 0), RGB(0, 32, 0), "top grid line");
        api.init(44100, 1, 1);
        play_while(20, constant_buffer(2048, 1, 20000, 0), [] {});
        pump(100);
        report.expect_eq(strip_pixel(x, mid - 1), RGB(212, 212, 16), "mono: bar above the centre");
        report.expect_eq(strip_pixel(x, mid), RGB(0, 32, 0), "mono: nothing on or below the centre line");
        report.expect_eq(strip_pixel(x, mid + 1), RGB(0, 0, 0), "mono: lower outline right under it");
        api.setdisp(0);
        api.setdisp(1);
        pump(100);
        report.expect(strip_pixel(x, mid - 1) != RGB(212, 212, 16), "shown again: the caption until audio comes");
    });
    report.run("screenshot of the level display while audio plays", [] {
        api.init(44100, 2, 1);
        play_while(25, tone_buffer(2048, 0), [] {});
        pump(100);
        report.expect(save_png(ed.window, L"editor_levels.png"), "written");
    });
}

void check_concurrency() {
    report.run("vemomix_change on another thread while the user moves rows: no deadlock, order kept whole", [] {
        api.init(44100, 2, 1);
        click(kSwitchIds[15]);
        click(kSwitchIds[7]);
        int moves = 0;
        play_while(1500, tone_buffer(2048, 0), [&] {
            move_type_to(15, moves % 16);
            ++moves;
        });
        std::vector<int> seen(17, 0);
        for (int r = 0; r < row_count(); ++r) ++seen[static_cast<size_t>(_wtoi(cell(r, 0).c_str()))];
        bool each_once = row_count() == 16;
        for (int t = 1; t <= 16; ++t) each_once = each_once && seen[static_cast<size_t>(t)] == 1;
        report.expect(moves > 4, "rows were moved meanwhile", moves, 5);
        report.expect(each_once, "every type once");
        report.expect_eq(engine_flag(15), 1, "flags kept");
    });
}

void check_close() {
    report.run("vemomix_close while the colour window is shown destroys both; begin makes a new editor", [] {
        HWND editor = ed.window, colours = colour_window();
        api.setdisp(1);
        SendMessageW(editor, WM_COMMAND, 32775, 0);
        report.expect(visible(colours), "colour window shown");
        api.close();
        pump(20);
        report.expect(!IsWindow(editor) && !IsWindow(colours), "both windows gone");
        report.expect_eq(api.get_dispstatus(), 0, "shown flag");
        api.begin();
        report.expect(find_editor() && ed.window != editor && !visible(ed.window), "a new hidden editor");
        api.init(22050, 1, 1);
        report.expect(visible(ed.window) && row_count() == 16, "works again");
        api.close();
        report.expect(top_windows(kEditorCaption).empty(), "closed again");
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_host <vemosoundmix.dll> <output directory>\n");
        return 2;
    }
    out_dir = argv[2];
    HMODULE dll = LoadLibraryW(argv[1]);
    if (dll == nullptr) {
        std::printf("editor: 0 passed, 1 failed\n");
        return 1;
    }
    const std::string missing = load_api(api, [&](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(dll, name));
    });
    if (!missing.empty()) {
        std::printf("missing exports:%s\neditor: 0 passed, 1 failed\n", missing.c_str());
        return 1;
    }
    HWND host = make_host_window();

    check_before_begin();
    check_begin();
    if (ed.window == nullptr) {
        std::printf("editor: %d passed, %d failed\n", report.passed(), report.failed());
        return 1;
    }
    check_start_rows();
    check_display_modes();
    check_switches_and_moves();
    check_order_reaches_audio();
    check_bottom_buttons(host);
    check_frame_and_menu();
    check_levels();
    check_concurrency();
    check_close();

    DestroyWindow(host);
    std::printf("editor: %d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
