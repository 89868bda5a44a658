// DelayLine: a circular line of floats written one sample at a time and read at a whole
// number of samples behind the most recent write.  The drift and the chorus keep one per channel
// (see SweptDelay).
#pragma once
#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effects/spare_buffer.h"

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
