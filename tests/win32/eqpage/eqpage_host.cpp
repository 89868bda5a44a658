// Wine tests of the equaliser page (3001), the preset name dialog (3016) and the colour settings
// window (3058) inside the real editor: the host calls the exports, then clicks, drags and types
// through window messages as a user would, answers the modal windows from a timer, and checks
// the controls and the model behind them. Screenshots of the page at each band count, of the
// name dialog and of the colour window go to the given directory as PNG.
//   eqpage_host <screenshot directory>
// The last line reads "eqpage: N passed, M failed".
#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <set>
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
using vemo::host::Report;

namespace {

Report report;
std::wstring shot_dir;

EditorWindow& win() { return *static_cast<Win32Backend&>(editor().backend()).window(); }
EqPageView& page() { return win().eq; }
ColourWindowView& colours() { return *win().colour; }

void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    pump(20);
}

bool checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int pos_of(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }
RECT rect_of(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string text_of(HWND hwnd) { return narrow(window_text(hwnd)); }
std::string class_of(HWND hwnd) { return narrow(class_name(hwnd)); }

// The band sliders on screen, as the number of sliders in each row from the top.
std::vector<int> visible_rows() {
    std::vector<std::pair<LONG, int>> rows;  // top, count
    for (CColorSlider& s : page().sliders) {
        if (!IsWindowVisible(s.m_hWnd) || !IsWindowEnabled(s.m_hWnd)) continue;
        const LONG top = rect_of(s.m_hWnd).top;
        auto it = rows.begin();
        while (it != rows.end() && it->first != top) ++it;
        if (it == rows.end())
            rows.emplace_back(top, 1);
        else
            ++it->second;
    }
    std::sort(rows.begin(), rows.end());
    std::vector<int> counts;
    for (const auto& r : rows) counts.push_back(r.second);
    return counts;
}

std::vector<std::string> combo_names() {
    std::vector<std::string> names;
    for (int i = 0; i < page().presets.GetCount(); ++i) names.push_back(page().presets.GetName(i));
    return names;
}

void expect_names(const std::vector<std::string>& want, const char* what) {
    const std::vector<std::string> got = combo_names();
    report.expect_eq(static_cast<long long>(got.size()), static_cast<long long>(want.size()), what);
    for (size_t i = 0; i < got.size() && i < want.size(); ++i)
        if (got[i] != want[i]) report.note(std::string(what) + ": item " + std::to_string(i) + " is \"" + got[i] +
                                           "\", want \"" + want[i] + "\"");
    report.expect(got == want, what);
}

void choose_preset(int item) {
    page().presets.SetCurSel(item);
    SendMessageW(page().m_hWnd, WM_COMMAND, MAKEWPARAM(EqPageView::kComboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(page().presets.m_hWnd));
    pump(20);
}

// What the trackbar tells its page when the user lets its thumb go at pos.
void move_band(int slot, int pos) {
    HWND s = page().sliders[static_cast<size_t>(slot)].m_hWnd;
    SendMessageW(s, TBM_SETPOS, TRUE, pos);
    SendMessageW(page().m_hWnd, WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(s));
    pump(20);
}

long long file_size(const std::string& path) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    return f ? static_cast<long long>(f.tellg()) : -1;
}

bool save_png(HWND hwnd, const wchar_t* name, bool settle = true) {
    const bool ok = save_window_png(hwnd, shot_dir + L"\\" + name, settle);
    if (!ok) report.note("cannot write " + narrow(shot_dir + L"\\" + name));
    return ok;
}

// ------------------------------------------------------------------------------- the modal windows
// A thread timer plays the user in front of the modal windows the page opens: it answers each
// message box (remembering its caption and text) and types the next queued name into the preset
// name dialog, or gives up when none is left.
namespace modal {

struct Box {
    std::string caption, text;
    bool yes_no = false;
    bool over_name_dialog = false;  // the name dialog was still open under it
};
std::vector<Box> boxes;
std::deque<int> answers;  // for yes/no boxes; IDNO when none is queued
std::deque<std::wstring> names;
int dialog_visits = 0;
bool shot_taken = false;

bool is_dialog_class(HWND h) { return IsWindowVisible(h) && class_of(h) == "#32770"; }
bool is_name_dialog(HWND h) { return is_dialog_class(h) && GetDlgItem(h, 3083) != nullptr && class_of(GetDlgItem(h, 3083)) == "Edit"; }
bool is_box(HWND h) {
    return is_dialog_class(h) && !is_name_dialog(h) && (GetDlgItem(h, IDOK) != nullptr || GetDlgItem(h, IDYES) != nullptr);
}

HWND find(bool (*pred)(HWND)) {
    const std::vector<HWND> found = thread_windows(pred);
    return found.empty() ? nullptr : found[0];
}

std::string box_text(HWND box) {
    std::string longest;
    for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (class_of(c) != "Static") continue;
        const std::string t = text_of(c);
        if (t.size() > longest.size()) longest = t;
    }
    return longest;
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = find(is_box)) {
        Box b{text_of(box), box_text(box), GetDlgItem(box, IDYES) != nullptr, find(is_name_dialog) != nullptr};
        int answer = IDOK;
        if (b.yes_no) {
            answer = answers.empty() ? IDNO : answers.front();
            if (!answers.empty()) answers.pop_front();
        }
        boxes.push_back(b);
        press(box, answer);
        return;
    }
    HWND dialog = find(is_name_dialog);
    if (dialog == nullptr) return;
    ++dialog_visits;
    if (names.empty()) {
        press(dialog, 3084);  // "放弃"
        return;
    }
    SetDlgItemTextW(dialog, 3083, names.front().c_str());
    names.pop_front();
    if (!shot_taken) shot_taken = save_png(dialog, L"preset_name_dialog.png", false);
    press(dialog, 3082);  // "确定"
}

