#include "effects/amp_mod.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vemo {

void fx_reset(AmpMod& fx, int, int) { fx.params = AmpModParams{}; }

void fx_process(AmpMod& fx, int16_t* pcm, const StageContext& ctx) {
    const bool sine = fx.params.am_waveform == 0;
    const double depth = static_cast<float>(fx.params.am_depth_pct * 0.01);
    // Period times rate is a 32-bit product and wraps like one.
    const auto span = static_cast<int32_t>(static_cast<uint32_t>(int64_t{fx.params.am_period_ms} * ctx.rate));
    // A period that is not positive would divide by zero or run the LFO backwards: it stands still.
    const double inc = span > 0 ? (sine ? 6283.185307179586 : 1000.0) / span : 0.0;
    const double wrap = sine ? 6.2831854820251465 : 1.0;
    const int channels = ctx.channels;
    const int frames = ctx.frames;
    float* w = ctx.work;
    for (int c = 0; c < channels && c < 2; ++c) {
        const double p0 = fx.am_phase;
        for (int i = 0; i < frames; ++i) w[i] = pcm[static_cast<ptrdiff_t>(i) * channels + c];
        for (int i = 0; i < frames; ++i) {
            const int16_t n = static_cast<int16_t>(i);  // the frame counter is 16 bits wide
            const double phi = static_cast<float>(n * inc + p0);
            double m;
            if (sine) {
                m = std::sin(phi);
            } else {
                const double t = std::fmod(phi, 1.0);
                m = t < 0.5 ? 2.0 * t - 1.0 : 1.0 - 2.0 * t;
            }
            w[i] = static_cast<float>(std::clamp((m * depth + 1.0) * w[i], -32768.0, 32767.0));
        }
        fx.am_phase = static_cast<float>(std::fmod(frames * inc + p0, wrap));
        for (int i = 0; i < frames; ++i) pcm[static_cast<ptrdiff_t>(i) * channels + c] = static_cast<int16_t>(w[i]);
    }
}

}  // namespace vemo
