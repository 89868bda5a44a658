#include "effects/graphic_eq.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/random.h"

namespace vemo {
namespace {

// Levels beyond +-200 dB are held there: that keeps exp() and every sum of the two passes
// finite in double precision (a +200 dB band weighs about 2.3e6).
constexpr float kEqLevelLimit = 200.0f;
// Values written into the second pass's float memories are held inside +-1e30, so a runaway
// cascade of boosted bands can never leave infinities (and then NaN) behind.
constexpr double kEqMemoryLimit = 1e30;

// Arithmetic on the channels of one frame at once: scalar doubles in mono, a pair of doubles in
// stereo.  Each lane rounds exactly as scalar double code would.
struct MonoLane {
    using V = double;
    static V load(const float* p) { return *p; }
    static void store(float* p, V v) { *p = static_cast<float>(v); }
    static V splat(double v) { return v; }
    static V make(const double* v) { return v[0]; }
    static void unpack(V v, double* out) { out[0] = v; }
    static V add(V a, V b) { return a + b; }
    static V sub(V a, V b) { return a - b; }
    static V mul(V a, V b) { return a * b; }
    static V bound(V v) { return std::clamp(v, -kEqMemoryLimit, kEqMemoryLimit); }
};

#if defined(__SSE2__)
struct StereoLane {
    using V = __m128d;
    static V load(const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void store(float* p, V v) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v)));
    }
    static V splat(double v) { return _mm_set1_pd(v); }
    static V make(const double* v) { return _mm_loadu_pd(v); }
    static void unpack(V v, double* out) { _mm_storeu_pd(out, v); }
    static V add(V a, V b) { return _mm_add_pd(a, b); }
    static V sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V bound(V v) { return _mm_min_pd(_mm_max_pd(v, _mm_set1_pd(-kEqMemoryLimit)), _mm_set1_pd(kEqMemoryLimit)); }
};
#else
struct StereoLane {
    struct V {
        double v[2];
    };
    static V load(const float* p) { return {{p[0], p[1]}}; }
    static void store(float* p, V v) { p[0] = static_cast<float>(v.v[0]), p[1] = static_cast<float>(v.v[1]); }
    static V splat(double v) { return {{v, v}}; }
    static V make(const double* v) { return {{v[0], v[1]}}; }
    static void unpack(V v, double* out) { out[0] = v.v[0], out[1] = v.v[1]; }
    static V add(V a, V b) { return {{a.v[0] + b.v[0], a.v[1] + b.v[1]}}; }
    static V sub(V a, V b) { return {{a.v[0] - b.v[0], a.v[1] - b.v[1]}}; }
    static V mul(V a, V b) { return {{a.v[0] * b.v[0], a.v[1] * b.v[1]}}; }
    static V bound(V v) { return {{MonoLane::bound(v.v[0]), MonoLane::bound(v.v[1])}}; }
};
#endif

// What one buffer works with: coefficients widened once, gains read once from the sliders.
struct Snapshot {
    double alpha[kEqMaxBands], gamma[kEqMaxBands], beta[kEqMaxBands];
    double gain[kEqMaxBands][2];
    double gain2[kEqMaxBands][2];  // the second pass weighs its bands twice
    double preamp[2];
    int bands;
    bool extra;
};

// Nearest integer, halves to even, saturated to 16 bits.
inline int round_saturate(float out) {
    const float limited = std::clamp(out, -32768.0f, 32767.0f);
    // Adding 1.5 * 2^23 leaves a unit-spaced float, so the FPU's own rounding does the work.
    const float rounded = (limited + 12582912.0f) - 12582912.0f;
    return static_cast<int>(rounded);
}

