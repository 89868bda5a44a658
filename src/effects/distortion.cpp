#include "effects/distortion.h"

namespace vemo {

void distortion_init(Distortion& fx, int, int) { fx.params = DistortionParams{}; }

void distortion_configure(Distortion&, int, int) {}

void distortion_clear(Distortion&, int, int) {}

void distortion_release(Distortion&) {}

DistortionParams distortion_report(const Distortion& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void distortion_process(Distortion&, int16_t*, const StageContext&) {}

}  // namespace vemo
