// Feed-forward compressor with a mean-square detector (effect type 2).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct CompressorParams {
    int32_t comp_threshold_db = -20;
    int32_t comp_slope_x10 = 5;
    int32_t comp_attack_ms = 1;
    int32_t comp_release_ms = 10;
};

struct Compressor {
    CompressorParams params;

    // Derived from params and the sample rate.
    float comp_threshold = 0;
    float comp_slope = 0;
    float comp_attack_coef = 0;
    float comp_release_coef = 0;
    float comp_detector_coef = 0;

    // One detector and one gain for the whole effect: channel 1 carries on from channel 0.
    float comp_env = 0;   // smoothed mean square; never reset
    float comp_gain = 1;  // gain applied to the current sample
};

// vemomix_init: the defaults, their coefficients for the rate, and a gain of 1.
void fx_reset(Compressor& fx, int rate, int channels);
// vemomix_set: threshold, slope and smoothing coefficients from params; the detector and
// the gain keep their values.
void fx_configure(Compressor& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Compressor& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
