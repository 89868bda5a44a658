// Phase inversion: every sample negated (effect type 15).  It has no parameters and no history:
// its state type is empty, so that it goes through the engine like every other effect.
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

struct PhaseInvert {};

// One buffer, in place.
void fx_process(PhaseInvert& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
