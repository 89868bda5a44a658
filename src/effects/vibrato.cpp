#include "effects/vibrato.h"

#include <algorithm>
#include <cmath>

#include "effects/delay_line.h"

namespace vemo {
namespace {

// A record that leaves N and A as they were keeps the table: refilling it is a sine per entry,
// about a millisecond under the engine lock for nothing.
void fill_sine(std::vector<double>& table, int32_t length, int32_t depth) {
    table.resize(static_cast<size_t>(length));
    const double n = length;
    for (int32_t k = 0; k < length; ++k) table[static_cast<size_t>(k)] = std::sin(k / n * 6.2831854) * depth;
}

// The table for the current N and A: kept when it already is, taken from the spare when that
// was made for them, computed here only when neither.
void fill_table(Vibrato& fx) {
    if (fx.table.size() == static_cast<size_t>(fx.table_length) && fx.table_depth == fx.depth) return;
    if (fx.spare_table.size() == static_cast<size_t>(fx.table_length) && fx.spare_depth == fx.depth) {
        fx.table.swap(fx.spare_table);
        std::swap(fx.table_depth, fx.spare_depth);
        return;
    }
    fx.table_depth = fx.depth;
    fill_sine(fx.table, fx.table_length, fx.depth);
}

}  // namespace

void fx_reset(Vibrato& fx, int rate, int) {
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

void fx_prepare_configure(Vibrato& fx, const VibratoParams& next, int rate, int) {
    const int32_t length = line_rate(rate), depth = next.vibrato_depth;
    if (fx.table.size() == static_cast<size_t>(length) && fx.table_depth == depth) return;
    if (fx.spare_table.size() == static_cast<size_t>(length) && fx.spare_depth == depth) return;
    fx.spare_depth = depth;
    fill_sine(fx.spare_table, length, depth);
}

void fx_configure(Vibrato& fx, int rate, int channels) {
    fx.depth = fx.params.vibrato_depth;
    // Held inside the 32-bit range, so that a record's period cannot overflow the conversion.
    const double p = std::trunc(static_cast<double>(fx.params.vibrato_period) * channels * rate * 0.01);
    fx.period = static_cast<int32_t>(std::clamp(p, -2147483648.0, 2147483647.0));
    fx.table_length = line_rate(rate);
    fill_table(fx);
}

void fx_release(Vibrato& fx) {
    for (VibratoChannel& ch : fx.channel) std::vector<double>().swap(ch.line);
    std::vector<double>().swap(fx.table);
    std::vector<double>().swap(fx.spare_table);
}

namespace {

// The shared oscillator as one channel's pass sees it: the counter and k = N * counter / P,
// kept as a quotient and remainder that advance by N / P and N % P per count, so the sample
// loop has no 64-bit division.
struct Sweep {
    int32_t counter;
    int64_t k, rem;

    Sweep(int32_t c, int64_t N, int64_t P) : counter(c), k(N * c / P), rem(N * c % P) {}
    void advance(int64_t P, int64_t step, int64_t step_rem) {
        if (++counter >= P) {
            counter = 0;
            k = rem = 0;
        } else {
            k += step;
            if ((rem += step_rem) >= P) rem -= P, ++k;
        }
    }
};

// Where the counter stands after `frames` counts from c (a counter at or past P goes to 0 first).
int32_t counter_after(int32_t c, int frames, int64_t P) {
    if (frames <= 0) return c;
    if (c >= P) return static_cast<int32_t>((frames - 1) % P);
    return static_cast<int32_t>((c + int64_t{frames}) % P);
}

// One channel's line and positions through a buffer.
struct Tap {
    double* line;
    int32_t r, w;
    explicit Tap(VibratoChannel& ch) : line(ch.line.data()), r(ch.r), w(ch.w) {}
    void keep(VibratoChannel& ch) const {
        ch.r = r;
        ch.w = w;
    }
};

struct Shape {
    int32_t L;
    int64_t P, step, step_rem;
    double two_a, limit;
    const double* table;

    // One sample in, the delayed one out; the sweep moves on by one count.
    float run(Tap& t, Sweep& s, float x) const {
        t.line[t.w] = x;
        if (++t.w == L) t.w = 0;
        const int32_t pos = t.w < t.r ? t.w + L : t.w;
        s.advance(P, step, step_rem);
        const double u = (pos - two_a) - table[static_cast<size_t>(s.k)];
        if (u < 0.0) {
            t.r = 0;  // trunc toward zero, and a negative position held at 0
        } else {
            // A depth with 3A near or beyond L leaves positions outside the line: they are held inside it.
            t.r = static_cast<int32_t>(std::min(u, limit));
            if (t.r >= L) t.r -= L;
        }
        return static_cast<float>(t.line[t.r]);
    }
};

}  // namespace

void fx_process(Vibrato& fx, int16_t* pcm, const StageContext& ctx) {
    const int32_t L = fx.line_length;
    const int64_t N = fx.table_length;
    if (L <= 0 || fx.table.size() != static_cast<size_t>(N)) return;
    // A period of 0 (or below) would divide by zero: it counts as 1, holding the oscillator at 0.
    const int64_t P = std::max(fx.period, 1);
    const Shape shape{L, P, N / P, N % P, 2.0 * fx.depth, 2.0 * L - 1, fx.table.data()};
    const int frames = ctx.frames;
    auto usable = [&](int c) { return fx.channel[c].line.size() == static_cast<size_t>(L); };

    if (ctx.channels == 2 && usable(0) && usable(1)) {
        // Channel 1's pass starts where channel 0's ends, which is known in advance: the two run
        // side by side, each with its own copy of the oscillator.
        Sweep s0(fx.counter, N, P), s1(counter_after(fx.counter, frames, P), N, P);
        Tap t0(fx.channel[0]), t1(fx.channel[1]);
        for (int i = 0; i < frames; ++i) {
            int16_t* frame = pcm + 2 * i;
            frame[0] = static_cast<int16_t>(shape.run(t0, s0, frame[0]));
            frame[1] = static_cast<int16_t>(shape.run(t1, s1, frame[1]));
        }
        t0.keep(fx.channel[0]);
        t1.keep(fx.channel[1]);
        if (frames > 0) fx.counter = s1.counter;
        return;
    }
    // One channel after the other, the oscillator running on through both.
    Sweep s(fx.counter, N, P);
    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        if (!usable(c)) continue;
        Tap t(fx.channel[c]);
        for (int i = 0; i < frames; ++i) {
            int16_t& sample = pcm[static_cast<ptrdiff_t>(i) * ctx.channels + c];
            sample = static_cast<int16_t>(shape.run(t, s, sample));
        }
        t.keep(fx.channel[c]);
    }
    fx.counter = s.counter;
}

}  // namespace vemo