void reset(std::deque<std::wstring> typed, std::deque<int> yes_no = {}) {
    boxes.clear();
    names = std::move(typed);
    answers = std::move(yes_no);
    dialog_visits = 0;
}

}  // namespace modal

void expect_box(size_t i, const char* caption, const char* text, bool yes_no) {
    if (i >= modal::boxes.size()) {
        report.expect(false, "a message box", static_cast<long long>(modal::boxes.size()), static_cast<long long>(i + 1));
        return;
    }
    const modal::Box& b = modal::boxes[i];
    if (b.caption != caption || b.text != text || b.yes_no != yes_no)
        report.note("message box " + std::to_string(i) + ": caption \"" + b.caption + "\", text \"" + b.text + "\"" +
                    (b.yes_no ? " (yes/no)" : " (ok)") + "; want \"" + caption + "\", \"" + text + "\"");
    report.expect(b.caption == caption && b.text == text && b.yes_no == yes_no, "message box caption, text and buttons");
}

// ------------------------------------------------------------------------------- equaliser page

const std::vector<std::string> kTenBandPresets = {"10频段缺省模式", "Normal自然模式", "Rock摇滚模式",     "POP流行模式",
                                                  "重金属模式",     "超低音模式",     "重金属超低音模式", "SoftRock柔和模式"};

