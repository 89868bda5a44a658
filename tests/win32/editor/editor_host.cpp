// Drives the DLL's real editor window under Wine as a host program and a user would: exports
// from the host side, clicks and menu commands on the controls, audio from a second thread; and
// saves screenshots of the editor in each display mode and of the level display as PNG files.
//   editor_host <vemosoundmix.dll> <output directory>     the last line reads "editor: N passed, M failed"
#include <atomic>
#include <cmath>
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
std::string out_dir;

constexpr UINT kHostNotification = 8201, kEditorCommand = 12424;
constexpr char kEditorCaption[] = "广告音乐输出效果调整";
constexpr int kBottomIds[4] = {3088, 3089, 3090, 3091};
constexpr int kListId = 3086, kUpId = 3082, kDownId = 3083, kEchoSwitch = 3069;
// Check button of each EffectType.
constexpr int kSwitchIds[17] = {0, 3070, 3072, 3073, 3080, 3079, 3076, 3069, 3071, 3074, 3078, 3075, 3077, 3081, 3084, 3085, 3087};

// ------------------------------------------------------------------------------- the host window

struct Editor {
    HWND window = nullptr, tab = nullptr, strip = nullptr, chain = nullptr, eq = nullptr, list = nullptr;
    HWND item(int id) const { return GetDlgItem(chain, id); }
} ed;
// Each notification as (wParam, lParam, whether the editor was visible when it arrived).
std::vector<std::vector<long long>> notifications;

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kHostNotification) return DefWindowProcW(hwnd, msg, wp, lp);
    notifications.push_back(nums(wp, lp, visible(ed.window)));
    return 0;
}

std::vector<HWND> top_windows(const char* caption) {
    return thread_windows([caption](HWND hwnd) { return text_of(hwnd) == caption; });
}
HWND colour_window() {
    const std::vector<HWND> found = top_windows("界面颜色设置");
    return found.size() == 1 ? found[0] : nullptr;
}

bool find_editor() {
    const std::vector<HWND> found = top_windows(kEditorCaption);
    ed = Editor{};
    if (found.size() != 1) return false;
    ed.window = found[0];
    ed.tab = GetDlgItem(ed.window, 3000);
    ed.strip = GetDlgItem(ed.window, 3152);
    ed.list = find_descendant(ed.window, kListId);
    ed.chain = ed.list ? GetParent(ed.list) : nullptr;
    HWND pregain_label = find_descendant(ed.window, 3095);
    ed.eq = pregain_label ? GetParent(pregain_label) : nullptr;
    return ed.tab && ed.strip && ed.chain && ed.eq;
}

// ------------------------------------------------------------------------------- user actions

void click(int id) {
    SendMessageW(ed.item(id), BM_CLICK, 0, 0);
    pump(10);
}

