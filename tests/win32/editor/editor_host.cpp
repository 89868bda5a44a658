// Wine tests of the editor's windows and of the toolkit they are made of, driven in-process as a
// host program and a user would: the exports from the host side, clicks, drags, typing and menu
// commands through window messages, audio from a second thread, the modal windows answered from a
// timer; checked on the controls and on the model behind them. The model's own rules are the
// native tests' (tests/unit); here the real windows show the model and their messages reach it.
// The host links the library's static archive and carries its resources. Screenshots go to the
// given directory as PNG.
//   editor_host <screenshot directory>         the last line reads "editor: N passed, M failed"
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../report.h"
#include "../wine_support.h"
#include "editor/editor.h"
#include "editor/module_paths.h"
#include "editor/preset_file.h"
#include "editor/settings_file.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/preset_name_dialog.h"
#include "editor/win32/win32_backend.h"
#include "toolkit/subclass_wnd.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

using namespace vemo;
using host::each;
using host::named;
using host::nums;
using Names = std::vector<std::string>;
using Lists = std::vector<std::vector<long long>>;

namespace {

host::Report report;
std::string shot_dir;

constexpr UINT kHostNotification = 8201, kEditorCommand = 12424;
constexpr char kEditorCaption[] = "广告音乐输出效果调整";
constexpr int kUpId = 3082, kDownId = 3083, kEchoSwitch = 3069, kEqSwitch = 3070;
constexpr int kSaveId = 3082, kDeleteId = 3083, kOptionId = 3073, kLinkedId = 3084;

// ------------------------------------------------------------------------------- windows and actions

EditorWindow* window() { return static_cast<Win32Backend&>(editor().backend()).window(); }
EditorWindow& win() { return *window(); }
EqPageView& page() { return win().eq; }
ColourWindowView& colours() { return *win().colour; }
ParamPageView& params() { return win().params; }
CColorListCtrl& list() { return win().chain.list; }
HWND chain_item(int id) { return win().chain.GetDlgItem(id); }
HWND eq_item(int id) { return page().GetDlgItem(id); }
std::vector<HWND> top_windows(const char* caption) {
    return thread_windows([caption](HWND hwnd) { return text_of(hwnd) == caption; });
}
// A new editor, closed and begun again and initialised at 44100 Hz stereo; false when none was made.
bool fresh(int show) {
    vemomix_close();
    vemomix_begin();
    vemomix_init(44100, 2, show);
    pump(50);
    return window() != nullptr;
}

// Each notification the host window got as (wParam, lParam, whether the editor was visible then).
Lists notifications;
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
LPARAM screen_lparam(HWND hwnd, int x, int y) { return MAKELPARAM(rect_of(hwnd).left + x, rect_of(hwnd).top + y); }
int width_of(HWND hwnd) { return rect_of(hwnd).right - rect_of(hwnd).left; }
// A press and release of the left button on a window's close box, dx from its right edge.
void click_close_box(HWND hwnd, int dx, int y) {
    for (UINT msg : {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP}) SendMessageW(hwnd, msg, HTCLOSE, screen_lparam(hwnd, width_of(hwnd) - dx, y));
    pump(20);
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
template <typename State>  // checked or IsWindowEnabled of the four band buttons
std::vector<bool> band_buttons(State state) { return each(4, [state](int i) { return state(eq_item(3069 + i)) != FALSE; }); }
Names combo_names() { return each(page().presets.GetCount(), [](int i) { return page().presets.GetName(i); }); }
// What a combo box tells its page when the user picks item i, and what a trackbar tells it when
// the user lets its thumb go at pos.
template <typename Combo>
void pick(Combo& combo, HWND page, int id, int i) {
    combo.SetCurSel(i);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo.m_hWnd));
    pump(30);
}
void slide(HWND page, HWND s, int pos, UINT scroll) {
    SendMessageW(s, TBM_SETPOS, TRUE, pos);
    SendMessageW(page, scroll, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(s));
    pump(20);
}
void choose_preset(int i) { pick(page().presets, page().m_hWnd, 3081, i); }
void choose_effect(int type) { pick(params().chooser, params().m_hWnd, IDC_PARAM_CHOOSER, type - 1); }
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
LOGFONTW font_of(HWND hwnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}
// Keeps (wParam, lParam) of each message `watched` it sees and passes everything on.
class Recorder : public CSubclassWnd {
public:
    explicit Recorder(UINT watched) : watched_(watched) {}
    Lists seen;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == watched_) seen.push_back(nums(wp, lp));
        return Default();
    }

