#include "effects/chorus.h"

namespace vemo {

void chorus_init(Chorus& fx, int rate, int) {
    fx.params = ChorusParams{};
    fx.phase = 0;
    for (DelayLine& l : fx.line) delay_init(l, rate);
}

void chorus_configure(Chorus& fx, int rate, int) {
    for (DelayLine& l : fx.line) delay_recreate(l, rate);
}

void chorus_clear(Chorus& fx, int rate, int channels) { chorus_configure(fx, rate, channels); }

void chorus_release(Chorus& fx) {
    for (DelayLine& l : fx.line) delay_free(l);
}

ChorusParams chorus_report(const Chorus& fx) { return fx.params; }

void chorus_process(Chorus& fx, int16_t* pcm, const StageContext& ctx) {
    const ChorusParams p = fx.params;
    const double wet = p.chorus_wet, dry = p.chorus_dry, feedback = p.chorus_feedback;
    const int64_t depth128 = static_cast<int64_t>(p.chorus_depth) * 128;
    const float inc = static_cast<float>(p.chorus_rate * 0.001);
    float phi = fx.phase;
    float* x = ctx.work;

    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        DelayLine& line = fx.line[c];
        if (line.size == 0) continue;
        load_channel(pcm, ctx.channels, c, ctx.frames, x);
        for (int i = 0; i < ctx.frames; ++i) {
            const int64_t t = fx.table[static_cast<size_t>(phi)];
            // 64-bit so that a record's depth cannot overflow; a depth beyond the line
            // (more than rate / 64) is limited to the oldest sample the line holds.
            const int64_t d = std::clamp<int64_t>((t / 16 + 1024) * depth128 / 2048, 0, line.size - 1);
            advance_sweep(phi, inc);
            const double v = delay_read(line, static_cast<int>(d));
            const double y = (wet * v * 0.00390625 + dry * x[i] * 0.00390625) * 0.85;
            delay_write(line, line_value(x[i] + v * feedback * 0.00390625));
            x[i] = static_cast<float>(std::clamp(y, -32768.0, 32767.0));
        }
        store_channel(pcm, ctx.channels, c, ctx.frames, x);
    }
    fx.phase = phi;
}

}  // namespace vemo
