// DelayLine: a circular line of floats written one sample at a time and read at a whole
// number of samples behind the most recent write.  The drift and the chorus keep one per channel.
#pragma once
#include <algorithm>
#include <array>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effects/spare_buffer.h"
#include "effects/stage.h"

namespace vemo {

// Format-sized lines are sized for at most this rate, so that an absurd rate handed to
// vemomix_init cannot ask for gigabytes; delays are limited to the line they read.
constexpr int kMaxLineRate = 768000;

// A rate as the lines are sized for it: 0..kMaxLineRate.
inline int line_rate(int rate) { return std::clamp(rate, 0, kMaxLineRate); }

struct DelayLine {
    std::vector<float> buf;
    int32_t size = 0;  // slots in buf
    int32_t pos = 0;   // slot of the most recently written sample
};

// size = n + 1 zeroed slots, pos = 0.  A negative n gives an empty line; n is at most kMaxLineRate.
void delay_init(DelayLine& line, int n);
// Gives the samples back; the line is empty afterwards.
void delay_free(DelayLine& line);
// A line that exists is made again, cleared, with n + 1 slots (from the spare when it was
// prepared for that size); an absent one stays absent.
void delay_recreate(DelayLine& line, int n, SpareBuffer<float>& spare);
// Off the engine lock: the spare that delay_recreate will take, for a line that exists.
void delay_prepare(const DelayLine& line, int n, SpareBuffer<float>& spare);

inline void delay_write(DelayLine& line, float v) {
    if (++line.pos == line.size) line.pos = 0;
    line.buf[static_cast<size_t>(line.pos)] = v;
}

// d = 0 is the most recent sample; the caller keeps 0 <= d <= size - 1.
inline float delay_read(const DelayLine& line, int d) {
    int i = line.pos - d;
    if (i < 0) i += line.size;
    return line.buf[static_cast<size_t>(i)];
}

// What a recirculating line stores: a runaway feedback saturates at the largest float
// instead of becoming inf, so no later 0 * inf or inf - inf turns the line into NaN.
inline float line_value(double v) { return static_cast<float>(std::clamp(v, -double(FLT_MAX), double(FLT_MAX))); }

}  // namespace vemo

namespace vemo {

// The drift's and the chorus's sweep: a phase over table steps 0..358 of a 360-entry
// table, advanced after each sample and set back to 0 (not wrapped) when it reaches 359.
constexpr int kSweepSteps = 360;
constexpr float kSweepPhaseEnd = 359.0f;

inline void advance_sweep(float& phase, float inc) {
    phase += inc;
    // A negative or NaN increment would index before the table: such a phase restarts at 0 too.
    if (!(phase < kSweepPhaseEnd) || phase < 0.0f) phase = 0.0f;
}

// Channel c of an interleaved buffer into the work array, as floats of the sample values.
inline void load_channel(const int16_t* pcm, int channels, int c, int frames, float* work) {
    for (int i = 0; i < frames; ++i) work[i] = pcm[static_cast<std::ptrdiff_t>(i) * channels + c];
}

// The work array back into channel c, truncated toward zero; the caller has already kept
// every value inside the 16-bit range.
inline void store_channel(int16_t* pcm, int channels, int c, int frames, const float* work) {
    for (int i = 0; i < frames; ++i) pcm[static_cast<std::ptrdiff_t>(i) * channels + c] = static_cast<int16_t>(work[i]);
}

}  // namespace vemo

namespace vemo {

using SweepTable = std::array<int32_t, kSweepSteps>;

// One sine period over the steps the sweep phase visits, peaking at +-amplitude.
void fill_sine_sweep(SweepTable& table, int amplitude);

// The shared loop of the drift and the chorus.  Each channel in turn (the phase carries on
// from one to the next) runs through its own line: per sample, delay_of(table entry) gives
// the distance behind the latest write, limited to the line; the phase advances by inc;
// mix(sample, delayed) returns {output, line input}, the output already within 16 bits.
template <typename DelayOf, typename Mix>
void run_swept_lines(DelayLine (&lines)[2], const SweepTable& table, float& phase, float inc, int16_t* pcm,
                     const StageContext& ctx, DelayOf delay_of, Mix mix) {
    float phi = phase;
    float* x = ctx.work;
    for (int c = 0; c < ctx.channels && c < 2; ++c) {
        DelayLine& line = lines[c];
        if (line.size == 0) continue;
        load_channel(pcm, ctx.channels, c, ctx.frames, x);
        for (int i = 0; i < ctx.frames; ++i) {
            const int64_t d = std::clamp<int64_t>(delay_of(table[static_cast<size_t>(phi)]), 0, line.size - 1);
            advance_sweep(phi, inc);
            const auto [out, input] =
                mix(static_cast<double>(x[i]), static_cast<double>(delay_read(line, static_cast<int>(d))));
            delay_write(line, line_value(input));
            x[i] = static_cast<float>(out);
        }
        store_channel(pcm, ctx.channels, c, ctx.frames, x);
    }
    phase = phi;
}

}  // namespace vemo