void band_counts() {
    report.run("10 bands at start: one row of 10 named, coloured sliders at 0 dB and the 10-band presets", [] {
        const std::vector<int> rows = visible_rows();
        report.expect(rows == std::vector<int>{10}, "one row of 10 sliders", rows.empty() ? 0 : rows[0], 10);
        const char* names[10] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"};
        // Below 800 Hz green, below 4 kHz blue, below 8 kHz red, else white.
        const COLORREF colours[10] = {0x0020FF20, 0x0020FF20, 0x0020FF20, 0x0020FF20, 0x0020FF20,
                                      0x00FF0000, 0x00FF0000, 0x000000FF, 0x00FFFFFF, 0x00FFFFFF};
        for (int k = 0; k < 10; ++k) {
            const CLabel& label = page().labels[static_cast<size_t>(k)];
            if (text_of(label.m_hWnd) != names[k]) report.note("label " + std::to_string(k) + " reads " + text_of(label.m_hWnd));
            report.expect(text_of(label.m_hWnd) == names[k] && IsWindowVisible(label.m_hWnd), "band name under its slider");
            report.expect_eq(label.GetTextColor(), colours[k], "band name colour");
            HWND s = page().sliders[static_cast<size_t>(k)].m_hWnd;
            report.expect_eq(SendMessageW(s, TBM_GETRANGEMAX, 0, 0), 50, "band range max");
            report.expect_eq(pos_of(s), 25, "band at 0 dB");
        }
        report.expect(!IsWindowVisible(page().sliders[10].m_hWnd), "slot 10 hidden");
        report.expect_eq(pos_of(page().preamp.m_hWnd), 12, "pre-gain at 0 dB");
        report.expect_eq(SendMessageW(page().preamp.m_hWnd, TBM_GETRANGEMAX, 0, 0), 24, "pre-gain range");
        report.expect(IsWindowVisible(page().GetDlgItem(3077)) && !IsWindowVisible(page().GetDlgItem(3080)),
                      "only the first scale");
        expect_names(kTenBandPresets, "10-band presets");
        report.expect_eq(page().presets.GetCurSel(), 0, "first preset selected");
        report.expect(checked(page().GetDlgItem(3069)) && !checked(page().GetDlgItem(3072)), "10频段 checked");
    });

    struct Case {
        int button, bands;
        std::vector<int> rows;
        const char* preset;
        const wchar_t* shot;
    };
    const Case cases[3] = {{3070, 15, {15}, "15频段缺省模式", L"eq_page_15.png"},
                           {3071, 25, {13, 12}, "25频段缺省模式", L"eq_page_25.png"},
                           {3072, 31, {16, 15}, "31频段缺省模式", L"eq_page_31.png"}};
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.bands) + " bands: rows of " + std::to_string(c.rows[0]) +
                                 (c.rows.size() > 1 ? " and " + std::to_string(c.rows[1]) : std::string()) +
                                 ", the second scale only with two rows, the presets of that count";
        report.run(name.c_str(), [&] {
            click(page().GetDlgItem(c.button));
            const std::vector<int> rows = visible_rows();
            if (rows != c.rows) {
                std::string got;
                for (int n : rows) got += std::to_string(n) + " ";
                report.note("rows: " + got);
            }
            report.expect(rows == c.rows, "slider rows");
            report.expect_eq(editor().eq.band_count, c.bands, "page band count");
            report.expect_eq(engine().eq.eq_band_count, c.bands, "engine band count");
            for (int id : EqPageView::kBandButtonIds)
                report.expect(checked(page().GetDlgItem(id)) == (id == c.button), "only the pressed band button checked");
            report.expect(IsWindowVisible(page().GetDlgItem(3080)) == (c.rows.size() > 1), "second scale");
            expect_names({c.preset}, "presets of that count");
            // Within a row the slots run left to right; the second row stands below the first.
            int left_before = -1000, top_first = rect_of(page().sliders[0].m_hWnd).top;
            for (int k = 0; k < c.rows[0]; ++k) {
                const RECT r = rect_of(page().sliders[static_cast<size_t>(k)].m_hWnd);
                report.expect(r.left > left_before, "slots left to right");
                left_before = r.left;
            }
            if (c.rows.size() > 1)
                report.expect(rect_of(page().sliders[static_cast<size_t>(c.rows[0])].m_hWnd).top > top_first,
                              "second row below the first");
            save_png(win().m_hWnd, c.shot);
        });
    }
}

