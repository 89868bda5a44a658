// The effect parameter page ("效果参数"): one effect chosen at a time, one slider per parameter
// row of the table, the value as text, the effect's switch and its "缺省" button.  The page is
// built from the parameter table; nothing here is written out per effect.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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

struct ParamPage {
    int effect = kCompressor;  // the chosen EffectType
    bool effect_on = false;    // its switch
    std::vector<ParamSlider> sliders;
    // An effect without parameters says so, and has no defaults to restore.
    std::string note;
    bool defaults_enabled = true;
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
