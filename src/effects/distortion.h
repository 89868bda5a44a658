// RC high-pass, drive, slew limiter, level and resonator (effect type 4).
#pragma once
#include <cstdint>

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
};

// vemomix_init: defaults and buffers for a new format.
void distortion_init(Distortion& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void distortion_configure(Distortion& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void distortion_clear(Distortion& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void distortion_release(Distortion& fx);
// What vemomix_get reports.
DistortionParams distortion_report(const Distortion& fx);
// One buffer, in place.
void distortion_process(Distortion& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
