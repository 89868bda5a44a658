#include "effects/reverb.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/delay_line.h"
#include "effects/random.h"

namespace vemo {
namespace {

constexpr float kPerMetre = 1.0f / 330.0f;       // 0.0030303029
constexpr float kPerRandStep = 1.0f / 32767.0f;  // 3.0518509e-05

int32_t round_trip(int16_t metres, int rate) { return 2 * reverb_samples(metres, rate); }

// A count taken as unsigned 16 bits, then as a float.
float as_u16_float(int32_t count) { return static_cast<float>(static_cast<uint16_t>(count)); }

// 10^(dB * 0.05); a record's large positive level would overflow a float: it is held at
// the largest float so that the products it enters stay finite.
float level_gain(int16_t db) {
    return static_cast<float>(std::min(std::pow(10.0, db * static_cast<double>(0.05f)), static_cast<double>(FLT_MAX)));
}

void take_params(Reverb& fx) {
    for (ReverbChannel& ch : fx.channel) {
        ch.params = fx.params;
        ch.tap_count = std::min<int16_t>(fx.params.reverb_tap_count, kReverbMaxTaps);  // the table's size
    }
}

void draw_taps(ReverbChannel& ch, RngLink& rng, int rate) {
    const float spread = as_u16_float(round_trip(ch.params.reverb_room_m, rate));
    const float offset = as_u16_float(reverb_samples(ch.params.reverb_offset_m, rate));
    float decay = as_u16_float(round_trip(ch.params.reverb_decay_m, rate));
    // A decay of 0 samples would divide by zero: it counts as 1 sample (weights fall off at once).
    if (decay == 0.0f) decay = 1.0f;
    for (int j = 0; j < ch.tap_count; ++j) {
        ReverbTap& tap = ch.taps[static_cast<size_t>(j)];
        const int r1 = rng.next();
        const float t = static_cast<float>(spread * (r1 * static_cast<double>(kPerRandStep)));
        tap.delay = static_cast<uint16_t>(static_cast<int64_t>(std::trunc(static_cast<double>(offset) + t)));
        const int r2 = rng.next();
        tap.weight = static_cast<float>(std::exp(-static_cast<double>(t) / decay) * (2 * r2 - 1) *
                                        static_cast<double>(kPerRandStep));
    }
}

void derive_levels(ReverbChannel& ch) {
    ch.feedback_gain = level_gain(ch.params.reverb_feedback_db);
    ch.wet_gain = level_gain(ch.params.reverb_wet_db);
}

}  // namespace

int32_t reverb_samples(int16_t metres, int rate) {
    // The 32-bit product wraps as a 32-bit multiply does.
    const auto product = static_cast<int32_t>(static_cast<int64_t>(metres) * rate);
    return static_cast<int32_t>(std::trunc(static_cast<long double>(product) * static_cast<long double>(kPerMetre)));
}

void fx_reset(Reverb& fx, int rate, int channels) {
    fx.params = ReverbParams{};
    fx_configure(fx, rate, channels);
}

void fx_configure(Reverb& fx, int rate, int) {
    take_params(fx);
    for (ReverbChannel& ch : fx.channel) {
        draw_taps(ch, fx.rng, rate);
        ch.feedback_delay = static_cast<uint16_t>(round_trip(ch.params.reverb_feedback_m, rate));
        derive_levels(ch);
        ch.spare.swap_in(ch.line, kReverbLineLength);
    }
}

void reverb_redraw_taps(Reverb& fx, int rate) {
    take_params(fx);
    draw_taps(fx.channel[1], fx.rng, rate);
    draw_taps(fx.channel[0], fx.rng, rate);
}

void reverb_set_levels(Reverb& fx) {
    take_params(fx);
    for (ReverbChannel& ch : fx.channel) derive_levels(ch);
}

void fx_prepare_clear(Reverb& fx, int, int) {
    for (ReverbChannel& ch : fx.channel) ch.spare.prepare(kReverbLineLength);
}

void fx_prepare_configure(Reverb& fx, const ReverbParams&, int rate, int channels) {
    fx_prepare_clear(fx, rate, channels);
}

void fx_take_change(Reverb& fx, const EffectSettings&, int changed, int rate, int) {
    const bool level = changed == static_cast<int>(offsetof(EffectSettings, reverb_feedback_db)) ||
                       changed == static_cast<int>(offsetof(EffectSettings, reverb_wet_db));
    if (level || changed == kEveryField) reverb_set_levels(fx);
    if (!level) reverb_redraw_taps(fx, rate);
}

void fx_clear(Reverb& fx, int, int) {
    for (ReverbChannel& ch : fx.channel) ch.spare.swap_in(ch.line, kReverbLineLength);
}

ReverbParams fx_report(const Reverb& fx) { return fx.channel[0].params; }

namespace {

// One channel's view of the line for one buffer: its taps widened once.
struct TapRun {
    float* line;
    double f, g;
    uint16_t fd, w;
    int taps;
    uint16_t delay[kReverbMaxTaps];
    double weight[kReverbMaxTaps];

