#include "effects/graphic_eq.h"

#include <algorithm>
#include <cmath>

#include "effects/random.h"

namespace vemo {
namespace {

// Levels beyond +-200 dB are held there: that keeps exp() and every sum of the two passes
// finite in double precision (a +200 dB band weighs about 2.3e6).
constexpr float kEqLevelLimit = 200.0f;
// Values written into the second pass's float memories are held inside +-1e30, so a runaway
// cascade of boosted bands can never leave infinities (and then NaN) behind.
constexpr double kEqMemoryLimit = 1e30;

float bounded_store(double v) { return static_cast<float>(std::clamp(v, -kEqMemoryLimit, kEqMemoryLimit)); }

struct BandCoef {
    double alpha, gamma, beta;
};

// What one buffer works with: coefficients widened once, gains read once from the sliders.
struct Snapshot {
    BandCoef coef[kEqMaxBands];
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

template <int C>
void run_frames(EqState& eq, const Snapshot& s, int16_t* pcm, int frames) {
    int i = eq.eq_i, j = eq.eq_j, k = eq.eq_k;
    int pos = eq.eq_dither_pos;
    const int bands = s.bands;
    for (int n = 0; n < frames; ++n, pcm += C) {
        const double d = eq.eq_dither[pos];
        float x[C];
        double acc[C];
        for (int c = 0; c < C; ++c) {
            x[c] = static_cast<float>(pcm[c] * s.preamp[c] + d);
            acc[c] = 0.0;
        }
        for (int b = 0; b < bands; ++b) {
            const BandCoef& f = s.coef[b];
            for (int c = 0; c < C; ++c) {
                EqMemory& m = eq.eq_hist1[b][c];
                m.x[i] = x[c];
                const double y = f.alpha * (static_cast<double>(x[c]) - m.x[k]) + f.gamma * m.y[j] - f.beta * m.y[k];
                m.y[i] = static_cast<float>(y);
                acc[c] += y * s.gain[b][c];
            }
        }
        if (s.extra) {
            // Each band filters the running sum, which already holds the bands before it.
            for (int b = 0; b < bands; ++b) {
                const BandCoef& f = s.coef[b];
                for (int c = 0; c < C; ++c) {
                    EqMemory& m = eq.eq_hist2[b][c];
                    m.x[i] = bounded_store(acc[c]);
                    const double y = f.alpha * (acc[c] - m.x[k]) + f.gamma * m.y[j] - f.beta * m.y[k];
                    m.y[i] = bounded_store(y);
                    acc[c] += y * s.gain2[b][c];
                }
            }
        }
        for (int c = 0; c < C; ++c) {
            const float out = static_cast<float>(acc[c] + 0.45 * x[c] - 0.25 * d);
            pcm[c] = scale_out(round_saturate(out));
        }
        // Rotate: all three move on, and the first one to reach 3 wraps.
        ++i, ++j, ++k;
        if (i == 3) i = 0;
        else if (j == 3) j = 0;
        else k = 0;
        pos = (pos + 1) & (kEqDitherSize - 1);
    }
    eq.eq_i = i, eq.eq_j = j, eq.eq_k = k;
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
    for (auto& band : eq.eq_hist1)
        for (auto& m : band) m = EqMemory{};
    for (auto& band : eq.eq_hist2)
        for (auto& m : band) m = EqMemory{};
    for (double& d : eq.eq_dither) d = vemo_rand() % 4 - 2;
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

void eq_process(EqState& eq, int16_t* pcm, const StageContext& ctx) {
    if (!eq_rate_supported(ctx.rate) || eq.eq_table == nullptr || ctx.frames <= 0) return;
    if (ctx.channels != 1 && ctx.channels != 2) return;

    Snapshot s;
    s.bands = std::clamp(eq.eq_bands_in_use, 0, kEqMaxBands);
    s.extra = eq.eq_extra_filter.load(std::memory_order_relaxed) != 0;
    for (int b = 0; b < s.bands; ++b) {
        const EqBandCoef& row = eq.eq_table[b];
        s.coef[b] = {row.alpha, row.gamma, row.beta};
    }
    for (int c = 0; c < ctx.channels; ++c) {
        s.preamp[c] = eq.eq_preamp[c].load(std::memory_order_relaxed);
        for (int b = 0; b < s.bands; ++b) {
            s.gain[b][c] = eq.eq_gain[b][c].load(std::memory_order_relaxed);
            s.gain2[b][c] = 2.0 * s.gain[b][c];
        }
    }
    if (ctx.channels == 2)
        run_frames<2>(eq, s, pcm, ctx.frames);
    else
        run_frames<1>(eq, s, pcm, ctx.frames);
}

}  // namespace vemo
