// Vibrato: a sine-swept whole-sample delay per channel (effect type 16).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct VibratoParams {
    int32_t vibrato_period = 20;
    int32_t vibrato_depth = 25;
};

struct Vibrato {
    VibratoParams params;
};

// vemomix_init: defaults and buffers for a new format.
void vibrato_init(Vibrato& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void vibrato_configure(Vibrato& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void vibrato_clear(Vibrato& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void vibrato_release(Vibrato& fx);
// What vemomix_get reports.
VibratoParams vibrato_report(const Vibrato& fx);
// One buffer, in place.
void vibrato_process(Vibrato& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
