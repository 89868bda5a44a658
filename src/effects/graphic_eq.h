// Graphic equaliser: 10, 15, 25 or 31 parallel band-passes summed with a scaled dry path
// (effect type 1).  Band tables are fixed per rate and band count (effects/eq_tables.h).
#pragma once
#include "effects/random.h"
#include <atomic>
#include <cstdint>

#include "effects/eq_tables.h"
#include "effects/stage.h"
#include "vemosoundmix.h"

namespace vemo {

constexpr int kEqMaxBands = 31;
constexpr int kEqDitherSize = 256;

// One band's memory: three slots each, addressed by the shared rotating indices eq_i / eq_j /
// eq_k, with both channels of a slot side by side so that they load as one pair.
struct EqMemory {
    float x[3][2];  // [slot][channel]
    float y[3][2];
};

struct EqState {
    RngLink rng;  // the dither's random numbers
    int eq_band_count = 10;
    // Written by the editor's option button while audio runs.
    std::atomic<uint8_t> eq_extra_filter{0};
    const EqBandCoef* eq_table = nullptr;
    int eq_bands_in_use = 10;
    // Written by the editor's sliders while audio runs; relaxed atomics cost nothing on x86.
    std::atomic<float> eq_gain[kEqMaxBands][2] = {};
    std::atomic<float> eq_preamp[2] = {};
    EqMemory eq_hist1[kEqMaxBands] = {};  // first pass
    EqMemory eq_hist2[kEqMaxBands] = {};  // second pass
    // Slots of x[n], x[n-1]/y[n-1] and x[n-2]/y[n-2], shared by every band and channel.
    int eq_i = 0, eq_j = 2, eq_k = 1;
    double eq_dither[kEqDitherSize] = {};
    int eq_dither_pos = 0;
};

// The band tables exist for these four rates only; at any other the equaliser neither resets nor
// runs.
bool eq_rate_supported(int rate);
// Picks the band table; returns the rate as the equaliser stores it (44100 for anything else
// than 11025, 22050 and 48000).
int eq_select_table(EqState& eq, int band_count, int rate);
// band -1 is the pre-gain; level in dB.
void eq_set_gain(EqState& eq, float level, int band, int channel);
// Clears both passes' memories and draws new dither; the slot indices stay where they are.
void eq_reset(EqState& eq);
// New band count at the given rate: every gain of every channel back to 0 dB, memories cleared.
void eq_set_band_count(EqState& eq, int n, int rate, int channels);

// The equaliser's lifecycle.  Its values are not in a params struct (the editor's page holds the
// levels), so it takes them from the record itself.
// vemomix_init, at a supported rate: 10 bands, option off, every gain 0 dB, memories cleared.
void fx_reset(EqState& eq, int rate, int channels);
// vemomix_set: the record's band count lays the bands out afresh, then its levels and option apply.
void fx_take_record(EqState& eq, const EffectSettings& in, int rate, int channels);
// A live change: a new band count as vemomix_set; otherwise the levels and option only set gains.
void fx_take_change(EqState& eq, const EffectSettings& next, int changed, int rate, int channels);
// vemomix_datarefresh: memories cleared, new dither.
void fx_clear(EqState& eq, int rate, int channels);
// One buffer, in place (nothing at an unsupported rate).
void fx_process(EqState& eq, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
