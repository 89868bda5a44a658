// Chorus on a recirculating SweptDelay (effect type 11).
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

struct Chorus {
    ChorusParams params;
    // The modulation, advanced by chorus_rate / 1000 steps per sample: a table entry t moves the
    // delay by trunc(t / 16) * depth / 16 samples around the base of 64 * depth.  chorus_init
    // fills one sine period of +-kChorusSweepPeak (the delay swings by +-2 %, a gentle detune at
    // chorus_rate).
    SweptDelay sweep;
};

// vemomix_init: defaults, phase 0, the modulation table and two cleared one-second lines.
void chorus_init(Chorus& fx, int rate, int channels);
// vemomix_set: params were just replaced; both lines start again empty.
void chorus_configure(Chorus& fx, int rate, int channels);
// Off the engine lock, before chorus_configure or chorus_clear: the cleared lines they will take.
void chorus_prepare(Chorus& fx, int rate, int channels);
// vemomix_datarefresh: both lines start again empty; parameters stay.
void chorus_clear(Chorus& fx, int rate, int channels);
// vemomix_close: give back both lines.
void chorus_release(Chorus& fx);
// One buffer, in place.
void chorus_process(Chorus& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
