#include "effects/compressor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace vemo {
namespace {

// The threshold is held inside 1e-20..1e20: the squared threshold stays a normal, non-zero
// double, so env / T2 is always defined (a record may ask for 10^-1638).
constexpr double kMinThreshold = 1e-20;
constexpr double kMaxThreshold = 1e20;

// 1 - 1 / (rate * ms * 0.001f).  The product is held at 1 or more (times under 1 ms, or a
// rate too low for the time), so the coefficient stays in 0..1 and the smoothing stays stable.
float smoothing_coef(int rate, int32_t ms) {
    const double samples = std::max(static_cast<double>(rate) * ms * static_cast<double>(0.001f), 1.0);
    return static_cast<float>(1.0 - 1.0 / samples);
}

}  // namespace

void fx_reset(Compressor& fx, int rate, int channels) {
    fx.params = CompressorParams{};
    fx_configure(fx, rate, channels);
    fx.comp_gain = 1.0f;
}

void fx_configure(Compressor& fx, int rate, int) {
    const CompressorParams& p = fx.params;
    const int16_t t = static_cast<int16_t>(static_cast<uint32_t>(p.comp_threshold_db) - 3u);
    const double threshold = std::pow(10.0, t * static_cast<double>(0.05f));
    fx.comp_threshold = static_cast<float>(std::clamp(threshold, kMinThreshold, kMaxThreshold));
    fx.comp_slope = static_cast<float>(p.comp_slope_x10 * 0.1);
    fx.comp_attack_coef = smoothing_coef(rate, p.comp_attack_ms);
    fx.comp_release_coef = smoothing_coef(rate, p.comp_release_ms);
    fx.comp_detector_coef = p.comp_attack_ms < p.comp_release_ms ? fx.comp_attack_coef : fx.comp_release_coef;
}

void fx_process(Compressor& fx, int16_t* pcm, const StageContext& ctx) {
    const int channels = ctx.channels;
    if (channels < 1 || channels > 2 || ctx.frames <= 0) return;
    const double t2 = static_cast<double>(fx.comp_threshold) * fx.comp_threshold;
    const double c = fx.comp_detector_coef;
    const double attack = fx.comp_attack_coef;
    const double release = fx.comp_release_coef;
    const double exponent = fx.comp_slope * 0.5 - 0.5;
    const int16_t frames = static_cast<int16_t>(ctx.frames);  // at most kMaxFrames

    float env = fx.comp_env;
    float gain = fx.comp_gain;
    for (int ch = 0; ch < channels; ++ch) {
        int16_t* s = pcm + ch;
        for (int16_t n = 0; n < frames; ++n, s += channels) {
            const float x = static_cast<float>(*s * 3.0517578125e-05);
            env = static_cast<float>(static_cast<double>(x) * x * (1.0 - c) + env * c);
            double g = 1.0;
            if (env >= t2) {
                // An expanding slope could overflow; the gain is held finite so x * gain is never NaN.
                g = std::min(std::pow(env / t2, exponent), static_cast<double>(FLT_MAX));
            }
            // Both candidates are worked out before the comparison picks one, which keeps the
            // comparison off the gain's dependency chain.
            const double by_attack = (1.0 - attack) * g + attack * gain;
            const double by_release = (1.0 - release) * g + release * gain;
            gain = static_cast<float>(g < gain ? by_attack : by_release);
            const double y = std::clamp(x * static_cast<double>(gain), -1.0, 1.0);
            const float work = static_cast<float>(y * 32768.0);
            *s = static_cast<int16_t>(std::clamp(static_cast<int>(work), -32768, 32767));
        }
    }
    fx.comp_env = env;
    fx.comp_gain = gain;
}

}  // namespace vemo