inline int16_t scale_out(int r) {
    const int v = static_cast<int>(1.25 * r);
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

struct Slots {
    int i, j, k;
    // All three move on, and the first one to reach 3 wraps.
    void advance() {
        ++i, ++j, ++k;
        if (i == 3)
            i = 0;
        else if (j == 3)
            j = 0;
        else
            k = 0;
    }
};

// One band of either pass: y = alpha (in - x[n-2]) + gamma y[n-1] - beta y[n-2].
template <class L>
inline typename L::V band(const Snapshot& s, int b, EqMemory& m, const Slots& at, typename L::V in) {
    using V = typename L::V;
    const V xk = L::load(m.x[at.k]);
    const V yj = L::load(m.y[at.j]);
    const V yk = L::load(m.y[at.k]);
    return L::sub(L::add(L::mul(L::splat(s.alpha[b]), L::sub(in, xk)), L::mul(L::splat(s.gamma[b]), yj)),
                  L::mul(L::splat(s.beta[b]), yk));
}

// Frames go through in blocks.  The first pass of a frame is a sum of independent bands; the
// second pass is one long chain (each band filters the sum so far), so the block runs it as a
// wavefront: frame f works on band b while frame f + 1 works on band b - 1, which is exactly when
// that band's memory holds frame f's values.  Every frame sees the same operations in the same
// order as it would alone; only the interleaving across frames changes.
constexpr int kBlock = 8;

template <int C, class L>
void run_block(EqState& eq, const Snapshot& s, int16_t* pcm, int frames, Slots& slots, int& pos) {
    using V = typename L::V;
    const int bands = s.bands;
    V x[kBlock], acc[kBlock];
    Slots at[kBlock];
    double dither[kBlock];

    for (int f = 0; f < frames; ++f) {
        at[f] = slots;
        slots.advance();
        dither[f] = eq.eq_dither[pos];
        pos = (pos + 1) & (kEqDitherSize - 1);
        double held[2];
        for (int c = 0; c < C; ++c) held[c] = static_cast<float>(pcm[f * C + c] * s.preamp[c] + dither[f]);
        x[f] = L::make(held);
        V sum = L::splat(0.0);
        for (int b = 0; b < bands; ++b) {
            EqMemory& m = eq.eq_hist1[b];
            L::store(m.x[at[f].i], x[f]);
            const V y = band<L>(s, b, m, at[f], x[f]);
            L::store(m.y[at[f].i], y);
            sum = L::add(sum, L::mul(y, L::make(s.gain[b])));
        }
        acc[f] = sum;
    }

    if (s.extra) {
        for (int step = 0; step < bands + frames - 1; ++step) {
            const int last = std::min(frames - 1, step);
            for (int f = std::max(0, step - bands + 1); f <= last; ++f) {
                const int b = step - f;
                EqMemory& m = eq.eq_hist2[b];
                L::store(m.x[at[f].i], L::bound(acc[f]));
                const V y = band<L>(s, b, m, at[f], acc[f]);
                L::store(m.y[at[f].i], L::bound(y));
                acc[f] = L::add(acc[f], L::mul(y, L::make(s.gain2[b])));
            }
        }
    }

    for (int f = 0; f < frames; ++f) {
        const V out = L::sub(L::add(acc[f], L::mul(L::splat(0.45), x[f])), L::splat(0.25 * dither[f]));
        double o[2];
        L::unpack(out, o);
        for (int c = 0; c < C; ++c) pcm[f * C + c] = scale_out(round_saturate(static_cast<float>(o[c])));
    }
}

template <int C, class L>
void run_frames(EqState& eq, const Snapshot& s, int16_t* pcm, int frames) {
    Slots slots{eq.eq_i, eq.eq_j, eq.eq_k};
    int pos = eq.eq_dither_pos;
    for (int n = 0; n < frames; n += kBlock)
        run_block<C, L>(eq, s, pcm + n * C, std::min(kBlock, frames - n), slots, pos);
    eq.eq_i = slots.i, eq.eq_j = slots.j, eq.eq_k = slots.k;
    eq.eq_dither_pos = pos;
}

}  // namespace

bool eq_rate_supported(int rate) { return rate == 11025 || rate == 22050 || rate == 44100 || rate == 48000; }

int eq_select_table(EqState& eq, int band_count, int rate) {
    if (rate == 11025 || rate == 22050) {
        eq.eq_table = eq_band_table(rate, 10);
        eq.eq_bands_in_use = 10;
        return rate;
    }
    const int table_rate = rate == 48000 ? 48000 : 44100;
    // The bands in use always follow the table picked, so processing never reads past its end.
    const int bands = (band_count == 15 || band_count == 25 || band_count == 31) ? band_count : 10;
    eq.eq_table = eq_band_table(table_rate, bands);
    eq.eq_bands_in_use = bands;
    return table_rate;
}

