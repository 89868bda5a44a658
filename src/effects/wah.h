// Wah-wah: a swept resonant low-pass per channel (effect type 13).
#pragma once
#include <cstdint>

#include "effects/biquad.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct WahParams {
    int32_t wah_rate = 25;
    int32_t wah_offset = 30;
    int32_t wah_depth = 70;
    int32_t wah_resonance = 30;
};

struct WahChannel {
    float p0 = 0.0f;           // start phase of the sweep
    float w = 0.00021371379f;  // sweep advance per sample (1.5 Hz at 44100 Hz)
    uint32_t n = 0;            // samples since the last configure
    BiquadMemory<float> mem;
    Biquad<float> coef;  // redesigned every 30 samples
    float depth = 0.7f;
    float base = 0.3f;
    float q = 2.5f;
};

struct Wah {
    WahParams params;
    WahChannel channel[2];
};

// vemomix_init: both channels at the 2 Hz in-phase defaults, memories cleared.
void fx_reset(Wah& fx, int rate, int channels);
// vemomix_set and the editor's page: rate, depth and Q from params, opposite start phases,
// memories and coefficients cleared.
void fx_configure(Wah& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Wah& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
