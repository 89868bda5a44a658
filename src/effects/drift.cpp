#include "effects/drift.h"

#include <algorithm>
#include <utility>

namespace vemo {

void drift_fill_lfo(Drift& fx) { fill_sine_sweep(fx.lfo, 1000); }

void drift_init(Drift& fx, int rate, int) {
    fx.params = DriftParams{};
    fx.phase = 0;
    drift_fill_lfo(fx);
    for (DelayLine& l : fx.line) delay_init(l, rate);
}

void drift_configure(Drift& fx, int rate, int) {
    for (int c = 0; c < 2; ++c) delay_recreate(fx.line[c], rate, fx.spare[c]);
}

void drift_prepare(Drift& fx, int rate, int) {
    for (int c = 0; c < 2; ++c) delay_prepare(fx.line[c], rate, fx.spare[c]);
}

void drift_clear(Drift& fx, int rate, int channels) { drift_configure(fx, rate, channels); }

void drift_release(Drift& fx) {
    for (DelayLine& l : fx.line) delay_free(l);
    for (SpareBuffer<float>& s : fx.spare) s.release();
}

void drift_process(Drift& fx, int16_t* pcm, const StageContext& ctx) {
    const DriftParams p = fx.params;
    const double wet = p.drift_wet, dry = p.drift_dry, feedback = p.drift_feedback;
    const int64_t depth8 = static_cast<int64_t>(p.drift_depth) * 8;
    // 64-bit so that a record's depth cannot overflow; the line limits the delay.
    auto delay_of = [depth8](int64_t v) { return (v + 1024) * depth8 / 2048; };
    auto mix = [=](double w, double a) {
        const double out = wet * a * 0.00390625 + dry * w * 0.00390625;
        return std::pair{std::clamp(out * 0.85, -32768.0, 32767.0), w + feedback * a * 0.00390625};
    };
    run_swept_lines(fx.line, fx.lfo, fx.phase, static_cast<float>(p.drift_speed * 0.001), pcm, ctx, delay_of, mix);
}

}  // namespace vemo
