// Phase-vocoder pitch changer, one PitchShifter per channel (effect type 3).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct PitchChangerParams {
    float pitch_octaves = 0.0f;
    int32_t pitch_frame_size = 2048;
    int32_t pitch_oversampling = 4;
};

struct PitchChanger {
    PitchChangerParams params;
};

// vemomix_init: defaults and buffers for a new format.
void pitch_init(PitchChanger& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void pitch_configure(PitchChanger& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void pitch_clear(PitchChanger& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void pitch_release(PitchChanger& fx);
// What vemomix_get reports.
PitchChangerParams pitch_report(const PitchChanger& fx);
// One buffer, in place.
void pitch_process(PitchChanger& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
