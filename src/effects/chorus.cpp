#include "effects/chorus.h"

namespace vemo {

void chorus_init(Chorus& fx, int, int) { fx.params = ChorusParams{}; }

void chorus_configure(Chorus&, int, int) {}

void chorus_clear(Chorus&, int, int) {}

void chorus_release(Chorus&) {}

ChorusParams chorus_report(const Chorus& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void chorus_process(Chorus&, int16_t*, const StageContext&) {}

}  // namespace vemo
