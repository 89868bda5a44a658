// What every effect stage receives for one buffer (at most kMaxFrames frames).
#pragma once
#include <cstdint>

namespace vemo {

// One call never hands a stage more frames than this; longer host buffers are sliced.
constexpr int kMaxFrames = 4096;

struct StageContext {
    int rate = 0;          // working sample rate, Hz
    int channels = 0;      // 1 or 2
    int frames = 0;        // whole frames in the buffer, 0..kMaxFrames
    int sample_count = 0;  // frames * channels
    float* work = nullptr; // kMaxFrames floats of scratch for one de-interleaved channel
};

}  // namespace vemo
