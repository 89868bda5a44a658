// Wine tests of the editor's windows and of the toolkit they are made of, driven in-process as a
// host program and a user would: the exports from the host side, clicks, drags and menu commands
// through window messages, audio from a second thread; checked on the controls and on the model
// behind them. The model's own rules are the native tests' (tests/unit); here the real windows show
// the model and their messages reach it. The host links the library's static archive and carries
// its resources. Screenshots go to the given directory as PNG.
//   editor_host <screenshot directory>         the last line reads "editor: N passed, M failed"
#include <atomic>
#include <cmath>
#include <cstring>
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
constexpr int kUpId = 3082, kDownId = 3083, kEchoSwitch = 3069, kEqSwitch = 3070, kLinkedId = 3084;

// ------------------------------------------------------------------------------- windows and actions

EditorWindow* window() { return static_cast<Win32Backend&>(editor().backend()).window(); }
EditorWindow& win() { return *window(); }
EqPageView& page() { return win().eq; }
ColourWindowView& colours() { return *win().colour; }
ParamPageView& params() { return win().params; }
CColorListCtrl& list() { return win().chain.list; }
HWND chain_item(int id) { return win().chain.GetDlgItem(id); }
HWND eq_item(int id) { return page().GetDlgItem(id); }
int editors() {
    int n = 0;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, L"广告音乐输出效果调整")) != nullptr;) ++n;
    return n;
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

