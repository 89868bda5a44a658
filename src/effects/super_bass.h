// Super bass: a low shelf per channel (effect type 14).
#pragma once
#include <cstdint>

#include "effects/biquad.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct SuperBassParams {
    int32_t bass_freq_hz = 200;
    int32_t bass_gain_db = 12;
};

// One channel's shelf: its design terms and coefficients (each held as a float) and memories.
struct BassChannel {
    float f = 0.0f, g = 0.0f;  // corner (Hz) and gain (dB)
    BiquadMemory<float> mem;
    float w = 0.0f, sn = 0.0f, cs = 0.0f, A = 0.0f, S = 1.0f, beta = 0.0f;
    Biquad<float> coef;
};

struct SuperBass {
    SuperBass();  // designs 200 Hz, +12 dB for 44100 Hz, before any format is known

    SuperBassParams params;
    BassChannel channel[2];
};

// vemomix_init: 200 Hz, +12 dB for the new rate, memories cleared.
void fx_reset(SuperBass& fx, int rate, int channels);
// vemomix_set and the editor's page: design both channels from params, memories cleared.
void fx_configure(SuperBass& fx, int rate, int channels);
// One buffer, in place.
void fx_process(SuperBass& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