    explicit TapRun(ReverbChannel& ch)
        : line(ch.line.data()), f(ch.feedback_gain), g(ch.wet_gain), fd(ch.feedback_delay), w(ch.write_pos),
          taps(std::clamp<int>(ch.tap_count, 0, kReverbMaxTaps)) {
        for (int j = 0; j < taps; ++j) {
            delay[j] = ch.taps[static_cast<size_t>(j)].delay;
            weight[j] = ch.taps[static_cast<size_t>(j)].weight;
        }
    }
    // The line's new value, and the dry value that starts the sum.
    double start(int16_t sample) {
        const double s = static_cast<float>(sample) * 3.0517578125e-05;
        line[w] = line_value(s - f * line[static_cast<uint16_t>(w - fd)]);
        return s;
    }
    double tap(int j) const { return weight[j] * line[static_cast<uint16_t>(w - delay[j])]; }
    int16_t finish(double s, double a) {
        ++w;
        const double y = std::clamp(s + g * a, -1.0, 1.0);
        return static_cast<int16_t>(static_cast<float>(y * 32767.0));
    }
};

}  // namespace

void fx_process(Reverb& fx, int16_t* pcm, const StageContext& ctx) {
    const int frames = ctx.frames;
    if (ctx.channels == 1) {
        TapRun r(fx.channel[0]);
        for (int i = 0; i < frames; ++i) {
            const double s = r.start(pcm[i]);
            double a = s;
            for (int j = 0; j < r.taps; ++j) a += r.tap(j);
            pcm[i] = r.finish(s, a);
        }
        fx.channel[0].write_pos = r.w;
    } else if (ctx.channels == 2) {
        // The channels' sums are independent chains: they run side by side, tap by tap.
        TapRun r0(fx.channel[0]), r1(fx.channel[1]);
        const int both = std::min(r0.taps, r1.taps);
        for (int i = 0; i < frames; ++i) {
            int16_t* frame = pcm + 2 * i;
            const double s0 = r0.start(frame[0]), s1 = r1.start(frame[1]);
            double a0 = s0, a1 = s1;
            int j = 0;
#if defined(__SSE2__)
            // Both sums in the lanes of one register, each lane adding exactly its scalar terms.
            __m128d acc = _mm_set_pd(a1, a0);
            for (; j < both; ++j) {
                const __m128 l0 = _mm_load_ss(&r0.line[static_cast<uint16_t>(r0.w - r0.delay[j])]);
                const __m128 l1 = _mm_load_ss(&r1.line[static_cast<uint16_t>(r1.w - r1.delay[j])]);
                const __m128d wt = _mm_set_pd(r1.weight[j], r0.weight[j]);
                acc = _mm_add_pd(acc, _mm_mul_pd(wt, _mm_cvtps_pd(_mm_unpacklo_ps(l0, l1))));
            }
            _mm_storel_pd(&a0, acc);
            _mm_storeh_pd(&a1, acc);
#endif
            // Taps that only one channel has (and every tap, without SSE2).
            for (int k = j; k < r0.taps; ++k) a0 += r0.tap(k);
            for (int k = j; k < r1.taps; ++k) a1 += r1.tap(k);
            frame[0] = r0.finish(s0, a0);
            frame[1] = r1.finish(s1, a1);
        }
        fx.channel[0].write_pos = r0.w;
        fx.channel[1].write_pos = r1.w;
    }
}

}  // namespace vemo
