// Wine tests of the editor's windows, driven in-process as a host program and a user would: the
// exports from the host side, clicks, drags, typing and menu commands through window messages,
// audio from a second thread, the modal windows answered from a timer; checked on the controls
// and on the model behind them. The host links the library's static archive and carries its
// resources. Screenshots of the editor in each display mode, of the level display, of the
// equaliser page at each band count, of the preset name dialog and of the colour window go to
// the given directory as PNG.
//   editor_host <screenshot directory>         the last line reads "editor: N passed, M failed"
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../report.h"
#include "../wine_support.h"
#include "editor/editor.h"
#include "editor/module_paths.h"
#include "editor/preset_file.h"
#include "editor/settings_file.h"
#include "editor/text_codec.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/win32_backend.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

using namespace vemo;
using host::each;
using host::named;
using host::nums;
using Names = std::vector<std::string>;

namespace {

host::Report report;
std::string shot_dir;

constexpr UINT kHostNotification = 8201, kEditorCommand = 12424;
constexpr char kEditorCaption[] = "广告音乐输出效果调整";
constexpr int kUpId = 3082, kDownId = 3083, kEchoSwitch = 3069, kEqSwitch = 3070;
constexpr int kSaveId = 3082, kDeleteId = 3083, kOptionId = 3073, kLinkedId = 3084;
const std::string kDefaultOrder = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,";

// ------------------------------------------------------------------------------- windows and actions

EditorWindow* window() { return static_cast<Win32Backend&>(editor().backend()).window(); }
EditorWindow& win() { return *window(); }
EqPageView& page() { return win().eq; }
ColourWindowView& colours() { return *win().colour; }
CColorListCtrl& list() { return win().chain.list; }
HWND chain_item(int id) { return win().chain.GetDlgItem(id); }
HWND eq_item(int id) { return page().GetDlgItem(id); }
std::vector<HWND> top_windows(const char* caption) {
    return thread_windows([caption](HWND hwnd) { return text_of(hwnd) == caption; });
}

// Each notification the host window got as (wParam, lParam, whether the editor was visible then).
std::vector<std::vector<long long>> notifications;
LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kHostNotification) return DefWindowProcW(hwnd, msg, wp, lp);
    notifications.push_back(nums(wp, lp, visible(win().m_hWnd)));
    return 0;
}

void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    pump(20);
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
    list().SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    click_at(list().m_hWnd, r);
}
void click_tab(int index) {
    RECT r{};
    win().tab.SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    click_at(win().tab.m_hWnd, r);
}
std::string order() {
    std::string s;
    for (int r = 0; r < list().GetItemCount(); ++r) s += list().GetItemText(r, 0) + ",";
    return s;
}
// Moves the row of a type to a position with the page's own buttons.
void move_type_to(int type, int position) {
    int at = 0;
    while (at < 16 && list().GetItemText(at, 0) != std::to_string(type)) ++at;
    click_row(at);
    for (; at > position; --at) click(chain_item(kUpId));
    for (; at < position; ++at) click(chain_item(kDownId));
}
// The captions of the bottom buttons on screen.
std::string shown_buttons() {
    std::string captions;
    for (int id : {3088, 3089, 3090, 3091})
        if (visible(chain_item(id))) captions += text_of(chain_item(id)) + " ";
    return captions;
}
// The text and background colours of the three cells of a row, as the list draws them.
std::vector<long long> row_colours(int row) {
    std::vector<long long> v;
    for (int c = 0; c < 3; ++c) {
        const auto [text, back] = cell_colours(win().chain.m_hWnd, list().m_hWnd, row, c);
        v.insert(v.end(), {text, back});
    }
    return v;
}

int pos_of(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }
std::vector<int> band_positions(int n) { return each(n, [](int k) { return pos_of(page().sliders[k].m_hWnd); }); }
std::vector<bool> band_buttons_checked() { return each(4, [](int i) { return checked(eq_item(3069 + i)); }); }
Names combo_names() { return each(page().presets.GetCount(), [](int i) { return page().presets.GetName(i); }); }
void choose_preset(int i) {
    page().presets.SetCurSel(i);
    SendMessageW(page().m_hWnd, WM_COMMAND, MAKEWPARAM(3081, CBN_SELCHANGE), reinterpret_cast<LPARAM>(page().presets.m_hWnd));
    pump(20);
}
// What a trackbar tells its page when the user lets its thumb go at pos.
void move_slider(HWND s, int pos, UINT scroll = WM_VSCROLL) {
    SendMessageW(s, TBM_SETPOS, TRUE, pos);
    SendMessageW(page().m_hWnd, scroll, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(s));
    pump(20);
}
// The band sliders on screen, as the number of sliders in each row from the top; {-1} when a
// row does not run left to right.
std::vector<int> visible_rows() {
    std::vector<int> counts;
    LONG top = -100000, left = -100000;
    for (CColorSlider& s : page().sliders) {
        if (!IsWindowVisible(s.m_hWnd) || !IsWindowEnabled(s.m_hWnd)) continue;
        const RECT r = rect_of(s.m_hWnd);
        if (r.top > top) counts.push_back(0), top = r.top, left = -100000;
        if (r.top != top || r.left <= left) return {-1};
        ++counts.back();
        left = r.left;
    }
    return counts;
}

long long file_size(const std::string& path) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    return f ? static_cast<long long>(f.tellg()) : -1;
}
void save_png(HWND hwnd, const std::string& name) {
    report.expect(save_window_png(hwnd, shot_dir + "\\" + name), "screenshot " + name + " written");
}

