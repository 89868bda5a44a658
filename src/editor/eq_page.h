// The equaliser page (template 3001): band-count buttons, the band sliders laid out in one or
// two rows, pre-gain, "二级调整" and "调谐联动", and the preset combo with its save and delete,
// which rewrite the preset file.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/backend.h"
#include "editor/chain_page.h"
#include "editor/colours.h"
#include "editor/preset_file.h"
#include "editor/presets.h"

namespace vemo {

struct EngineState;

constexpr int kBandButtonCounts[4] = {10, 15, 25, 31};

// One band slot of the equaliser page as the lay-out placed it.
struct EqSlot {
    bool shown = false;  // shown and enabled
    int row = 0;         // 0 first row, 1 second row
    int column = 0;      // position within its row
    std::string label;   // the band's name, e.g. "1K"
    Colour label_colour = 0x00FFFFFFu;
    Colour slider_colour = 0x00FFFFFFu;
};

class EqPage {
public:
    EqPage(EngineState& engine, EditorBackend& backend);

    int band_count = 10;
    std::array<Button, 4> band_buttons{};  // 10, 15, 25, 31 bands
    Button option;                          // "二级调整"
    Button linked;                          // "调谐联动"
    std::array<int, 32> slider_pos{};       // band slots, 0..50, 25 = 0 dB
    int preamp_pos = 12;                    // 0..24
    std::vector<std::string> combo;         // preset names of the current band count
    int combo_sel = -1;
    std::array<int32_t, 32> last_gain{};
    std::array<EqSlot, 32> slots{};
    int row_length[2] = {10, 0};       // sliders in the first and second row
    bool second_scale_visible = false;  // "-20", "00", "+20" beside the second row
    bool preset_file_written = true;    // outcome of the last rewrite, for a view that wants it

    PresetTable presets;
    std::string preset_path;
    // Saves and deletes that have not reached the preset file yet, replayed onto it at each write.
    std::vector<PresetEdit> unwritten_presets;
    // How long a save or delete waits for another writer's lock on the preset file.
    int preset_lock_wait_ms = kFileLockWaitMs;

    // The built-in presets and those of the preset file at preset_path.
    void load_presets();
    // Back to 10 bands at rest, as vemomix_init leaves the page.
    void reset();
    void fill_combo();
    void choose_band_count(int n);
    void set_band_button(int n);
    // Band-count button 0..3 pressed; a disabled button does nothing.
    void on_band_button(int index);
    void layout();
    void choose_preset(int item);
    void on_band_slider(int slot, int pos);
    void on_preamp(int pos);
    void on_option(bool checked);
    void on_linked(bool checked);
    // Save button: asks for a name through the modal dialog and stores a new preset.
    void on_save();
    // The dialog's "确定": true when the name is accepted, else the message is shown.
    bool accept_name(const std::string& utf8, std::string& cp936);
    void on_delete();

private:
    void send_gain(float level, int band) const;
    void apply_record(int r);
    void rewrite_presets(PresetEdit::Kind kind, const PresetRecord& record);

    EngineState& engine_;
    EditorBackend& backend_;
};

// Where the lay-out puts things, in page client pixels.
struct EqRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
struct EqSlotPlace {
    EqRect slider, label;
};
// Slider and label rectangles of a slot in a row of `in_row` columns, the rows centred in
// the band frame (rows = 1 or 2), each label centred under its slider.
EqSlotPlace eq_slot_place(const EqRect& frame, int slider_w, int slider_h, int label_w, int label_h, int rows,
                          int row, int column, int in_row);

// Label and slider colours of a band by its centre frequency.
Colour eq_band_label_colour(double freq_hz);
Colour eq_band_slider_colour(double freq_hz, int index_in_family);

// Band slider position from a gain in dB: trunc(25 - 1.25 * g).
int band_slider_pos(double gain_db);
// Pre-gain slider position, kept inside 0..24.
int preamp_slider_pos(int32_t pos);
// Gain reported for a band slider position: trunc(20 - pos * 20 * 0.04).
int band_slider_gain(int pos);

}  // namespace vemo
