// Phase inversion: every sample negated (effect type 15).  It has no parameters and no state.
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// One buffer, in place.
void invert_process(int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