private:
    UINT watched_;
};
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
// windows (ui between its rounds); a deadlock ends the host with a failure instead of hanging.
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
    });
    if (window() == nullptr) return;

    report.run("after vemomix_init the sixteen rows read 无效 in the order 1 to 16, three columns", [] {
        vemomix_init(44100, 2, 0);
        report.eq(order(), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,", "order");
        report.eq(each(16, [](int r) { return list().GetItemText(r, 2); }), Names(16, "无效"), "state column");
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
            if (mode == 1) save_png(w, "editor_mode1.png");
        }
        vemomix_set_dispmode(0);
        report.eq(shown_buttons(), "关闭 播放 ", "mode 0 from set_dispmode keeps 播放");
        vemomix_setdisp(1);
        report.eq(shown_buttons(), "关闭 ", "setdisp hides 播放 again");
    });

    // Moves at the ends and the colours of a moved row are the model's (tests/unit/test_chain_walk.cpp).
    report.run("rows moved with 上移 and 下移; checking 回响效果器 turns its row to 有效 and red wherever it stands", [] {
        move_type_to(7, 3);
        report.eq(order(), "1,2,3,7,4,5,6,8,9,10,11,12,13,14,15,16,", "order after the moves");
        report.eq(nums(list().SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), GetFocus() == list().m_hWnd),
                  nums(3, 1), "selected row, focus in the list");
        click(chain_item(kEchoSwitch));
        report.eq(nums(checked(chain_item(kEchoSwitch)), engine().enabled[7].load()), nums(1, 1), "switch checked, echo flag set");
        report.eq(list().GetItemText(3, 2), "有效", "state text");
        report.eq(row_colours(3), nums(0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF, 0xFFFFFF, 0x1010FF), "enabled row colours");
        click(chain_item(kEchoSwitch));
        report.eq(row_colours(3)[3], editor().chain.rows[3].cells[1].back_colour, "disabled row background as the model has it");
        vemomix_setecho(1);
        report.expect(checked(chain_item(kEchoSwitch)), "echo switch after vemomix_setecho(1)");
        vemomix_setecho(0);
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
            report.eq(notifications, r.notified ? Lists{nums(9999, r.notified, !r.hides)} : Lists{},
                      what + ": notifications (wParam, lParam, editor visible)");
        }
        vemomix_set_mainwnd(h);
    });

    report.run("frame and menu: 关于, the close box, 窗口换肤 and 关闭窗口 reach the model as 12424 with 1333999 and 3, 1, 4, "
               "1; the colour window's own close", [] {
        HWND w = win().m_hWnd, cw = colours().m_hWnd;
        Recorder commands(kEditorCommand);
        commands.HookWindow(w);
        auto shown = [&] { return nums(visible(win().eq.m_hWnd), visible(win().chain.m_hWnd), win().tab.SendMessage(TCM_GETCURSEL)); };
        vemomix_setdisp(1);
        click_tab(1);
        report.eq(shown(), nums(1, 0, 1), "after a click on tab 1: equaliser page, chain page, selected tab");
        SendMessageW(w, WM_COMMAND, 32777, 0);
        report.eq(shown(), nums(1, 0, 1), "after 关于: the same");
        click_tab(0);
        report.eq(shown(), nums(0, 1, 0), "after a click on tab 0");
        notifications.clear();
        click_close_box(w, 15, 12);
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
        SendMessageW(w, WM_COMMAND, 32775, 0);
        SendMessageW(w, WM_COMMAND, 32776, 0);
        report.eq(nums(visible(cw), visible(w), vemomix_get_dispstatus()), nums(0, 0, 0),
                  "after 关闭窗口: colour window and editor visible, shown flag");
        commands.HookWindow(nullptr);
        report.eq(commands.seen, Lists{nums(1333999, 3), nums(1333999, 1), nums(1333999, 4), nums(1333999, 4), nums(1333999, 2),
                                       nums(1333999, 4), nums(1333999, 1)},
                  "editor commands");
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

// The page's rules are the model's (tests/unit/test_eq_page.cpp); here the controls show the
// model's state and the controls' own messages reach it.
void equaliser_checks() {
    const std::pair<int, std::vector<int>> cases[] = {{10, {10}}, {15, {15}}, {25, {13, 12}}, {31, {16, 15}}};
    for (int i = 0; i < 4; ++i) {
        const auto& [bands, rows] = cases[i];
        report.run(named("", bands) + " bands" + (i == 0 ? " at start" : "") + ": rows of " + host::Report::text(rows) +
                       ", the second scale only with two rows, the model's presets in the combo", [&] {
            if (i != 0) click(eq_item(3069 + i));
            report.eq(visible_rows(), rows, "slider rows, left to right, top to bottom");
            report.eq(band_buttons(checked), each(4, [&](int b) { return b == i; }), "band buttons checked");
            report.eq(nums(visible(eq_item(3077)), visible(eq_item(3080))), nums(1, rows.size() > 1), "scales shown");
            report.eq(combo_names(), editor().eq.combo, "combo items");
            report.eq(page().presets.GetCurSel(), editor().eq.combo_sel, "combo selection");
            if (i != 0) return;
            report.eq(each(10, [](int k) { return visible(page().labels[k].m_hWnd) ? text_of(page().labels[k].m_hWnd) : "-"; }),
                      Names{"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"}, "band names");
            report.eq(band_positions(10), std::vector<int>(10, 25), "band positions (0 dB)");
            report.eq(nums(pos_of(page().preamp.m_hWnd), page().preamp.SendMessage(TBM_GETRANGEMAX)), nums(12, 24),
                      "pre-gain position (0 dB) and range max");
        });
    }

    report.run("调谐联动, 二级调整, a band and the pre-gain slider reach the model; the neighbours' sliders follow it; "
               "command 8887 resets the ranges", [] {
        click(eq_item(kLinkedId));
        slide(page().m_hWnd, page().sliders[0].m_hWnd, 15, WM_VSCROLL);
        report.expect(editor().eq.linked.checked && editor().eq.slider_pos[0] == 15, "调谐联动 and slot 0 in the model");
        report.eq(band_positions(4), each(4, [](int k) { return editor().eq.slider_pos[k]; }), "slots 0-3 as the model has them");
        report.expect(pos_of(page().sliders[1].m_hWnd) != 25, "slot 1 moved with slot 0");
        click(eq_item(kLinkedId));
        click(eq_item(kOptionId));
        const int on = engine().eq.eq_extra_filter.load();
        click(eq_item(kOptionId));
        report.eq(nums(on, engine().eq.eq_extra_filter.load()), nums(1, 0), "eq_extra_filter checked, then un-checked");
        slide(page().m_hWnd, page().preamp.m_hWnd, 20, WM_HSCROLL);
        report.eq(editor().eq.preamp_pos, 20, "pre-gain position");
        for (CColorSlider& s : page().sliders) s.SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageW(win().m_hWnd, kEditorCommand, 8887, 0);
        report.eq(each(32, [](int k) { return page().sliders[k].SendMessage(TBM_GETRANGEMAX); }), std::vector<long long>(32, 50),
                  "band ranges after command 8887");
    });

    report.run("preset choice: the combo's selection reaches the model, the sliders show its curve", [] {
        click(eq_item(3069));
        choose_preset(2);
        report.eq(editor().eq.combo_sel, 2, "selection in the model");
        report.eq(band_positions(10), each(10, [](int k) { return editor().eq.slider_pos[k]; }), "slider positions");
        report.expect(band_positions(10) != std::vector<int>(10, 25), "a curve, not flat");
        save_png(win().m_hWnd, "eq_page_10.png");
    });
    // A full table and the other refusals are the model's (test_eq_page.cpp).
    report.run("save: the name dialog from template 3016 takes typed names; a refusal shows a message box over it; "
               "a new one is kept; 放弃 changes nothing", [] {
        click(eq_item(3072));
        modal::reset({L"Rock摇滚模式", L"我的31段"});
        click(eq_item(kSaveId));
        report.eq(modal::boxes, Names{"|输入音效模式名称已存在|ok+"}, "message boxes (caption|text|buttons, + over the open name dialog)");
        report.eq(nums(modal::dialog_visits, page().presets.GetCurSel(), file_size(editor().preset_path)), nums(2, 1, 196),
                  "names typed, the new preset selected, preset file of one record");
        report.eq(combo_names(), Names{"31频段缺省模式", "我的31段"}, "31-band presets");
        const int r = editor().presets.count - 1;
        report.eq(editor().presets.name_utf8(r), "我的31段", "record name");
        modal::reset({});
        click(eq_item(kSaveId));
        report.eq(nums(modal::dialog_visits, editor().presets.count, page().presets.GetCount()), nums(1, r + 1, 2),
                  "given up: dialogs shown, records, combo items");
    });
    report.run("delete: a user preset is asked for with a yes/no box; its No keeps it, its Yes removes it", [] {
        choose_preset(1);
        modal::reset({});
        click(eq_item(kDeleteId));
        report.eq(modal::boxes, Names{"音效删除|确认删除音效我的31段 吗|yes/no"}, "message boxes");
        report.eq(page().presets.GetCount(), 2, "presets after No");
        modal::reset({}, {IDYES});
        click(eq_item(kDeleteId));
        report.eq(combo_names(), Names{"31频段缺省模式"}, "presets after Yes");
        report.eq(file_size(editor().preset_path), 0, "preset file size");
    });

    report.run("engine initialisation unchecks the page's buttons; below 44100 Hz the other band buttons are greyed", [] {
        click(eq_item(kOptionId));
        click(eq_item(kLinkedId));
        const std::vector<bool> ten = {true, false, false, false};
        std::vector<std::vector<bool>> seen;
        for (int rate : {22050, 44100}) {
            vemomix_init(rate, 2, 1);
            editor().select_tab(1);
            pump(50);
            seen.push_back(band_buttons(IsWindowEnabled));
        }
        report.eq(nums(checked(eq_item(kOptionId)), checked(eq_item(kLinkedId))), nums(0, 0), "二级调整 and 调谐联动 checked");
        report.eq(band_buttons(checked), ten, "band buttons checked");
        report.eq(seen, std::vector<std::vector<bool>>{ten, std::vector<bool>(4, true)}, "band buttons enabled at 22050, 44100 Hz");
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

// Which swatch a colour checks and what a drag or a style press does are the model's
// (tests/unit/test_colour_scheme.cpp); here the window's controls show and drive it.
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
    report.run("dragging red: the custom swatch follows while the thumb is held, the editor takes it on release", [] {
        const Colour before = editor().colours.main_colour;
        HWND red = colours().sliders[0].m_hWnd;
        drag(red, 40, true, false);
        const int r = pos_of(red);
        const Colour custom = rgb(r, 0x48, 0x08);
        report.expect(r > 0x08, "the thumb moved right of 8");
        COLORREF swatch = 0;
        colours().swatches[4].GetColor(CIconButton::kBkOut, &swatch);
        report.eq(nums(swatch, checked(colours().swatches[4].m_hWnd), text_of(colours().values[0].m_hWnd) == std::to_string(r)),
                  nums(custom, 1, 1), "custom swatch colour and check, red value label");
        auto scheme = [] { return nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor()); };
        report.eq(scheme(), nums(before, before, before), "while dragging: main colour, caption strip, equaliser combo");
        const COLORREF plate = page().preamp.GetColor1();
        drag(red, 0, false, true);
        report.eq(scheme(), nums(custom, custom, custom), "after release: main colour, caption strip, equaliser combo");
        report.expect(page().preamp.GetColor1() != plate, "equaliser sliders re-coloured");
        const int border = editor().colours.border_style, header = editor().colours.header_style;
        click(colours().border.m_hWnd);
        click(colours().header.m_hWnd);
        report.expect(editor().colours.border_style != border && editor().colours.header_style != header,
                      "换边框 and 换窗头 each change the model with one press");
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
        vemomix_set_wintran(0);
        drag(alpha, -30, true, true);
        report.eq(layered_alpha(win().m_hWnd), a, "transparency disabled: the editor keeps the alpha it shows");
        vemomix_set_wintran(1);
    });
    report.run("保存 writes quillaret.ini beside the executable and hides; the close box (no host mode) hides, writes nothing", [] {
        const std::string ini = settings_file_path(host_executable_dir());
        DeleteFileA(ini.c_str());
        click(colours().save.m_hWnd);
        report.expect(!visible(colours().m_hWnd) && !editor().colour_window.shown, "hidden after 保存");
        report.expect(file_size(ini) > 0, "settings file written beside the executable");
        DeleteFileA(ini.c_str());
        toggle_colour_window();
        report.expect(visible(colours().m_hWnd), "shown again");
        click_close_box(colours().m_hWnd, 10, 10);
        report.expect(!visible(colours().m_hWnd) && IsWindow(colours().m_hWnd) && !editor().colour_window.shown,
                      "hidden by its close box, not destroyed");
        report.eq(file_size(ini), -1, "settings file size after closing (none)");
    });
}

// ------------------------------------------------------------------------------- the parameter page

void move_param(int row, int pos) { slide(params().m_hWnd, params().sliders[row].m_hWnd, pos, WM_HSCROLL); }
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

// The rows' arithmetic and texts are the model's (tests/unit/test_param_page.cpp); here the
// chooser, the switch, the sliders and 缺省 reach it, and the rows show it.
void param_checks() {
    report.run("效果参数: echo chosen by the chooser shows its two rows; its switch and delay slider reach the record", [] {
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
        move_param(0, 3);
        report.eq(record().echo_delay_s, 0.3f, "echo_delay_s in the record");
        report.eq(param_rows()[0], "延时|3|0.3 秒", "delay row");
        save_png(win().m_hWnd, "param_echo.png");
    });
    report.run("缺省 on the reverberation restores its defaults, the sliders follow", [] {
        choose_effect(kReverb);
        move_param(0, 77);
        report.eq(record().reverb_tap_count, 77, "tap count moved");
        click(params().defaults.m_hWnd);
        report.eq(record().reverb_tap_count, 20, "tap count after 缺省");
        report.eq(param_rows(), Names{"反射数|20|20", "房间|20|20 米", "偏移|5|5 米", "衰减|10|10 米", "反馈距离|20|20 米",
                                      "反馈电平|10|-10 dB", "混响电平|10|-10 dB"},
                  "rows");
    });
    report.run("a record value beyond the slider stands at its end, shown as it is in the warning colour; the "
               "equaliser's entry leads to its tab", [] {
        choose_effect(kChorus);
        EffectSettings s = record();
        s.chorus_wet = 1000;
        s.chorus_depth = 90;
        vemomix_set(s);
        pump(30);
        report.eq(param_rows(), Names{"深度|100|180!", "频率|1324|1587", "湿声|100|390 %!", "干声|78|78 %", "再发生|39|39 %"},
                  "chorus rows after vemomix_set");
        choose_effect(kGraphicEq);
        report.eq(nums(editor().current_tab, win().tab.GetCurPage(), params().chooser.GetCurSel()), nums(1, 1, kChorus - 1),
                  "the equaliser's entry: tab, page shown, chooser");
    });
}

// ------------------------------------------------------------------------------- placement and a second session

POINT centre_of(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// The editor and the colour window centred on r, within a pixel (a window of odd size cannot be
// centred exactly); the message says where.
void expect_centred(const RECT& r, const std::string& on) {
    const POINT want = centre_of(r);
    toggle_colour_window();
    for (HWND w : {win().m_hWnd, colours().m_hWnd}) {
        const POINT a = centre_of(rect_of(w));
        report.expect(std::abs(a.x - want.x) <= 1 && std::abs(a.y - want.y) <= 1,
                      text_of(w) + " centred on " + on + named(": centre x ", a.x) + named(" y ", a.y) + named(", wanted x ", want.x) +
                          named(" y ", want.y));
    }
    toggle_colour_window();
}

void placement_checks(HWND host) {
    report.run("closed and begun again: default colours in the editor, its pages and the colour window", [] {
        if (!report.expect(fresh(0), "editor made again")) return;
        const Colour main = kDefaultMainColour;
        report.eq(nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor(),
                       win().chain.title.GetBkColor(), params().heading.GetBkColor(), params().chooser.GetBkColor(),
                       colours().m_crFill, win().skin.GetColours().main_colour),
                  nums(main, main, main, main, main, main, lighten(main, 51), main),
                  "main colour, strip, equaliser combo, chain title, parameter heading and chooser, colour window fill, frame");
    });
    report.run("the editor and the colour window open centred on the host window, without one on the screen", [host] {
        MoveWindow(host, 200, 120, 900, 700, FALSE);
        vemomix_set_mainwnd(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)));
        if (fresh(1)) expect_centred(rect_of(host), "the host");
        vemomix_set_mainwnd(0);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        if (fresh(1)) expect_centred(work, "the screen");
    });
}

// ------------------------------------------------------------------------------- the toolkit
// The library's resources and one part of each kind the toolkit makes, driven through window
// messages on the real editor's parts; the hook chain on a window of its own.

HWND popup() { return CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr); }

