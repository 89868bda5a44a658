// Drift: an LFO-swept flanger (effect type 8).  Its lifecycle is the SweptDelay's.
#pragma once
#include <cstdint>

#include "effects/stage.h"
#include "effects/swept_delay.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct DriftParams {
    int32_t drift_feedback = 100;
    int32_t drift_depth = 50;
    int32_t drift_wet = 250;
    int32_t drift_dry = 200;
    int32_t drift_speed = 5;
};

constexpr int kDriftLfoPeak = 1000;

// The LFO: a table entry v lengthens the delay by v * depth / 256 samples around the base of
// 4 * depth.  fx_reset fills one sine period of peak kDriftLfoPeak, so that the delay sweeps
// between about 0.1 and 7.9 times depth samples (5 to 395 samples, 0.1 to 9 ms at 44100 Hz with
// the default depth) -- a flanger's sweep.
struct Drift : SweptDelay {
    DriftParams params;
};

// vemomix_init: defaults, phase 0, the LFO table and two cleared one-second lines.
void fx_reset(Drift& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Drift& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