// ------------------------------------------------------------------------------- the modal windows
// A thread timer plays the user in front of the modal windows the page opens: it answers each
// message box (remembering "caption|text|buttons", with a "+" when the name dialog was still open
// under it) and types the next queued name into the preset name dialog, or gives up with 放弃
// when none is left.
namespace modal {

Names boxes;
std::deque<int> answers;  // for yes/no boxes; IDNO when none is queued
std::deque<std::wstring> names;
int dialog_visits = 0;
bool shot_taken = false;

bool is_name_dialog(HWND h) { return visible(h) && class_of(h) == "#32770" && class_of(GetDlgItem(h, 3083)) == "Edit"; }
bool is_box(HWND h) {
    return visible(h) && class_of(h) == "#32770" && !is_name_dialog(h) && (GetDlgItem(h, IDOK) || GetDlgItem(h, IDYES));
}
HWND find(bool (*pred)(HWND)) {
    const std::vector<HWND> found = thread_windows(pred);
    return found.empty() ? nullptr : found[0];
}
void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = find(is_box)) {
        std::string text;  // the longest static text is the message
        for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            if (class_of(c) == "Static" && text_of(c).size() > text.size()) text = text_of(c);
        const bool yes_no = GetDlgItem(box, IDYES) != nullptr;
        boxes.push_back(text_of(box) + "|" + text + (yes_no ? "|yes/no" : "|ok") + (find(is_name_dialog) ? "+" : ""));
        const int answer = !yes_no ? IDOK : answers.empty() ? IDNO : answers.front();
        if (yes_no && !answers.empty()) answers.pop_front();
        return press(box, answer);
    }
    HWND dialog = find(is_name_dialog);
    if (dialog == nullptr) return;
    ++dialog_visits;
    if (names.empty()) return press(dialog, 3084);  // 放弃
    SetDlgItemTextW(dialog, 3083, names.front().c_str());
    names.pop_front();
    if (!shot_taken) shot_taken = save_window_png(dialog, shot_dir + "\\preset_name_dialog.png", false);
    press(dialog, 3082);  // 确定
}

void reset(std::deque<std::wstring> typed, std::deque<int> yes_no = {}) {
    boxes.clear();
    names = std::move(typed);
    answers = std::move(yes_no);
    dialog_visits = 0;
}

}  // namespace modal

// ------------------------------------------------------------------------------- audio