void resources(PresetNameDialog& names) {
    report.run("templates 3000, 3021, 3001, 3058 and 3016: captions, font, texts and classes; menu 3059; bitmap 3060", [&] {
        const HWND ed = win().m_hWnd, ch = win().chain.m_hWnd, eq = page().m_hWnd, cw = colours().m_hWnd, nd = names.m_hWnd;
        report.eq(utf8(font_of(ed).lfFaceName), "宋体", "dialog font face");
        report.eq(Names{text_of(ed), text_of(cw), text_of(nd)}, Names{kEditorCaption, "界面颜色设置", "音效模式保存"},
                  "captions of the editor, the colour window and the name dialog");
        // The bottom buttons of 3021 take their captions from the model (the display-mode checks).
        const std::tuple<HWND, int, const char*> texts[] = {
            {ch, 3006, "输出音频效果从上到下顺序调整"}, {ch, kUpId, "上移"}, {ch, kEchoSwitch, "回响效果器"}, {eq, 3072, "31频段"},
            {eq, kLinkedId, "调谐联动"}, {eq, 3079, "00"}, {cw, 3010, "主窗口透明度"}, {cw, 3083, "换边框"}, {nd, 3084, "放弃"}};
        for (const auto& [dialog, id, text] : texts) {
            HWND h = GetDlgItem(dialog, id);
            report.eq(h ? text_of(h) : "(no control)", text, named("text of ", id));
        }
        report.eq(Names{class_of(GetDlgItem(nd, 3083)), class_of(GetDlgItem(ch, 3086))}, Names{"Edit", "SysListView32"},
                  "classes of 3083 in 3016 and 3086 in 3021");
        HMENU bar = LoadMenuW(resource_module(), MAKEINTRESOURCEW(3059));
        wchar_t item[64] = {};
        GetMenuStringW(GetSubMenu(bar, 0), 32775, item, 63, MF_BYCOMMAND);
        report.eq(utf8(item), "窗口换肤", "menu item 32775");
        DestroyMenu(bar);
        GdiHandle bmp(load_bitmap(3060));
        const SIZE got = bitmap_size(bmp.bitmap());
        report.eq(nums(got.cx, got.cy), nums(802, 366), "size of bitmap 3060");
    });
}

