#include "effects/reverb.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

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

void draw_taps(ReverbChannel& ch, int rate) {
    const float spread = as_u16_float(round_trip(ch.params.reverb_room_m, rate));
    const float offset = as_u16_float(reverb_samples(ch.params.reverb_offset_m, rate));
    float decay = as_u16_float(round_trip(ch.params.reverb_decay_m, rate));
    // A decay of 0 samples would divide by zero: it counts as 1 sample (weights fall off at once).
    if (decay == 0.0f) decay = 1.0f;
    for (int j = 0; j < ch.tap_count; ++j) {
        ReverbTap& tap = ch.taps[static_cast<size_t>(j)];
        const int r1 = vemo_rand();
        const float t = static_cast<float>(spread * (r1 * static_cast<double>(kPerRandStep)));
        tap.delay = static_cast<uint16_t>(static_cast<int64_t>(std::trunc(static_cast<double>(offset) + t)));
        const int r2 = vemo_rand();
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

void reverb_init(Reverb& fx, int rate, int channels) {
    fx.params = ReverbParams{};
    reverb_configure(fx, rate, channels);
}

void reverb_configure(Reverb& fx, int rate, int) {
    take_params(fx);
    for (ReverbChannel& ch : fx.channel) {
        draw_taps(ch, rate);
        ch.feedback_delay = static_cast<uint16_t>(round_trip(ch.params.reverb_feedback_m, rate));
        derive_levels(ch);
        ch.line.fill(0.0f);
    }
}

void reverb_redraw_taps(Reverb& fx, int rate) {
    take_params(fx);
    draw_taps(fx.channel[1], rate);
    draw_taps(fx.channel[0], rate);
}

void reverb_set_levels(Reverb& fx) {
    take_params(fx);
    for (ReverbChannel& ch : fx.channel) derive_levels(ch);
}

void reverb_clear(Reverb& fx, int, int) {
    for (ReverbChannel& ch : fx.channel) ch.line.fill(0.0f);
}

void reverb_release(Reverb&) {}

ReverbParams reverb_report(const Reverb& fx) { return fx.channel[0].params; }

void reverb_process(Reverb& fx, int16_t* pcm, const StageContext& ctx) {
    float* x = ctx.work;
    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        ReverbChannel& ch = fx.channel[c];
        float* line = ch.line.data();
        const double f = ch.feedback_gain, g = ch.wet_gain;
        const uint16_t fd = ch.feedback_delay;
        const int taps = std::max<int>(ch.tap_count, 0);
        uint16_t w = ch.write_pos;
        load_channel(pcm, ctx.channels, c, ctx.frames, x);
        for (int i = 0; i < ctx.frames; ++i) {
            const double s = x[i] * 3.0517578125e-05;
            line[w] = line_value(s - f * line[static_cast<uint16_t>(w - fd)]);
            double a = s;
            for (int j = 0; j < taps; ++j) {
                const ReverbTap& tap = ch.taps[static_cast<size_t>(j)];
                a += static_cast<double>(tap.weight) * line[static_cast<uint16_t>(w - tap.delay)];
            }
            const double y = std::clamp(s + g * a, -1.0, 1.0);
            x[i] = static_cast<float>(y * 32767.0);
            ++w;
        }
        ch.write_pos = w;
        store_channel(pcm, ctx.channels, c, ctx.frames, x);
    }
}

}  // namespace vemo
