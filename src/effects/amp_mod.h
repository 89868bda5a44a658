// Amplitude modulation (tremolo), sine or triangle (effect type 6).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct AmpModParams {
    int16_t am_depth_pct = 20;
    int16_t am_period_ms = 1000;
    int32_t am_level_db = -10;
    int32_t am_waveform = 0;  // 0 sine, 1 triangle
};

struct AmpMod {
    AmpModParams params;
    // LFO phase at the start of the next pass (radians for the sine, cycles for the triangle);
    // 0 at load and never reset.
    float am_phase = 0.0f;
};

// vemomix_init: the defaults; the LFO phase runs on from where it was.
void fx_reset(AmpMod& fx, int rate, int channels);
// One buffer, in place.
void fx_process(AmpMod& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