void sliders_and_options() {
    report.run("linked tuning: slot 0 to +8 dB takes slot 1 to position 17 and slot 2 to 20", [] {
        click(page().GetDlgItem(EqPageView::kLinkedId));
        report.expect(editor().eq.linked.checked, "调谐联动 on in the model");
        move_band(0, 15);
        report.expect_eq(pos_of(page().sliders[0].m_hWnd), 15, "slot 0");
        report.expect_eq(pos_of(page().sliders[1].m_hWnd), 17, "slot 1 (+6 dB)");
        report.expect_eq(pos_of(page().sliders[2].m_hWnd), 20, "slot 2 (+4 dB)");
        report.expect_eq(pos_of(page().sliders[3].m_hWnd), 25, "slot 3 stays");
        click(page().GetDlgItem(EqPageView::kLinkedId));
        move_band(5, 26);
        report.expect_eq(editor().eq.last_gain[5], 0, "-0.8 dB kept as 0");
        report.expect_eq(pos_of(page().sliders[4].m_hWnd), 25, "no neighbour follows with 调谐联动 off");
    });
    report.run("二级调整 writes eq_extra_filter; the pre-gain slider reaches the model", [] {
        click(page().GetDlgItem(EqPageView::kOptionId));
        report.expect_eq(engine().eq.eq_extra_filter.load(), 1, "checked");
        click(page().GetDlgItem(EqPageView::kOptionId));
        report.expect_eq(engine().eq.eq_extra_filter.load(), 0, "un-checked");
        HWND pre = page().preamp.m_hWnd;
        SendMessageW(pre, TBM_SETPOS, TRUE, 20);
        SendMessageW(page().m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 20), reinterpret_cast<LPARAM>(pre));
        report.expect_eq(editor().eq.preamp_pos, 20, "pre-gain position");
    });
    report.run("command 8887 puts every band slider's range back to 0..50", [] {
        for (CColorSlider& s : page().sliders) s.SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageW(win().m_hWnd, EditorWindow::kEditorCommand, 8887, 0);
        int wrong = 0;
        for (CColorSlider& s : page().sliders) wrong += s.SendMessage(TBM_GETRANGEMAX) != 50;
        report.expect_eq(wrong, 0, "sliders with another range");
    });
}