// 2048 stereo frames at a constant level per channel, or music-like tones: two sines under slow
// swells, one per channel.
std::vector<int16_t> constant(int16_t left, int16_t right) {
    std::vector<int16_t> pcm(2 * 2048, left);
    for (size_t i = 1; i < pcm.size(); i += 2) pcm[i] = right;
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
            vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
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

// ------------------------------------------------------------------------------- the editor

void editor_checks(HWND host) {
    report.run("display calls before vemomix_begin are harmless; begin twice leaves one hidden editor with its tabs", [] {
        vemomix_set_dispmode(1);
        vemomix_setdisp(1);
        report.eq(nums(vemomix_get_dispstatus(), top_windows(kEditorCaption).size()), nums(0, 0), "before begin: shown flag, editors");
        vemomix_begin();
        vemomix_begin();
        report.eq(top_windows(kEditorCaption).size(), 1, "editor windows");
        if (!report.expect(window() != nullptr, "the editor's window")) return;
        report.expect(!visible(win().m_hWnd) && vemomix_get_dispstatus() == 0, "editor hidden, shown flag 0");
        report.eq(text_of(win().strip.m_hWnd), kEditorCaption, "caption strip text");
        const Names titles = each(win().tab.SendMessage(TCM_GETITEMCOUNT), [](int i) {
            wchar_t buf[32] = {};
            TCITEMW item{TCIF_TEXT, 0, 0, buf, 31, 0, 0};
            win().tab.SendMessage(TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            return utf8(buf);
        });
        report.eq(titles, Names{"音效控制", "均衡器", "效果参数"}, "tab titles");
        report.expect(win().colour != nullptr && !visible(colours().m_hWnd), "colour settings window made hidden");
        report.eq(GetWindowLongPtrW(win().m_hWnd, GWL_STYLE) & WS_SYSMENU, 0, "WS_SYSMENU: the skin draws the frame");
    });
    if (window() == nullptr) return;

    report.run("after vemomix_init the sixteen rows read 无效 in the order 1 to 16, three columns", [] {
        vemomix_init(44100, 2, 0);
        report.eq(order(), kDefaultOrder, "order");
        report.eq(each(16, [](int r) { return list().GetItemText(r, 2); }), Names(16, "无效"), "state column");
        report.eq(each(16, [](int r) { return list().GetItemText(r, 1).empty(); }), std::vector<bool>(16, false), "names empty");
        report.eq(list().GetItemText(6, 1) + " " + list().GetItemText(13, 1), "回响效果器 超重低音效果器", "names of rows 6 and 13");
        report.eq(each(3, [](int c) { return list().SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c)); }), nums(60, 120, 60),
                  "column widths");
        const int rates[3] = {44100, 32000, 44100};
        report.eq(each(3, [&](int i) { return vemomix_init(rates[i], 2, 0), IsWindowEnabled(chain_item(kEqSwitch)) != FALSE; }),
                  std::vector<bool>{true, false, true}, "equaliser switch enabled at 44100, 32000, 44100 Hz");
    });

    report.run("display modes: 关闭 alone in mode 0; a mode change while shown changes the buttons at once", [] {
        HWND w = win().m_hWnd;
        vemomix_set_dispmode(0);
        vemomix_setdisp(1);
        pump(100);
        report.expect((GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) && visible(win().chain.m_hWnd), "topmost, chain page shown");
        for (auto [mode, buttons] : {std::pair{0, "关闭 "}, {1, "放弃 确认 播放 停止 "}, {2, "载入 保存 "}}) {
            if (mode != 0) vemomix_set_dispmode(mode);  // while shown
            report.eq(nums(visible(w), vemomix_get_dispstatus()), nums(1, 1), named("mode ", mode) + ": shown, shown flag");
            report.eq(shown_buttons(), buttons, named("mode ", mode) + " buttons");
            save_png(w, named("editor_mode", mode) + ".png");
        }
        vemomix_set_dispmode(0);
        report.eq(shown_buttons(), "关闭 播放 ", "mode 0 from set_dispmode keeps 播放");
        vemomix_setdisp(1);
        report.eq(shown_buttons(), "关闭 ", "setdisp hides 播放 again");
    });

    report.run("moves: none past the ends; checking 回响效果器 turns row 7 to 有效 and red wherever it stands", [] {
        click_row(0);
        click(chain_item(kUpId));
        click_row(15);
        click(chain_item(kDownId));
        report.eq(order(), kDefaultOrder, "order after 上移 on the top row and 下移 on the bottom row");
        move_type_to(7, 3);
        report.eq(order(), "1,2,3,7,4,5,6,8,9,10,11,12,13,14,15,16,", "order after the moves");
        report.eq(list().SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 3, "selected row");
        report.expect(GetFocus() == list().m_hWnd, "focus in the list");
        // A moved row is a new row: system colours until its switch is used.
        report.eq(row_colours(3)[3], GetSysColor(COLOR_WINDOW), "moved row background");
        click(chain_item(kEchoSwitch));
        report.eq(nums(checked(chain_item(kEchoSwitch)), engine().enabled[7].load()), nums(1, 1), "switch checked, echo flag set");
        report.eq(list().GetItemText(3, 2), "有效", "state text");
        report.eq(row_colours(3), nums(0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF), "enabled row colours");
        click_row(0);  // the enabled row shows its own colours, not the selection's
        save_png(win().m_hWnd, "editor_echo_on.png");
        click(chain_item(kEchoSwitch));
        report.eq(engine().enabled[7].load(), 0, "echo flag after the second click");
        report.eq(list().GetItemText(3, 2), "无效", "state text");
        report.eq(row_colours(3), nums(0xFFFFFF, 0x624C06, 0x00FFFF, 0x69530D, 0x0000FF, 0x705A14), "disabled row colours");
        vemomix_setecho(1);
        vemomix_setiir(1);
        report.eq(nums(checked(chain_item(kEchoSwitch)), checked(chain_item(kEqSwitch))), nums(1, 1),
                  "echo and equaliser switches after vemomix_setecho(1) and vemomix_setiir(1)");
        vemomix_setecho(0);
        vemomix_setiir(0);
        report.expect(!checked(chain_item(kEchoSwitch)), "echo switch off after vemomix_setecho(0)");
    });

    report.run("bottom buttons: who hides, who notifies the host window and when; host handles 0 and stale", [&] {
        struct Row {
            int mode, id;
            bool hides;
            int notified;  // the lParam of the notification, 0 for none
            int32_t host;
        };
        const int32_t h = static_cast<int32_t>(reinterpret_cast<intptr_t>(host));
        const Row rows[] = {{0, 3089, true, 0, h}, {1, 3090, false, 3, h}, {1, 3091, false, 4, h},
                            {1, 3089, true, 2, h}, {1, 3088, true, 1, h},  {2, 3088, false, 0, h},
                            {2, 3089, true, 0, h}, {1, 3089, true, 0, 0},  {1, 3089, true, 0, 0x7FFF1234}};
        for (const Row& r : rows) {
            vemomix_set_mainwnd(r.host);
            vemomix_set_dispmode(r.mode);
            vemomix_setdisp(1);
            notifications.clear();
            click(chain_item(r.id));
            const std::string what = named("mode ", r.mode) + named(" button ", r.id);
            report.eq(nums(visible(win().m_hWnd), vemomix_get_dispstatus()), nums(!r.hides, !r.hides), what + ": visible, shown flag");
            std::vector<std::vector<long long>> want;
            if (r.notified) want.push_back(nums(9999, r.notified, !r.hides));
            report.eq(notifications, want, what + ": notifications (wParam, lParam, editor visible)");
        }
        vemomix_set_mainwnd(h);
    });

    report.run("frame and menu: 关于, the close box, 窗口换肤 and the colour window commands", [] {
        HWND w = win().m_hWnd, cw = colours().m_hWnd;
        auto shown = [&] { return nums(visible(win().eq.m_hWnd), visible(win().chain.m_hWnd), win().tab.SendMessage(TCM_GETCURSEL)); };
        vemomix_setdisp(1);
        click_tab(1);
        report.eq(shown(), nums(1, 0, 1), "after a click on tab 1: equaliser page, chain page, selected tab");
        SendMessageW(w, WM_COMMAND, 32777, 0);
        report.eq(shown(), nums(1, 0, 1), "after 关于: the same");
        click_tab(0);
        report.eq(shown(), nums(0, 1, 0), "after a click on tab 0");
        notifications.clear();
        const RECT r = rect_of(w);
        for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP}) SendMessageW(w, msg, HTCLOSE, MAKELPARAM(r.right - 15, r.top + 12));
        report.eq(nums(visible(w), vemomix_get_dispstatus(), notifications.size()), nums(0, 0, 0),
                  "after the close box: visible, shown flag, notifications");
        vemomix_setdisp(1);
        std::vector<bool> states;
        for (WPARAM arg : {32775, 32775}) SendMessageW(w, WM_COMMAND, arg, 0), states.push_back(visible(cw));
        SendMessageW(w, kEditorCommand, 1333999, 2);
        states.push_back(visible(cw));
        report.eq(states, std::vector<bool>{true, false, true}, "colour window after 窗口换肤, 窗口换肤 and 1333999 / 2");
        SendMessageW(cw, WM_CLOSE, 0, 0);
        pump(20);  // the dialog answers WM_CLOSE with a posted cancel
        report.expect(!visible(cw) && visible(w), "its own close hides only it");
        SendMessageW(w, kEditorCommand, 1333999, 4);
        SendMessageW(w, kEditorCommand, 1333999, 1);
        report.eq(nums(visible(cw), visible(w), vemomix_get_dispstatus()), nums(0, 0, 0),
                  "after 1333999 / 1: colour window and editor visible, shown flag");
    });

    report.run("the strip shows the levels of the buffers that play while the editor is shown", [] {
        HWND strip = win().strip.m_hWnd;
        auto pixel = [strip](int x, int y) {
            HDC dc = GetDC(strip);
            const COLORREF c = GetPixel(dc, x, y);
            ReleaseDC(strip, dc);
            return c;
        };
        vemomix_set_dispmode(1);
        vemomix_init(44100, 2, 1);
        RECT rc;
        GetClientRect(strip, &rc);
        const int x = rc.right / 2 + 3, mid = (rc.bottom + 1) / 2;
        const double scale = (rc.bottom - 1) * static_cast<double>(1.0f / 255.0f);
        // Left at 20000 (level 78) rises above the centre, right at -10000 (level 39) hangs below.
        play_while(20, constant(20000, -10000), [] {});
        pump(100);
        report.eq(nums(pixel(x, mid), pixel(x, int(mid - 78 * scale - 1)), pixel(x, int(mid + 39 * scale + 1)), pixel(1, 0)),
                  nums(RGB(212, 212, 16), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 32, 0)),
                  "stereo: bar at the centre, upper outline, lower outline, top grid line");
        vemomix_setdisp(0);
        vemomix_setdisp(1);
        pump(100);
        report.expect(pixel(x, mid - 1) != RGB(212, 212, 16), "shown again: the caption until audio comes");
        vemomix_init(44100, 2, 1);
        play_while(25, tones(), [] {});
        pump(100);
        save_png(win().m_hWnd, "editor_levels.png");
    });

    report.run("vemomix_change on another thread while the user moves rows: no deadlock, order kept whole", [] {
        vemomix_init(44100, 2, 1);
        for (int id : {3085, 3069}) click(chain_item(id));
        int moves = 0;
        play_while(1500, tones(), [&] { move_type_to(15, moves++ % 16); });
        std::vector<int> seen(17, 0);
        for (int r = 0; r < list().GetItemCount(); ++r) ++seen[static_cast<size_t>(std::stoi(list().GetItemText(r, 0)))];
        report.expect(moves > 4, "rows moved meanwhile");
        report.eq(std::vector<int>(seen.begin() + 1, seen.end()), std::vector<int>(16, 1), "rows of each type");
        report.eq(engine().enabled[15].load(), 1, "flag kept");
    });

    report.run("vemomix_close while the colour window is shown destroys both; begin makes a new editor", [] {
        HWND old = win().m_hWnd, cw = colours().m_hWnd;
        vemomix_setdisp(1);
        SendMessageW(old, WM_COMMAND, 32775, 0);
        report.expect(visible(cw), "colour window shown");
        vemomix_close();
        pump(20);
        report.expect(!IsWindow(old) && !IsWindow(cw) && vemomix_get_dispstatus() == 0, "both windows gone, shown flag 0");
        vemomix_begin();
        report.expect(window() && win().m_hWnd != old && !visible(win().m_hWnd), "a new hidden editor");
        vemomix_init(22050, 1, 1);
        report.expect(window() && visible(win().m_hWnd) && list().GetItemCount() == 16, "works again");
        vemomix_close();
        report.expect(top_windows(kEditorCaption).empty(), "closed again");
    });
}

