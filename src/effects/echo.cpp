#include "effects/echo.h"

namespace vemo {

void echo_init(Echo& fx, int, int) { fx.params = EchoParams{}; }

void echo_configure(Echo&, int, int) {}

void echo_clear(Echo&, int, int) {}

void echo_release(Echo&) {}

EchoParams echo_report(const Echo& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void echo_process(Echo&, int16_t*, const StageContext&) {}

}  // namespace vemo
