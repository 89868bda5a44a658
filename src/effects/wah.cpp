#include "effects/wah.h"

namespace vemo {

void wah_init(Wah& fx, int, int) { fx.params = WahParams{}; }

void wah_configure(Wah&, int, int) {}

void wah_clear(Wah&, int, int) {}

void wah_release(Wah&) {}

WahParams wah_report(const Wah& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void wah_process(Wah&, int16_t*, const StageContext&) {}

}  // namespace vemo
