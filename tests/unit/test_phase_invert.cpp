// Phase inversion: negation with the 16-bit wrap of -32768.
#include "effects/phase_invert.h"
#include "test_support.h"

namespace vemo::test {
namespace {

TEST(PhaseInvert, NegatesEverySampleAndKeepsMinusFullScale) {
    for (int channels : {1, 2}) {
        std::vector<int16_t> pcm = {1000, 0, 32767, -32768, -1, 1, -32767, 12345};
        const int frames = static_cast<int>(pcm.size()) / channels;
        PhaseInvert fx;
        fx_process(fx, pcm.data(), StageContext{44100, channels, frames, frames * channels, nullptr});
        EXPECT_EQ(pcm, (std::vector<int16_t>{-1000, 0, -32767, -32768, 1, -1, 32767, -12345})) << channels;
    }
}

}  // namespace
}  // namespace vemo::test