int pos_of(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }
std::vector<int> band_positions(int n) { return each(n, [](int k) { return pos_of(page().sliders[k].m_hWnd); }); }
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
// Beside a screenshot, the texts on it for contrast.py: "left top right bottom name" per shown
// text control, in the screenshot's pixels; a check button's icon (as wide as the button is
// high) is left out.
struct Text {
    HWND hwnd;
    std::string name;
    bool icon = false;
    RECT inset{0, 0, 0, 0};  // a frame or button that is not the text's ground
};
constexpr RECT kButtonFrame{3, 3, 3, 3}, kComboFrame{3, 3, 20, 3};
void save_texts(HWND window, const std::string& png, const std::vector<Text>& texts) {
    const RECT w = rect_of(window);
    std::ofstream out(shot_dir + "\\" + png.substr(0, png.size() - 4) + ".texts", std::ios::binary);
    for (const Text& t : texts) {
        if (!visible(t.hwnd)) continue;
        RECT r = rect_of(t.hwnd);
        if (t.icon) r.left += r.bottom - r.top;
        r.left += t.inset.left, r.top += t.inset.top, r.right -= t.inset.right, r.bottom -= t.inset.bottom;
        out << r.left - w.left << " " << r.top - w.top << " " << r.right - w.left << " " << r.bottom - w.top << " "
            << t.name << "\n";
    }
}

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
// With `hold`, the audio thread plays on past `buffers` until the hold is released, so that the
// interface gets its turns however the machine schedules the two threads.
template <typename Ui>
void play_while(int buffers, const std::vector<int16_t>& pcm, Ui&& ui, const std::atomic<bool>* hold = nullptr) {
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int n = 0; n < buffers || (hold && hold->load()); ++n) {
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
    report.run("begin twice leaves one hidden editor; after vemomix_init its rows read 1 to 16, 无效", [] {
        vemomix_begin();
        vemomix_begin();
        report.eq(editors(), 1, "editor windows");
        if (!report.expect(window() != nullptr, "the editor's window")) return;
        report.expect(!visible(win().m_hWnd) && vemomix_get_dispstatus() == 0, "editor hidden, shown flag 0");
        vemomix_init(32000, 2, 0);
        report.expect(!IsWindowEnabled(chain_item(kEqSwitch)), "equaliser switch greyed at 32000 Hz");
        vemomix_init(44100, 2, 0);
        report.eq(order(), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,", "order");
        report.eq(each(16, [](int r) { return list().GetItemText(r, 2); }), Names(16, "无效"), "state column");
    });
    if (window() == nullptr) return;

    report.run("display modes: 关闭 alone in mode 0; a mode change while shown changes the buttons at once", [] {
        vemomix_set_dispmode(0);
        vemomix_setdisp(1);
        pump(100);
        for (auto [mode, buttons] : {std::pair{0, "关闭 "}, {1, "放弃 确认 播放 停止 "}, {2, "载入 保存 "}}) {
            if (mode != 0) vemomix_set_dispmode(mode);  // while shown
            report.eq(nums(visible(win().m_hWnd), vemomix_get_dispstatus()), nums(1, 1), named("mode ", mode) + ": shown, shown flag");
            report.eq(shown_buttons(), buttons, named("mode ", mode) + " buttons");
            if (mode == 1) save_png(win().m_hWnd, "editor_mode1.png");
        }
    });

    // Moves at the ends and the colours of a moved row are the model's (tests/unit/test_chain_walk.cpp).
    report.run("rows moved with 上移 and 下移; 回响效果器 checked turns its row to 有效; vemomix_setecho checks it", [] {
        move_type_to(7, 3);
        report.eq(order(), "1,2,3,7,4,5,6,8,9,10,11,12,13,14,15,16,", "order after the moves");
        report.eq(list().SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 3, "selected row");
        click(chain_item(kEchoSwitch));
        report.eq(nums(checked(chain_item(kEchoSwitch)), engine().enabled[7].load()), nums(1, 1), "switch checked, echo flag set");
        report.eq(list().GetItemText(3, 2), "有效", "state text");
        click(chain_item(kEchoSwitch));
        vemomix_setecho(1);
        report.expect(checked(chain_item(kEchoSwitch)), "echo switch after vemomix_setecho(1)");
        vemomix_setecho(0);
    });

    report.run("bottom buttons: who hides, who notifies the host window and when; host handle 0", [&] {
        struct Row {
            int mode, id;
            bool hides;
            int notified;  // the lParam of the notification, 0 for none
            int32_t host;
        };
        const int32_t h = static_cast<int32_t>(reinterpret_cast<intptr_t>(host));
        const Row rows[] = {{0, 3089, true, 0, h}, {1, 3090, false, 3, h}, {1, 3089, true, 2, h}, {2, 3088, false, 0, h}, {1, 3089, true, 0, 0}};
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
        vemomix_init(44100, 2, 1);
        play_while(25, tones(), [] {});
        pump(100);
        save_png(win().m_hWnd, "editor_levels.png");
    });

    report.run("vemomix_change on another thread while the user moves rows: no deadlock, order kept whole", [] {
        vemomix_init(44100, 2, 1);
        for (int id : {3085, 3069}) click(chain_item(id));
        int moves = 0;
        std::atomic<bool> hold{true};
        play_while(1500, tones(), [&] { move_type_to(15, moves++ % 16), hold = moves < 8; }, &hold);
        std::vector<int> seen(17, 0);
        for (int r = 0; r < list().GetItemCount(); ++r) ++seen[static_cast<size_t>(std::stoi(list().GetItemText(r, 0)))];
        report.expect(moves > 4, "rows moved meanwhile");
        report.eq(std::vector<int>(seen.begin() + 1, seen.end()), std::vector<int>(16, 1), "rows of each type");
        report.eq(engine().enabled[15].load(), 1, "flag kept");
    });

    report.run("vemomix_close while the colour window is shown destroys both", [] {
        HWND old = win().m_hWnd, cw = colours().m_hWnd;
        vemomix_setdisp(1);
        SendMessageW(old, WM_COMMAND, 32775, 0);  // the menu's 窗口换肤
        report.expect(visible(cw), "colour window shown");
        vemomix_close();
        pump(20);
        report.expect(!IsWindow(old) && !IsWindow(cw) && vemomix_get_dispstatus() == 0 && editors() == 0,
                      "both windows gone, shown flag 0");
    });
}

// ------------------------------------------------------------------------------- the equaliser page

// The page's rules are the model's (tests/unit/test_eq_page.cpp); here the controls show the
// model's state and the controls' own messages reach it.
void equaliser_checks() {
    report.run("10 bands at start, 25 in rows of 13 and 12 with the second scale; the model's presets in the combo", [] {
        report.eq(visible_rows(), std::vector<int>{10}, "slider rows at start");
        report.eq(band_positions(10), std::vector<int>(10, 25), "band positions (0 dB)");
        report.eq(nums(visible(eq_item(3080)), pos_of(page().preamp.m_hWnd)), nums(0, 12), "second scale shown, pre-gain position");
        click(eq_item(3071));
        report.eq(visible_rows(), std::vector<int>{13, 12}, "slider rows at 25 bands");
        report.expect(visible(eq_item(3080)), "second scale shown");
        report.eq(combo_names(), editor().eq.combo, "combo items");
        report.eq(page().presets.GetCurSel(), editor().eq.combo_sel, "combo selection");
    });

    report.run("31 bands: every name fits its label, no two labels overlap", [] {
        click(eq_item(3072));
        report.eq(visible_rows(), std::vector<int>{16, 15}, "slider rows at 31 bands");
        std::vector<Text> texts{{page().preamp_label.m_hWnd, "pre-gain"}, {page().presets.m_hWnd, "presets", false, kComboFrame}};
        std::vector<RECT> placed;
        for (int k = 0; k < 31; ++k) {
            HWND l = page().labels[k].m_hWnd;
            const std::wstring text = widen(text_of(l));
            HDC dc = GetDC(l);
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(l, WM_GETFONT, 0, 0)));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            ReleaseDC(l, dc);
            RECT r = rect_of(l), both;
            bool clear = true;
            for (const RECT& o : placed) clear = clear && !IntersectRect(&both, &r, &o);
            report.expect(size.cx <= r.right - r.left && clear, named("band ", k) + " fits its label, clear of those before");
            placed.push_back(r);
            texts.push_back({l, "band-" + text_of(l)});
        }
        for (size_t i = 0; i < page().scales.size(); ++i) texts.push_back({page().scales[i].m_hWnd, named("scale-", int(i))});
        for (CIconButton* b : {&page().band_buttons[0], &page().band_buttons[1], &page().band_buttons[2],
                               &page().band_buttons[3], &page().option, &page().linked})
            texts.push_back({b->m_hWnd, "check-" + text_of(b->m_hWnd), true, {0, 2, 2, 2}});
        save_png(win().m_hWnd, "eq_page_31.png");
        save_texts(win().m_hWnd, "eq_page_31.png", texts);
    });

    report.run("调谐联动, a band and the pre-gain slider reach the model; the neighbours' sliders follow it", [] {
        click(eq_item(kLinkedId));
        slide(page().m_hWnd, page().sliders[0].m_hWnd, 15, WM_VSCROLL);
        report.expect(editor().eq.linked.checked && editor().eq.slider_pos[0] == 15, "调谐联动 and slot 0 in the model");
        report.eq(band_positions(4), each(4, [](int k) { return editor().eq.slider_pos[k]; }), "slots 0-3 as the model has them");
        report.expect(pos_of(page().sliders[1].m_hWnd) != 25, "slot 1 moved with slot 0");
        click(eq_item(kLinkedId));
        slide(page().m_hWnd, page().preamp.m_hWnd, 20, WM_HSCROLL);
        report.eq(editor().eq.preamp_pos, 20, "pre-gain position");
    });

    report.run("preset choice: the combo's selection reaches the model, the sliders show its curve", [] {
        click(eq_item(3069));
        pick(page().presets, page().m_hWnd, 3081, 2);
        report.eq(editor().eq.combo_sel, 2, "selection in the model");
        report.eq(band_positions(10), each(10, [](int k) { return editor().eq.slider_pos[k]; }), "slider positions");
        report.expect(band_positions(10) != std::vector<int>(10, 25), "a curve, not flat");
        save_png(win().m_hWnd, "eq_page_10.png");
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

// Which swatch a colour checks and what a drag does are the model's
// (tests/unit/test_colour_scheme.cpp); here the window's controls show and drive it.
void colour_checks() {
    report.run("opened while the main colour is 0x00084808 the second swatch is checked, the sliders show it", [] {
        editor().colours.scheme.set_main_colour(0x00084808);
        SendMessageW(win().m_hWnd, kEditorCommand, 1333999, 4);  // what the menu's 窗口换肤 sends
        pump(50);
        HWND cw = colours().m_hWnd;
        report.expect(visible(cw), "colour window shown");
        report.eq(each(5, [](int i) { return checked(colours().swatches[i].m_hWnd); }),
                  std::vector<bool>{false, true, false, false, false}, "swatches checked");
        report.eq(each(4, [](int i) { return pos_of(colours().sliders[i].m_hWnd); }), std::vector<int>{8, 72, 8, 255},
                  "slider positions");
        const RECT e = rect_of(win().m_hWnd);
        SetWindowPos(cw, HWND_TOPMOST, e.right + 16, e.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        save_png(cw, "colour_window.png");
    });
    report.run("dragging red: the custom swatch follows while the thumb is held, the editor takes it on release", [] {
        const Colour before = editor().colours.scheme.main_colour;
        HWND red = colours().sliders[0].m_hWnd;
        drag(red, 40, true, false);
        const int r = pos_of(red);
        const Colour custom = rgb(r, 0x48, 0x08);
        report.expect(r > 0x08, "the thumb moved right of 8");
        COLORREF swatch = 0;
        colours().swatches[4].GetColor(CIconButton::kBkOut, &swatch);
        report.eq(nums(swatch, checked(colours().swatches[4].m_hWnd), text_of(colours().values[0].m_hWnd) == std::to_string(r)),
                  nums(custom, 1, 1), "custom swatch colour and check, red value label");
        auto scheme = [] { return nums(editor().colours.scheme.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor()); };
        report.eq(scheme(), nums(before, before, before), "while dragging: main colour, caption strip, equaliser combo");
        drag(red, 0, false, true);
        report.eq(scheme(), nums(custom, custom, custom), "after release: main colour, caption strip, equaliser combo");
    });
    report.run("保存 writes quillaret.ini beside the executable and hides the colour window", [] {
        const std::string ini = settings_file_path(host_executable_dir());
        DeleteFileA(ini.c_str());
        click(colours().save.m_hWnd);
        report.expect(!visible(colours().m_hWnd) && !editor().colours.window.shown, "hidden after 保存");
        report.expect(file_size(ini) > 0, "settings file written beside the executable");
        DeleteFileA(ini.c_str());
    });
}

// ------------------------------------------------------------------------------- the parameter page

void choose_effect(int type) { pick(params().chooser, params().m_hWnd, IDC_PARAM_CHOOSER, type - 1); }
// The rows on screen as "label|track step|value" (with "!" when the value lies outside the
// slider), or "label|[x] 开启" for a check box.
Names param_rows() {
    Names rows;
    const COLORREF outside = page_colours(editor().colours.scheme).outside;
    for (int r = 0; r < ParamPageView::kRows; ++r) {
        const std::string label = text_of(params().labels[r].m_hWnd) + "|";
        if (visible(params().checks[r].m_hWnd)) {
            rows.push_back(label + (checked(params().checks[r].m_hWnd) ? "[x] " : "[ ] ") + text_of(params().checks[r].m_hWnd));
            continue;
        }
        if (!visible(params().sliders[r].m_hWnd)) continue;
        rows.push_back(label + std::to_string(pos_of(params().sliders[r].m_hWnd)) + "|" + text_of(params().values[r].m_hWnd) +
                       (params().values[r].GetTextColor() == outside ? "!" : ""));
    }
    return rows;
}
EffectSettings record() {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    return s;
}
// Where the thumb stands, as a share of its track.
double thumb_share(HWND slider) {
    const auto max = SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), min = SendMessageW(slider, TBM_GETRANGEMIN, 0, 0);
    return max > min ? static_cast<double>(pos_of(slider) - min) / static_cast<double>(max - min) : -1;
}

// The rows' arithmetic and texts are the model's (tests/unit/test_param_page.cpp); here the
// chooser, the switch, the sliders and the check boxes reach it, and the rows show it.
void param_checks() {
    report.run("效果参数: echo's rows; the switch reads 开启 ticked or not and reaches the record, as the delay slider does", [] {
        click_tab(2);
        report.expect(visible(params().m_hWnd) && editor().current_tab == 2, "parameter page shown");
        choose_effect(kEcho);
        report.eq(param_rows(), Names{"延时|6|0.6 秒", "反馈|5|50 %"}, "rows");
        report.eq(nums(text_of(params().on_switch.m_hWnd) == "开启", checked(params().on_switch.m_hWnd)), nums(1, 0), "switch caption, tick");
        click(params().on_switch.m_hWnd);
        report.eq(nums(engine().enabled[kEcho].load(), checked(chain_item(kEchoSwitch)), text_of(params().on_switch.m_hWnd) == "开启"),
                  nums(1, 1, 1), "echo on, chain page switch checked, caption still 开启");
        slide(params().m_hWnd, params().sliders[0].m_hWnd, 3, WM_HSCROLL);
        report.eq(record().echo_delay_s, 0.3f, "echo_delay_s in the record");
        report.eq(param_rows()[0], "延时|3|0.3 秒", "delay row");
    });
    report.run("overdrive: 520 ohms 1.7 of 4 decades into its track; the low-pass a check box that reaches the record", [] {
        choose_effect(kOverdrive);
        const double share = thumb_share(params().sliders[0].m_hWnd);
        report.expect(share > 0.42 && share < 0.44, "drive thumb at 520 ohms: share " + std::to_string(share));
        report.eq(param_rows()[2], "低通滤波|[ ] 开启", "low-pass row");
        click(params().checks[2].m_hWnd);
        report.eq(nums(record().odrive_lowpass_on, checked(params().checks[2].m_hWnd)), nums(1, 1), "low-pass on, box ticked");
    });
    report.run("the fifteen pages with their texts saved; phase inversion says it has none, 缺省 greyed; equal margins", [] {
        vemomix_init(44100, 2, 1);
        click_tab(2);
        for (int t = 2; t <= kEffectCount; ++t) {
            choose_effect(t);
            const std::string png = "param_" + std::string(kEffects[t].key) + ".png";
            save_png(win().m_hWnd, png);
            std::vector<Text> texts{{params().heading.m_hWnd, "heading"}, {params().chooser.m_hWnd, "chooser", false, kComboFrame},
                                    {params().on_switch.m_hWnd, "switch", true, {0, 2, 2, 2}},
                                    {params().defaults.m_hWnd, "defaults", false, kButtonFrame}, {params().note.m_hWnd, "note"}};
            for (int r = 0; r < ParamPageView::kRows; ++r)
                for (auto [h, name] : {std::pair{params().labels[r].m_hWnd, "label-"}, {params().values[r].m_hWnd, "value-"}})
                    texts.push_back({h, named(name, r)});
            texts.push_back({params().checks[2].m_hWnd, "check-2", true, {0, 2, 2, 2}});
            save_texts(win().m_hWnd, png, texts);
            if (t == kPhaseInvert)
                report.eq(nums(text_of(params().note.m_hWnd) == "此音效没有可调参数", IsWindowEnabled(params().defaults.m_hWnd),
                               param_rows().size()), nums(1, 0, 0), "phase inversion: note, 缺省 enabled, rows");
        }
        const RECT page = rect_of(params().m_hWnd), box = rect_of(params().GetDlgItem(IDC_PARAM_ROW_BOX));
        report.eq(box.left - page.left, page.right - box.right, "margin left of the rows, right of them");
    });
}

// ------------------------------------------------------------------------------- the toolkit
// One property of each kind of part the toolkit makes, on the real editor's parts.
void toolkit_checks() {
    report.run("toolkit: frame hit-test, check button double click, list cells of a row, control exchange, hook chain", [] {
        if (!report.expect(window() != nullptr, "an editor window")) return;
        HWND ed = win().m_hWnd;
        const RECT wr = rect_of(ed);
        auto hit = [&](int x, int y) { return SendMessageW(ed, WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y)); };
        report.eq(nums(hit(wr.right - wr.left - 15, 12), hit(3, 100)), nums(HTCLOSE, HTCLIENT), "close box, left edge (not sizable)");
        CIconButton& check = win().chain.switches[kPitchChanger];
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(check.m_hWnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(4, 4));
        pump(20);
        report.eq(nums(check.GetCheck(), engine().enabled[kPitchChanger].load()), nums(0, 0), "a double click is a second click");
        list().SetItemTextColor(3, -1, 0x00123456);
        report.eq(each(3, [](int c) { return list().GetItemTextColor(3, c); }), nums(0x123456, 0x123456, 0x123456), "row 3 text, column -1");
        int pos = 7;
        CDataExchange load_eq(&page(), false);
        DDX_Slider(load_eq, EqPageView::kPreampId, pos);
        report.eq(pos_of(page().preamp.m_hWnd), 7, "trackbar loaded by control exchange");
        // Three hooks on one window, the middle one taken out: the newest links past it.
        HWND hwnd = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        CSubclassWnd a, b, c;
        for (CSubclassWnd* h : {&a, &b, &c}) h->HookWindow(hwnd);
        b.HookWindow(nullptr);
        report.expect(CSubclassWnd::FirstHook(hwnd) == &c && c.m_pNext == &a, "the newest heads and links past the removed hook");
        DestroyWindow(hwnd);
        report.expect(!c.IsHooked() && CSubclassWnd::FirstHook(hwnd) == nullptr, "WM_NCDESTROY releases the chain");
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
    editor_checks(host);  // ends with vemomix_close

    // The equaliser page, the colour window and the parameter page in a new session.
    vemomix_set_mainwnd(0);
    vemomix_begin();
    vemomix_init(44100, 2, 1);
    if (window() != nullptr) {
        SetWindowPos(win().m_hWnd, HWND_TOPMOST, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        editor().select_tab(1);
        pump(200);
        equaliser_checks();
        colour_checks();
        param_checks();
    }
    toolkit_checks();
    vemomix_close();
    DestroyWindow(host);
    return report.finish("editor");
}
