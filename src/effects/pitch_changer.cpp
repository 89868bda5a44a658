#include "effects/pitch_changer.h"

namespace vemo {

void pitch_init(PitchChanger& fx, int, int) { fx.params = PitchChangerParams{}; }

void pitch_configure(PitchChanger&, int, int) {}

void pitch_clear(PitchChanger&, int, int) {}

void pitch_release(PitchChanger&) {}

PitchChangerParams pitch_report(const PitchChanger& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void pitch_process(PitchChanger&, int16_t*, const StageContext&) {}

}  // namespace vemo
