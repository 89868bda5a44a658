// Early reflections from a recirculating delay line (effect type 12).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct ReverbParams {
    int16_t reverb_tap_count = 20;
    int16_t reverb_room_m = 20;
    int16_t reverb_offset_m = 5;
    int16_t reverb_decay_m = 10;
    int16_t reverb_feedback_m = 20;
    int16_t reverb_feedback_db = -10;
    int16_t reverb_wet_db = -10;
};

struct Reverb {
    ReverbParams params;
};

// vemomix_init: defaults and buffers for a new format.
void reverb_init(Reverb& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void reverb_configure(Reverb& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void reverb_clear(Reverb& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void reverb_release(Reverb& fx);
// What vemomix_get reports.
ReverbParams reverb_report(const Reverb& fx);
// One buffer, in place.
void reverb_process(Reverb& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
