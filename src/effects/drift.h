// Drift: an LFO-swept flanger on a SweptDelay (effect type 8).
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

struct Drift {
    DriftParams params;
    // The LFO: a table entry v lengthens the delay by v * depth / 256 samples around the base
    // of 4 * depth.  drift_init fills one sine period of peak kDriftLfoPeak, so that the delay
    // sweeps between about 0.1 and 7.9 times depth samples (5 to 395 samples, 0.1 to 9 ms at
    // 44100 Hz with the default depth) -- a flanger's sweep.
    SweptDelay sweep;
};

// vemomix_init: defaults, phase 0, the LFO table and two cleared one-second lines.
void drift_init(Drift& fx, int rate, int channels);
// vemomix_set: params were just replaced; both lines start again empty.
void drift_configure(Drift& fx, int rate, int channels);
// Off the engine lock, before drift_configure or drift_clear: the cleared lines they will take.
void drift_prepare(Drift& fx, int rate, int channels);
// vemomix_datarefresh: both lines start again empty; parameters and phase stay.
void drift_clear(Drift& fx, int rate, int channels);
// vemomix_close: give back both lines.
void drift_release(Drift& fx);
// One buffer, in place.
void drift_process(Drift& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
