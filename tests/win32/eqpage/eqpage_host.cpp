// Wine tests of the equaliser page (3001), the preset name dialog (3016) and the colour settings
// window (3058) inside the real editor: the host calls the exports, then clicks, drags and types
// through window messages as a user would, answers the modal windows from a timer, and checks
// the controls and the model behind them. Screenshots of the page at each band count, of the
// name dialog and of the colour window go to the given directory as PNG.
//   eqpage_host <screenshot directory>          the last line reads "eqpage: N passed, M failed"
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../host_checks.h"
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
using host::named;
using host::nums;

namespace {

host::Report report;
std::string shot_dir;

EditorWindow& win() { return *static_cast<Win32Backend&>(editor().backend()).window(); }
EqPageView& page() { return win().eq; }
ColourWindowView& colours() { return *win().colour; }
HWND item(int id) { return page().GetDlgItem(id); }

void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    pump(20);
}
int pos_of(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }
std::vector<long long> slider_positions(int n) {
    std::vector<long long> v;
    for (int k = 0; k < n; ++k) v.push_back(pos_of(page().sliders[static_cast<size_t>(k)].m_hWnd));
    return v;
}
std::vector<long long> band_buttons_checked() {
    std::vector<long long> v;
    for (int id : EqPageView::kBandButtonIds) v.push_back(checked(item(id)));
    return v;
}
long long file_size(const std::string& path) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    return f ? static_cast<long long>(f.tellg()) : -1;
}
bool save_png(HWND hwnd, const std::string& name, bool settle = true) {
    return report.expect(save_window_png(hwnd, shot_dir + "\\" + name, settle), "screenshot " + name + " written");
}

// The band sliders on screen, as the number of sliders in each row from the top; every row
// runs left to right.
std::vector<long long> visible_rows() {
    std::vector<long long> counts;
    LONG top = -100000, left = -100000;
    for (CColorSlider& s : page().sliders) {
        if (!IsWindowVisible(s.m_hWnd) || !IsWindowEnabled(s.m_hWnd)) continue;
        const RECT r = rect_of(s.m_hWnd);
        if (r.top > top) counts.push_back(0), top = r.top, left = -100000;
        if (r.top != top || r.left <= left) return {-1};  // out of order
        ++counts.back();
        left = r.left;
    }
    return counts;
}

std::vector<std::string> combo_names() {
    std::vector<std::string> names;
    for (int i = 0; i < page().presets.GetCount(); ++i) names.push_back(page().presets.GetName(i));
    return names;
}

