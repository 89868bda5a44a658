// Six-stage swept all-pass phaser with feedback (effect type 9).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them
// (the record's floats truncated to whole numbers).
struct PhaserParams {
    int32_t phaser_low_hz = 440;
    int32_t phaser_high_hz = 1600;
    int32_t phaser_rate = 50;
    int32_t phaser_feedback = 70;
    int32_t phaser_mix = 10;
};

struct AllpassStage {
    float a = 0.0f;  // coefficient
    float z = 0.0f;  // memory
};

// One channel's sweep, stages and feedback, plus the integer copies that vemomix_get reports.
struct PhaserChannel {
    PhaserChannel();

    float fs = 44100.0f;
    int32_t low_copy = 0, high_copy = 0, rate_copy = 0, feedback_copy = 0, mix_copy = 0;
    AllpassStage stages[6];
    float dmin = 0.0f, dmax = 0.0f;
    float fb = 0.0f;
    float phase = 0.0f;  // oscillator, radians
    float step = 0.0f;   // oscillator advance per sample
    float mix = 0.0f;
    float y1 = 0.0f;     // last output of the sixth stage, fed back
};

struct Phaser {
    PhaserParams params;
    PhaserChannel channel[2];
};

// vemomix_init: the sweep's defaults for the new rate; feedback, mix and all memories stay.
void fx_reset(Phaser& fx, int rate, int channels);
// vemomix_set: every value from params for both channels; memories and phase stay.
void fx_configure(Phaser& fx, int rate, int channels);
// What vemomix_get reports: channel 0's integer copies.
PhaserParams fx_report(const Phaser& fx);
// One buffer, in place.
void fx_process(Phaser& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
