#include "effects/phase_invert.h"

#include <cstdint>

namespace vemo {

// Every sample negated; -32768 has no positive twin and stays as it is.
void fx_process(PhaseInvert&, int16_t* pcm, const StageContext& ctx) {
    for (int i = 0; i < ctx.sample_count; ++i) {
        const int16_t s = pcm[i];
        pcm[i] = s == INT16_MIN ? s : static_cast<int16_t>(-s);
    }
}

}  // namespace vemo
