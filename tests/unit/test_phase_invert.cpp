// Phase inversion: negation with the 16-bit wrap of -32768, and two inversions cancelling.
#include "effects/phase_invert.h"
#include "test_support.h"

namespace vemo::test {
namespace {

TEST(PhaseInvert, NegatesEverySampleAndKeepsMinusFullScale) {
    for (int channels : {1, 2}) {
        std::vector<int16_t> pcm = {1000, 0, 32767, -32768, -1, 1, -32767, 12345};
        const int frames = static_cast<int>(pcm.size()) / channels;
        invert_process(pcm.data(), StageContext{44100, channels, frames, frames * channels, 1.0f, nullptr});
        EXPECT_EQ(pcm, (std::vector<int16_t>{-1000, 0, -32767, -32768, 1, -1, 32767, -12345})) << channels;
    }
}

// Two rows of the same type both run, with a switched-off stage between them changing nothing.
TEST_F(Session, TwoInversionsInTheChainCancel) {
    for (int second : {15, 0}) {
        set_record([&](EffectSettings& r) {
            std::memset(r.chain_order, 0, sizeof r.chain_order);
            r.chain_order[0] = 15, r.chain_order[1] = 6, r.chain_order[2] = static_cast<uint8_t>(second);
            r.invert_enabled = 1;
        });
        const std::vector<int16_t> in = noise(2 * 4096, 5);
        std::vector<int16_t> pcm = in;
        change(pcm);
        for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], second ? in[i] : static_cast<int16_t>(-in[i])) << i;
    }
}

}  // namespace
}  // namespace vemo::test
