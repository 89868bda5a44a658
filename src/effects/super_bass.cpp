#include "effects/super_bass.h"

#include <algorithm>
#include <cmath>

namespace vemo {
namespace {

constexpr double kTwoPi = 6.283185307178;

// Low shelf for corner f (Hz) and gain g (dB) at the normalised corner w; memories cleared.
void design(BassChannel& ch, float f, float g, double w) {
    ch.f = f;
    ch.g = g;
    ch.mem = {};
    ch.w = static_cast<float>(w);
    ch.sn = static_cast<float>(std::sin(static_cast<double>(ch.w)));
    ch.cs = static_cast<float>(std::cos(static_cast<double>(ch.w)));
    ch.A = static_cast<float>(std::pow(10.0, g * 0.025));
    ch.S = 1.0f;
    const double A = ch.A;
    ch.beta = static_cast<float>(std::sqrt((A * A + 1.0) - (A - 1.0) * (A - 1.0)));
    const double p = A + 1.0, m = A - 1.0, cs = ch.cs, sn = ch.sn, beta = ch.beta;
    Biquad<float>& q = ch.coef;
    q.b0 = static_cast<float>(A * (p - m * cs + beta * sn));
    q.b1 = static_cast<float>(2.0 * A * (m - p * cs));
    q.b2 = static_cast<float>(A * (p - m * cs - beta * sn));
    q.a0 = static_cast<float>(p + m * cs + beta * sn);
    q.a1 = static_cast<float>(-2.0 * (m + p * cs));
    q.a2 = static_cast<float>(p + m * cs - beta * sn);
}

// A rate below 1 Hz would divide by zero; such formats are outside the design.
double usable_rate(int rate) { return rate > 0 ? rate : 44100; }

}  // namespace

SuperBass::SuperBass() {
    for (BassChannel& ch : channel) design(ch, 200.0f, 12.0f, 0.028495171461124714);
}

void fx_reset(SuperBass& fx, int rate, int) {
    fx.params = SuperBassParams{};
    for (BassChannel& ch : fx.channel) design(ch, 200.0f, 12.0f, 1256.6370614356 / usable_rate(rate));
}

void fx_configure(SuperBass& fx, int rate, int) {
    const double fs = usable_rate(rate);
    // At or above half the rate (and at 0 Hz or below) the shelf's poles leave the unit circle
    // and the memories would grow to infinity: the corner is kept between 1 Hz and 0.49 fs.
    const float f = static_cast<float>(std::clamp(static_cast<double>(fx.params.bass_freq_hz), 1.0, 0.49 * fs));
    // +-120 dB keeps 10^(g/40) and the coefficients well inside float.
    const float g = static_cast<float>(std::clamp(fx.params.bass_gain_db, -120, 120));
    const double w = f * kTwoPi / fs;
    for (BassChannel& ch : fx.channel) design(ch, f, g, w);
}

void fx_process(SuperBass& fx, int16_t* pcm, const StageContext& ctx) {
    auto step = [](const BassChannel& ch, double x, const BiquadMemory<double>& m) {
        const Biquad<float>& q = ch.coef;
        return (q.b0 * x + q.b2 * m.x2 + q.b1 * m.x1 - q.a1 * m.y1 - q.a2 * m.y2) / q.a0;
    };
    // The memories keep the shelf's output unlimited.
    constexpr double kUnlimited = HUGE_VAL;
    if (ctx.channels == 2)
        biquad_frames<2>(fx.channel, pcm, ctx.frames, kUnlimited, step);
    else if (ctx.channels == 1)
        biquad_frames<1>(fx.channel, pcm, ctx.frames, kUnlimited, step);
}

}  // namespace vemo