// A click in the middle of a rectangle of a list or tab control, as the mouse gives it.
void click_at(HWND control, RECT r) {
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The list may wait for the release inside its button-down handling: it is queued first.
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    pump(20);
}
void click_row(int row) {
    RECT r{LVIR_LABEL, 0, 0, 0};
    SendMessageW(ed.list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    click_at(ed.list, r);
}
void click_tab(int index) {
    RECT r{};
    SendMessageW(ed.tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    click_at(ed.tab, r);
}

std::string cell(int row, int column) {
    wchar_t buf[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 63;
    SendMessageW(ed.list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return utf8(buf);
}
int row_count() { return static_cast<int>(SendMessageW(ed.list, LVM_GETITEMCOUNT, 0, 0)); }
int row_of_type(int type) {
    for (int r = 0; r < row_count(); ++r)
        if (cell(r, 0) == std::to_string(type)) return r;
    return -1;
}
std::string order() {
    std::string s;
    for (int r = 0; r < row_count(); ++r) s += cell(r, 0) + ",";
    return s;
}
const std::string kDefaultOrder = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,";

// Moves the row of a type to a position with the page's own buttons.
void move_type_to(int type, int position) {
    int at = row_of_type(type);
    click_row(at);
    for (; at > position; --at) click(kUpId);
    for (; at < position; ++at) click(kDownId);
}

// The captions of the bottom buttons on screen.
std::string shown_buttons() {
    std::string captions;
    for (int id : kBottomIds)
        if (visible(ed.item(id))) captions += text_of(ed.item(id)) + " ";
    return captions;
}

uint8_t engine_flag(int type) {
    EffectSettings s{};
    api.get(&s);
    return enabled_byte(s, type);
}

void save_png(const char* name) {
    report.expect(save_window_png(ed.window, out_dir + "\\" + name), std::string("screenshot ") + name + " written");
}

// ------------------------------------------------------------------------------- audio

// A constant level per channel (stereo when right is given), or music-like tones: two sines
// under slow swells, one per channel.
std::vector<int16_t> constant(int channels, int16_t left, int16_t right = 0) {
    std::vector<int16_t> pcm(2048 * static_cast<size_t>(channels), left);
    for (size_t i = 1; channels == 2 && i < pcm.size(); i += 2) pcm[i] = right;
    return pcm;
}
std::vector<int16_t> tones() {
    std::vector<int16_t> pcm(2 * 2048);
    for (int i = 0; i < 2048; ++i) {
        const double t = i / 44100.0, swell = 0.55 + 0.45 * std::sin(2 * 3.14159265 * (1.3 * t + i / 2048.0));
        pcm[2 * i] = static_cast<int16_t>(26000 * swell * std::sin(2 * 3.14159265 * 220 * t));
        pcm[2 * i + 1] = static_cast<int16_t>(18000 * (1.0 - swell * 0.6) * std::sin(2 * 3.14159265 * 331 * t));
    }
    return pcm;
}

// Plays buffers on a thread of its own, as a host's audio path, while this thread runs the
// windows; a deadlock ends the host with a failure instead of hanging.
template <typename Ui>
void play_while(int buffers, const std::vector<int16_t>& pcm, Ui&& ui) {
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int n = 0; n < buffers; ++n) {
            std::vector<int16_t> buf = pcm;
            api.change(buf.data(), static_cast<int32_t>(buf.size() * 2));
            Sleep(1);
        }
        done = true;
    });
    for (const DWORD end = GetTickCount() + 20000; !done && GetTickCount() < end; pump(5)) ui();
    if (!done) {
        std::printf("FAIL the audio thread did not finish (deadlock?)\neditor: %d passed, %d failed\n", report.passed(),
                    report.failed() + 1);
        std::fflush(stdout);
        ExitProcess(1);
    }
    audio.join();
}

// ------------------------------------------------------------------------------- the checks

void check_begin() {
    report.run("display calls before vemomix_begin are harmless; begin twice leaves one hidden editor with its tabs", [] {
        api.set_dispmode(1);
        api.setdisp(1);
        report.eq(nums(api.get_dispstatus(), top_windows(kEditorCaption).size()), nums(0, 0), "before begin: shown flag, editors");
        api.begin();
        api.begin();
        report.eq(top_windows(kEditorCaption).size(), 1, "editor windows");
        report.expect(find_editor(), "the editor's tab, strip and pages");
        report.expect(!visible(ed.window) && api.get_dispstatus() == 0, "editor hidden, shown flag 0");
        report.eq(text_of(ed.strip), kEditorCaption, "caption strip text");
        std::string titles;
        for (int i = 0; i < static_cast<int>(SendMessageW(ed.tab, TCM_GETITEMCOUNT, 0, 0)); ++i) {
            wchar_t buf[32] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = buf;
            item.cchTextMax = 31;
            SendMessageW(ed.tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            titles += utf8(buf) + " ";
        }
        report.eq(titles, "音效控制 均衡器 ", "tab titles");
        report.expect(colour_window() != nullptr && !visible(colour_window()), "colour settings window made hidden");
        report.eq(GetWindowLongPtrW(ed.window, GWL_STYLE) & WS_SYSMENU, 0, "WS_SYSMENU: the skin draws the frame");
    });
}

void check_start_rows() {
    report.run("after vemomix_init the sixteen rows read 无效 in the order 1 to 16, three columns", [] {
        api.init(44100, 2, 0);
        report.eq(order(), kDefaultOrder, "order");
        int off = 0, named = 0;
        for (int r = 0; r < 16; ++r) off += cell(r, 2) == "无效", named += !cell(r, 1).empty();
        report.eq(nums(off, named), nums(16, 16), "rows reading 无效, rows with a name");
        report.eq(cell(6, 1) + " " + cell(13, 1), "回响效果器 超重低音效果器", "names of rows 6 and 13");
        std::vector<long long> widths;
        for (int c = 0; c < 3; ++c) widths.push_back(SendMessageW(ed.list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
        report.eq(widths, nums(60, 120, 60), "column widths");
        std::vector<long long> enabled;
        for (int rate : {44100, 32000, 44100}) {
            api.init(rate, 2, 0);
            enabled.push_back(IsWindowEnabled(ed.item(kSwitchIds[1])) != FALSE);
        }
        report.eq(enabled, nums(1, 0, 1), "equaliser switch enabled at 44100, 32000, 44100 Hz");
    });
}

void check_display_modes() {
    report.run("display modes: 关闭 alone in mode 0; a mode change while shown changes the buttons at once", [] {
        api.set_dispmode(0);
        api.setdisp(1);
        pump(100);
        report.expect(visible(ed.window) && api.get_dispstatus() == 1, "editor shown, shown flag 1");
        report.expect((GetWindowLongPtrW(ed.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 && visible(ed.chain),
                      "editor topmost, chain page shown");
        report.eq(shown_buttons(), "关闭 ", "mode 0 buttons");
        save_png("editor_mode0.png");
        api.set_dispmode(1);
        report.eq(shown_buttons(), "放弃 确认 播放 停止 ", "mode 1 buttons");
        report.expect(visible(ed.window), "still shown");
        save_png("editor_mode1.png");
        api.set_dispmode(2);
        report.eq(shown_buttons(), "载入 保存 ", "mode 2 buttons");
        save_png("editor_mode2.png");
        api.set_dispmode(0);
        report.eq(shown_buttons(), "关闭 播放 ", "mode 0 from set_dispmode keeps 播放");
        api.setdisp(1);
        report.eq(shown_buttons(), "关闭 ", "setdisp hides 播放 again");
    });
}

void check_switches_and_moves() {
    report.run("moves: none past the ends; checking 回响效果器 turns row 7 to 有效 and red wherever it stands", [] {
        click_row(0);
        click(kUpId);
        click_row(15);
        click(kDownId);
        report.eq(order(), kDefaultOrder, "order after 上移 on the top row and 下移 on the bottom row");
        move_type_to(7, 3);
        report.eq(order(), "1,2,3,7,4,5,6,8,9,10,11,12,13,14,15,16,", "order after the moves");
        report.eq(SendMessageW(ed.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 3, "selected row");
        report.expect(GetFocus() == ed.list, "focus in the list");
        // A moved row is a new row: system colours until its switch is used.
        report.eq(cell_colours(ed.chain, ed.list, 3, 1).second, GetSysColor(COLOR_WINDOW), "moved row background");
        click(kEchoSwitch);
        report.eq(nums(checked(ed.item(kEchoSwitch)), engine_flag(7)), nums(1, 1), "switch checked, echo flag set at once");
        report.eq(cell(3, 2), "有效", "state text");
        auto colours = [] {
            std::vector<long long> v;
            for (int c = 0; c < 3; ++c) v.push_back(cell_colours(ed.chain, ed.list, 3, c).first), v.push_back(cell_colours(ed.chain, ed.list, 3, c).second);
            return v;
        };
        report.eq(colours(), nums(0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF), "enabled row colours");
        click_row(0);  // the enabled row shows its own colours, not the selection's
        save_png("editor_echo_on.png");
        click(kEchoSwitch);
        report.eq(nums(engine_flag(7)), nums(0), "echo flag cleared");
        report.eq(cell(3, 2), "无效", "state text");
        report.eq(colours(), nums(0xFFFFFF, 0x624C06, 0x00FFFF, 0x69530D, 0x0000FF, 0x705A14), "disabled row colours");
        api.setecho(1);
        api.setiir(1);
        report.eq(nums(checked(ed.item(kEchoSwitch)), checked(ed.item(kSwitchIds[1]))), nums(1, 1),
                  "echo and equaliser switches after vemomix_setecho(1) and vemomix_setiir(1)");
        api.setecho(0);
        api.setiir(0);
        report.expect(!checked(ed.item(kEchoSwitch)), "echo switch off after vemomix_setecho(0)");
    });
    report.run("moving rows changes what the next vemomix_change does", [] {
        // Compressor (2) and overdrive (5): their order matters. Some effects keep history over
        // vemomix_init, so the two runs are compared with each other, not with single-effect runs.
        const std::vector<int16_t> input = tones();
        auto run = [&](bool swapped) {
            api.init(44100, 2, 0);
            for (int t : {2, 5}) click(kSwitchIds[t]);
            if (swapped) move_type_to(5, row_of_type(2));
            std::vector<int16_t> pcm = input;
            api.change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
            return pcm;
        };
        const std::vector<int16_t> in_order = run(false), swapped = run(true);
        report.eq(order().substr(0, 12), "1,5,2,3,4,6,", "order: row 5 above row 2");
        report.expect(in_order != swapped, "the two orders sound different");
        report.expect(in_order != input, "the effects changed the buffer");
    });
}

void check_bottom_buttons(HWND host) {
    report.run("bottom buttons: 关闭, 确认, 放弃 and 保存 hide; 播放 and 停止 notify 3 and 4 while open, 确认 and 放弃 "
               "notify 2 and 1 after hiding; 载入 does nothing; a host handle of 0 or a stale one is harmless",
               [&] {
                   struct Row {
                       int mode, id;
                       bool hides;
                       int notified;  // the lParam of the notification, 0 for none
                       int32_t host;
                   };
                   const int32_t h = static_cast<int32_t>(reinterpret_cast<intptr_t>(host));
                   const Row rows[] = {{0, 3089, true, 0, h},  {1, 3090, false, 3, h}, {1, 3091, false, 4, h},
                                       {1, 3089, true, 2, h},  {1, 3088, true, 1, h},  {2, 3088, false, 0, h},
                                       {2, 3089, true, 0, h},  {1, 3089, true, 0, 0},  {1, 3089, true, 0, 0x7FFF1234}};
                   for (const Row& r : rows) {
                       api.set_mainwnd(r.host);
                       api.set_dispmode(r.mode);
                       api.setdisp(1);
                       notifications.clear();
                       click(r.id);
                       const std::string what = named("mode ", r.mode) + named(" button ", r.id);
                       report.eq(nums(visible(ed.window), api.get_dispstatus()), nums(!r.hides, !r.hides),
                                 what + ": visible, shown flag");
                       std::vector<std::vector<long long>> want;
                       if (r.notified) want.push_back(nums(9999, r.notified, !r.hides));
                       report.eq(notifications, want, what + ": notifications (wParam, lParam, editor visible)");
                   }
                   api.set_mainwnd(h);
               });
}

void check_frame_and_menu() {
    report.run("frame and menu: 关于 keeps the tab; the close box hides without a notification; 窗口换肤 toggles the "
               "colour window; 1333999 / 2 shows it, its own close hides only it, 1333999 / 1 hides both",
               [] {
                   api.setdisp(1);
                   click_tab(1);
                   report.eq(SendMessageW(ed.tab, TCM_GETCURSEL, 0, 0), 1, "tab selected by a click");
                   report.expect(visible(ed.eq) && !visible(ed.chain), "equaliser page shown");
                   SendMessageW(ed.window, WM_COMMAND, 32777, 0);
                   report.eq(SendMessageW(ed.tab, TCM_GETCURSEL, 0, 0), 1, "tab selected after 关于");
                   report.expect(visible(ed.eq), "still the equaliser page");
                   click_tab(0);
                   report.expect(visible(ed.chain) && !visible(ed.eq), "back on the chain page");

                   notifications.clear();
                   const RECT r = rect_of(ed.window);
                   SendMessageW(ed.window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(r.right - 15, r.top + 12));
                   SendMessageW(ed.window, WM_NCLBUTTONUP, HTCLOSE, MAKELPARAM(r.right - 15, r.top + 12));
                   report.eq(nums(visible(ed.window), api.get_dispstatus(), notifications.size()), nums(0, 0, 0),
                             "after the close box: visible, shown flag, notifications");

                   HWND colours = colour_window();
                   api.setdisp(1);
                   SendMessageW(ed.window, WM_COMMAND, 32775, 0);
                   report.expect(visible(colours), "shown by 窗口换肤");
                   SendMessageW(ed.window, WM_COMMAND, 32775, 0);
                   report.expect(!visible(colours), "hidden by 窗口换肤 again");
                   SendMessageW(ed.window, kEditorCommand, 1333999, 2);
                   report.expect(visible(colours), "command 1333999 / 2 shows it");
                   SendMessageW(colours, WM_CLOSE, 0, 0);
                   pump(20);  // the dialog answers WM_CLOSE with a posted cancel
                   report.expect(!visible(colours) && visible(ed.window), "its own close hides only it");
                   SendMessageW(ed.window, kEditorCommand, 1333999, 4);
                   SendMessageW(ed.window, kEditorCommand, 1333999, 1);
                   report.eq(nums(visible(colours), visible(ed.window), api.get_dispstatus()), nums(0, 0, 0),
                             "after 1333999 / 1: colour window and editor visible, shown flag");
               });
}

void check_levels() {
    report.run("the strip shows the levels of the buffers that play while the editor is shown", [] {
        auto pixel = [](int x, int y) {
            HDC dc = GetDC(ed.strip);
            const COLORREF c = GetPixel(dc, x, y);
            ReleaseDC(ed.strip, dc);
            return c;
        };
        api.set_dispmode(1);
        api.init(44100, 2, 1);
        RECT rc;
        GetClientRect(ed.strip, &rc);
        const int x = rc.right / 2 + 3, h = rc.bottom + 1, mid = h / 2;
        const double scale = (h - 2) * static_cast<double>(1.0f / 255.0f);
        // Left at 20000 (level 78) rises above the centre, right at -10000 (level 39) hangs below.
        play_while(20, constant(2, 20000, -10000), [] {});
        pump(100);
        report.eq(nums(pixel(x, mid), pixel(x, static_cast<int>(mid - 78 * scale - 1)), pixel(x, static_cast<int>(mid + 39 * scale + 1)),
                       pixel(1, 0)),
                  nums(RGB(212, 212, 16), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 32, 0)),
                  "stereo: bar at the centre, upper outline, lower outline, top grid line");
        api.init(44100, 1, 1);
        play_while(20, constant(1, 20000), [] {});
        pump(100);
        report.eq(nums(pixel(x, mid - 1), pixel(x, mid), pixel(x, mid + 1)), nums(RGB(212, 212, 16), RGB(0, 32, 0), RGB(0, 0, 0)),
                  "mono: bar above the centre, nothing on the centre line, lower outline right under it");
        api.setdisp(0);
        api.setdisp(1);
        pump(100);
        report.expect(pixel(x, mid - 1) != RGB(212, 212, 16), "shown again: the caption until audio comes");
        api.init(44100, 2, 1);
        play_while(25, tones(), [] {});
        pump(100);
        save_png("editor_levels.png");
    });
}

void check_concurrency_and_close() {
    report.run("vemomix_change on another thread while the user moves rows: no deadlock, order kept whole", [] {
        api.init(44100, 2, 1);
        click(kSwitchIds[15]);
        click(kSwitchIds[7]);
        int moves = 0;
        play_while(1500, tones(), [&] { move_type_to(15, moves++ % 16); });
        std::vector<long long> seen(17, 0);
        for (int r = 0; r < row_count(); ++r) ++seen[static_cast<size_t>(std::atoi(cell(r, 0).c_str()))];
        report.expect(moves > 4, "rows moved meanwhile");
        report.eq(std::vector<long long>(seen.begin() + 1, seen.end()), std::vector<long long>(16, 1), "rows of each type");
        report.eq(engine_flag(15), 1, "flag kept");
    });
    report.run("vemomix_close while the colour window is shown destroys both; begin makes a new editor", [] {
        HWND editor = ed.window, colours = colour_window();
        api.setdisp(1);
        SendMessageW(editor, WM_COMMAND, 32775, 0);
        report.expect(visible(colours), "colour window shown");
        api.close();
        pump(20);
        report.expect(!IsWindow(editor) && !IsWindow(colours) && api.get_dispstatus() == 0, "both windows gone, shown flag 0");
        api.begin();
        report.expect(find_editor() && ed.window != editor && !visible(ed.window), "a new hidden editor");
        api.init(22050, 1, 1);
        report.expect(visible(ed.window) && row_count() == 16, "works again");
        api.close();
        report.expect(top_windows(kEditorCaption).empty(), "closed again");
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_host <vemosoundmix.dll> <output directory>\n");
        return 2;
    }
    out_dir = argv[2];
    HMODULE dll = LoadLibraryA(argv[1]);
    std::string missing = " (the library)";
    if (dll != nullptr) missing = load_api(api, [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); });
    if (!missing.empty()) {
        report.run("the library and its exports", [&] { report.eq(missing, "", "missing"); });
        return report.finish("editor");
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VemoEditorTestHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowW(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);

    check_begin();
    if (ed.window == nullptr) return report.finish("editor");
    check_start_rows();
    check_display_modes();
    check_switches_and_moves();
    check_bottom_buttons(host);
    check_frame_and_menu();
    check_levels();
    check_concurrency_and_close();
    DestroyWindow(host);
    return report.finish("editor");
}
