// The effect chain page (template 3021): the chain's rows in processing order, a check button
// per effect, the selected row and the moves that reorder it.  The first kChainStages rows are
// what the audio path runs.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "editor/backend.h"
#include "editor/colour_scheme.h"
#include "editor/colours.h"
#include "settings/effect_types.h"

namespace vemo {

struct EngineState;

struct ChainCell {
    std::string text;
    Colour text_colour = kSystemColour;
    Colour back_colour = kSystemColour;
};

struct ChainRow {
    ChainCell cells[3];  // "序号", "音效名称", "有效性"
    int image = 1;       // 0 on, 1 off
    int type() const;    // column 0 read as a number
};

struct Button {
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    std::string caption;
};

class ChainPage {
public:
    // Switched-off rows take their shades from `colours`.
    ChainPage(EngineState& engine, EditorBackend& backend, const ColourScheme& colours);

    std::vector<ChainRow> rows;
    // Check button of each EffectType (index 0 unused).
    std::array<Button, kEffectCount + 1> switches{};
    int selected_row = -1;
    // Told of every switch the user flips here, after the page itself has changed.
    std::function<void(int type, bool on)> switch_changed;

    // One row per effect in type order, all shown off; the first switches from the engine.
    void set_default_rows();
    void clear();
    void append_row(int type, bool on);
    void on_switch_clicked(int type, bool checked);
    void select_row(int row);
    // The selected row one place up (step -1) or down (step 1); a short chain does not move.
    void move_selected(int step);
    // Check states of types 1..last_type from the engine flags, as the page shows them when it
    // comes up (the default chain takes only the first twelve).
    void take_engine_switches(int last_type = kEffectCount);
    // Switched-off rows repainted in the scheme's current shades.
    void recolour_off_rows();
    // Publishes the first kChainStages row types to the audio path.
    void publish() const;

private:
    void colour_row(ChainRow& row, bool on) const;

    EngineState& engine_;
    EditorBackend& backend_;
    const ColourScheme& colours_;
};

}  // namespace vemo
