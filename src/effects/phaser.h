// Six-stage swept all-pass phaser with feedback (effect type 9).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct PhaserParams {
    int32_t phaser_low_hz = 440;
    int32_t phaser_high_hz = 1600;
    int32_t phaser_rate = 50;
    int32_t phaser_feedback = 70;
    int32_t phaser_mix = 10;
};

struct Phaser {
    PhaserParams params;
};

// vemomix_init: defaults and buffers for a new format.
void phaser_init(Phaser& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void phaser_configure(Phaser& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void phaser_clear(Phaser& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void phaser_release(Phaser& fx);
// What vemomix_get reports.
PhaserParams phaser_report(const Phaser& fx);
// One buffer, in place.
void phaser_process(Phaser& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
