// The effect parameter page ("效果参数"): one effect chosen at a time, one slider per parameter
// row of the table, the value as text, the effect's switch and its "缺省" button.  The page is
// built from the parameter table; nothing here is written out per effect.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/backend.h"
#include "editor/chain_page.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"
#include "settings/param_table.h"

namespace vemo {

struct ParamSlider {
    const ParamRow* row = nullptr;
    int32_t pos = 0;       // the slider, always inside [row->pos_min, row->pos_max]
    int32_t track = 0;     // where the thumb stands on the track, 0..param_track_steps(*row)
    bool check_box = false;  // an on/off value: a check box instead of a slider
    double value = 0;      // the record value the effect holds
    bool in_range = true;  // false: the slider stands at the nearest end of a value it cannot show
    std::string text;      // the value in its unit, as shown beside the slider
};

struct EngineState;

class ParamPage {
public:
    // The page's switch is the chain page's switch of the chosen effect.
    ParamPage(EngineState& engine, EditorBackend& backend, ChainPage& chain);

    int effect = kCompressor;  // the chosen EffectType
    bool effect_on = false;    // its switch
    std::vector<ParamSlider> sliders;
    // An effect without parameters says so, and has no defaults to restore.
    std::string note;
    bool defaults_enabled = true;

    // The wah-wah, super bass and vibrato pages keep their own copies of the values, and those
    // copies are what vemomix_get reports.
    WahParams wah_copy;
    SuperBassParams bass_copy;
    VibratoParams vibrato_copy;
    // The page copy an effect reports instead of the engine's values, or null.
    void* copy_of(int type);
    // Every page copy back to its effect's defaults.
    void reset_copies();

    // Asked to show the equaliser's own tab when the chooser picks the equaliser.
    std::function<void()> show_equaliser;

    // Chooses the effect shown (the equaliser's entry selects its own tab instead).
    void choose_effect(int type);
    // Slider `index` of the page moved to `pos`: the record value written, the effect rebuilt.
    void on_slider(int index, int pos);
    // The thumb of slider `index` let go at `track` on its track (a check box: 0 off, else on).
    void on_track(int index, int track);
    // "缺省": the effect's defaults, rebuilt.
    void on_defaults();
    void on_switch(bool on);
    // The switch of `type` changed elsewhere (chain page, host): shown if it is the chosen effect.
    void take_switch(int type, bool on);
    // Reads the chosen effect's values back from the engine and the page copies.
    void refresh();
    // Moves the values of `next` into the chosen effect (only `changed`, or all its rows when
    // null) and its page copy, and rebuilds it.  The caller holds the control lock.
    void apply(const EffectSettings& next, const ParamRow* changed);

private:
    EngineState& engine_;
    EditorBackend& backend_;
    ChainPage& chain_;
};

// The text of the parameter page's switch: what ticking it does, whatever its state.
inline constexpr const char* kParamSwitchCaption = "开启";
inline constexpr const char* kParamNoParameters = "此音效没有可调参数";

// The chooser's entries: the sixteen chain texts, entry i standing for EffectType i + 1.
constexpr int kParamChoices = kEffectCount;

// The rows of an effect that get a slider: its parameters, without switch or report copies.
std::vector<const ParamRow*> param_page_rows(int type);

// A record value as the page shows it, in the unit people think in: percent, dB, a multiple,
// milliseconds, Hz, or the row's own unit, in Chinese.
std::string param_text(const ParamRow& row, double value, int rate, int channels);

}  // namespace vemo