// ------------------------------------------------------------------------------- the equaliser page

void equaliser_checks() {
    struct Case {
        int button, bands;
        std::vector<int> rows;
        Names presets;
    };
    const Case cases[] = {{3069, 10, {10}, {"10频段缺省模式", "Normal自然模式", "Rock摇滚模式", "POP流行模式", "重金属模式",
                                            "超低音模式", "重金属超低音模式", "SoftRock柔和模式"}},
                          {3070, 15, {15}, {"15频段缺省模式"}},
                          {3071, 25, {13, 12}, {"25频段缺省模式"}},
                          {3072, 31, {16, 15}, {"31频段缺省模式"}}};
    for (const Case& c : cases) {
        report.run(named("", c.bands) + " bands" + (c.bands == 10 ? " at start" : "") + ": rows of " + host::Report::text(c.rows) +
                       ", the second scale only with two rows, the presets of that count, the first selected", [&] {
            if (c.bands != 10) click(eq_item(c.button));
            report.eq(visible_rows(), c.rows, "slider rows, left to right, top to bottom");
            report.eq(nums(editor().eq.band_count, engine().eq.eq_band_count), nums(c.bands, c.bands), "band count of page and engine");
            report.eq(band_buttons_checked(), each(4, [&](int i) { return 3069 + i == c.button; }), "band buttons checked");
            report.eq(nums(visible(eq_item(3077)), visible(eq_item(3080))), nums(1, c.rows.size() > 1), "scales shown");
            report.eq(combo_names(), c.presets, "presets of that count");
            report.eq(page().presets.GetCurSel(), 0, "preset selected");
            if (c.bands != 10) return save_png(win().m_hWnd, named("eq_page_", c.bands) + ".png");
            // Ten named, coloured sliders at 0 dB: below 800 Hz green, below 4 kHz blue, below 8 kHz red, else white.
            report.eq(each(10, [](int k) { return visible(page().labels[k].m_hWnd) ? text_of(page().labels[k].m_hWnd) : "-"; }),
                      Names{"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"}, "band names");
            report.eq(each(10, [](int k) { return page().labels[k].GetTextColor(); }),
                      nums(0x20FF20, 0x20FF20, 0x20FF20, 0x20FF20, 0x20FF20, 0xFF0000, 0xFF0000, 0x0000FF, 0xFFFFFF, 0xFFFFFF),
                      "band name colours");
            report.eq(each(10, [](int k) { return page().sliders[k].SendMessage(TBM_GETRANGEMAX); }), std::vector<int>(10, 50),
                      "band ranges");
            report.eq(band_positions(10), std::vector<int>(10, 25), "band positions (0 dB)");
            report.expect(!visible(page().sliders[10].m_hWnd), "slot 10 hidden");
            report.eq(nums(pos_of(page().preamp.m_hWnd), page().preamp.SendMessage(TBM_GETRANGEMAX)), nums(12, 24),
                      "pre-gain position (0 dB) and range max");
        });
    }

    report.run("linked tuning: slot 0 to +8 dB takes slot 1 to position 17 and slot 2 to 20; off, none follows", [] {
        click(eq_item(kLinkedId));
        report.expect(editor().eq.linked.checked, "调谐联动 on in the model");
        move_slider(page().sliders[0].m_hWnd, 15);
        report.eq(band_positions(4), std::vector<int>{15, 17, 20, 25}, "slots 0-3");
        click(eq_item(kLinkedId));
        move_slider(page().sliders[5].m_hWnd, 26);
        report.eq(nums(editor().eq.last_gain[5], pos_of(page().sliders[4].m_hWnd)), nums(0, 25),
                  "slot 5 at -0.8 dB kept as 0; slot 4 without 调谐联动");
    });
    report.run("二级调整 writes eq_extra_filter; the pre-gain slider reaches the model; command 8887 resets the ranges", [] {
        click(eq_item(kOptionId));
        const int on = engine().eq.eq_extra_filter.load();
        click(eq_item(kOptionId));
        report.eq(nums(on, engine().eq.eq_extra_filter.load()), nums(1, 0), "eq_extra_filter checked, then un-checked");
        move_slider(page().preamp.m_hWnd, 20, WM_HSCROLL);
        report.eq(editor().eq.preamp_pos, 20, "pre-gain position");
        for (CColorSlider& s : page().sliders) s.SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageW(win().m_hWnd, kEditorCommand, 8887, 0);
        report.eq(each(32, [](int k) { return page().sliders[k].SendMessage(TBM_GETRANGEMAX); }), std::vector<long long>(32, 50),
                  "band ranges after command 8887");
    });

    report.run("preset choice: Rock摇滚模式 puts the 10 sliders at 25 - 1.25 x gain", [] {
        click(eq_item(3069));
        choose_preset(2);
        report.eq(band_positions(10), std::vector<int>{15, 17, 32, 15, 27, 20, 15, 12, 12, 12}, "slider positions");
        report.eq(page().presets.GetCurSel(), 2, "selection");
        save_png(win().m_hWnd, "eq_page_10.png");
    });
    report.run("save: names that exist (any band count), empty, too long or not in code page 936 are refused with the dialog "
               "open; a new one is kept; 放弃 changes nothing; a full table is refused first", [] {
        click(eq_item(3072));
        // 22 Chinese characters are 44 bytes, and 20 more letters make 64.
        modal::reset({L"Rock摇滚模式", L"", std::wstring(22, L'音') + std::wstring(20, L'x'), L"音效\U0001F600", L"我的31段"});
        click(eq_item(kSaveId));
        report.eq(modal::boxes,
                  Names{"|输入音效模式名称已存在|ok+", "|必须输入音效模式名称|ok+", "|音效模式名称太长，最多63个字节（31个汉字）|ok+",
                        "|音效模式名称含有无法保存的字符|ok+"},
                  "message boxes (caption|text|buttons, + over the open name dialog)");
        report.eq(modal::dialog_visits, 5, "names typed");
        report.eq(combo_names(), Names{"31频段缺省模式", "我的31段"}, "31-band presets");
        report.eq(nums(page().presets.GetCurSel(), file_size(editor().preset_path)), nums(1, 196),
                  "the new preset selected, preset file of one record");
        const int r = editor().presets.count - 1;
        report.eq(editor().presets.name_utf8(r) + named(" ", editor().presets.records[r].band_count), "我的31段 31",
                  "record name and band count");
        modal::reset({});
        click(eq_item(kSaveId));
        report.eq(nums(modal::dialog_visits, editor().presets.count, page().presets.GetCount()), nums(1, r + 1, 2),
                  "given up: dialogs shown, records, combo items");
        // A full table: said so before any name dialog.
        PresetTable& table = editor().presets;
        const int count = table.count;
        const int32_t gains[31] = {};
        for (int i = 0; !table.full(); ++i) table.add(named("满", i), 15, gains);
        modal::reset({L"不会用到"});
        click(eq_item(kSaveId));
        report.eq(modal::boxes, Names{"音效模式保存|音效模式已满，请先删除不用的音效模式|ok"}, "message boxes");
        report.eq(nums(modal::dialog_visits, table.count), nums(0, kPresetCapacity), "name dialogs, records");
        while (table.count > count) table.remove_at(table.count - 1);
        report.eq(file_size(editor().preset_path), 196, "preset file size");
    });
    report.run("delete: a built-in preset is refused; a user preset is asked for, kept on No and removed on Yes", [] {
        modal::reset({});
        for (int preset : {0, 1}) choose_preset(preset), click(eq_item(kDeleteId));
        report.eq(modal::boxes, Names{"音效删除|内置音效，无法删除|ok", "音效删除|确认删除音效我的31段 吗|yes/no"}, "message boxes");
        report.eq(page().presets.GetCount(), 2, "presets after the refusal and No");
        modal::reset({}, {IDYES});
        click(eq_item(kDeleteId));
        report.eq(modal::boxes.size(), 1, "questions");
        report.eq(combo_names(), Names{"31频段缺省模式"}, "presets after the delete");
        report.eq(nums(page().presets.GetCurSel(), file_size(editor().preset_path)), nums(0, 0), "selection, preset file size");
    });

    report.run("engine initialisation resets the page; below 44100 Hz only 10频段 can be chosen", [] {
        click(eq_item(kOptionId));
        click(eq_item(kLinkedId));
        move_slider(page().sliders[3].m_hWnd, 40);
        vemomix_init(44100, 2, 1);
        pump(50);
        const std::vector<bool> ten = {true, false, false, false};
        report.eq(nums(checked(eq_item(kOptionId)), checked(eq_item(kLinkedId))), nums(0, 0), "二级调整 and 调谐联动 checked");
        report.eq(band_buttons_checked(), ten, "band buttons checked");
        report.eq(band_positions(32), std::vector<int>(32, 25), "band positions");
        report.eq(nums(pos_of(page().preamp.m_hWnd), page().presets.GetCurSel()), nums(12, 0), "pre-gain, preset selected");
        vemomix_init(22050, 2, 1);
        editor().select_tab(1);
        pump(50);
        report.eq(each(4, [](int i) { return IsWindowEnabled(eq_item(3069 + i)) != FALSE; }), ten, "band buttons enabled at 22050 Hz");
        click(eq_item(3072));
        click(eq_item(3070));
        report.eq(editor().eq.band_count, 10, "band count");
        report.eq(band_buttons_checked(), ten, "band buttons checked");
        vemomix_init(44100, 2, 1);
        editor().select_tab(1);
        pump(50);
        report.expect(IsWindowEnabled(eq_item(3072)) != FALSE, "31频段 enabled again at 44100 Hz");
    });
}

