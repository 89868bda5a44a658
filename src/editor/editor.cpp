#include "editor/editor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "editor/preset_file.h"
#include "editor/settings_file.h"
#include "editor/text_codec.h"
#include "engine/engine.h"

namespace vemo {

std::unique_ptr<EditorBackend> make_platform_backend();

Editor& editor() {
    static Editor* instance = new Editor(vemo::engine());
    return *instance;
}

int ChainRow::type() const { return parse_leading_int(cells[0].text); }

int band_slider_pos(double gain_db) {
    // A trackbar keeps its position inside its range, so far-out gains sit at an end.
    const double pos = 25.0 - 1.25 * gain_db;
    if (!(pos > 0.0)) return 0;
    return pos >= 50.0 ? 50 : static_cast<int>(pos);
}

int preamp_slider_pos(int32_t pos) { return std::clamp(pos, 0, 24); }

int band_slider_gain(int pos) { return static_cast<int>(20.0 - pos * 20 * 0.04); }

Editor::Editor(EngineState& engine) : engine_(engine), backend_(make_platform_backend()) {
    presets.build_builtins();
    for (int t = 1; t <= kEffectCount; ++t) chain.switches[t].caption = std::string(effect_list_text(t));
    // The check button of type 14 is shorter than the list text.
    chain.switches[kSuperBass].caption = "超重低音器";
    eq.slider_pos.fill(25);
    for (int i = 0; i < 4; ++i) eq.band_buttons[i].caption = std::to_string(kBandButtonCounts[i]) + "频段";
    eq.band_buttons[0].checked = true;
    eq.option.caption = "二级调整";
    eq.linked.caption = "调谐联动";
    chain.bottom[0].caption = "载入";
    chain.bottom[1].caption = "保存";
    chain.bottom[2].caption = "播放";
    chain.bottom[3].caption = "停止";
    colour_window.send_command = [this](int code, int arg) { on_colour_command(code, arg); };
}

// ---------------------------------------------------------------- host side

void Editor::begin() {
    preset_path = preset_file_path(backend_->library_dir());
    if (!exists_) {
        // The skin starts from its defaults on every creation, before any window reads them;
        // nothing is read back.
        colours = ColourScheme{};
        colour_window.reset();
        editor_alpha = colour_window_alpha = 255;
        backend_->create_windows();
        exists_ = true;
        // Initial steps of both pages: the default rows; the presets, read from the file
        // only here, and the 10-band page.
        default_chain();
        presets.build_builtins();
        preset_file_load(presets, preset_path);
        eq.band_count = engine_.eq.eq_band_count;
        eq_fill_combo();
        eq_layout();
    }
    hide_editor();
}

void Editor::on_engine_init(int rate, int, int show) {
    if (!exists_) return;
    chain.switches[kGraphicEq].enabled = rate_supported(rate);
    select_tab(0);
    if (show == 1) set_display(1);
    int w = 0, h = 0;
    backend_->strip_client_size(w, h);
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        set_strip_geometry(e.levels, w, h);
    }
    eq_page_reset();
    wah_page = WahParams{};
    bass_page = SuperBassParams{};
    vibrato_page = VibratoParams{};
    param_refresh();
    default_chain();
    backend_->model_changed(ModelPart::kChainPage);
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::set_display(uint8_t show) {
    if (!exists_) return;
    if (show == 1) {
        apply_button_set(false);
        on_chain_page_shown();
        backend_->show_editor(true);
    } else {
        backend_->show_editor(false);
    }
    shown = show;
    engine_.capture_levels.store(shown == 1, std::memory_order_relaxed);
}

void Editor::set_display_mode(int32_t mode) {
    display_mode = mode;
    apply_button_set(true);
}

void Editor::set_switch(int type, bool on) {
    if (!exists_ || !is_effect_type(type)) return;
    chain.switches[type].checked = on;
    if (type == param.effect) param.effect_on = on;
    backend_->model_changed(ModelPart::kChainPage);
    backend_->model_changed(ModelPart::kParamPage);
}

void Editor::close() {
    if (exists_) backend_->destroy_windows();
    exists_ = false;
    colour_window.shown = false;
    shown = 0;
    engine_.capture_levels.store(false, std::memory_order_relaxed);
}

void Editor::hide_editor() {
    if (exists_) backend_->show_editor(false);
    shown = 0;
    engine_.capture_levels.store(false, std::memory_order_relaxed);
}

void Editor::select_tab(int index) {
    if (index < 0 || index > 2) return;
    current_tab = index;
    if (index == 0) on_chain_page_shown();
    if (index == 2) param_refresh();
    backend_->model_changed(ModelPart::kMainWindow);
}

void Editor::on_editor_command(int64_t code, int64_t arg) {
    if (code == kCmdFrame) {
        if (arg == kFrameHide) {
            hide_editor();
            colour_window.on_close();
            backend_->model_changed(ModelPart::kColours);
        } else if (arg == kFrameColourWindow || arg == kFrameSkin) {
            toggle_colour_window();
        } else if (arg == kFrameAbout) {
            select_tab(5);  // there is no tab 5: nothing changes
        }
    } else if (code == kCmdPreviewAlpha || code == kCmdApplyAlpha || code == kCmdRecolour) {
        on_colour_command(static_cast<int>(code), static_cast<int>(std::clamp<int64_t>(arg, INT32_MIN, INT32_MAX)));
    } else if (code == kCmdResetBandRanges) {
        backend_->model_changed(ModelPart::kEqPage);
    }
}

void Editor::apply_button_set(bool from_dispmode) {
    auto& b = chain.bottom;
    if (display_mode <= 0) {
        b[0].visible = false;
        b[1].visible = true;
        b[1].caption = "关闭";
        b[2].visible = from_dispmode;
        b[3].visible = false;
    } else if (display_mode == 1) {
        b[0].visible = b[1].visible = b[2].visible = b[3].visible = true;
        b[0].caption = "放弃";
        b[1].caption = "确认";
    } else {
        b[0].visible = b[1].visible = true;
        b[0].caption = "载入";
        b[1].caption = "保存";
        b[2].visible = b[3].visible = false;
    }
    if (exists_) backend_->model_changed(ModelPart::kChainPage);
}

// ---------------------------------------------------------------- chain page

void Editor::colour_row(ChainRow& row, bool on) const {
    row.image = on ? 0 : 1;
    if (on) {
        row.cells[2].text = "有效";
        for (auto& c : row.cells) c.text_colour = rgb(255, 255, 255), c.back_colour = 0x001010FFu;
    } else {
        row.cells[2].text = "无效";
        row.cells[0].text_colour = rgb(255, 255, 255);
        row.cells[0].back_colour = colours.main_colour;
        row.cells[1].text_colour = 0x0000FFFFu;
        row.cells[1].back_colour = colours.cell_shade_1;
        row.cells[2].text_colour = 0x000000FFu;
        row.cells[2].back_colour = colours.cell_shade_2;
    }
}

void Editor::clear_chain() {
    chain.rows.clear();
    chain.selected_row = -1;
    publish_chain();
}

void Editor::append_chain_row(int type, bool on) {
    ChainRow row;
    row.cells[0].text = std::to_string(type);
    row.cells[1].text = std::string(effect_list_text(type));
    row.cells[2].text = on ? "有效" : "无效";
    row.image = on ? 0 : 1;
    chain.rows.push_back(std::move(row));
    if (chain.rows.size() <= kChainStages) publish_chain();
}

void Editor::default_chain() {
    EngineState& e = engine_;
    for (int t = 1; t <= 12; ++t) chain.switches[t].checked = e.enabled[t].load(std::memory_order_relaxed) == 1;
    chain.rows.clear();
    for (int t = 1; t <= kEffectCount; ++t) append_chain_row(t, false);
    chain.selected_row = -1;
    publish_chain();
}

void Editor::publish_chain() const {
    uint8_t types[kChainStages] = {};
    const int n = static_cast<int>(std::min<size_t>(chain.rows.size(), kChainStages));
    for (int r = 0; r < n; ++r) {
        const int t = chain.rows[r].type();
        types[r] = static_cast<uint8_t>(is_effect_type(t) ? t : 0);
    }
    engine_publish_chain(engine_, types, n);
}

void Editor::on_switch_clicked(int type, bool checked) {
    if (!is_effect_type(type)) return;
    chain.switches[type].checked = checked;
    engine_.enabled[type].store(checked ? 1 : 0, std::memory_order_relaxed);
    const int n = static_cast<int>(std::min<size_t>(chain.rows.size(), kChainStages));
    for (int r = 0; r < n; ++r) {
        if (chain.rows[r].type() == type) {
            colour_row(chain.rows[r], checked);
            break;
        }
    }
    if (type == param.effect) param.effect_on = checked;
    backend_->model_changed(ModelPart::kChainPage);
    backend_->model_changed(ModelPart::kParamPage);
}

void Editor::select_row(int row) {
    chain.selected_row = (row >= 0 && row < static_cast<int>(chain.rows.size())) ? row : -1;
}

void Editor::move_selected_up() {
    const int s = chain.selected_row;
    if (chain.rows.size() < 3 || s <= 0 || s >= static_cast<int>(chain.rows.size())) return;
    ChainRow moved;
    for (int c = 0; c < 3; ++c) moved.cells[c].text = chain.rows[s].cells[c].text;
    moved.image = chain.rows[s].image;
    chain.rows.erase(chain.rows.begin() + s);
    chain.rows.insert(chain.rows.begin() + (s - 1), std::move(moved));
    chain.selected_row = s - 1;
    publish_chain();
    backend_->model_changed(ModelPart::kChainPage);
}

void Editor::move_selected_down() {
    const int s = chain.selected_row;
    const int n = static_cast<int>(chain.rows.size());
    if (n < 3 || s < 0 || s >= n - 1) return;
    ChainRow moved;
    for (int c = 0; c < 3; ++c) moved.cells[c].text = chain.rows[s].cells[c].text;
    moved.image = chain.rows[s].image;
    chain.rows.erase(chain.rows.begin() + s);
    chain.rows.insert(chain.rows.begin() + (s + 1), std::move(moved));
    chain.selected_row = s + 1;
    publish_chain();
    backend_->model_changed(ModelPart::kChainPage);
}

void Editor::on_bottom_button(int which) {
    if (display_mode == 1) {
        if (which == kButtonSetCancel || which == kButtonSetConfirm) hide_editor();
        backend_->notify_host(host_window, which + 1);
    } else if (which == kButtonSetConfirm) {
        hide_editor();
    }
}

void Editor::on_chain_page_shown() {
    EngineState& e = engine_;
    for (int t = 1; t <= kEffectCount; ++t) chain.switches[t].checked = e.enabled[t].load(std::memory_order_relaxed) == 1;
}

// ---------------------------------------------------------------- equaliser page

namespace {

// The integer part of a gain; a neighbour's gain is not limited, but it must fit.
int32_t gain_integer_part(double g) {
    if (g >= 2147483647.0) return INT32_MAX;
    if (g <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(g);
}

enum class BandFamily { kGreen, kBlue, kRed, kWhite };

BandFamily band_family(double freq_hz) {
    if (freq_hz < 800.0) return BandFamily::kGreen;
    if (freq_hz < 4000.0) return BandFamily::kBlue;
    if (freq_hz < 8000.0) return BandFamily::kRed;
    return BandFamily::kWhite;
}

}  // namespace

Colour eq_band_label_colour(double freq_hz) {
    switch (band_family(freq_hz)) {
        case BandFamily::kGreen: return 0x0020FF20u;
        case BandFamily::kBlue: return 0x00FF0000u;
        case BandFamily::kRed: return 0x000000FFu;
        case BandFamily::kWhite: break;
    }
    return 0x00FFFFFFu;
}

Colour eq_band_slider_colour(double freq_hz, int index_in_family) {
    // Each further band of a family is a step darker, so neighbours stay apart.
    const int s = std::clamp(index_in_family, 0, 15) * 8;
    switch (band_family(freq_hz)) {
        case BandFamily::kGreen: return rgb(32, 255 - s, 32);
        case BandFamily::kBlue: return rgb(s / 2, s / 2, 255 - s);
        case BandFamily::kRed: return rgb(255 - s, s / 2, s / 2);
        case BandFamily::kWhite: break;
    }
    return rgb(255 - s, 255 - s, 255 - s);
}

EqSlotPlace eq_slot_place(const EqRect& frame, int slider_w, int slider_h, int label_w, int label_h, int rows,
                          int row, int column, int in_row) {
    rows = std::max(rows, 1);
    in_row = std::max(in_row, 1);
    const int row_h = frame.height() / rows;
    const int pitch = frame.width() / in_row;
    const int cell_left = frame.left + (frame.width() - pitch * in_row) / 2 + pitch * column;
    const int top = frame.top + row_h * row + (row_h - slider_h - label_h) / 2;
    EqSlotPlace p;
    p.slider = {cell_left + (pitch - slider_w) / 2, top, cell_left + (pitch - slider_w) / 2 + slider_w, top + slider_h};
    p.label = {cell_left + (pitch - label_w) / 2, p.slider.bottom, cell_left + (pitch - label_w) / 2 + label_w,
               p.slider.bottom + label_h};
    return p;
}

void Editor::eq_set_band_button(int n) {
    for (int i = 0; i < 4; ++i) eq.band_buttons[i].checked = kBandButtonCounts[i] == n;
}

void Editor::eq_fill_combo() {
    eq.combo.clear();
    for (int i = 0; i < presets.count; ++i)
        if (presets.records[i].band_count == eq.band_count) eq.combo.push_back(presets.name_utf8(i));
    eq.combo_sel = eq.combo.empty() ? -1 : 0;
}

namespace {
// The band tables above 10 bands exist only from 44100 Hz on.
void enable_band_buttons(EqPage& eq, int rate) {
    for (int i = 1; i < 4; ++i) eq.band_buttons[i].enabled = rate >= 44100;
}
}  // namespace

void Editor::eq_page_reset() {
    eq.option.checked = false;
    eq.linked.checked = false;
    eq_set_band_button(10);
    eq.preamp_pos = 12;
    eq.last_gain.fill(0);
    eq.band_count = 10;
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        // The engine keeps its working rate here; an unsupported rate keeps the equaliser out.
        eq_set_band_count(e.eq, 10, e.rate, e.channels);
    }
    // The buttons follow the new rate at once, so a lower rate never offers 15..31 bands.
    enable_band_buttons(eq, engine_.rate);
    eq.combo_sel = eq.combo.empty() ? -1 : 0;
    eq.slider_pos.fill(25);
}

void Editor::eq_on_band_button(int index) {
    if (index < 0 || index > 3 || !eq.band_buttons[index].enabled) return;
    eq_choose_band_count(kBandButtonCounts[index]);
}

void Editor::eq_choose_band_count(int n) {
    eq.band_count = n;
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        eq_set_band_count(e.eq, n, e.rate, e.channels);
    }
    eq_set_band_button(n);
    eq_fill_combo();
    eq_layout();
}

