// Super bass: a low shelf per channel (effect type 14).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct SuperBassParams {
    int32_t bass_freq_hz = 200;
    int32_t bass_gain_db = 12;
};

struct SuperBass {
    SuperBassParams params;
};

// vemomix_init: defaults and buffers for a new format.
void bass_init(SuperBass& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void bass_configure(SuperBass& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void bass_clear(SuperBass& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void bass_release(SuperBass& fx);
// What vemomix_get reports.
SuperBassParams bass_report(const SuperBass& fx);
// One buffer, in place.
void bass_process(SuperBass& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