// ------------------------------------------------------------------------------- the colour window

// Presses the slider's thumb and drags it by dx pixels, and/or lets it go.
void drag(HWND slider, int dx, bool press, bool release) {
    RECT thumb{};
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
    if (press) {
        SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx / 2, y));
        SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
    }
    if (release) SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(x + (press ? dx : 0), y));
    pump(20);
}
void toggle_colour_window() {
    SendMessageW(win().m_hWnd, kEditorCommand, 1333999, 4);  // what the menu's 窗口换肤 sends
    pump(50);
}
int layered_alpha(HWND hwnd) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) return -1;
    return GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : -2;
}

void colour_checks() {
    report.run("opened while the main colour is 0x00084808 the second swatch is checked, the sliders show it", [] {
        editor().colours.set_main_colour(0x00084808);
        toggle_colour_window();
        HWND cw = colours().m_hWnd;
        report.expect(visible(cw), "colour window shown");
        report.eq(each(5, [](int i) { return checked(colours().swatches[i].m_hWnd); }),
                  std::vector<bool>{false, true, false, false, false}, "swatches checked");
        report.eq(each(4, [](int i) { return pos_of(colours().sliders[i].m_hWnd); }), std::vector<int>{8, 72, 8, 255},
                  "slider positions");
        report.eq(each(4, [](int i) { return text_of(colours().values[i].m_hWnd); }), Names{"8", "72", "8", "255"},
                  "value labels");
        const RECT e = rect_of(win().m_hWnd);
        SetWindowPos(cw, HWND_TOPMOST, e.right + 16, e.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        save_png(cw, "colour_window.png");
    });
    report.run("dragging red changes only the custom swatch; releasing re-colours the editor", [] {
        const Colour before = editor().colours.main_colour;
        HWND red = colours().sliders[0].m_hWnd;
        drag(red, 40, true, false);
        const int r = pos_of(red);
        const Colour custom = rgb(r, 0x48, 0x08);
        report.expect(r > 0x08, "the thumb moved right of 8");
        COLORREF swatch = 0;
        colours().swatches[4].GetColor(CIconButton::kBkOut, &swatch);
        report.eq(nums(swatch, checked(colours().swatches[4].m_hWnd), checked(colours().swatches[1].m_hWnd)), nums(custom, 1, 0),
                  "custom swatch colour, custom swatch and preset checked");
        report.eq(text_of(colours().values[0].m_hWnd), std::to_string(r), "red value label");
        auto scheme = [] {
            return nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor(),
                        win().chain.title.GetBkColor(), colours().m_crFill);
        };
        const auto unchanged = scheme();
        const COLORREF plate = page().preamp.GetColor1();
        report.eq(unchanged[0], before, "main colour while dragging");
        report.eq(nums(unchanged[1], unchanged[2], unchanged[3]), nums(before, before, before),
                  "while dragging: caption strip, equaliser combo, chain page title");
        drag(red, 0, false, true);
        report.eq(scheme(), nums(custom, custom, custom, custom, lighten(custom, 51)),
                  "after release: main colour, caption strip, equaliser combo, chain page title, colour window fill");
        report.expect(page().preamp.GetColor1() != plate, "equaliser sliders re-coloured");
    });
    report.run("换边框 seven times and 换窗头 four times return to the styles shown before", [] {
        const int border = editor().colours.border_style, header = editor().colours.header_style;
        click(colours().border.m_hWnd);
        report.expect(editor().colours.border_style != border, "one press changes the border");
        for (int i = 1; i < 7; ++i) click(colours().border.m_hWnd);
        for (int i = 0; i < 4; ++i) click(colours().header.m_hWnd);
        report.eq(nums(editor().colours.border_style, editor().colours.header_style), nums(border, header), "border and header");
    });
    report.run("alpha: moving previews on the colour window, release hands it to the editor, not while disabled", [] {
        vemomix_set_wintran(1);
        HWND alpha = colours().sliders[3].m_hWnd;
        drag(alpha, -60, true, false);
        const int a = pos_of(alpha);
        report.expect(a < 255 && a >= 120, "alpha moved into 120..254");
        report.eq(layered_alpha(colours().m_hWnd), a, "alpha the colour window previews");
        drag(alpha, 0, false, true);
        report.eq(nums(layered_alpha(colours().m_hWnd), layered_alpha(win().m_hWnd)), nums(255, a),
                  "after release: alpha of the colour window, of the editor");
        report.eq(text_of(colours().values[3].m_hWnd), std::to_string(a), "alpha value label");
        vemomix_set_wintran(0);
        drag(alpha, -30, true, true);
        report.eq(nums(editor().colours.window_alpha, layered_alpha(win().m_hWnd)), nums(pos_of(alpha), a),
                  "transparency disabled: alpha stored, the editor keeps the alpha it shows");
        vemomix_set_wintran(1);
    });
    report.run("保存 writes quillaret.ini beside the executable and hides; the close box hides without writing", [] {
        const std::string ini = settings_file_path(host_executable_dir());
        DeleteFileA(ini.c_str());
        click(colours().save.m_hWnd);
        report.expect(!visible(colours().m_hWnd) && !editor().colour_window.shown, "hidden after 保存");
        std::ifstream f(ini, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        f.close();
        std::string text;
        report.expect(cp936_to_utf8(bytes, text), "the file is code page 936");
        const ColourScheme& s = editor().colours;
        for (const std::string& line : {std::string("[Lorun音效器]"), named("软件界面类型=", s.header_style),
                                        named("软件界面边框=", s.border_style),
                                        named("软件界面颜色=", settings_colour_value(s.main_colour)),
                                        named("主窗口透明度=", s.window_alpha)})
            report.expect(text.find(line + "\r\n") != std::string::npos, "line " + line + " in the settings file");
        DeleteFileA(ini.c_str());
        toggle_colour_window();
        report.expect(visible(colours().m_hWnd), "shown again");
        SendMessageW(colours().m_hWnd, WM_CLOSE, 0, 0);
        pump(30);
        report.expect(!visible(colours().m_hWnd) && !editor().colour_window.shown, "hidden by closing");
        report.eq(file_size(ini), -1, "settings file size after closing (none)");
    });
}

// ------------------------------------------------------------------------------- the parameter page

ParamPageView& params() { return win().params; }
// What the chooser tells its page when the user picks entry i (EffectType i + 1).
void choose_effect(int type) {
    params().chooser.SetCurSel(type - 1);
    SendMessageW(params().m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PARAM_CHOOSER, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(params().chooser.m_hWnd));
    pump(30);
}
void move_param(int row, int pos) {
    HWND s = params().sliders[row].m_hWnd;
    SendMessageW(s, TBM_SETPOS, TRUE, pos);
    SendMessageW(params().m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(s));
    pump(20);
}
// The rows on screen as "label|position|value" (with "!" when the value lies outside the slider).
Names param_rows() {
    Names rows;
    for (int r = 0; r < ParamPageView::kRows; ++r) {
        if (!visible(params().sliders[r].m_hWnd)) continue;
        const bool outside = params().values[r].GetTextColor() == RGB(0xFF, 0x90, 0x60);  // the page's warning colour
        rows.push_back(text_of(params().labels[r].m_hWnd) + "|" + std::to_string(pos_of(params().sliders[r].m_hWnd)) + "|" +
                       text_of(params().values[r].m_hWnd) + (outside ? "!" : ""));
    }
    return rows;
}
EffectSettings record() {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    return s;
}
// An impulse, then silence, through vemomix_change: the frame at which the echo comes back.
int echo_arrival() {
    vemomix_datarefresh();
    std::vector<int16_t> pcm(2 * 2048);
    pcm[0] = pcm[1] = 20000;
    for (int b = 0; b < 40; ++b) {
        vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
        for (int f = b == 0 ? 1 : 0; f < 2048; ++f)
            if (pcm[2 * f] != 0) return b * 2048 + f;
        std::fill(pcm.begin(), pcm.end(), 0);
    }
    return -1;
}

void param_checks() {
    report.run("效果参数: echo chosen by the chooser shows its two rows; its delay slider moves the record and the echo", [] {
        click_tab(2);
        report.expect(visible(params().m_hWnd) && editor().current_tab == 2, "parameter page shown");
        choose_effect(kEcho);
        report.eq(editor().param.effect, static_cast<int>(kEcho), "effect chosen");
        report.eq(param_rows(), Names{"延时|6|0.6 秒", "反馈|5|0.5"}, "rows");
        report.eq(nums(params().sliders[0].SendMessage(TBM_GETRANGEMIN), params().sliders[0].SendMessage(TBM_GETRANGEMAX)),
                  nums(0, 16), "delay slider range");
        report.eq(text_of(params().on_switch.m_hWnd), "关闭", "switch caption");
        click(params().on_switch.m_hWnd);
        report.eq(nums(engine().enabled[kEcho].load(), checked(chain_item(kEchoSwitch))), nums(1, 1),
                  "echo on, chain page switch checked");
        report.eq(echo_arrival(), 26460, "echo arrives after 0.6 s");
        move_param(0, 3);
        report.eq(record().echo_delay_s, 0.3f, "echo_delay_s in the record");
        report.eq(echo_arrival(), 13230, "the next buffers echo after 0.3 s");
        report.eq(param_rows()[0], "延时|3|0.3 秒", "delay row");
        save_png(win().m_hWnd, "param_echo.png");
    });
    report.run("缺省 on the reverberation restores its defaults, gains 10^-0.5, the sliders follow", [] {
        choose_effect(kReverb);
        move_param(0, 77);
        move_param(6, 40);
        report.eq(nums(record().reverb_tap_count, record().reverb_wet_db), nums(77, -40), "tap count and wet level moved");
        click(params().defaults.m_hWnd);
        const EffectSettings r = record();
        report.eq(nums(r.reverb_tap_count, r.reverb_room_m, r.reverb_offset_m, r.reverb_decay_m, r.reverb_feedback_m,
                       r.reverb_feedback_db, r.reverb_wet_db),
                  nums(20, 20, 5, 10, 20, -10, -10), "reverb fields in the record");
        const float g = static_cast<float>(std::pow(10.0, -0.5));
        report.eq(nums(engine().reverb.channel[0].wet_gain == g, engine().reverb.channel[1].feedback_gain == g), nums(1, 1),
                  "gains");
        report.eq(param_rows(), Names{"反射数|20|20", "房间|20|20 米", "偏移|5|5 米", "衰减|10|10 米", "反馈距离|20|20 米",
                                      "反馈电平|10|-10 dB", "混响电平|10|-10 dB"},
                  "rows");
        save_png(win().m_hWnd, "param_reverb.png");
    });
    report.run("a record value beyond the slider stands at its end, shown as it is; the record stays as set", [] {
        choose_effect(kChorus);
        EffectSettings s = record();
        s.chorus_wet = 1000;
        s.chorus_depth = 90;
        vemomix_set(s);
        pump(30);
        const EffectSettings before = record();
        report.eq(param_rows(), Names{"深度|100|180!", "频率|1324|1587", "湿声|100|390 %!", "干声|78|78 %", "再发生|39|39 %"},
                  "chorus rows after vemomix_set");
        choose_effect(kEcho);
        choose_effect(kChorus);
        const EffectSettings after = record();
        report.eq(nums(before.chorus_wet, std::memcmp(&before, &after, sizeof before)), nums(1000, 0),
                  "chorus_wet as set, record unchanged by showing the page");
        save_png(win().m_hWnd, "param_chorus.png");
        click(params().defaults.m_hWnd);
        report.eq(nums(record().chorus_wet, record().chorus_depth), nums(250, 50), "after 缺省");
    });
    report.run("the wah-wah page copy follows its sliders; the equaliser's entry leads to its tab", [] {
        choose_effect(kWah);
        move_param(0, 12);
        move_param(3, 55);
        report.eq(nums(record().wah_rate, record().wah_resonance, editor().wah_page.wah_rate), nums(12, 55, 12), "record and page copy");
        report.eq(param_rows(), Names{"频率|12|1.2 Hz", "偏移|30|30", "深度|70|70 %", "反馈|55|5.5"}, "rows");
        save_png(win().m_hWnd, "param_wah.png");
        choose_effect(kGraphicEq);
        report.eq(nums(editor().current_tab, win().tab.GetCurPage(), params().chooser.GetCurSel()), nums(1, 1, kWah - 1),
                  "tab, page shown, chooser");
    });
}

// ------------------------------------------------------------------------------- placement and a second session

POINT centre_of(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// Within a pixel (a window of odd size cannot be centred exactly); the message says where.
bool centred(POINT a, POINT b, const std::string& what) {
    return report.expect(std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1,
                         what + named(": centre x ", a.x) + named(" y ", a.y) + named(", wanted x ", b.x) + named(" y ", b.y));
}

void placement_checks(HWND host) {
    report.run("closed and begun again: default colours in the editor, its pages and the colour window", [] {
        vemomix_close();
        vemomix_begin();
        vemomix_init(44100, 2, 0);
        if (!report.expect(window() != nullptr, "editor made again")) return;
        const Colour main = kDefaultMainColour;
        report.eq(nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor(),
                       win().chain.title.GetBkColor(), params().heading.GetBkColor(), params().chooser.GetBkColor(),
                       colours().m_crFill, win().skin.GetColours().main_colour),
                  nums(main, main, main, main, main, main, lighten(main, 51), main),
                  "main colour, strip, equaliser combo, chain title, parameter heading and chooser, colour window fill, frame");
    });
    report.run("the editor and the colour window open centred on the host window", [host] {
        vemomix_close();
        MoveWindow(host, 200, 120, 900, 700, FALSE);
        vemomix_set_mainwnd(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
        vemomix_begin();
        vemomix_init(44100, 2, 1);
        pump(50);
        const POINT c = centre_of(rect_of(host));
        centred(centre_of(rect_of(win().m_hWnd)), c, "editor centred on the host");
        toggle_colour_window();
        centred(centre_of(rect_of(colours().m_hWnd)), c, "colour window centred on the host");
        toggle_colour_window();
    });
    report.run("without a host window both open centred on the screen", [] {
        vemomix_close();
        vemomix_set_mainwnd(0);
        vemomix_begin();
        vemomix_init(44100, 2, 1);
        pump(50);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        centred(centre_of(rect_of(win().m_hWnd)), centre_of(work), "editor centred on the screen");
        toggle_colour_window();
        centred(centre_of(rect_of(colours().m_hWnd)), centre_of(work), "colour window centred on the screen");
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_host <screenshot directory>\n");
        return 2;
    }
    shot_dir = argv[1];
    CreateDirectoryA(argv[1], nullptr);
    DeleteFileA(preset_file_path(library_module_dir()).c_str());  // start from the built-in presets
    WNDCLASSW wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VemoEditorTestHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowW(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              wc.hInstance, nullptr);
    editor_checks(host);  // first: it looks at the calls before vemomix_begin; ends with vemomix_close

    // The equaliser page and the colour window in a new session, the modal windows answered by a timer.
    vemomix_begin();
    vemomix_init(44100, 2, 1);
    if (window() != nullptr) {
        SetWindowPos(win().m_hWnd, HWND_TOPMOST, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        editor().select_tab(1);
        pump(200);
        const UINT_PTR timer = SetTimer(nullptr, 0, 40, modal::tick);
        equaliser_checks();
        colour_checks();
        param_checks();
        KillTimer(nullptr, timer);
        placement_checks(host);
    }
    vemomix_close();
    DestroyWindow(host);
    return report.finish("editor");
}
