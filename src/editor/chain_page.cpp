#include "editor/chain_page.h"

#include <algorithm>

#include "editor/text_codec.h"
#include "engine/engine.h"

namespace vemo {

int ChainRow::type() const { return parse_leading_int(cells[0].text); }

ChainPage::ChainPage(EngineState& engine, EditorBackend& backend, const ColourScheme& colours)
    : engine_(engine), backend_(backend), colours_(colours) {
    for (int t = 1; t <= kEffectCount; ++t) switches[t].caption = std::string(effect_list_text(t));
    // The check button of type 14 is shorter than the list text.
    switches[kSuperBass].caption = "超重低音器";
}

void ChainPage::colour_row(ChainRow& row, bool on) const {
    row.image = on ? 0 : 1;
    if (on) {
        row.cells[2].text = "有效";
        for (auto& c : row.cells) c.text_colour = rgb(255, 255, 255), c.back_colour = 0x001010FFu;
    } else {
        row.cells[2].text = "无效";
        row.cells[0].text_colour = rgb(255, 255, 255);
        row.cells[0].back_colour = colours_.main_colour;
        row.cells[1].text_colour = 0x0000FFFFu;
        row.cells[1].back_colour = colours_.cell_shade_1;
        row.cells[2].text_colour = 0x000000FFu;
        row.cells[2].back_colour = colours_.cell_shade_2;
    }
}

void ChainPage::clear() {
    rows.clear();
    selected_row = -1;
    publish();
}

void ChainPage::append_row(int type, bool on) {
    ChainRow row;
    row.cells[0].text = std::to_string(type);
    row.cells[1].text = std::string(effect_list_text(type));
    row.cells[2].text = on ? "有效" : "无效";
    row.image = on ? 0 : 1;
    rows.push_back(std::move(row));
    if (rows.size() <= kChainStages) publish();
}

void ChainPage::set_default_rows() {
    take_engine_switches(12);
    rows.clear();
    for (int t = 1; t <= kEffectCount; ++t) append_row(t, false);
    selected_row = -1;
    publish();
}

void ChainPage::publish() const {
    uint8_t types[kChainStages] = {};
    const int n = static_cast<int>(std::min<size_t>(rows.size(), kChainStages));
    for (int r = 0; r < n; ++r) {
        const int t = rows[r].type();
        types[r] = static_cast<uint8_t>(is_effect_type(t) ? t : 0);
    }
    engine_publish_chain(engine_, types, n);
}

void ChainPage::on_switch_clicked(int type, bool checked) {
    if (!is_effect_type(type)) return;
    switches[type].checked = checked;
    engine_.enabled[type].store(checked ? 1 : 0, std::memory_order_relaxed);
    const int n = static_cast<int>(std::min<size_t>(rows.size(), kChainStages));
    for (int r = 0; r < n; ++r) {
        if (rows[r].type() == type) {
            colour_row(rows[r], checked);
            break;
        }
    }
    backend_.model_changed(ModelPart::kChainPage);
    if (switch_changed) switch_changed(type, checked);
}

void ChainPage::select_row(int row) {
    selected_row = (row >= 0 && row < static_cast<int>(rows.size())) ? row : -1;
}

void ChainPage::move_selected(int step) {
    const int from = selected_row;
    const int to = from + step;
    const int n = static_cast<int>(rows.size());
    if (n < 3 || from < 0 || from >= n || to < 0 || to >= n) return;
    // The row moves with its texts and image; its colours fall back to the system's.
    ChainRow moved;
    for (int c = 0; c < 3; ++c) moved.cells[c].text = rows[from].cells[c].text;
    moved.image = rows[from].image;
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, std::move(moved));
    selected_row = to;
    publish();
    backend_.model_changed(ModelPart::kChainPage);
}

void ChainPage::take_engine_switches(int last_type) {
    for (int t = 1; t <= std::min(last_type, kEffectCount); ++t) switches[t].checked = engine_.enabled[t].load(std::memory_order_relaxed) == 1;
}

void ChainPage::recolour_off_rows() {
    // Switched-on rows do not depend on the main colour.
    for (auto& row : rows)
        if (row.image == 1 && row.cells[0].back_colour != kSystemColour) colour_row(row, false);
}

}  // namespace vemo
