// `vemomix effects [NAME]`: the effects and their parameters, as the parameter table has them.
#include <cstdio>
#include <string>

#include "cli_error.h"
#include "commands.h"
#include "effect_names.h"
#include "settings/param_table.h"

namespace vemomix_cli {
namespace {

using vemo::ParamRow;
using vemo::SliderLaw;

// Ranges and defaults that depend on the format are shown for the one most hosts use.
constexpr int kShownRate = 44100, kShownChannels = 2;

// Float fields with the digits a float has: 0.6, not 0.600000024.
std::string number(double v, const ParamRow& r) {
    char text[32];
    std::snprintf(text, sizeof text, r.type == vemo::FieldType::kF32 ? "%.7g" : "%.9g", v);
    return text;
}

bool listed(const ParamRow& r) {
    return r.role != vemo::FieldRole::kIgnored && r.role != vemo::FieldRole::kReportCopy;
}

// "lo..hi unit", then what the slider law adds.
std::string range_text(const ParamRow& r) {
    double lo, hi;
    vemo::param_value_range(r, kShownRate, kShownChannels, lo, hi);
    std::string text = number(lo, r);
    text.append("..").append(number(hi, r));
    if (!r.unit.empty()) text.append(" ").append(r.unit);
    switch (r.law) {
        case SliderLaw::kPowerOfTwo: text.append(", powers of two"); break;
        case SliderLaw::kBandCount: text = "10, 15, 25 or 31"; break;
        case SliderLaw::kTenths: text.append(", steps of 0.1"); break;
        case SliderLaw::kTimes10: text.append(", steps of 10"); break;
        case SliderLaw::kMsToSamples:
            text.append(" (").append(std::to_string(r.pos_min)).append("..").append(std::to_string(r.pos_max));
            text.append(" ms of all channels; shown for 44100 Hz stereo)");
            break;
        case SliderLaw::kChorusRate: text.append(" (shown for 44100 Hz stereo)"); break;
        case SliderLaw::kPreamp: text.append(" (value - 12) * 1.5 dB"); break;
        default: break;
    }
    // What the editor's control makes of it.
    if (r.scale == vemo::SliderScale::kLog) text.append(", logarithmic slider");
    if (r.shown == vemo::ValueShown::kSwitch) text = "0 off, 1 on";
    if (r.shown == vemo::ValueShown::kUnused) text.append(" (not read by the effect)");
    return text;
}

void list_effect(int type) {
    const vemo::EffectInfo& fx = vemo::kEffects[type];
    std::printf("%.*s (%d): %.*s\n", int(fx.key.size()), fx.key.data(), type, int(fx.name.size()), fx.name.data());
    for (const ParamRow& r : vemo::effect_rows(type)) {
        if (!listed(r)) continue;
        std::string def = number(vemo::param_default(r, kShownRate, kShownChannels), r);
        if (r.type == vemo::FieldType::kLevels) def = "0 each";
        std::printf("  %-20.*s %-18.*s %s, default %s\n", int(r.field.size()), r.field.data(), int(r.label_en.size()),
                    r.label_en.data(), range_text(r).c_str(), def.c_str());
    }
}

}  // namespace

int effects_command(const std::string& name) {
    if (!name.empty()) {
        const int type = effect_type(name);
        if (type == 0) throw CliError("effects", std::string("\"").append(name).append("\" is not an effect (see vemomix effects)"));
        list_effect(type);
        return 0;
    }
    for (int t = 1; t <= vemo::kEffectCount; ++t) {
        const vemo::EffectInfo& fx = vemo::kEffects[t];
        int count = 0;
        for (const ParamRow& r : vemo::effect_rows(t)) count += listed(r) && r.role != vemo::FieldRole::kEnable;
        std::printf("%2d  %-11.*s %-21.*s %d parameters\n", t, int(fx.key.size()), fx.key.data(), int(fx.name.size()),
                    fx.name.data(), count);
    }
    std::printf("vemomix effects NAME lists an effect's record fields with unit, range and default.\n");
    return 0;
}

}  // namespace vemomix_cli