void presets() {
    report.run("preset choice: Rock摇滚模式 puts the 10 sliders at 25 - 1.25 x gain", [] {
        click(page().GetDlgItem(3069));
        choose_preset(2);
        const int want[10] = {15, 17, 32, 15, 27, 20, 15, 12, 12, 12};
        for (int k = 0; k < 10; ++k) report.expect_eq(pos_of(page().sliders[static_cast<size_t>(k)].m_hWnd), want[k], "slider");
        report.expect_eq(page().presets.GetCurSel(), 2, "selection");
        save_png(win().m_hWnd, L"eq_page_10.png");
    });
    report.run("save: names that exist (any band count), empty, too long or not in code page 936 are refused with the "
               "dialog open; a new one is kept", [] {
        click(page().GetDlgItem(3072));
        // 22 Chinese characters are 44 bytes, and 20 more letters make 64.
        const std::wstring long_name = std::wstring(22, L'音') + std::wstring(20, L'x');
        modal::reset({L"Rock摇滚模式", L"", long_name, L"音效\U0001F600", L"我的31段"});
        click(page().GetDlgItem(EqPageView::kSaveId));
        report.expect_eq(static_cast<long long>(modal::boxes.size()), 4, "message boxes");
        expect_box(0, "", "输入音效模式名称已存在", false);
        expect_box(1, "", "必须输入音效模式名称", false);
        expect_box(2, "", "音效模式名称太长，最多63个字节（31个汉字）", false);
        expect_box(3, "", "音效模式名称含有无法保存的字符", false);
        for (const modal::Box& b : modal::boxes) report.expect(b.over_name_dialog, "the name dialog stays open");
        report.expect_eq(modal::dialog_visits, 5, "names typed");
        expect_names({"31频段缺省模式", "我的31段"}, "31-band presets");
        report.expect_eq(page().presets.GetCurSel(), 1, "the new preset selected");
        report.expect_eq(file_size(editor().preset_path), 196, "preset file of one record");
        const int r = editor().presets.count - 1;
        report.expect(editor().presets.name_utf8(r) == "我的31段" && editor().presets.records[r].band_count == 31,
                      "record name and band count");
    });
    report.run("save given up with 放弃 changes nothing", [] {
        const int count = editor().presets.count;
        modal::reset({});
        click(page().GetDlgItem(EqPageView::kSaveId));
        report.expect_eq(modal::dialog_visits, 1, "dialog shown");
        report.expect_eq(editor().presets.count, count, "record count");
        report.expect_eq(page().presets.GetCount(), 2, "combo items");
    });
    report.run("save with a full table says so and opens no dialog", [] {
        PresetTable& table = editor().presets;
        const int count = table.count;
        const int32_t gains[31] = {};
        for (int i = 0; !table.full(); ++i) table.add("满" + std::to_string(i), 15, gains);
        modal::reset({L"不会用到"});
        click(page().GetDlgItem(EqPageView::kSaveId));
        expect_box(0, "音效模式保存", "音效模式已满，请先删除不用的音效模式", false);
        report.expect_eq(modal::dialog_visits, 0, "no name dialog");
        report.expect_eq(table.count, kPresetCapacity, "table unchanged");
        while (table.count > count) table.remove_at(table.count - 1);
        report.expect_eq(file_size(editor().preset_path), 196, "preset file unchanged");
    });
    report.run("delete: a built-in preset is refused; a user preset is asked for, kept on No and removed on Yes", [] {
        choose_preset(0);
        modal::reset({});
        click(page().GetDlgItem(EqPageView::kDeleteId));
        expect_box(0, "音效删除", "内置音效，无法删除", false);
        report.expect_eq(page().presets.GetCount(), 2, "built-in kept");

        choose_preset(1);
        modal::reset({}, {IDNO});
        click(page().GetDlgItem(EqPageView::kDeleteId));
        expect_box(0, "音效删除", "确认删除音效我的31段 吗", true);
        report.expect_eq(page().presets.GetCount(), 2, "kept on No");

        modal::reset({}, {IDYES});
        click(page().GetDlgItem(EqPageView::kDeleteId));
        report.expect_eq(static_cast<long long>(modal::boxes.size()), 1, "one question");
        expect_names({"31频段缺省模式"}, "after the delete");
        report.expect_eq(page().presets.GetCurSel(), 0, "first item selected");
        report.expect_eq(file_size(editor().preset_path), 0, "preset file empty");
    });
}

void engine_init() {
    report.run("engine initialisation resets the page: options off, 10 bands checked, sliders and pre-gain at 0 dB", [] {
        click(page().GetDlgItem(EqPageView::kOptionId));
        click(page().GetDlgItem(EqPageView::kLinkedId));
        move_band(3, 40);
        vemomix_init(44100, 2, 1);
        pump(50);
        report.expect(!checked(page().GetDlgItem(EqPageView::kOptionId)), "二级调整 off");
        report.expect(!checked(page().GetDlgItem(EqPageView::kLinkedId)), "调谐联动 off");
        for (int id : EqPageView::kBandButtonIds) report.expect(checked(page().GetDlgItem(id)) == (id == 3069), "10频段 only");
        int moved = 0;
        for (CColorSlider& s : page().sliders) moved += pos_of(s.m_hWnd) != 25;
        report.expect_eq(moved, 0, "sliders away from 25");
        report.expect_eq(pos_of(page().preamp.m_hWnd), 12, "pre-gain");
        report.expect_eq(page().presets.GetCurSel(), 0, "first preset");
    });
    report.run("below 44100 Hz only 10频段 can be chosen", [] {
        vemomix_init(22050, 2, 1);
        editor().select_tab(1);
        pump(50);
        report.expect(IsWindowEnabled(page().GetDlgItem(3069)) != FALSE, "10频段 enabled");
        for (int id : {3070, 3071, 3072}) report.expect(IsWindowEnabled(page().GetDlgItem(id)) == FALSE, "disabled");
        click(page().GetDlgItem(3072));
        click(page().GetDlgItem(3070));
        report.expect_eq(editor().eq.band_count, 10, "band count");
        report.expect(checked(page().GetDlgItem(3069)) && !checked(page().GetDlgItem(3072)) &&
                          !checked(page().GetDlgItem(3070)),
                      "the 10-band button stays the checked one");
        vemomix_init(44100, 2, 1);
        editor().select_tab(1);
        pump(50);
        report.expect(IsWindowEnabled(page().GetDlgItem(3072)) != FALSE, "enabled again at 44100 Hz");
    });
}

