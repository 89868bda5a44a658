#include "editor/editor.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "engine/engine.h"

namespace vemo {

std::unique_ptr<EditorBackend> make_platform_backend();

Editor& editor() {
    static Editor* instance = new Editor();
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

Editor::Editor() : backend_(make_platform_backend()) {
    presets.build_builtins();
    for (int t = 1; t <= 16; ++t) chain.switches[t].caption = std::string(effect_list_text(t));
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
}

// ---------------------------------------------------------------- host side

void Editor::begin() {
    preset_path = backend_->library_dir() +
#ifdef _WIN32
                  "\\vemoeqset.eq";
#else
                  "/vemoeqset.eq";
#endif
    if (!exists_) {
        backend_->create_windows();
        exists_ = true;
        // Initial steps of both pages: the default rows and the 10-band presets.
        default_chain();
        eq.band_count = engine().eq.eq_band_count;
        eq_fill_combo();
        eq.last_gain.fill(0);
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
        EngineState& e = engine();
        std::lock_guard lock(e.mutex);
        set_strip_geometry(e.levels, w, h);
    }
    eq_page_reset();
    wah_page = WahPageCopy{};
    bass_page = BassPageCopy{};
    vibrato_page = VibratoPageCopy{};
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
    engine().capture_levels.store(shown == 1, std::memory_order_relaxed);
}

void Editor::set_display_mode(int32_t mode) {
    display_mode = mode;
    apply_button_set(true);
}

void Editor::set_switch(int type, bool on) {
    if (!exists_ || !is_effect_type(type)) return;
    chain.switches[type].checked = on;
    backend_->model_changed(ModelPart::kChainPage);
}

void Editor::close() {
    if (exists_) backend_->destroy_windows();
    exists_ = false;
    shown = 0;
    engine().capture_levels.store(false, std::memory_order_relaxed);
}

void Editor::hide_editor() {
    if (exists_) backend_->show_editor(false);
    shown = 0;
    engine().capture_levels.store(false, std::memory_order_relaxed);
}

void Editor::select_tab(int index) {
    // Only tabs 0 and 1 exist; any other index changes nothing.
    if (index < 0 || index > 1) return;
    current_tab = index;
    if (index == 0) on_chain_page_shown();
    backend_->model_changed(ModelPart::kMainWindow);
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
        row.cells[0].back_colour = main_colour;
        row.cells[1].text_colour = 0x0000FFFFu;
        row.cells[1].back_colour = lighten(main_colour, 7);
        row.cells[2].text_colour = 0x000000FFu;
        row.cells[2].back_colour = lighten(main_colour, 14);
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
    EngineState& e = engine();
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
    engine_publish_chain(types, n);
}

void Editor::on_switch_clicked(int type, bool checked) {
    if (!is_effect_type(type)) return;
    chain.switches[type].checked = checked;
    engine().enabled[type].store(checked ? 1 : 0, std::memory_order_relaxed);
    const int n = static_cast<int>(std::min<size_t>(chain.rows.size(), kChainStages));
    for (int r = 0; r < n; ++r) {
        if (chain.rows[r].type() == type) {
            colour_row(chain.rows[r], checked);
            break;
        }
    }
    backend_->model_changed(ModelPart::kChainPage);
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
    EngineState& e = engine();
    for (int t = 1; t <= kEffectCount; ++t) chain.switches[t].checked = e.enabled[t].load(std::memory_order_relaxed) == 1;
}

// ---------------------------------------------------------------- equaliser page

void Editor::eq_set_band_button(int n) {
    for (int i = 0; i < 4; ++i) eq.band_buttons[i].checked = kBandButtonCounts[i] == n;
}

void Editor::eq_fill_combo() {
    eq.combo.clear();
    for (int i = 0; i < presets.count; ++i)
        if (presets.records[i].band_count == eq.band_count) eq.combo.push_back(presets.name_utf8(i));
    eq.combo_sel = eq.combo.empty() ? -1 : 0;
}

void Editor::eq_page_reset() {
    eq.option.checked = false;
    eq.linked.checked = false;
    eq_set_band_button(10);
    eq.preamp_pos = 12;
    eq.last_gain.fill(0);
    eq.band_count = 10;
    {
        EngineState& e = engine();
        std::lock_guard lock(e.mutex);
        // The engine keeps its working rate here; an unsupported rate keeps the equaliser out.
        eq_set_band_count(e.eq, 10, e.rate, e.channels);
    }
    eq.combo_sel = eq.combo.empty() ? -1 : 0;
    eq.slider_pos.fill(25);
}

void Editor::eq_choose_band_count(int n) {
    eq.band_count = n;
    {
        EngineState& e = engine();
        std::lock_guard lock(e.mutex);
        eq_set_band_count(e.eq, n, e.rate, e.channels);
    }
    eq_set_band_button(n);
    eq_fill_combo();
    // Lay-out: every band in use back at its rest position, linked tuning from 0 dB.
    const int shown_bands = std::clamp(n, 0, 31);
    for (int k = 0; k < shown_bands; ++k) eq.slider_pos[k] = 25;
    eq.last_gain.fill(0);
    backend_->model_changed(ModelPart::kEqPage);
}

}  // namespace vemo
