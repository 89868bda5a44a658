// A normalised sample (full scale 1.0) to 16 bits, as files are read and hosts' floats taken:
// times 32768, rounded to nearest (ties to even), clipped to -32768..32767; NaN is silence.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vemo {

// `clipped` is set when the sample lay outside the 16-bit range.
inline int16_t pcm16_from_normalised(double x, bool& clipped) {
    double v = x * 32768.0;
    if (std::isnan(v)) v = 0.0;
    const long r = std::lrint(std::clamp(v, -65536.0, 65536.0));
    clipped = r > 32767 || r < -32768;
    return static_cast<int16_t>(std::clamp(r, -32768L, 32767L));
}

// And back: full scale 32768, exactly.
inline float normalised_from_pcm16(int16_t s) { return static_cast<float>(s) / 32768.0f; }

}  // namespace vemo
