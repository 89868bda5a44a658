// Wah-wah: a swept resonant low-pass per channel (effect type 13).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct WahParams {
    int32_t wah_rate = 25;
    int32_t wah_offset = 30;
    int32_t wah_depth = 70;
    int32_t wah_resonance = 30;
};

struct Wah {
    WahParams params;
};

// vemomix_init: defaults and buffers for a new format.
void wah_init(Wah& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void wah_configure(Wah& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void wah_clear(Wah& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void wah_release(Wah& fx);
// What vemomix_get reports.
WahParams wah_report(const Wah& fx);
// One buffer, in place.
void wah_process(Wah& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
