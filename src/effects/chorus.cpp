#include "effects/chorus.h"

#include <cstdint>

namespace vemo {

void fx_reset(Chorus& fx, int rate, int) {
    fx.params = ChorusParams{};
    sweep_init(fx, rate, kChorusSweepPeak);
}

void fx_process(Chorus& fx, int16_t* pcm, const StageContext& ctx) {
    const ChorusParams p = fx.params;
    const int64_t depth128 = static_cast<int64_t>(p.chorus_depth) * 128;
    // 64-bit so that a record's depth cannot overflow; a depth beyond the line (more than
    // rate / 64) is limited to the oldest sample the line holds.
    auto delay_of = [depth128](int64_t t) { return (t / 16 + 1024) * depth128 / 2048; };
    sweep_process(fx, static_cast<float>(p.chorus_rate * 0.001), pcm, ctx, delay_of,
                  trim_mix(p.chorus_wet, p.chorus_dry, p.chorus_feedback));
}

}  // namespace vemo
