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
    double value = 0;      // the record value the effect holds
    bool in_range = true;  // false: the slider stands at the nearest end of a value it cannot show
    std::string text;      // the value in its unit, as shown beside the slider
};

struct ParamPage {
    int effect = kCompressor;  // the chosen EffectType
    bool effect_on = false;    // its switch
    std::vector<ParamSlider> sliders;
};

// The chooser's entries: the sixteen chain texts, entry i standing for EffectType i + 1.
constexpr int kParamChoices = kEffectCount;

// The rows of an effect that get a slider: its parameters, without switch or report copies.
std::vector<const ParamRow*> param_page_rows(int type);

// A record value as the page shows it: in the unit of its slider law (milliseconds for the
// noise gate's times, percent for the chorus levels, ...) or of the row, in Chinese.
std::string param_text(const ParamRow& row, double value, int rate, int channels);

}  // namespace vemo
