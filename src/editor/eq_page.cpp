#include "editor/eq_page.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "editor/text_codec.h"
#include "engine/engine.h"

namespace vemo {

int band_slider_pos(double gain_db) {
    // A trackbar keeps its position inside its range, so far-out gains sit at an end.
    const double pos = 25.0 - 1.25 * gain_db;
    if (!(pos > 0.0)) return 0;
    return pos >= 50.0 ? 50 : static_cast<int>(pos);
}

int preamp_slider_pos(int32_t pos) { return std::clamp(pos, 0, 24); }

int band_slider_gain(int pos) { return static_cast<int>(20.0 - pos * 20 * 0.04); }

EqPage::EqPage(EngineState& engine, EditorBackend& backend) : engine_(engine), backend_(backend) {
    presets.build_builtins();
    slider_pos.fill(25);
    for (int i = 0; i < 4; ++i) band_buttons[i].caption = std::to_string(kBandButtonCounts[i]) + "频段";
    band_buttons[0].checked = true;
    option.caption = "二级调整";
    linked.caption = "调谐联动";
}

void EqPage::load_presets() {
    presets.build_builtins();
    preset_file_load(presets, preset_path);
}


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

void EqPage::set_band_button(int n) {
    for (int i = 0; i < 4; ++i) band_buttons[i].checked = kBandButtonCounts[i] == n;
}

void EqPage::fill_combo() {
    combo.clear();
    for (int i = 0; i < presets.count; ++i)
        if (presets.records[i].band_count == band_count) combo.push_back(presets.name_utf8(i));
    combo_sel = combo.empty() ? -1 : 0;
}

namespace {
// The band tables above 10 bands exist only from 44100 Hz on.
void enable_band_buttons(std::array<Button, 4>& buttons, int rate) {
    for (int i = 1; i < 4; ++i) buttons[i].enabled = rate >= 44100;
}
}  // namespace

void EqPage::reset() {
    option.checked = false;
    linked.checked = false;
    set_band_button(10);
    preamp_pos = 12;
    last_gain.fill(0);
    band_count = 10;
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        // The engine keeps its working rate here; an unsupported rate keeps the equaliser out.
        eq_set_band_count(e.eq, 10, e.rate, e.channels);
    }
    // The buttons follow the new rate at once, so a lower rate never offers 15..31 bands.
    enable_band_buttons(band_buttons, engine_.rate);
    combo_sel = combo.empty() ? -1 : 0;
    slider_pos.fill(25);
}

void EqPage::on_band_button(int index) {
    if (index < 0 || index > 3 || !band_buttons[index].enabled) return;
    choose_band_count(kBandButtonCounts[index]);
}

void EqPage::choose_band_count(int n) {
    band_count = n;
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        eq_set_band_count(e.eq, n, e.rate, e.channels);
    }
    set_band_button(n);
    fill_combo();
    layout();
}

void EqPage::layout() {
    const EngineState& e = engine_;
    for (auto& slot : slots) slot = EqSlot{};
    enable_band_buttons(band_buttons, e.rate);

    // Only 31 slots carry a band, whatever count the page was given.
    const int bands = std::clamp(band_count, 0, kEqMaxBands);
    row_length[0] = bands <= 15 ? bands : (bands + 1) / 2;
    row_length[1] = bands - row_length[0];
    second_scale_visible = bands > 15;

    const EqBandCoef* table = e.eq.eq_table;
    const int table_bands = table != nullptr ? std::clamp(e.eq.eq_bands_in_use, 0, kEqMaxBands) : 0;
    int family_index[4] = {};
    for (int k = 0; k < bands; ++k) {
        EqSlot& slot = slots[k];
        slot.shown = true;
        slot.row = k < row_length[0] ? 0 : 1;
        slot.column = slot.row == 0 ? k : k - row_length[0];
        slider_pos[k] = 25;
        if (k < table_bands) {
            const EqBandCoef& band = table[k];
            slot.label.assign(band.label, strnlen(band.label, sizeof band.label));
            const double freq = band.freq;
            const int family = static_cast<int>(band_family(freq));
            slot.label_colour = eq_band_label_colour(freq);
            slot.slider_colour = eq_band_slider_colour(freq, family_index[family]++);
        }
    }
    last_gain.fill(0);
    backend_.model_changed(ModelPart::kEqPage);
}

void EqPage::send_gain(float level, int band) const {
    EngineState& e = engine_;
    const int channels = std::clamp(e.channels, 1, 2);  // the engine keeps two channels
    for (int c = 0; c < channels; ++c) eq_set_gain(e.eq, level, band, c);
}

void EqPage::apply_record(int r) {
    const PresetRecord& rec = presets.records[r];
    const int bands = std::clamp(rec.band_count, 0, kEqMaxBands);
    for (int k = 0; k < bands; ++k) {
        const int32_t g = rec.gains[k];
        send_gain(static_cast<float>(g), k);
        last_gain[k] = g;
        slider_pos[k] = band_slider_pos(g);
    }
    backend_.model_changed(ModelPart::kEqPage);
}

void EqPage::choose_preset(int item) {
    int r = presets.find_nth_of_band_count(band_count, item);
    if (r < 0) {
        r = 0;
        item = 0;
    }
    combo_sel = combo.empty() ? -1 : item;
    apply_record(r);
}

