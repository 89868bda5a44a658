// Graphic equaliser: 10, 15, 25 or 31 parallel band-passes summed with a scaled dry path
// (effect type 1).  Band tables are fixed per rate and band count.
#pragma once
#include <atomic>
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

constexpr int kEqMaxBands = 31;

// One row of a band table.
struct EqBandCoef {
    float freq;     // centre frequency, Hz
    char label[12]; // slider caption, NUL-padded
    float beta;     // weight of y[n-2]
    float alpha;    // weight of x[n] - x[n-2]
    float gamma;    // weight of y[n-1]
};

struct EqMemory {
    float x[3];
    float y[3];
};

struct EqState {
    int eq_band_count = 10;
    // Written by the editor's option button while audio runs.
    std::atomic<uint8_t> eq_extra_filter{0};
    const EqBandCoef* eq_table = nullptr;
    int eq_bands_in_use = 10;
    // Written by the editor's sliders while audio runs; relaxed atomics cost nothing on x86.
    std::atomic<float> eq_gain[kEqMaxBands][2] = {};
    std::atomic<float> eq_preamp[2] = {};
    EqMemory eq_hist1[kEqMaxBands][2] = {};
    EqMemory eq_hist2[kEqMaxBands][2] = {};
    int eq_i = 0, eq_j = 2, eq_k = 1;
    double eq_dither[256] = {};
    int eq_dither_pos = 0;
};

bool eq_rate_supported(int rate);
// Picks the band table; returns the rate as the equaliser stores it (44100 for anything else
// than 11025, 22050 and 48000).
int eq_select_table(EqState& eq, int band_count, int rate);
void eq_set_gain(EqState& eq, float level, int band, int channel);
void eq_reset(EqState& eq);
void eq_set_band_count(EqState& eq, int n, int rate, int channels);
void eq_process(EqState& eq, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
