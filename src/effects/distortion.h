// RC high-pass, drive, slew limiter, level and resonator (effect type 4).
#pragma once
#include <cstdint>

#include "effects/rc_filter.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct DistortionParams {
    int32_t dist_max_step = 10000;
    int32_t dist_level = 20;
    int32_t dist_drive = 555;
    int32_t dist_low_cut_hz = 350;
    int32_t dist_tone_hz = 3000;
};

struct Distortion {
    DistortionParams params;
    RcFilter low_cut;  // 4 high-pass sections of gain 1.5 at dist_low_cut_hz
    RcFilter tone;     // 4 sections of gain 1.0 at dist_tone_hz; its memories hold the resonator
    // The previous limited sample per channel: 0 at load, and nothing ever resets it.
    int32_t dist_prev[2] = {0, 0};
};

// vemomix_init: the defaults and both filters designed for them.
void fx_reset(Distortion& fx, int rate, int channels);
// vemomix_set: both filters designed anew from the cut-off and tone frequencies.
void fx_configure(Distortion& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Distortion& fx, int16_t* pcm, const StageContext& ctx);

// The drive and slew-limiter step on one channel's block: each value is driven by dist_drive/16,
// moves at most dist_max_step from the previous limited value, and is scaled by dist_level/256.
void distortion_drive_limit(Distortion& fx, float* block, int count, int channel);

}  // namespace vemo
