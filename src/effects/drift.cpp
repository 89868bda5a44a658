#include "effects/drift.h"

#include <cstdint>

namespace vemo {

void fx_reset(Drift& fx, int rate, int) {
    fx.params = DriftParams{};
    sweep_init(fx, rate, kDriftLfoPeak);
}

void fx_process(Drift& fx, int16_t* pcm, const StageContext& ctx) {
    const DriftParams p = fx.params;
    const int64_t depth8 = static_cast<int64_t>(p.drift_depth) * 8;
    // 64-bit so that a record's depth cannot overflow; the line limits the delay.
    auto delay_of = [depth8](int64_t v) { return (v + 1024) * depth8 / 2048; };
    sweep_process(fx, static_cast<float>(p.drift_speed * 0.001), pcm, ctx, delay_of,
                  trim_mix(p.drift_wet, p.drift_dry, p.drift_feedback));
}

}  // namespace vemo
