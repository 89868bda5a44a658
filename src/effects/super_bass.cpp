#include "effects/super_bass.h"

#include <algorithm>
#include <cmath>

namespace vemo {
namespace {

constexpr double kTwoPi = 6.283185307178;
constexpr double kInv32767 = 3.051850947599719e-05;  // 1/32767

// Low shelf for corner f (Hz) and gain g (dB) at the normalised corner w; memories cleared.
void design(BassChannel& ch, float f, float g, double w) {
    ch.f = f;
    ch.g = g;
    ch.x1 = ch.x2 = ch.y1 = ch.y2 = 0.0f;
    ch.w = static_cast<float>(w);
    ch.sn = static_cast<float>(std::sin(static_cast<double>(ch.w)));
    ch.cs = static_cast<float>(std::cos(static_cast<double>(ch.w)));
    ch.A = static_cast<float>(std::pow(10.0, g * 0.025));
    ch.S = 1.0f;
    const double A = ch.A;
    ch.beta = static_cast<float>(std::sqrt((A * A + 1.0) - (A - 1.0) * (A - 1.0)));
    const double p = A + 1.0, m = A - 1.0, cs = ch.cs, sn = ch.sn, beta = ch.beta;
    ch.b0 = static_cast<float>(A * (p - m * cs + beta * sn));
    ch.b1 = static_cast<float>(2.0 * A * (m - p * cs));
    ch.b2 = static_cast<float>(A * (p - m * cs - beta * sn));
    ch.a0 = static_cast<float>(p + m * cs + beta * sn);
    ch.a1 = static_cast<float>(-2.0 * (m + p * cs));
    ch.a2 = static_cast<float>(p + m * cs - beta * sn);
}

// A rate below 1 Hz would divide by zero; such formats are outside the design.
double usable_rate(int rate) { return rate > 0 ? rate : 44100; }

}  // namespace

SuperBass::SuperBass() {
    for (BassChannel& ch : channel) design(ch, 200.0f, 12.0f, 0.028495171461124714);
}

void bass_init(SuperBass& fx, int rate, int) {
    fx.params = SuperBassParams{};
    for (BassChannel& ch : fx.channel) design(ch, 200.0f, 12.0f, 1256.6370614356 / usable_rate(rate));
}

void bass_configure(SuperBass& fx, int rate, int) {
    const double fs = usable_rate(rate);
    // At or above half the rate (and at 0 Hz or below) the shelf's poles leave the unit circle
    // and the memories would grow to infinity: the corner is kept between 1 Hz and 0.49 fs.
    const float f = static_cast<float>(std::clamp(static_cast<double>(fx.params.bass_freq_hz), 1.0, 0.49 * fs));
    // +-120 dB keeps 10^(g/40) and the coefficients well inside float.
    const float g = static_cast<float>(std::clamp(fx.params.bass_gain_db, -120, 120));
    const double w = f * kTwoPi / fs;
    for (BassChannel& ch : fx.channel) design(ch, f, g, w);
}

namespace {

// The shelf over `frames` frames, the channels of a frame side by side: their recursions are
// independent, so their dependency chains (each through a division) overlap.
template <int Channels>
void run_frames(SuperBass& fx, int16_t* pcm, int frames) {
    double b0[Channels], b1[Channels], b2[Channels], a0[Channels], a1[Channels], a2[Channels];
    double x1[Channels], x2[Channels], y1[Channels], y2[Channels];
    for (int c = 0; c < Channels; ++c) {
        const BassChannel& ch = fx.channel[c];
        b0[c] = ch.b0, b1[c] = ch.b1, b2[c] = ch.b2, a0[c] = ch.a0, a1[c] = ch.a1, a2[c] = ch.a2;
        x1[c] = ch.x1, x2[c] = ch.x2, y1[c] = ch.y1, y2[c] = ch.y2;
    }
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < Channels; ++c) {
            int16_t& sample = pcm[i * Channels + c];
            const double x = static_cast<float>(static_cast<float>(sample) * kInv32767);
            const double y = (b0[c] * x + b2[c] * x2[c] + b1[c] * x1[c] - a1[c] * y1[c] - a2[c] * y2[c]) / a0[c];
            x2[c] = x1[c];
            x1[c] = x;
            y2[c] = y1[c];
            y1[c] = static_cast<float>(y);
            sample = static_cast<int16_t>(static_cast<float>(std::clamp(y, -1.0, 1.0) * 32767.0));
        }
    }
    for (int c = 0; c < Channels; ++c) {
        BassChannel& ch = fx.channel[c];
        ch.x1 = static_cast<float>(x1[c]), ch.x2 = static_cast<float>(x2[c]);
        ch.y1 = static_cast<float>(y1[c]), ch.y2 = static_cast<float>(y2[c]);
    }
}

}  // namespace

void bass_process(SuperBass& fx, int16_t* pcm, const StageContext& ctx) {
    if (ctx.channels == 2)
        run_frames<2>(fx, pcm, ctx.frames);
    else if (ctx.channels == 1)
        run_frames<1>(fx, pcm, ctx.frames);
}

}  // namespace vemo