void EqPage::on_band_slider(int slot, int pos) {
    if (slot < 0 || slot >= kEqMaxBands) return;
    pos = std::clamp(pos, 0, 50);  // the slider's range
    slider_pos[slot] = pos;
    const float g = static_cast<float>(20 - pos * 20 * 0.04);
    send_gain(g, slot);
    const double d = static_cast<double>(g) - last_gain[slot];
    last_gain[slot] = gain_integer_part(g);

    if (linked.checked) {
        for (const int offset : {-1, 1, -2, 2}) {
            const int j = slot + offset;
            if (j < 0 || j >= kEqMaxBands) continue;
            // Slot 2 follows slot 0 more loosely than the other second neighbours.
            const double factor = (offset == 1 || offset == -1) ? 0.75 : (slot == 0 && j == 2 ? 0.5 : 0.6);
            const double gj = last_gain[j] + d * factor;
            send_gain(static_cast<float>(gj), j);
            last_gain[j] = gain_integer_part(gj);
            slider_pos[j] = band_slider_pos(gj);
        }
    }
    backend_.model_changed(ModelPart::kEqPage);
}

void EqPage::on_preamp(int pos) {
    preamp_pos = std::clamp(pos, 0, 24);  // the slider's range
    send_gain(static_cast<float>((preamp_pos - 12) * 1.5), -1);
}

void EqPage::on_option(bool checked) {
    option.checked = checked;
    engine_.eq.eq_extra_filter.store(checked ? 1 : 0, std::memory_order_relaxed);
    backend_.model_changed(ModelPart::kEqPage);
}

void EqPage::on_linked(bool checked) { linked.checked = checked; }

bool EqPage::accept_name(const std::string& utf8, std::string& cp936) {
    const PresetStatus s = presets.check_new_name(utf8, cp936);
    if (s == PresetStatus::kOk) return true;
    backend_.message_box(preset_status_text(s), "", MessageBoxKind::kOk);
    return false;
}

// The file is rewritten from what it holds now, under its lock, not from the table: presets another
// program added meanwhile, and those beyond the table's room, stay.  A change that does not reach the
// disk is kept, retried with the next one, and reported, since after a restart it would be gone.  A save
// of a name another program saved meanwhile is reported and dropped: that program's preset stays.
void EqPage::rewrite_presets(PresetEdit::Kind kind, const PresetRecord& record) {
    unwritten_presets.push_back({kind, record});
    const PresetApplyResult result = preset_file_apply(preset_path, unwritten_presets, preset_lock_wait_ms);
    for (auto it = result.refused.rbegin(); it != result.refused.rend(); ++it) {
        const PresetRecord& r = unwritten_presets[it->first].record;
        std::string name;
        cp936_to_utf8(std::string_view(r.name, strnlen(r.name, sizeof r.name)), name);
        backend_.message_box(it->second == PresetStatus::kNameExists
                                  ? "其他程序已保存了名为“" + name + "”的音效模式，此音效模式未写入文件"
                                  : "音效模式文件已满，音效模式“" + name + "”未写入文件",
                              "音效模式保存", MessageBoxKind::kOk);
        unwritten_presets.erase(unwritten_presets.begin() + static_cast<long>(it->first));
    }
    preset_file_written = result.written() && result.refused.empty();
    if (result.written()) {
        unwritten_presets.clear();
        return;
    }
    const bool save = kind == PresetEdit::Kind::kPut;
    std::string text = result.file.problem == FileProblem::kBusy ? "音效模式文件正被其他程序使用，"
                       : result.not_preset_file                  ? "音效模式文件已损坏或不是音效模式文件，未作改动，"
                                                                  : "";
    text += save ? "音效模式未能写入文件，重新启动后将会丢失" : "音效模式未能从文件中删除，重新启动后将会重新出现";
    backend_.message_box(text, save ? "音效模式保存" : "音效删除", MessageBoxKind::kOk);
}

void EqPage::on_save() {
    if (presets.full()) {
        backend_.message_box(preset_status_text(PresetStatus::kTableFull), "音效模式保存", MessageBoxKind::kOk);
        return;
    }
    std::string cp936;
    const bool saved =
        backend_.preset_name_dialog([&](const std::string& name) { return accept_name(name, cp936); });
    if (!saved || cp936.empty()) return;

    PresetRecord r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.name, cp936.data(), std::min<size_t>(cp936.size(), kPresetNameMaxBytes));
    r.band_count = band_count;
    // Every slot's slider counts, in use or not.
    for (int k = 0; k < kEqMaxBands; ++k) r.gains[k] = band_slider_gain(slider_pos[k]);
    presets.append(r);

    combo.push_back(presets.name_utf8(presets.count - 1));
    combo_sel = static_cast<int>(combo.size()) - 1;
    rewrite_presets(PresetEdit::Kind::kPut, r);
    backend_.model_changed(ModelPart::kEqPage);
}

void EqPage::on_delete() {
    const int r = presets.find_nth_of_band_count(band_count, combo_sel);
    if (r < 0) return;
    if (presets.records[r].builtin != 0) {
        backend_.message_box(preset_status_text(PresetStatus::kBuiltin), "音效删除", MessageBoxKind::kOk);
        return;
    }
    const std::string question = "确认删除音效" + presets.name_utf8(r) + " 吗";
    if (backend_.message_box(question, "音效删除", MessageBoxKind::kYesNo) != MessageBoxAnswer::kYes) {
        backend_.model_changed(ModelPart::kEqPage);
        return;
    }
    combo.erase(combo.begin() + combo_sel);
    combo_sel = combo.empty() ? -1 : 0;
    const PresetRecord removed = presets.records[r];
    presets.remove_at(r);
    rewrite_presets(PresetEdit::Kind::kRemove, removed);
    const int first = presets.find_nth_of_band_count(band_count, 0);
    if (first >= 0) apply_record(first);
    backend_.model_changed(ModelPart::kEqPage);
}

}  // namespace vemo
