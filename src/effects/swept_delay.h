// SweptDelay: a DelayLine per channel read at a distance that a sine table sweeps -- the machinery
// the drift and the chorus share, lifecycle included: each of them is a SweptDelay with its own
// params, delay law and mix, and offers only fx_reset and fx_process of its own.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "effects/delay_line.h"
#include "effects/spare_buffer.h"
#include "effects/stage.h"
#include "vemosoundmix.h"

namespace vemo {

// The phase runs over table steps 0..358 of a 360-entry table, advanced after each sample and
// set back to 0 (not wrapped) when it reaches 359.
constexpr int kSweepSteps = 360;
constexpr float kSweepPhaseEnd = 359.0f;

using SweepTable = std::array<int32_t, kSweepSteps>;

struct SweptDelay {
    float phase = 0;  // position in table steps, 0 <= phase < 359
    // Delay offsets, one per step; the effect's delay law says what an entry means.  All zeros
    // gives a fixed delay.
    SweepTable table{};
    DelayLine line[2];
    SpareBuffer<float> spare[2];  // what the next re-creation of each line takes
};

// vemomix_init: phase 0, one sine period peaking at +-amplitude over the steps the phase visits,
// and two cleared lines of rate + 1 slots.
void sweep_init(SweptDelay& s, int rate, int amplitude);

// vemomix_set (the new params are taken as they are) and vemomix_datarefresh: each line that
// exists starts again empty; the phase and the table stay.
void fx_configure(SweptDelay& s, int rate, int channels);
void fx_clear(SweptDelay& s, int rate, int channels);
// Off the engine lock, before fx_configure or fx_clear: the cleared lines they will take,
// whatever the values to come.
void fx_prepare_clear(SweptDelay& s, int rate, int channels);
template <typename Params>
void fx_prepare_configure(SweptDelay& s, const Params&, int rate, int channels) {
    fx_prepare_clear(s, rate, channels);
}
// A knob moved: the sweep reads the new value as it runs, and the lines keep their history.
inline void fx_take_change(SweptDelay&, const EffectSettings&, int, int, int) {}
// vemomix_close: give back both lines.
void fx_release(SweptDelay& s);

inline void advance_sweep(float& phase, float inc) {
    phase += inc;
    // A negative or NaN increment would index before the table: such a phase restarts at 0 too.
    if (!(phase < kSweepPhaseEnd) || phase < 0.0f) phase = 0.0f;
}

// The mix the drift and the chorus share: 0.85 of (wet * delayed + dry * sample) / 256, limited to
// 16 bits, and into the line the sample plus feedback / 256 of the delayed.
inline auto trim_mix(double wet, double dry, double feedback) {
    return [=](double x, double v) {
        const double y = (wet * v * 0.00390625 + dry * x * 0.00390625) * 0.85;
        return std::pair{std::clamp(y, -32768.0, 32767.0), x + v * feedback * 0.00390625};
    };
}

// One buffer, in place.  Each channel in turn (the phase carries on from one to the next) runs
// through its own line: per sample, delay_of(table entry) gives the distance behind the latest
// write, limited to the line; the phase advances by inc; mix(sample, delayed) returns
// {output, line input}, the output already within 16 bits.
template <typename DelayOf, typename Mix>
void sweep_process(SweptDelay& s, float inc, int16_t* pcm, const StageContext& ctx, DelayOf delay_of, Mix mix) {
    float phi = s.phase;
    float* x = ctx.work;
    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        DelayLine& line = s.line[c];
        if (line.size == 0) continue;
        const auto at = [&](int i) -> int16_t& { return pcm[static_cast<std::ptrdiff_t>(i) * ctx.channels + c]; };
        for (int i = 0; i < ctx.frames; ++i) x[i] = at(i);
        for (int i = 0; i < ctx.frames; ++i) {
            const int64_t d = std::clamp<int64_t>(delay_of(s.table[static_cast<size_t>(phi)]), 0, line.size - 1);
            advance_sweep(phi, inc);
            const auto [out, input] =
                mix(static_cast<double>(x[i]), static_cast<double>(delay_read(line, static_cast<int>(d))));
            delay_write(line, line_value(input));
            x[i] = static_cast<float>(out);
        }
        // Truncated toward zero: mix has already kept every value inside the 16-bit range.
        for (int i = 0; i < ctx.frames; ++i) at(i) = static_cast<int16_t>(x[i]);
    }
    s.phase = phi;
}

}  // namespace vemo
