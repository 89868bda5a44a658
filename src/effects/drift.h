// Drift: an LFO-swept flanger on a DelayLine per channel (effect type 8).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct DriftParams {
    int32_t drift_feedback = 100;
    int32_t drift_depth = 50;
    int32_t drift_wet = 250;
    int32_t drift_dry = 200;
    int32_t drift_speed = 5;
};

struct Drift {
    DriftParams params;
};

// vemomix_init: defaults and buffers for a new format.
void drift_init(Drift& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void drift_configure(Drift& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void drift_clear(Drift& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void drift_release(Drift& fx);
// What vemomix_get reports.
DriftParams drift_report(const Drift& fx);
// One buffer, in place.
void drift_process(Drift& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
