// The project's own random generator, so that EQ dither and reverb taps draw the same
// sequence in every build on every platform: x <- x*214013 + 2531011, out (x>>16)&0x7FFF.
#pragma once
#include <cstdint>

namespace vemo {

int vemo_rand();               // 0..32767
void vemo_srand(uint32_t seed); // restart the sequence (tests only; load state is seed 1)

}  // namespace vemo
