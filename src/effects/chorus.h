// Chorus on a recirculating delay (effect type 11).  Its lifecycle is the SweptDelay's.
#pragma once
#include <cstdint>

#include "effects/stage.h"
#include "effects/swept_delay.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct ChorusParams {
    int32_t chorus_depth = 50;
    int32_t chorus_rate = 5;
    int32_t chorus_wet = 250;
    int32_t chorus_dry = 200;
    int32_t chorus_feedback = 100;
};

constexpr int kChorusSweepPeak = 320;

// The modulation, advanced by chorus_rate / 1000 steps per sample: a table entry t moves the
// delay by trunc(t / 16) * depth / 16 samples around the base of 64 * depth.  fx_reset fills one
// sine period of +-kChorusSweepPeak (the delay swings by +-2 %, a gentle detune at chorus_rate).
struct Chorus : SweptDelay {
    ChorusParams params;
};

// vemomix_init: defaults, phase 0, the modulation table and two cleared one-second lines.
void fx_reset(Chorus& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Chorus& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