void eq_set_gain(EqState& eq, float level, int band, int channel) {
    if (channel < 0 || channel > 1 || band < -1 || band >= kEqMaxBands) return;
    if (std::isnan(level)) level = 0.0f;  // an undefined level is taken as flat
    const double l = std::clamp(level, -kEqLevelLimit, kEqLevelLimit);
    if (band < 0) {
        const double pre = 0.9999994649721758 * std::exp(0.06931473865667184 * l) + 3.7119444716771826e-7;
        eq.eq_preamp[channel].store(static_cast<float>(pre), std::memory_order_relaxed);
    } else {
        const double g = 0.25220207857061455 * std::exp(0.08017836180235399 * l) - 0.2522020785283656;
        eq.eq_gain[band][channel].store(static_cast<float>(g), std::memory_order_relaxed);
    }
}

void eq_reset(EqState& eq) {
    for (EqMemory& m : eq.eq_hist1) m = EqMemory{};
    for (EqMemory& m : eq.eq_hist2) m = EqMemory{};
    for (double& d : eq.eq_dither) d = eq.rng.next() % 4 - 2;
    eq.eq_dither_pos = 0;
}

void eq_set_band_count(EqState& eq, int n, int rate, int channels) {
    eq.eq_band_count = n;
    eq_select_table(eq, n, rate);
    // Only 31 bands and 2 channels exist, whatever the caller asks for.
    const int bands = std::clamp(n, 0, kEqMaxBands);
    const int chans = std::clamp(channels, 0, 2);
    for (int c = 0; c < chans; ++c) {
        eq_set_gain(eq, 0.0f, -1, c);
        for (int b = 0; b < bands; ++b) eq_set_gain(eq, 0.0f, b, c);
    }
    eq_reset(eq);
}

void fx_reset(EqState& eq, int rate, int channels) {
    if (!eq_rate_supported(rate)) return;
    eq.eq_extra_filter.store(0, std::memory_order_relaxed);
    eq_set_band_count(eq, 10, rate, channels);
}

namespace {

// The record's levels and option, for the bands its count lays out.
void take_levels(EqState& eq, const EffectSettings& in, int channels) {
    eq.eq_extra_filter.store(in.eq_extra_filter, std::memory_order_relaxed);
    // Only 31 bands exist, whatever the record claims.
    const int bands = std::clamp(in.eq_band_count, 0, kEqMaxBands);
    for (int b = 0; b < bands; ++b)
        for (int c = 0; c < channels; ++c) eq_set_gain(eq, static_cast<float>(in.eq_band_level[b]), b, c);
    for (int c = 0; c < channels; ++c)
        eq_set_gain(eq, static_cast<float>((static_cast<double>(in.eq_preamp_pos) - 12) * 1.5), -1, c);
}

}  // namespace

void fx_take_record(EqState& eq, const EffectSettings& in, int rate, int channels) {
    eq_set_band_count(eq, in.eq_band_count, rate, channels);
    take_levels(eq, in, channels);
}

void fx_take_change(EqState& eq, const EffectSettings& next, int, int rate, int channels) {
    if (next.eq_band_count != eq.eq_band_count)
        fx_take_record(eq, next, rate, channels);
    else
        take_levels(eq, next, channels);
}

void fx_clear(EqState& eq, int, int) { eq_reset(eq); }

void fx_process(EqState& eq, int16_t* pcm, const StageContext& ctx) {
    if (!eq_rate_supported(ctx.rate) || eq.eq_table == nullptr || ctx.frames <= 0) return;
    if (ctx.channels != 1 && ctx.channels != 2) return;

    Snapshot s;
    s.bands = std::clamp(eq.eq_bands_in_use, 0, kEqMaxBands);
    s.extra = eq.eq_extra_filter.load(std::memory_order_relaxed) != 0;
    for (int b = 0; b < s.bands; ++b) {
        s.alpha[b] = eq.eq_table[b].alpha;
        s.gamma[b] = eq.eq_table[b].gamma;
        s.beta[b] = eq.eq_table[b].beta;
    }
    for (int c = 0; c < ctx.channels; ++c) {
        s.preamp[c] = eq.eq_preamp[c].load(std::memory_order_relaxed);
        for (int b = 0; b < s.bands; ++b) {
            s.gain[b][c] = eq.eq_gain[b][c].load(std::memory_order_relaxed);
            s.gain2[b][c] = 2.0 * s.gain[b][c];
        }
    }
    if (ctx.channels == 2)
        run_frames<2, StereoLane>(eq, s, pcm, ctx.frames);
    else
        run_frames<1, MonoLane>(eq, s, pcm, ctx.frames);
}

}  // namespace vemo