void choose_preset(int i) {
    page().presets.SetCurSel(i);
    SendMessageW(page().m_hWnd, WM_COMMAND, MAKEWPARAM(EqPageView::kComboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(page().presets.m_hWnd));
    pump(20);
}

// What a trackbar tells its page when the user lets its thumb go at pos.
void move_slider(HWND s, int pos, UINT scroll = WM_VSCROLL) {
    SendMessageW(s, TBM_SETPOS, TRUE, pos);
    SendMessageW(page().m_hWnd, scroll, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(s));
    pump(20);
}
void move_band(int slot, int pos) { move_slider(page().sliders[static_cast<size_t>(slot)].m_hWnd, pos); }

// ------------------------------------------------------------------------------- the modal windows
// A thread timer plays the user in front of the modal windows the page opens: it answers each
// message box (remembering its caption, text and buttons, and whether the name dialog was still
// open under it) and types the next queued name into the preset name dialog, or gives up with
// 放弃 when none is left.
namespace modal {

std::vector<std::string> boxes;  // "caption|text|ok" or "...|yes/no", "+" when over the name dialog
std::deque<int> answers;         // for yes/no boxes; IDNO when none is queued
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
        int answer = IDOK;
        if (yes_no) answer = answers.empty() ? IDNO : answers.front();
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

// ------------------------------------------------------------------------------- equaliser page

void band_counts() {
    report.run("10 bands at start: one row of 10 named, coloured sliders at 0 dB and the 10-band presets", [] {
        report.eq(visible_rows(), nums(10), "slider rows");
        const char* names[10] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"};
        // Below 800 Hz green, below 4 kHz blue, below 8 kHz red, else white.
        const COLORREF colours[10] = {0x0020FF20, 0x0020FF20, 0x0020FF20, 0x0020FF20, 0x0020FF20,
                                      0x00FF0000, 0x00FF0000, 0x000000FF, 0x00FFFFFF, 0x00FFFFFF};
        for (size_t k = 0; k < 10; ++k) {
            const CLabel& label = page().labels[k];
            report.eq(visible(label.m_hWnd) ? text_of(label.m_hWnd) : "(hidden)", names[k], named("band name ", k));
            report.eq(nums(label.GetTextColor(), SendMessageW(page().sliders[k].m_hWnd, TBM_GETRANGEMAX, 0, 0)),
                      nums(colours[k], 50), named("band ", k) + ": name colour, range max");
        }
        report.eq(slider_positions(10), std::vector<long long>(10, 25), "band positions (0 dB)");
        report.expect(!visible(page().sliders[10].m_hWnd), "slot 10 hidden");
        report.eq(nums(pos_of(page().preamp.m_hWnd), SendMessageW(page().preamp.m_hWnd, TBM_GETRANGEMAX, 0, 0)), nums(12, 24),
                  "pre-gain position (0 dB) and range max");
        report.expect(visible(item(3077)) && !visible(item(3080)), "only the first scale");
        report.eq(combo_names(), std::vector<std::string>{"10频段缺省模式", "Normal自然模式", "Rock摇滚模式", "POP流行模式",
                                                          "重金属模式", "超低音模式", "重金属超低音模式", "SoftRock柔和模式"},
                  "10-band presets");
        report.eq(page().presets.GetCurSel(), 0, "preset selected");
        report.eq(band_buttons_checked(), nums(1, 0, 0, 0), "band buttons checked");
    });

    struct Case {
        int button, bands;
        std::vector<long long> rows, checked;
        const char* preset;
    };
    const Case cases[3] = {{3070, 15, {15}, {0, 1, 0, 0}, "15频段缺省模式"},
                           {3071, 25, {13, 12}, {0, 0, 1, 0}, "25频段缺省模式"},
                           {3072, 31, {16, 15}, {0, 0, 0, 1}, "31频段缺省模式"}};
    for (const Case& c : cases) {
        report.run(std::to_string(c.bands) + " bands: rows of " + host::Report::text(c.rows) +
                       ", the second scale only with two rows, the presets of that count",
                   [&] {
                       click(item(c.button));
                       report.eq(visible_rows(), c.rows, "slider rows, left to right, top to bottom");
                       report.eq(nums(editor().eq.band_count, engine().eq.eq_band_count), nums(c.bands, c.bands),
                                 "band count of the page and the engine");
                       report.eq(band_buttons_checked(), c.checked, "band buttons checked");
                       report.eq(visible(item(3080)), c.rows.size() > 1, "second scale shown");
                       report.eq(combo_names(), std::vector<std::string>{c.preset}, "presets of that count");
                       save_png(win().m_hWnd, named("eq_page_", c.bands) + ".png");
                   });
    }
}

void sliders_and_options() {
    report.run("linked tuning: slot 0 to +8 dB takes slot 1 to position 17 and slot 2 to 20; off, none follows", [] {
        click(item(EqPageView::kLinkedId));
        report.expect(editor().eq.linked.checked, "调谐联动 on in the model");
        move_band(0, 15);
        report.eq(slider_positions(4), nums(15, 17, 20, 25), "slots 0-3");
        click(item(EqPageView::kLinkedId));
        move_band(5, 26);
        report.eq(nums(editor().eq.last_gain[5], pos_of(page().sliders[4].m_hWnd)), nums(0, 25),
                  "slot 5 at -0.8 dB kept as 0; slot 4 without 调谐联动");
    });
    report.run("二级调整 writes eq_extra_filter; the pre-gain slider reaches the model; command 8887 resets the ranges", [] {
        click(item(EqPageView::kOptionId));
        const int on = engine().eq.eq_extra_filter.load();
        click(item(EqPageView::kOptionId));
        report.eq(nums(on, engine().eq.eq_extra_filter.load()), nums(1, 0), "eq_extra_filter checked, then un-checked");
        move_slider(page().preamp.m_hWnd, 20, WM_HSCROLL);
        report.eq(editor().eq.preamp_pos, 20, "pre-gain position");
        for (CColorSlider& s : page().sliders) s.SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageW(win().m_hWnd, EditorWindow::kEditorCommand, 8887, 0);
        int wrong = 0;
        for (CColorSlider& s : page().sliders) wrong += s.SendMessage(TBM_GETRANGEMAX) != 50;
        report.eq(wrong, 0, "band sliders with a range other than 0..50");
    });
}

void presets() {
    report.run("preset choice: Rock摇滚模式 puts the 10 sliders at 25 - 1.25 x gain", [] {
        click(item(3069));
        choose_preset(2);
        report.eq(slider_positions(10), nums(15, 17, 32, 15, 27, 20, 15, 12, 12, 12), "slider positions");
        report.eq(page().presets.GetCurSel(), 2, "selection");
        save_png(win().m_hWnd, "eq_page_10.png");
    });
    report.run("save: names that exist (any band count), empty, too long or not in code page 936 are refused with the "
               "dialog open; a new one is kept; 放弃 changes nothing",
               [] {
                   click(item(3072));
                   // 22 Chinese characters are 44 bytes, and 20 more letters make 64.
                   const std::wstring long_name = std::wstring(22, L'音') + std::wstring(20, L'x');
                   modal::reset({L"Rock摇滚模式", L"", long_name, L"音效\U0001F600", L"我的31段"});
                   click(item(EqPageView::kSaveId));
                   report.eq(modal::boxes,
                             std::vector<std::string>{"|输入音效模式名称已存在|ok+", "|必须输入音效模式名称|ok+",
                                                      "|音效模式名称太长，最多63个字节（31个汉字）|ok+",
                                                      "|音效模式名称含有无法保存的字符|ok+"},
                             "message boxes (caption|text|buttons, + over the open name dialog)");
                   report.eq(modal::dialog_visits, 5, "names typed");
                   report.eq(combo_names(), std::vector<std::string>{"31频段缺省模式", "我的31段"}, "31-band presets");
                   report.eq(nums(page().presets.GetCurSel(), file_size(editor().preset_path)), nums(1, 196),
                             "the new preset selected, preset file of one record");
                   const int r = editor().presets.count - 1;
                   report.eq(editor().presets.name_utf8(r) + named(" ", editor().presets.records[r].band_count),
                             "我的31段 31", "record name and band count");
                   modal::reset({});
                   click(item(EqPageView::kSaveId));
                   report.eq(nums(modal::dialog_visits, editor().presets.count, page().presets.GetCount()), nums(1, r + 1, 2),
                             "given up: dialogs shown, records, combo items");
               });
    report.run("save with a full table says so and opens no dialog", [] {
        PresetTable& table = editor().presets;
        const int count = table.count;
        const int32_t gains[31] = {};
        for (int i = 0; !table.full(); ++i) table.add(named("满", i), 15, gains);
        modal::reset({L"不会用到"});
        click(item(EqPageView::kSaveId));
        report.eq(modal::boxes, std::vector<std::string>{"音效模式保存|音效模式已满，请先删除不用的音效模式|ok"}, "message boxes");
        report.eq(nums(modal::dialog_visits, table.count), nums(0, kPresetCapacity), "name dialogs, records");
        while (table.count > count) table.remove_at(table.count - 1);
        report.eq(file_size(editor().preset_path), 196, "preset file size");
    });
    report.run("delete: a built-in preset is refused; a user preset is asked for, kept on No and removed on Yes", [] {
        choose_preset(0);
        modal::reset({});
        click(item(EqPageView::kDeleteId));
        choose_preset(1);
        click(item(EqPageView::kDeleteId));
        report.eq(modal::boxes, std::vector<std::string>{"音效删除|内置音效，无法删除|ok", "音效删除|确认删除音效我的31段 吗|yes/no"},
                  "message boxes");
        report.eq(page().presets.GetCount(), 2, "presets after the refusal and No");
        modal::reset({}, {IDYES});
        click(item(EqPageView::kDeleteId));
        report.eq(modal::boxes.size(), 1, "questions");
        report.eq(combo_names(), std::vector<std::string>{"31频段缺省模式"}, "presets after the delete");
        report.eq(nums(page().presets.GetCurSel(), file_size(editor().preset_path)), nums(0, 0), "selection, preset file size");
    });
}

void engine_init() {
    report.run("engine initialisation resets the page; below 44100 Hz only 10频段 can be chosen", [] {
        click(item(EqPageView::kOptionId));
        click(item(EqPageView::kLinkedId));
        move_band(3, 40);
        vemomix_init(44100, 2, 1);
        pump(50);
        report.eq(nums(checked(item(EqPageView::kOptionId)), checked(item(EqPageView::kLinkedId))), nums(0, 0),
                  "二级调整 and 调谐联动 checked");
        report.eq(band_buttons_checked(), nums(1, 0, 0, 0), "band buttons checked");
        report.eq(slider_positions(32), std::vector<long long>(32, 25), "band positions");
        report.eq(nums(pos_of(page().preamp.m_hWnd), page().presets.GetCurSel()), nums(12, 0), "pre-gain, preset selected");

        vemomix_init(22050, 2, 1);
        editor().select_tab(1);
        pump(50);
        std::vector<long long> enabled;
        for (int id : EqPageView::kBandButtonIds) enabled.push_back(IsWindowEnabled(item(id)) != FALSE);
        report.eq(enabled, nums(1, 0, 0, 0), "band buttons enabled at 22050 Hz");
        click(item(3072));
        click(item(3070));
        report.eq(editor().eq.band_count, 10, "band count");
        report.eq(band_buttons_checked(), nums(1, 0, 0, 0), "band buttons checked");
        vemomix_init(44100, 2, 1);
        editor().select_tab(1);
        pump(50);
        report.expect(IsWindowEnabled(item(3072)) != FALSE, "31频段 enabled again at 44100 Hz");
    });
}

// ------------------------------------------------------------------------------- colour window

// Presses the slider's thumb, drags it by dx pixels and, if asked, lets it go.
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
    SendMessageW(win().m_hWnd, EditorWindow::kEditorCommand, 1333999, 4);  // what the menu's 窗口换肤 sends
    pump(50);
}

int layered_alpha(HWND hwnd) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) return -1;
    if (!GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return -2;
    return alpha;
}

