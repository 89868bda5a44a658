// Two-tap feedback echo over the interleaved buffer (effect type 7).
#pragma once
#include <cstdint>
#include <vector>

#include "effects/spare_buffer.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct EchoParams {
    float echo_delay_s = 0.6f;
    float echo_feedback = 0.5f;
};

// Past output is kept as 16-bit interleaved samples in two rings: line 1 holds 5 seconds
// and feeds the tap at D1, line 2 holds 10 seconds and feeds the tap at D2.  Buffer 1 (as
// long as line 1, never cleared) holds the incoming buffer while the outputs are formed.
struct Echo {
    EchoParams params;
    std::vector<int16_t> input;  // buffer 1
    std::vector<int16_t> line1;  // buffer 2
    std::vector<int16_t> line2;  // buffer 3
    int32_t size_bytes = 0;      // bytes of buffers 1 and 2; buffer 3 has twice as many
    int32_t pos1 = 0, pos2 = 0;  // next slot each ring writes
    int32_t d1 = 0, d2 = 0;      // tap delays in interleaved samples
    SpareBuffer<int16_t> spare1, spare2;  // what the next clear of lines 1 and 2 takes
};

// vemomix_init: defaults, the three buffers for this format (lines cleared) and the taps.
void fx_reset(Echo& fx, int rate, int channels);
// vemomix_set: params were just replaced; the taps follow, the lines keep their contents.
void fx_configure(Echo& fx, int rate, int channels);
// Off the engine lock, before fx_clear: the silent lines it will take.
void fx_prepare_clear(Echo& fx, int rate, int channels);
// vemomix_datarefresh: both lines to silence; parameters stay.
void fx_clear(Echo& fx, int rate, int channels);
// vemomix_close: give back the three buffers.
void fx_release(Echo& fx);
// One buffer, in place.
void fx_process(Echo& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
