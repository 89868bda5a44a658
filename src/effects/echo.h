// Two-tap feedback echo over the interleaved buffer (effect type 7).
#pragma once
#include <cstdint>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct EchoParams {
    float echo_delay_s = 0.6f;
    float echo_feedback = 0.5f;
};

struct Echo {
    EchoParams params;
};

// vemomix_init: defaults and buffers for a new format.
void echo_init(Echo& fx, int rate, int channels);
// vemomix_set: params were just replaced; derive what depends on them.
void echo_configure(Echo& fx, int rate, int channels);
// vemomix_datarefresh: forget the history, keep every parameter.
void echo_clear(Echo& fx, int rate, int channels);
// vemomix_close: give back every heap buffer.
void echo_release(Echo& fx);
// What vemomix_get reports.
EchoParams echo_report(const Echo& fx);
// One buffer, in place.
void echo_process(Echo& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
