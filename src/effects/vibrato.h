// Vibrato: a sine-swept whole-sample delay per channel (effect type 16).
#pragma once
#include <cstdint>
#include <vector>

#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct VibratoParams {
    int32_t vibrato_period = 20;
    int32_t vibrato_depth = 25;
};

// The read position r and write position w of one channel's line.
struct VibratoChannel {
    int32_t r = 0, w = 0;
    std::vector<double> line;
};

struct Vibrato {
    VibratoParams params;
    int32_t line_length = 48000;   // L
    int32_t depth = 25;            // A, samples
    int32_t period = 4800;         // P, counted over the channels' passes one after the other
    int32_t table_length = 48000;  // N
    std::vector<double> table;     // one sine period scaled by A
    int32_t table_depth = 0;       // the A the table holds (once it has N entries)
    // A table made away from the engine lock for the next configure (or the one it replaced).
    std::vector<double> spare_table;
    int32_t spare_depth = 0;
    VibratoChannel channel[2];
    int32_t counter = 0;  // oscillator counter shared by both channels; 0 only at load
};

// vemomix_init: L = N = rate, A = 25, P = rate / 10, positions 0, lines and table for this rate.
void fx_reset(Vibrato& fx, int rate, int channels);
// vemomix_set and the editor: A and P from params (P with the channel count), table refilled.
void fx_configure(Vibrato& fx, int rate, int channels);
// Off the engine lock, before fx_configure with `next`: the table it will want.
void fx_prepare_configure(Vibrato& fx, const VibratoParams& next, int rate, int channels);
// vemomix_close: give back the lines and the table.
void fx_release(Vibrato& fx);
// One buffer, in place.
void fx_process(Vibrato& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
