// Phase inversion: every sample negated (effect type 15).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct PhaseInvertParams {

};

struct PhaseInvert {
    PhaseInvertParams params;
};

// vemomix_init: defaults and buffers for a new format.
void invert_init(PhaseInvert& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void invert_configure(PhaseInvert& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void invert_clear(PhaseInvert& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void invert_release(PhaseInvert& fx);
// What vemomix_get reports.
PhaseInvertParams invert_report(const PhaseInvert& fx);
// One buffer, in place.
void invert_process(PhaseInvert& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
