#include "effects/vibrato.h"

namespace vemo {

void vibrato_init(Vibrato& fx, int, int) { fx.params = VibratoParams{}; }

void vibrato_configure(Vibrato&, int, int) {}

void vibrato_clear(Vibrato&, int, int) {}

void vibrato_release(Vibrato&) {}

VibratoParams vibrato_report(const Vibrato& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void vibrato_process(Vibrato&, int16_t*, const StageContext&) {}

}  // namespace vemo