// ------------------------------------------------------------------------------- colour window

// Presses the slider's thumb, drags it by dx pixels and, if asked, lets it go.
void drag(HWND slider, int dx, bool release) {
    RECT thumb{};
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
    SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx / 2, y));
    SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
    if (release) SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
    pump(20);
}

void release(HWND slider) {
    RECT thumb{};
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2));
    pump(20);
}

void toggle_colour_window() {
    // What the editor skin's system menu item "窗口换肤" sends.
    SendMessageW(win().m_hWnd, EditorWindow::kEditorCommand, 1333999, 4);
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
        report.expect(IsWindowVisible(cw) != FALSE, "colour window shown");
        for (size_t i = 0; i < 5; ++i)
            report.expect(checked(colours().swatches[i].m_hWnd) == (i == 1), "only swatch 3070 checked");
        const int want[3] = {0x08, 0x48, 0x08};
        for (size_t i = 0; i < 3; ++i) {
            report.expect_eq(pos_of(colours().sliders[i].m_hWnd), want[i], "channel slider");
            report.expect(text_of(colours().values[i].m_hWnd) == std::to_string(want[i]), "channel value label");
        }
        report.expect(text_of(colours().values[3].m_hWnd) == "255", "alpha value label");
        const RECT e = rect_of(win().m_hWnd);
        SetWindowPos(cw, HWND_TOPMOST, e.right + 16, e.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        save_png(cw, L"colour_window.png");
    });
    report.run("dragging red changes only the custom swatch; releasing re-colours the editor", [] {
        const Colour before = editor().colours.main_colour;
        HWND red = colours().sliders[0].m_hWnd;
        drag(red, 40, false);
        const int r = pos_of(red);
        const Colour custom = rgb(r, 0x48, 0x08);
        report.expect(r > 0x08, "the thumb moved", r, 0x08);
        COLORREF swatch = 0;
        colours().swatches[4].GetColor(CIconButton::kBkOut, &swatch);
        report.expect_eq(swatch, custom, "custom swatch follows the drag");
        report.expect(checked(colours().swatches[4].m_hWnd) && !checked(colours().swatches[1].m_hWnd),
                      "custom swatch checked instead of the preset");
        report.expect(text_of(colours().values[0].m_hWnd) == std::to_string(r), "red value label");
        report.expect_eq(editor().colours.main_colour, before, "main colour unchanged while dragging");
        report.expect_eq(win().strip.GetBkColor(), before, "caption strip unchanged while dragging");
        report.expect_eq(page().presets.GetBkColor(), before, "equaliser combo unchanged while dragging");
        const COLORREF plate = page().preamp.GetColor1();

        release(red);
        report.expect_eq(editor().colours.main_colour, custom, "main colour after release");
        report.expect_eq(win().strip.GetBkColor(), custom, "caption strip re-coloured");
        report.expect_eq(page().presets.GetBkColor(), custom, "equaliser combo re-coloured");
        report.expect(page().preamp.GetColor1() != plate, "equaliser sliders re-coloured");
        report.expect_eq(colours().m_crFill, lighten(custom, 51), "colour window fill");
        report.expect_eq(win().chain.title.GetBkColor(), custom, "chain page re-coloured");
    });
    report.run("换边框 seven times and 换窗头 four times return to the styles shown before", [] {
        const int border = editor().colours.border_style, header = editor().colours.header_style;
        click(colours().border.m_hWnd);
        report.expect(editor().colours.border_style != border, "one press changes the border");
        for (int i = 1; i < 7; ++i) click(colours().border.m_hWnd);
        report.expect_eq(editor().colours.border_style, border, "border after seven presses");
        for (int i = 0; i < 4; ++i) click(colours().header.m_hWnd);
        report.expect_eq(editor().colours.header_style, header, "header after four presses");
    });
    report.run("alpha: moving previews on the colour window, release hands it to the editor, not while disabled", [] {
        vemomix_set_wintran(1);
        HWND alpha = colours().sliders[ColourWindowView::kAlphaSlider].m_hWnd;
        drag(alpha, -60, false);
        const int a = pos_of(alpha);
        report.expect(a < 255 && a >= 120, "alpha moved into 120..254", a, 200);
        report.expect_eq(layered_alpha(colours().m_hWnd), a, "colour window previews the alpha");
        release(alpha);
        report.expect_eq(layered_alpha(colours().m_hWnd), 255, "colour window opaque again");
        report.expect_eq(layered_alpha(win().m_hWnd), a, "editor takes the alpha");
        report.expect(text_of(colours().values[3].m_hWnd) == std::to_string(a), "alpha value label");

        vemomix_set_wintran(0);
        drag(alpha, -30, true);
        const int b = pos_of(alpha);
        report.expect_eq(editor().colours.window_alpha, b, "alpha stored");
        report.expect_eq(layered_alpha(win().m_hWnd), a, "editor keeps the alpha it shows");
        vemomix_set_wintran(1);
    });
    report.run("保存 writes quillaret.ini beside the executable and hides; the close box hides without writing", [] {
        const std::string ini = settings_file_path(host_executable_dir());
        DeleteFileA(ini.c_str());
        click(colours().save.m_hWnd);
        report.expect(IsWindowVisible(colours().m_hWnd) == FALSE && !editor().colour_window.shown, "hidden after 保存");
        std::string bytes;
        {
            std::ifstream f(ini, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        }
        std::string text;
        report.expect(cp936_to_utf8(bytes, text), "the file is code page 936");
        const ColourScheme& s = editor().colours;
        for (const std::string& line :
             {std::string("[Lorun音效器]"), "软件界面类型=" + std::to_string(s.header_style),
              "软件界面边框=" + std::to_string(s.border_style),
              "软件界面颜色=" + std::to_string(settings_colour_value(s.main_colour)),
              "主窗口透明度=" + std::to_string(s.window_alpha)}) {
            if (text.find(line + "\r\n") == std::string::npos) report.note("missing line " + line);
            report.expect(text.find(line + "\r\n") != std::string::npos, "line in the settings file");
        }
        DeleteFileA(ini.c_str());
        toggle_colour_window();
        report.expect(IsWindowVisible(colours().m_hWnd) != FALSE, "shown again");
        SendMessageW(colours().m_hWnd, WM_CLOSE, 0, 0);
        pump(30);
        report.expect(IsWindowVisible(colours().m_hWnd) == FALSE && !editor().colour_window.shown, "hidden by closing");
        report.expect_eq(file_size(ini), -1, "no settings file written by closing");
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: eqpage_host <screenshot directory>\n");
        return 2;
    }
    shot_dir = widen(argv[1]);
    CreateDirectoryW(shot_dir.c_str(), nullptr);
    // The page starts from the built-in presets: no preset file from an earlier run.
    DeleteFileA(preset_file_path(library_module_dir()).c_str());

    vemomix_begin();
    vemomix_init(44100, 2, 1);
    if (static_cast<Win32Backend&>(editor().backend()).window() == nullptr) {
        std::printf("eqpage: 0 passed, 1 failed\n");
        return 1;
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
    report.run("the preset name dialog was captured", [] { report.expect(modal::shot_taken, "screenshot taken"); });

    KillTimer(nullptr, timer);
    vemomix_close();
    std::printf("eqpage: %d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
