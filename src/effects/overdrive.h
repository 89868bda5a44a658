// Oversampled diode-clipper overdrive (effect type 5).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct OverdriveParams {
    int32_t odrive_drive_ohms = 520;
    int32_t odrive_lowpass_hz = 3500;
    int32_t odrive_lowpass_on = 0;
};

struct Overdrive {
    OverdriveParams params;
};

// vemomix_init: defaults and buffers for a new format.
void overdrive_init(Overdrive& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void overdrive_configure(Overdrive& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void overdrive_clear(Overdrive& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void overdrive_release(Overdrive& fx);
// What vemomix_get reports.
OverdriveParams overdrive_report(const Overdrive& fx);
// One buffer, in place.
void overdrive_process(Overdrive& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
