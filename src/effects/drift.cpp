#include "effects/drift.h"

#include <algorithm>
#include <utility>

namespace vemo {

void fx_reset(Drift& fx, int rate, int) {
    fx.params = DriftParams{};
    sweep_init(fx, rate, kDriftLfoPeak);
}

void fx_process(Drift& fx, int16_t* pcm, const StageContext& ctx) {
    const DriftParams p = fx.params;
    const double wet = p.drift_wet, dry = p.drift_dry, feedback = p.drift_feedback;
    const int64_t depth8 = static_cast<int64_t>(p.drift_depth) * 8;
    // 64-bit so that a record's depth cannot overflow; the line limits the delay.
    auto delay_of = [depth8](int64_t v) { return (v + 1024) * depth8 / 2048; };
    auto mix = [=](double w, double a) {
        const double out = wet * a * 0.00390625 + dry * w * 0.00390625;
        return std::pair{std::clamp(out * 0.85, -32768.0, 32767.0), w + feedback * a * 0.00390625};
    };
    sweep_process(fx, static_cast<float>(p.drift_speed * 0.001), pcm, ctx, delay_of, mix);
}

}  // namespace vemo
