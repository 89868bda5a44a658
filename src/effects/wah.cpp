#include "effects/wah.h"

#include <algorithm>
#include <cmath>

namespace vemo {
namespace {

constexpr double kPiApprox = 3.1415927;           // the sweep's own pi, a double constant
constexpr double kInv32767 = 3.051850947599719e-05;  // 1/32767
constexpr uint32_t kCoefficientPeriod = 30;        // samples between coefficient updates
// The output memories keep the unclamped value, but a sweep far faster than the page allows
// (tens of Hz and up) pumps a resonant filter without bound; this ceiling, far above any
// settled response, keeps them finite.
constexpr double kMemoryLimit = 1e6;

// A rate below 1 Hz would divide by zero; such formats are outside the design.
double usable_rate(int rate) { return rate > 0 ? rate : 44100; }

// Zero the count, the memories and the coefficients: the next sample designs anew.
void restart(WahChannel& ch) {
    ch.n = 0;
    ch.x1 = ch.x2 = ch.y1 = ch.y2 = 0.0f;
    ch.b0 = ch.b1 = ch.b2 = ch.a0 = ch.a1 = ch.a2 = 0.0f;
}

void design(WahChannel& ch) {
    const uint32_t m = ch.n + 1;
    const double theta = static_cast<double>(m) * ch.w + ch.p0;
    const double s = (std::cos(theta) + 1.0) * 0.5;
    const double v = (s * (1.0 - ch.base)) * ch.depth + ch.base;
    const double omega = std::exp(6.0 * (v - 1.0)) * kPiApprox;
    const float k = static_cast<float>(std::cos(omega));
    const double alpha = std::sin(omega) / (2.0 * ch.q);
    ch.b0 = ch.b2 = static_cast<float>((1.0 - k) * 0.5);
    ch.b1 = static_cast<float>(1.0 - k);
    ch.a0 = static_cast<float>(1.0 + alpha);
    ch.a1 = static_cast<float>(-2.0 * k);
    ch.a2 = static_cast<float>(1.0 - alpha);
}

}  // namespace

void wah_init(Wah& fx, int rate, int) {
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

void wah_configure(Wah& fx, int rate, int) {
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

namespace {

// The filter over `frames` frames, the channels of a frame side by side: their recursions are
// independent, so their dependency chains (each through a division) overlap.  Each channel
// redesigns on its own count.
template <int Channels>
void run_frames(Wah& fx, int16_t* pcm, int frames) {
    double x1[Channels], x2[Channels], y1[Channels], y2[Channels];
    for (int c = 0; c < Channels; ++c) {
        const WahChannel& ch = fx.channel[c];
        x1[c] = ch.x1, x2[c] = ch.x2, y1[c] = ch.y1, y2[c] = ch.y2;
    }
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < Channels; ++c) {
            WahChannel& ch = fx.channel[c];
            int16_t& sample = pcm[i * Channels + c];
            const double x = static_cast<float>(static_cast<float>(sample) * kInv32767);
            if (ch.n % kCoefficientPeriod == 0) design(ch);
            ++ch.n;
            const double y = (static_cast<double>(ch.b1) * x1[c] + static_cast<double>(ch.b0) * x +
                              static_cast<double>(ch.b2) * x2[c] - static_cast<double>(ch.a1) * y1[c] -
                              static_cast<double>(ch.a2) * y2[c]) /
                             ch.a0;
            x2[c] = x1[c];
            x1[c] = x;
            y2[c] = y1[c];
            y1[c] = static_cast<float>(std::clamp(y, -kMemoryLimit, kMemoryLimit));
            sample = static_cast<int16_t>(static_cast<float>(std::clamp(y, -1.0, 1.0) * 32767.0));
        }
    }
    for (int c = 0; c < Channels; ++c) {
        WahChannel& ch = fx.channel[c];
        ch.x1 = static_cast<float>(x1[c]), ch.x2 = static_cast<float>(x2[c]);
        ch.y1 = static_cast<float>(y1[c]), ch.y2 = static_cast<float>(y2[c]);
    }
}

}  // namespace

void wah_process(Wah& fx, int16_t* pcm, const StageContext& ctx) {
    if (ctx.channels == 2)
        run_frames<2>(fx, pcm, ctx.frames);
    else if (ctx.channels == 1)
        run_frames<1>(fx, pcm, ctx.frames);
}

}  // namespace vemo
