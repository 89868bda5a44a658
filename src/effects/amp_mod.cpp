#include "effects/amp_mod.h"

namespace vemo {

void am_init(AmpMod& fx, int, int) { fx.params = AmpModParams{}; }

void am_configure(AmpMod&, int, int) {}

void am_clear(AmpMod&, int, int) {}

void am_release(AmpMod&) {}

AmpModParams am_report(const AmpMod& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void am_process(AmpMod&, int16_t*, const StageContext&) {}

}  // namespace vemo
