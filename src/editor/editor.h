// The editor's state and logic without any window: main window flags, the effect chain
// page, the equaliser page, the parameter page copies.  Windows (or the headless backend)
// are views of this model.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/backend.h"
#include "editor/colour_scheme.h"
#include "editor/colours.h"
#include "editor/param_page.h"
#include "editor/preset_file.h"
#include "editor/presets.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"
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

// Chain page (template 3021).
struct ChainPage {
    std::vector<ChainRow> rows;
    // Check button of each EffectType (index 0 unused).
    std::array<Button, kEffectCount + 1> switches{};
    int selected_row = -1;
    // Bottom buttons 3088, 3089, 3090, 3091.
    std::array<Button, 4> bottom{};
};

// One band slot of the equaliser page as the lay-out placed it.
struct EqSlot {
    bool shown = false;  // shown and enabled
    int row = 0;         // 0 first row, 1 second row
    int column = 0;      // position within its row
    std::string label;   // the band's name, e.g. "1K"
    Colour label_colour = 0x00FFFFFFu;
    Colour slider_colour = 0x00FFFFFFu;
};

// Equaliser page (template 3001).
struct EqPage {
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


constexpr int kBandButtonCounts[4] = {10, 15, 25, 31};
constexpr int kButtonSetCancel = 0, kButtonSetConfirm = 1, kButtonPlay = 2, kButtonStop = 3;

class Editor {
public:
    // The editor works on `engine`, which outlives it.
    explicit Editor(EngineState& engine);

    EngineState& engine() const { return engine_; }

    // --- host side (the exports) ---
    bool exists() const { return exists_; }
    void begin();
    // The editor's steps of vemomix_init after the engine's (equaliser switch, tab 0, show,
    // strip, refresh of every page).
    void on_engine_init(int rate, int channels, int show);
    void set_display(uint8_t show);
    void set_display_mode(int32_t mode);
    void set_switch(int type, bool on);  // vemomix_setiir / vemomix_setecho
    void close();

    // --- process-wide editor values ---
    int32_t display_mode = 0;
    uint8_t shown = 0;
    int32_t host_window = 0;
    uint8_t transparency = 1;
    ColourScheme colours;
    ColourWindow colour_window{colours};
    // Alpha the editor window and the colour window show (only changed while transparency
    // is enabled).
    int editor_alpha = 255;
    int colour_window_alpha = 255;
    int current_tab = 0;

    ChainPage chain;
    EqPage eq;
    // The wah-wah, super bass and vibrato pages keep their own copies of the values, and those
    // copies are what vemomix_get reports.
    WahParams wah_page;
    SuperBassParams bass_page;
    VibratoParams vibrato_page;
    // The page copy an effect reports instead of the engine's values, or null.
    void* page_copy(int type);
    // Tab 2, "效果参数".
    ParamPage param;
    PresetTable presets;
    std::string preset_path;
    // Saves and deletes that have not reached the preset file yet, replayed onto it at each write.
    std::vector<PresetEdit> unwritten_presets;
    // How long a save or delete waits for another writer's lock on the preset file.
    int preset_lock_wait_ms = kFileLockWaitMs;

    // --- chain page operations ---
    void default_chain();
    void clear_chain();
    void append_chain_row(int type, bool on);
    void on_switch_clicked(int type, bool checked);
    void select_row(int row);
    void move_selected_up();
    void move_selected_down();
    void on_bottom_button(int which);  // kButtonSetCancel..kButtonStop
    void on_chain_page_shown();        // check states from the engine flags
    // Publishes the first kChainStages row types to the audio path.
    void publish_chain() const;

    // --- equaliser page operations ---
    void eq_page_reset();
    void eq_fill_combo();
    void eq_choose_band_count(int n);
    void eq_set_band_button(int n);
    // Band-count button 0..3 pressed; a disabled button does nothing.
    void eq_on_band_button(int index);
    void eq_layout();
    void eq_choose_preset(int item);
    void eq_on_band_slider(int slot, int pos);
    void eq_on_preamp(int pos);
    void eq_on_option(bool checked);
    void eq_on_linked(bool checked);
    // Save button: asks for a name through the modal dialog and stores a new preset.
    void eq_on_save();
    // The dialog's "确定": true when the name is accepted, else the message is shown.
    bool eq_accept_name(const std::string& utf8, std::string& cp936);
    void eq_on_delete();

    // --- parameter page operations ---
    // Chooses the effect shown (the equaliser's entry selects its own tab instead).
    void param_choose_effect(int type);
    // Slider `index` of the page moved to `pos`: the record value written, the effect rebuilt.
    void param_on_slider(int index, int pos);
    // The thumb of slider `index` let go at `track` on its track (a check box: 0 off, else on).
    void param_on_track(int index, int track);
    // "缺省": the effect's defaults, rebuilt.
    void param_on_defaults();
    void param_on_switch(bool on);
    // Reads the chosen effect's values back from the engine and the page copies.
    void param_refresh();
    // Moves the values of `next` into the chosen effect (only `changed`, or all its rows when
    // null) and its page copy, and rebuilds it.  The caller holds the control lock.
    void param_apply(const EffectSettings& next, const ParamRow* changed);

    // --- colour settings ---
    // Editor commands 8884..8886 from the colour window.
    void on_colour_command(int code, int arg);
    void toggle_colour_window();
    void colour_save();

    // --- main window ---
    void apply_button_set(bool from_dispmode);
    void hide_editor();
    // Tabs 0 "音效控制", 1 "均衡器", 2 "效果参数"; any other index changes nothing.
    void select_tab(int index);
    // Editor command message 12424: the window skin's frame actions (1333999 with lParam 1..4)
    // and the colour window's 8884..8887.
    void on_editor_command(int64_t code, int64_t arg);

    EditorBackend& backend() { return *backend_; }
    void set_backend(std::unique_ptr<EditorBackend> b) { backend_ = std::move(b); }

private:
    void colour_row(ChainRow& row, bool on) const;
    void eq_send_gain(float level, int band) const;
    void eq_apply_record(int r);
    void eq_rewrite_presets(PresetEdit::Kind kind, const PresetRecord& record);
    EngineState& engine_;
    bool exists_ = false;
    std::unique_ptr<EditorBackend> backend_;
};

// The process-wide editor, working on the process-wide engine.
Editor& editor();

// Band slider position from a gain in dB: trunc(25 - 1.25 * g).
int band_slider_pos(double gain_db);
// Pre-gain slider position, kept inside 0..24.
int preamp_slider_pos(int32_t pos);
// Gain reported for a band slider position: trunc(20 - pos * 20 * 0.04).
int band_slider_gain(int pos);

}  // namespace vemo