void class_layer() {
    report.run("control exchange loads and stores a check button and a trackbar; a tab selection loads the page", [&] {
        ChainPageWnd& chain = win().chain;
        const int dist = ChainPageWnd::kSwitchIds[kDistortion], am = ChainPageWnd::kSwitchIds[kAmpMod];
        int on = 1, pos = 7;
        CDataExchange load(&chain, false), load_eq(&page(), false), store(&chain, true), store_eq(&page(), true);
        DDX_Check(load, dist, on);
        DDX_Slider(load_eq, EqPageView::kPreampId, pos);
        report.eq(nums(chain.switches[kDistortion].GetCheck(), IsDlgButtonChecked(chain.m_hWnd, dist), pos_of(page().preamp.m_hWnd)),
                  nums(1, BST_CHECKED, 7), "loaded into the check button (BM_GETCHECK answers it) and the trackbar");
        chain.switches[kAmpMod].SetCheck(1);
        SendMessageW(page().preamp.m_hWnd, TBM_SETPOS, TRUE, 20);
        on = 0;
        DDX_Check(store, am, on);
        DDX_Slider(store_eq, EqPageView::kPreampId, pos);
        report.eq(nums(on, pos), nums(1, 20), "stored check and trackbar position");
        // The chain page loads the model when its tab is selected: a switch the model checked
        // behind its back shows then.
        CBaseTabCtrl& tab = win().tab;
        tab.SelectPage(1);
        editor().chain.switches[kWah].checked = true;
        const int before = chain.switches[kWah].GetCheck();
        tab.SelectPage(0);
        report.eq(nums(before, chain.switches[kWah].GetCheck()), nums(0, 1), "switch before and after the selection");
        editor().chain.switches[kWah].checked = false;
        chain.Refresh();
    });
    // Three hooks a, b, c on one window: b taken out of the middle, then a, the oldest; WM_NCDESTROY
    // releases c, which is still there.
    report.run("three hooks: one out of the middle, then the oldest; WM_NCDESTROY releases the rest", [&] {
        HWND hwnd = popup();
        Recorder a(WM_USER + 7), b(WM_USER + 7), c(WM_USER + 7);
        for (Recorder* h : {&a, &b, &c}) h->HookWindow(hwnd);
        report.eq(nums(CSubclassWnd::FirstHook(hwnd) == &c, GetWindowLongPtrW(hwnd, GWLP_WNDPROC)),
                  nums(1, reinterpret_cast<LONG_PTR>(CSubclassWnd::SharedProc())), "the newest heads; procedure");
        b.HookWindow(nullptr);
        report.expect(c.m_pNext == &a, "head links past the removed hook");
        SendMessageW(hwnd, WM_USER + 7, 0, 0);
        a.HookWindow(nullptr);
        report.expect(CSubclassWnd::FirstHook(hwnd) == &c && c.m_pNext == nullptr, "c alone heads the chain");
        SendMessageW(hwnd, WM_USER + 7, 0, 0);
        report.eq(nums(a.seen.size(), b.seen.size(), c.seen.size()), nums(1, 0, 2), "messages seen by a, b (removed) and c");
        DestroyWindow(hwnd);
        report.expect(!c.IsHooked() && CSubclassWnd::FirstHook(hwnd) == nullptr, "hook and chain released");
    });
}

