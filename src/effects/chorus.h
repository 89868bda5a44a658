// Chorus on a recirculating DelayLine per channel (effect type 11).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct ChorusParams {
    int32_t chorus_depth = 50;
    int32_t chorus_rate = 5;
    int32_t chorus_wet = 250;
    int32_t chorus_dry = 200;
    int32_t chorus_feedback = 100;
};

struct Chorus {
    ChorusParams params;
};

// vemomix_init: defaults and buffers for a new format.
void chorus_init(Chorus& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void chorus_configure(Chorus& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void chorus_clear(Chorus& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void chorus_release(Chorus& fx);
// What vemomix_get reports.
ChorusParams chorus_report(const Chorus& fx);
// One buffer, in place.
void chorus_process(Chorus& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
