#include "effects/noise_gate.h"

namespace vemo {

void denoise_init(NoiseGate& fx, int, int) { fx.params = NoiseGateParams{}; }

void denoise_configure(NoiseGate&, int, int) {}

void denoise_clear(NoiseGate&, int, int) {}

void denoise_release(NoiseGate&) {}

NoiseGateParams denoise_report(const NoiseGate& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void denoise_process(NoiseGate&, int16_t*, const StageContext&) {}

}  // namespace vemo
