#include "effects/wah.h"

#include <algorithm>
#include <cmath>

namespace vemo {
namespace {

constexpr double kPiApprox = 3.1415927;      // the sweep's own pi, a double constant
constexpr uint32_t kCoefficientPeriod = 30;  // samples between coefficient updates
// The output memories keep the unclamped value, but a sweep far faster than the page allows
// (tens of Hz and up) pumps a resonant filter without bound; this ceiling, far above any
// settled response, keeps them finite.
constexpr double kMemoryLimit = 1e6;

// A rate below 1 Hz would divide by zero; such formats are outside the design.
double usable_rate(int rate) { return rate > 0 ? rate : 44100; }

// Zero the count, the memories and the coefficients: the next sample designs anew.
void restart(WahChannel& ch) {
    ch.n = 0;
    ch.mem = {};
    ch.coef = {};
}

void design(WahChannel& ch) {
    const uint32_t m = ch.n + 1;
    const double theta = static_cast<double>(m) * ch.w + ch.p0;
    const double s = (std::cos(theta) + 1.0) * 0.5;
    const double v = (s * (1.0 - ch.base)) * ch.depth + ch.base;
    const double omega = std::exp(6.0 * (v - 1.0)) * kPiApprox;
    const float k = static_cast<float>(std::cos(omega));
    const double alpha = std::sin(omega) / (2.0 * ch.q);
    Biquad<float>& q = ch.coef;
    q.b0 = q.b2 = static_cast<float>((1.0 - k) * 0.5);
    q.b1 = static_cast<float>(1.0 - k);
    q.a0 = static_cast<float>(1.0 + alpha);
    q.a1 = static_cast<float>(-2.0 * k);
    q.a2 = static_cast<float>(1.0 - alpha);
}

}  // namespace

void fx_reset(Wah& fx, int rate, int) {
    fx.params = WahParams{};
    for (WahChannel& ch : fx.channel) {
        ch.w = static_cast<float>(12.5663708 / usable_rate(rate));
        ch.p0 = 0.0f;
        ch.depth = 0.7f;
        ch.base = 0.3f;
        ch.q = 3.0f;
        restart(ch);
    }
}

void fx_configure(Wah& fx, int rate, int) {
    const WahParams& p = fx.params;
    const float w = static_cast<float>((p.wah_rate * 0.1 * 2) * kPiApprox / usable_rate(rate));
    // Depth beyond 0..1 would sweep past Nyquist (sin of the corner turns negative and the
    // denominator can reach zero) or overflow the exponential.
    const float depth = std::clamp(static_cast<float>(p.wah_depth * 0.01), 0.0f, 1.0f);
    // Q = 0 divides by zero; 0.1 is the page's smallest non-zero step. Above 1000 the poles
    // would sit on the unit circle once rounded to float.
    const float q = std::clamp(static_cast<float>(p.wah_resonance * 0.1), 0.1f, 1000.0f);
    for (int c = 0; c < 2; ++c) {
        WahChannel& ch = fx.channel[c];
        ch.w = w;
        ch.depth = depth;
        ch.q = q;
        ch.p0 = c == 0 ? 0.0f : 3.14159274f;
        restart(ch);
    }
}

void fx_process(Wah& fx, int16_t* pcm, const StageContext& ctx) {
    // Each channel redesigns on its own count.
    auto step = [](WahChannel& ch, double x, const BiquadMemory<double>& m) {
        if (ch.n % kCoefficientPeriod == 0) design(ch);
        ++ch.n;
        const Biquad<float>& q = ch.coef;
        return (static_cast<double>(q.b1) * m.x1 + static_cast<double>(q.b0) * x + static_cast<double>(q.b2) * m.x2 -
                static_cast<double>(q.a1) * m.y1 - static_cast<double>(q.a2) * m.y2) /
               q.a0;
    };
    if (ctx.channels == 2)
        biquad_frames<2>(fx.channel, pcm, ctx.frames, kMemoryLimit, step);
    else if (ctx.channels == 1)
        biquad_frames<1>(fx.channel, pcm, ctx.frames, kMemoryLimit, step);
}

}  // namespace vemo
