#include "effects/overdrive.h"

namespace vemo {

void overdrive_init(Overdrive& fx, int, int) { fx.params = OverdriveParams{}; }

void overdrive_configure(Overdrive&, int, int) {}

void overdrive_clear(Overdrive&, int, int) {}

void overdrive_release(Overdrive&) {}

OverdriveParams overdrive_report(const Overdrive& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void overdrive_process(Overdrive&, int16_t*, const StageContext&) {}

}  // namespace vemo
