// Biquad: one two-pole, two-zero section, in the letters of the audio EQ cookbook everywhere in
// the effects: b0, b1, b2 weigh the input now, one and two samples back; a1 and a2 the output one
// and two samples back; a0 divides the whole:
//     y = (b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2) / a0
// Each effect keeps its own order of the five products: that order is part of its exact result.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>

namespace vemo {

template <typename T>
struct Biquad {
    T b0 = 0, b1 = 0, b2 = 0, a0 = 0, a1 = 0, a2 = 0;  // a0 = 0 until designed
};

template <typename T>
struct BiquadMemory {
    T x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // inputs and outputs one and two samples back
};

// An interleaved 16-bit buffer through one float-held section per channel (Channel has a
// BiquadMemory<float> mem), the channels of a frame side by side: their recursions are
// independent, so their dependency chains (each through a division) overlap.  A sample enters
// as float(sample / 32767) and leaves as float(clamp(y, -1, 1) * 32767), truncated.
// step(channel, x, memory) gives y; the memory keeps y limited to +-memory_limit, as a float.
template <int Channels, typename Channel, typename Step>
void biquad_frames(Channel (&channel)[2], int16_t* pcm, int frames, double memory_limit, Step step) {
    constexpr double kInv32767 = 3.051850947599719e-05;  // 1/32767
    BiquadMemory<double> m[Channels];
    for (int c = 0; c < Channels; ++c) {
        const BiquadMemory<float>& f = channel[c].mem;
        m[c] = {f.x1, f.x2, f.y1, f.y2};
    }
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < Channels; ++c) {
            int16_t& sample = pcm[i * Channels + c];
            const double x = static_cast<float>(static_cast<float>(sample) * kInv32767);
            const double y = step(channel[c], x, std::as_const(m[c]));
            m[c].x2 = m[c].x1;
            m[c].x1 = x;
            m[c].y2 = m[c].y1;
            m[c].y1 = static_cast<float>(std::clamp(y, -memory_limit, memory_limit));
            sample = static_cast<int16_t>(static_cast<float>(std::clamp(y, -1.0, 1.0) * 32767.0));
        }
    }
    for (int c = 0; c < Channels; ++c) {
        const BiquadMemory<double>& d = m[c];
        channel[c].mem = {static_cast<float>(d.x1), static_cast<float>(d.x2), static_cast<float>(d.y1),
                          static_cast<float>(d.y2)};
    }
}

}  // namespace vemo
