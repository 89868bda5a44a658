#include "effects/compressor.h"

namespace vemo {

void compressor_init(Compressor& fx, int, int) { fx.params = CompressorParams{}; }

void compressor_configure(Compressor&, int, int) {}

void compressor_clear(Compressor&, int, int) {}

void compressor_release(Compressor&) {}

CompressorParams compressor_report(const Compressor& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void compressor_process(Compressor&, int16_t*, const StageContext&) {}

}  // namespace vemo