void colour_window() {
    report.run("opened while the main colour is 0x00084808 the second swatch is checked, the sliders show it", [] {
        editor().colours.set_main_colour(0x00084808);
        toggle_colour_window();
        HWND cw = colours().m_hWnd;
        report.expect(visible(cw), "colour window shown");
        std::vector<long long> swatches, positions;
        std::string labels;
        for (size_t i = 0; i < 5; ++i) swatches.push_back(checked(colours().swatches[i].m_hWnd));
        for (size_t i = 0; i < 4; ++i) positions.push_back(pos_of(colours().sliders[i].m_hWnd));
        for (size_t i = 0; i < 4; ++i) labels += text_of(colours().values[i].m_hWnd) + " ";
        report.eq(swatches, nums(0, 1, 0, 0, 0), "swatches checked");
        report.eq(positions, nums(0x08, 0x48, 0x08, 255), "slider positions");
        report.eq(labels, "8 72 8 255 ", "value labels");
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
        report.eq(nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor()),
                  nums(before, before, before), "while dragging: main colour, caption strip, equaliser combo");
        const COLORREF plate = page().preamp.GetColor1();
        drag(red, 0, false, true);
        report.eq(nums(editor().colours.main_colour, win().strip.GetBkColor(), page().presets.GetBkColor(),
                       win().chain.title.GetBkColor(), colours().m_crFill),
                  nums(custom, custom, custom, custom, lighten(custom, 51)),
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
        HWND alpha = colours().sliders[ColourWindowView::kAlphaSlider].m_hWnd;
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
        std::string text;
        report.expect(cp936_to_utf8(bytes, text), "the file is code page 936");
        const ColourScheme& s = editor().colours;
        for (const std::string& line : {std::string("[Lorun音效器]"), named("软件界面类型=", s.header_style),
                                        named("软件界面边框=", s.border_style),
                                        named("软件界面颜色=", settings_colour_value(s.main_colour)),
                                        named("主窗口透明度=", s.window_alpha)})
            report.expect(text.find(line + "\r\n") != std::string::npos, "line " + line + " in the settings file");
        f.close();
        DeleteFileA(ini.c_str());
        toggle_colour_window();
        report.expect(visible(colours().m_hWnd), "shown again");
        SendMessageW(colours().m_hWnd, WM_CLOSE, 0, 0);
        pump(30);
        report.expect(!visible(colours().m_hWnd) && !editor().colour_window.shown, "hidden by closing");
        report.eq(file_size(ini), -1, "settings file size after closing (none)");
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: eqpage_host <screenshot directory>\n");
        return 2;
    }
    shot_dir = argv[1];
    CreateDirectoryA(argv[1], nullptr);
    DeleteFileA(preset_file_path(library_module_dir()).c_str());  // start from the built-in presets
    vemomix_begin();
    vemomix_init(44100, 2, 1);
    if (static_cast<Win32Backend&>(editor().backend()).window() == nullptr) {
        report.run("the editor window is made", [] { report.expect(false, "a window of the Win32 back end"); });
        return report.finish("eqpage");
    }
    SetWindowPos(win().m_hWnd, HWND_TOPMOST, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    editor().select_tab(1);
    pump(200);
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, modal::tick);
    band_counts();
    sliders_and_options();
    presets();
    engine_init();
    colour_window();
    KillTimer(nullptr, timer);
    vemomix_close();
    return report.finish("eqpage");
}