void Editor::eq_layout() {
    const EngineState& e = engine_;
    for (auto& slot : eq.slots) slot = EqSlot{};
    enable_band_buttons(eq, e.rate);

    // Only 31 slots carry a band, whatever count the page was given.
    const int bands = std::clamp(eq.band_count, 0, kEqMaxBands);
    eq.row_length[0] = bands <= 15 ? bands : (bands + 1) / 2;
    eq.row_length[1] = bands - eq.row_length[0];
    eq.second_scale_visible = bands > 15;

    const EqBandCoef* table = e.eq.eq_table;
    const int table_bands = table != nullptr ? std::clamp(e.eq.eq_bands_in_use, 0, kEqMaxBands) : 0;
    int family_index[4] = {};
    for (int k = 0; k < bands; ++k) {
        EqSlot& slot = eq.slots[k];
        slot.shown = true;
        slot.row = k < eq.row_length[0] ? 0 : 1;
        slot.column = slot.row == 0 ? k : k - eq.row_length[0];
        eq.slider_pos[k] = 25;
        if (k < table_bands) {
            const EqBandCoef& band = table[k];
            slot.label.assign(band.label, strnlen(band.label, sizeof band.label));
            const double freq = band.freq;
            const int family = static_cast<int>(band_family(freq));
            slot.label_colour = eq_band_label_colour(freq);
            slot.slider_colour = eq_band_slider_colour(freq, family_index[family]++);
        }
    }
    eq.last_gain.fill(0);
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::eq_send_gain(float level, int band) const {
    EngineState& e = engine_;
    const int channels = std::clamp(e.channels, 1, 2);  // the engine keeps two channels
    for (int c = 0; c < channels; ++c) eq_set_gain(e.eq, level, band, c);
}

void Editor::eq_apply_record(int r) {
    const PresetRecord& rec = presets.records[r];
    const int bands = std::clamp(rec.band_count, 0, kEqMaxBands);
    for (int k = 0; k < bands; ++k) {
        const int32_t g = rec.gains[k];
        eq_send_gain(static_cast<float>(g), k);
        eq.last_gain[k] = g;
        eq.slider_pos[k] = band_slider_pos(g);
    }
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::eq_choose_preset(int item) {
    int r = presets.find_nth_of_band_count(eq.band_count, item);
    if (r < 0) {
        r = 0;
        item = 0;
    }
    eq.combo_sel = eq.combo.empty() ? -1 : item;
    eq_apply_record(r);
}

void Editor::eq_on_band_slider(int slot, int pos) {
    if (slot < 0 || slot >= kEqMaxBands) return;
    pos = std::clamp(pos, 0, 50);  // the slider's range
    eq.slider_pos[slot] = pos;
    const float g = static_cast<float>(20 - pos * 20 * 0.04);
    eq_send_gain(g, slot);
    const double d = static_cast<double>(g) - eq.last_gain[slot];
    eq.last_gain[slot] = gain_integer_part(g);

    if (eq.linked.checked) {
        for (const int offset : {-1, 1, -2, 2}) {
            const int j = slot + offset;
            if (j < 0 || j >= kEqMaxBands) continue;
            // Slot 2 follows slot 0 more loosely than the other second neighbours.
            const double factor = (offset == 1 || offset == -1) ? 0.75 : (slot == 0 && j == 2 ? 0.5 : 0.6);
            const double gj = eq.last_gain[j] + d * factor;
            eq_send_gain(static_cast<float>(gj), j);
            eq.last_gain[j] = gain_integer_part(gj);
            eq.slider_pos[j] = band_slider_pos(gj);
        }
    }
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::eq_on_preamp(int pos) {
    eq.preamp_pos = std::clamp(pos, 0, 24);  // the slider's range
    eq_send_gain(static_cast<float>((eq.preamp_pos - 12) * 1.5), -1);
}

void Editor::eq_on_option(bool checked) {
    eq.option.checked = checked;
    engine_.eq.eq_extra_filter.store(checked ? 1 : 0, std::memory_order_relaxed);
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::eq_on_linked(bool checked) { eq.linked.checked = checked; }

bool Editor::eq_accept_name(const std::string& utf8, std::string& cp936) {
    const PresetStatus s = presets.check_new_name(utf8, cp936);
    if (s == PresetStatus::kOk) return true;
    backend_->message_box(preset_status_text(s), "", MessageBoxKind::kOk);
    return false;
}

// The file is rewritten from what it holds now, under its lock, not from the table: presets another
// program added meanwhile, and those beyond the table's room, stay.  A change that does not reach the
// disk is kept, retried with the next one, and reported, since after a restart it would be gone.  A save
// of a name another program saved meanwhile is reported and dropped: that program's preset stays.
void Editor::eq_rewrite_presets(PresetEdit::Kind kind, const PresetRecord& record) {
    unwritten_presets.push_back({kind, record});
    const PresetApplyResult result = preset_file_apply(preset_path, unwritten_presets, preset_lock_wait_ms);
    for (auto it = result.refused.rbegin(); it != result.refused.rend(); ++it) {
        const PresetRecord& r = unwritten_presets[it->first].record;
        std::string name;
        cp936_to_utf8(std::string_view(r.name, strnlen(r.name, sizeof r.name)), name);
        backend_->message_box(it->second == PresetStatus::kNameExists
                                  ? "其他程序已保存了名为“" + name + "”的音效模式，此音效模式未写入文件"
                                  : "音效模式文件已满，音效模式“" + name + "”未写入文件",
                              "音效模式保存", MessageBoxKind::kOk);
        unwritten_presets.erase(unwritten_presets.begin() + static_cast<long>(it->first));
    }
    eq.preset_file_written = result.written() && result.refused.empty();
    if (result.written()) {
        unwritten_presets.clear();
        return;
    }
    const bool save = kind == PresetEdit::Kind::kPut;
    std::string text = result.file.problem == FileProblem::kBusy ? "音效模式文件正被其他程序使用，"
                       : result.not_preset_file                  ? "音效模式文件已损坏或不是音效模式文件，未作改动，"
                                                                  : "";
    text += save ? "音效模式未能写入文件，重新启动后将会丢失" : "音效模式未能从文件中删除，重新启动后将会重新出现";
    backend_->message_box(text, save ? "音效模式保存" : "音效删除", MessageBoxKind::kOk);
}

void Editor::eq_on_save() {
    if (presets.full()) {
        backend_->message_box(preset_status_text(PresetStatus::kTableFull), "音效模式保存", MessageBoxKind::kOk);
        return;
    }
    std::string cp936;
    const bool saved =
        backend_->preset_name_dialog([&](const std::string& name) { return eq_accept_name(name, cp936); });
    if (!saved || cp936.empty()) return;

    PresetRecord r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.name, cp936.data(), std::min<size_t>(cp936.size(), kPresetNameMaxBytes));
    r.band_count = eq.band_count;
    // Every slot's slider counts, in use or not.
    for (int k = 0; k < kEqMaxBands; ++k) r.gains[k] = band_slider_gain(eq.slider_pos[k]);
    presets.append(r);

    eq.combo.push_back(presets.name_utf8(presets.count - 1));
    eq.combo_sel = static_cast<int>(eq.combo.size()) - 1;
    eq_rewrite_presets(PresetEdit::Kind::kPut, r);
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::eq_on_delete() {
    const int r = presets.find_nth_of_band_count(eq.band_count, eq.combo_sel);
    if (r < 0) return;
    if (presets.records[r].builtin != 0) {
        backend_->message_box(preset_status_text(PresetStatus::kBuiltin), "音效删除", MessageBoxKind::kOk);
        return;
    }
    const std::string question = "确认删除音效" + presets.name_utf8(r) + " 吗";
    if (backend_->message_box(question, "音效删除", MessageBoxKind::kYesNo) != MessageBoxAnswer::kYes) {
        backend_->model_changed(ModelPart::kEqPage);
        return;
    }
    eq.combo.erase(eq.combo.begin() + eq.combo_sel);
    eq.combo_sel = eq.combo.empty() ? -1 : 0;
    const PresetRecord removed = presets.records[r];
    presets.remove_at(r);
    eq_rewrite_presets(PresetEdit::Kind::kRemove, removed);
    const int first = presets.find_nth_of_band_count(eq.band_count, 0);
    if (first >= 0) eq_apply_record(first);
    backend_->model_changed(ModelPart::kEqPage);
}

// ---------------------------------------------------------------- colour settings

void Editor::on_colour_command(int code, int arg) {
    if (code == kCmdRecolour) {
        colours.derive();
        // Rows painted as switched off carry the old shades; switched-on rows do not
        // depend on the main colour.
        for (auto& row : chain.rows)
            if (row.image == 1 && row.cells[0].back_colour != kSystemColour) colour_row(row, false);
        backend_->model_changed(ModelPart::kColours);
        backend_->model_changed(ModelPart::kChainPage);
    } else if (code == kCmdPreviewAlpha && transparency == 1) {
        colour_window_alpha = std::clamp(arg, 0, 255);
        backend_->model_changed(ModelPart::kColours);
    } else if (code == kCmdApplyAlpha && transparency == 1) {
        editor_alpha = colours.window_alpha;
        backend_->model_changed(ModelPart::kColours);
    }
}

void Editor::toggle_colour_window() {
    if (colour_window.shown)
        colour_window.on_close();
    else
        colour_window.on_shown();
    backend_->model_changed(ModelPart::kColours);
}

void Editor::colour_save() {
    colour_window.on_save(settings_file_path(backend_->host_dir()));
    backend_->model_changed(ModelPart::kColours);
}

}  // namespace vemo
