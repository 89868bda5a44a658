#include "effects/vibrato.h"

#include <algorithm>
#include <cmath>

#include "effects/delay_line.h"

namespace vemo {
namespace {

void fill_table(Vibrato& fx) {
    fx.table.resize(static_cast<size_t>(fx.table_length));
    const double n = fx.table_length;
    for (int32_t k = 0; k < fx.table_length; ++k)
        fx.table[static_cast<size_t>(k)] = std::sin(k / n * 6.2831854) * fx.depth;
}

}  // namespace

void vibrato_init(Vibrato& fx, int rate, int) {
    fx.params = VibratoParams{};
    fx.line_length = fx.table_length = line_rate(rate);  // see kMaxLineRate
    fx.depth = 25;
    fx.period = static_cast<int32_t>(rate * 0.1);
    for (VibratoChannel& ch : fx.channel) {
        ch.r = ch.w = 0;
        ch.line.assign(static_cast<size_t>(fx.line_length), 0.0);
    }
    fill_table(fx);
}

void vibrato_configure(Vibrato& fx, int rate, int channels) {
    fx.depth = fx.params.vibrato_depth;
    // Held inside the 32-bit range, so that a record's period cannot overflow the conversion.
    const double p = std::trunc(static_cast<double>(fx.params.vibrato_period) * channels * rate * 0.01);
    fx.period = static_cast<int32_t>(std::clamp(p, -2147483648.0, 2147483647.0));
    fx.table_length = line_rate(rate);
    fill_table(fx);
}

void vibrato_clear(Vibrato&, int, int) {}

void vibrato_release(Vibrato& fx) {
    for (VibratoChannel& ch : fx.channel) std::vector<double>().swap(ch.line);
    std::vector<double>().swap(fx.table);
}

VibratoParams vibrato_report(const Vibrato& fx) { return fx.params; }

void vibrato_process(Vibrato& fx, int16_t* pcm, const StageContext& ctx) {
    const int32_t L = fx.line_length;
    const int64_t N = fx.table_length;
    if (L <= 0 || fx.table.size() != static_cast<size_t>(N)) return;
    // A period of 0 (or below) would divide by zero: it counts as 1, holding the oscillator at 0.
    const int64_t P = std::max(fx.period, 1);
    const double two_a = 2.0 * fx.depth;
    const double limit = 2.0 * L - 1;  // the largest position that one wrap brings back into the line
    // k = N * counter / P is kept as a quotient and remainder that advance by N / P and
    // N % P per count, so the sample loop has no 64-bit division.
    const int64_t step = N / P, step_rem = N % P;
    int64_t k = N * fx.counter / P, rem = N * fx.counter % P;
    float* x = ctx.work;

    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        VibratoChannel& ch = fx.channel[c];
        if (ch.line.size() != static_cast<size_t>(L)) continue;
        double* line = ch.line.data();
        int32_t r = ch.r, w = ch.w;
        load_channel(pcm, ctx.channels, c, ctx.frames, x);
        for (int i = 0; i < ctx.frames; ++i) {
            line[w] = x[i];
            if (++w == L) w = 0;
            const int32_t t = w < r ? w + L : w;
            if (++fx.counter >= P) {
                fx.counter = 0;
                k = rem = 0;
            } else {
                k += step;
                if ((rem += step_rem) >= P) rem -= P, ++k;
            }
            const double u = (t - two_a) - fx.table[static_cast<size_t>(k)];
            if (u < 0.0) {
                r = 0;  // trunc toward zero, and a negative position held at 0
            } else {
                // A depth with 3A near or beyond L leaves positions outside the line: they are held inside it.
                r = static_cast<int32_t>(std::min(u, limit));
                if (r >= L) r -= L;
            }
            x[i] = static_cast<float>(line[r]);
        }
        ch.r = r;
        ch.w = w;
        store_channel(pcm, ctx.channels, c, ctx.frames, x);
    }
}

}  // namespace vemo
