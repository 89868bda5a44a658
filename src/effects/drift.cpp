#include "effects/drift.h"

namespace vemo {

void drift_init(Drift& fx, int, int) { fx.params = DriftParams{}; }

void drift_configure(Drift&, int, int) {}

void drift_clear(Drift&, int, int) {}

void drift_release(Drift&) {}

DriftParams drift_report(const Drift& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void drift_process(Drift&, int16_t*, const StageContext&) {}

}  // namespace vemo
