#include "effects/swept_delay.h"

#include <cmath>

namespace vemo {

void sweep_init(SweptDelay& s, int rate, int amplitude) {
    s.phase = 0;
    constexpr double kTwoPi = 6.283185307179586;
    const int period = static_cast<int>(kSweepPhaseEnd);
    for (int k = 0; k < kSweepSteps; ++k)
        s.table[static_cast<size_t>(k)] = static_cast<int32_t>(std::lround(amplitude * std::sin(kTwoPi * k / period)));
    for (DelayLine& l : s.line) delay_init(l, rate);
}

void fx_configure(SweptDelay& s, int rate, int) {
    for (int c = 0; c < 2; ++c) delay_recreate(s.line[c], rate, s.spare[c]);
}

void fx_clear(SweptDelay& s, int rate, int channels) { fx_configure(s, rate, channels); }

void fx_prepare_clear(SweptDelay& s, int rate, int) {
    for (int c = 0; c < 2; ++c) delay_prepare(s.line[c], rate, s.spare[c]);
}

void fx_release(SweptDelay& s) {
    for (DelayLine& l : s.line) delay_free(l);
    for (SpareBuffer<float>& spare : s.spare) spare.release();
}

}  // namespace vemo
