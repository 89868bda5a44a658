// Noise reduction: a noise gate with hold, release and attack (effect type 10).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct DenoiseParams {
    int32_t denoise_open_level = 500;
    int32_t denoise_hold = 0;
    int32_t denoise_release = 0;
    int32_t denoise_attack = 0;
    int32_t denoise_close_level = 410;
};

// One gate for all channels: channel 1's frames continue from where channel 0's left it.
struct DenoiseState {
    int16_t open = 0;
    uint32_t hold_count = 0;
    uint32_t release_count = 0;
    uint32_t attack_count = 0;
    float release_gain = 1.0f;
    float attack_gain = 1.0f;
};

struct Denoise {
    DenoiseParams params;
    // Set at load and never reset afterwards, not even by vemomix_init.
    DenoiseState state;
};

// vemomix_init: the defaults, the hold and release times counted in samples of the format.
// The gate state is left alone.
void fx_reset(Denoise& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Denoise& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
