#include "effects/denoise.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vemo {
namespace {

// trunc(rate * channels * ms / 1000), held in the int32 range for absurd rates.
int32_t samples_for_ms(int rate, int channels, int ms) {
    const int64_t n = static_cast<int64_t>(rate) * channels * ms / 1000;
    return static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX));
}

}  // namespace

void fx_reset(Denoise& fx, int rate, int channels) {
    fx.params = DenoiseParams{};
    fx.params.denoise_hold = samples_for_ms(rate, channels, 2);
    fx.params.denoise_release = samples_for_ms(rate, channels, 500);
}

void fx_process(Denoise& fx, int16_t* pcm, const StageContext& ctx) {
    const DenoiseParams& p = fx.params;
    DenoiseState& s = fx.state;
    // The lengths are compared with unsigned counters, so a negative length counts as a very long one.
    const uint32_t hold = static_cast<uint32_t>(p.denoise_hold);
    const uint32_t release = static_cast<uint32_t>(p.denoise_release);
    const uint32_t attack = static_cast<uint32_t>(p.denoise_attack);
    const double open_level = p.denoise_open_level;
    const double close_level = p.denoise_close_level;
    const int channels = ctx.channels;
    float* w = ctx.work;
    for (int c = 0; c < channels && c < 2; ++c) {
        for (int n = 0; n < ctx.frames; ++n) w[n] = pcm[static_cast<ptrdiff_t>(n) * channels + c];
        for (int n = 0; n < ctx.frames; ++n) {
            const double v = w[n];
            const double mag = std::fabs(v);
            const bool loud = s.open == 0 ? mag >= open_level : mag >= close_level;
            if (loud) {
                s.hold_count = 0;
                s.release_count = 0;
                s.release_gain = 1.0f;
                s.open = 1;
                if (attack == 0) {
                    s.attack_gain = 1.0f;
                } else if (s.attack_count < attack) {
                    ++s.attack_count;
                    s.attack_gain = static_cast<float>(double(s.attack_count) / double(attack));
                } else {
                    s.attack_gain = 1.0f;
                }
            } else if (++s.hold_count >= hold) {
                if (mag < close_level) {
                    s.open = 0;
                    s.attack_gain = 1.0f;
                    s.attack_count = 0;
                }
                if (release == 0) {
                    s.release_gain = 0.0f;
                } else if (s.release_count < release) {
                    ++s.release_count;
                    s.release_gain = static_cast<float>(double(release - s.release_count) / double(release));
                }
            }
            w[n] = static_cast<float>(double(s.release_gain) * s.attack_gain * v);
        }
        for (int n = 0; n < ctx.frames; ++n)
            pcm[static_cast<ptrdiff_t>(n) * channels + c] = static_cast<int16_t>(w[n]);
    }
}

}  // namespace vemo
