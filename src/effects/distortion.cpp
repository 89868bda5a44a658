#include "effects/distortion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace vemo {

void distortion_init(Distortion& fx, int rate, int channels) {
    fx.params = DistortionParams{};
    distortion_configure(fx, rate, channels);
}

// Applying parameters redesigns both filters, which clears their memories; dist_prev stays.
void distortion_configure(Distortion& fx, int rate, int channels) {
    rc_design(fx.low_cut, 4, 1.5);
    rc_set_cutoff(fx.low_cut, fx.params.dist_low_cut_hz, rate, channels);
    rc_design(fx.tone, 4, 1.0);
    rc_set_cutoff(fx.tone, fx.params.dist_tone_hz, rate, channels);
}

void distortion_clear(Distortion&, int, int) {}

void distortion_release(Distortion&) {}

DistortionParams distortion_report(const Distortion& fx) { return fx.params; }

void distortion_drive_limit(Distortion& fx, float* block, int count, int channel) {
    const int ch = channel == 1 ? 1 : 0;
    const double drive = fx.params.dist_drive;
    const double step = fx.params.dist_max_step;
    const double level = fx.params.dist_level;
    double prev = fx.dist_prev[ch];
    for (int n = 0; n < count; ++n) {
        const double x = static_cast<float>(drive * block[n] * 0.0625);
        double y = x;
        if (x - prev > step)
            y = prev + step;
        else if (prev - x > step)
            y = prev - step;
        // The held sample is an int32: a drive that throws it further is held at the int32 range.
        prev = std::trunc(std::clamp(y, double(INT32_MIN), double(INT32_MAX)));
        block[n] = static_cast<float>(level * y * 0.00390625);
    }
    fx.dist_prev[ch] = static_cast<int32_t>(prev);
}

void distortion_process(Distortion& fx, int16_t* pcm, const StageContext& ctx) {
    float* w = ctx.work;
    const int frames = ctx.frames;
    const int channels = ctx.channels;
    for (int c = 0; c < channels && c < 2; ++c) {
        for (int n = 0; n < frames; ++n) w[n] = pcm[static_cast<ptrdiff_t>(n) * channels + c];
        rc_run(fx.low_cut, w, frames, kRcHighPass, c);
        distortion_drive_limit(fx, w, frames, c);
        resonator_run(fx.tone, w, frames, fx.params.dist_tone_hz, ctx.rate, channels, c);
        for (int n = 0; n < frames; ++n)
            pcm[static_cast<ptrdiff_t>(n) * channels + c] = static_cast<int16_t>(std::clamp(w[n], -32768.0f, 32767.0f));
    }
}

}  // namespace vemo