void controls() {
    HWND ed = win().m_hWnd;
    report.run("the editor frame: insets 10/33/12/13, only a close box, no system boxes", [&] {
        RECT wr = rect_of(ed), cr;
        GetClientRect(ed, &cr);
        POINT origin{0, 0};
        ClientToScreen(ed, &origin);
        report.eq(nums(wr.right - wr.left - cr.right, wr.bottom - wr.top - cr.bottom, origin.x - wr.left, origin.y - wr.top),
                  nums(22, 46, 10, 33), "left + right and top + bottom insets, client left and top");
        report.eq(GetWindowLongPtrW(ed, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0, "system menu and boxes");
        const int w = width_of(ed);
        auto hit = [ed](int x, int y) { return SendMessageW(ed, WM_NCHITTEST, 0, screen_lparam(ed, x, y)); };
        report.eq(nums(hit(w - 15, 12), hit(w - 37, 12), hit(12, 8), hit(3, 100), hit(100, 100)),
                  nums(HTCLOSE, HTCAPTION, HTSYSMENU, HTCLIENT, HTCLIENT),
                  "close box, where a maximise box would be, system icon, left edge (not sizable), client");
    });
    report.run("icon buttons: a refused colour slot; a check button flips on each click, a double click is a second one", [&] {
        CIconButton& b = win().chain.up;
        // A braced list runs the calls in order.
        report.eq(std::vector<long long>{b.SetColor(6, 0x00123456), b.SetColor(0, 0x00F0F0F0), b.OffsetColor(0, 30)}, nums(3, 0, 0),
                  "results for slot 6, slot 0 and an offset of 30");
        COLORREF c = 0;
        b.GetColor(0, &c);
        report.eq(c, 0x00FFFFFF, "0x00F0F0F0 lightened by 30 stops at white");
        ChainPageWnd& chain = win().chain;
        CIconButton& check = chain.switches[kPitchChanger];
        HWND h = check.m_hWnd;
        report.expect(check.IsCheckMode(), "automatic check box became a check button");
        report.eq(each(3, [&](int) { return click(h), nums(check.GetCheck(), engine().enabled[kPitchChanger].load()); }),
                  std::vector<std::vector<long long>>{nums(1, 1), nums(0, 0), nums(1, 1)}, "states and the engine's flag after clicks");
        Recorder clicks(WM_COMMAND);
        clicks.HookWindow(chain.m_hWnd);
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(4, 4));
        clicks.HookWindow(nullptr);
        const auto clicked = std::count(clicks.seen.begin(), clicks.seen.end(), nums(MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h)));
        report.eq(nums(check.GetCheck(), clicked), nums(1, 2), "state and clicks reported after a click and a double click");
        click(h);
    });
    report.run("list cells: row 3 column -1 colours the whole row; row -1 means all; custom draw hands them out", [&] {
        CColorListCtrl& l = list();
        l.SetItemTextColor(3, -1, 0x00123456);
        l.SetItemBkColor(-1, 1, 0x00010101);
        report.eq(each(3, [&](int c) { return l.GetItemTextColor(3, c); }), nums(0x123456, 0x123456, 0x123456), "row 3 text, column -1");
        report.expect(l.GetItemTextColor(2, 0) != 0x00123456, "row 2 untouched");
        report.eq(each(16, [&](int r) { return l.GetItemBkColor(r, 1); }), std::vector<long long>(16, 0x010101), "column 1, row -1");
        const auto [text, back] = cell_colours(win().chain.m_hWnd, l.m_hWnd, 3, 1);
        report.eq(nums(text, back), nums(0x00123456, 0x00010101), "custom draw text and background colours");
    });
}

void toolkit_checks() {
    vemomix_set_mainwnd(0);
    if (!fresh(0)) return report.run("the editor is made again", [] { report.expect(false, "an editor window"); });
    {
        PresetNameDialog names(editor().colours, [](const std::string&) { return false; });
        names.Create(IDD_PRESET_NAME, nullptr);
        ShowWindow(names.m_hWnd, SW_HIDE);
        resources(names);
    }
    class_layer();
    controls();
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
    toolkit_checks();
    vemomix_close();
    DestroyWindow(host);
    return report.finish("editor");
}
