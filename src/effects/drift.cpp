#include "effects/drift.h"

#include <cmath>

namespace vemo {
void drift_fill_lfo(Drift& fx) {
    constexpr double kTwoPi = 6.283185307179586;
    const int period = static_cast<int>(kSweepPhaseEnd);
    for (int k = 0; k < kSweepSteps; ++k)
        fx.lfo[static_cast<size_t>(k)] = static_cast<int32_t>(std::lround(1000.0 * std::sin(kTwoPi * k / period)));
}

void drift_init(Drift& fx, int rate, int) {
    fx.params = DriftParams{};
    fx.phase = 0;
    drift_fill_lfo(fx);
    for (DelayLine& l : fx.line) delay_init(l, rate);
}

void drift_configure(Drift& fx, int rate, int) {
    for (DelayLine& l : fx.line) delay_recreate(l, rate);
}

void drift_clear(Drift& fx, int rate, int channels) { drift_configure(fx, rate, channels); }

void drift_release(Drift& fx) {
    for (DelayLine& l : fx.line) delay_free(l);
}

DriftParams drift_report(const Drift& fx) { return fx.params; }

void drift_process(Drift& fx, int16_t* pcm, const StageContext& ctx) {
    const DriftParams p = fx.params;
    const double wet = p.drift_wet, dry = p.drift_dry, feedback = p.drift_feedback;
    const int64_t depth8 = static_cast<int64_t>(p.drift_depth) * 8;
    const float inc = static_cast<float>(p.drift_speed * 0.001);
    float phi = fx.phase;
    float* x = ctx.work;

    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        DelayLine& line = fx.line[c];
        if (line.size == 0) continue;
        load_channel(pcm, ctx.channels, c, ctx.frames, x);
        for (int i = 0; i < ctx.frames; ++i) {
            const double w = x[i];
            const double dry_part = dry * w * 0.00390625;
            const int64_t v = fx.lfo[static_cast<size_t>(phi)];
            // 64-bit so that a record's depth cannot overflow; the delay never reaches past the line.
            const int64_t d = std::clamp<int64_t>((v + 1024) * depth8 / 2048, 0, line.size - 1);
            advance_sweep(phi, inc);
            const double a = delay_read(line, static_cast<int>(d));
            const double out = wet * a * 0.00390625 + dry_part;
            delay_write(line, line_value(w + feedback * a * 0.00390625));
            x[i] = static_cast<float>(std::clamp(out * 0.85, -32768.0, 32767.0));
        }
        store_channel(pcm, ctx.channels, c, ctx.frames, x);
    }
    fx.phase = phi;
}

}  // namespace vemo
