// Phase inversion: negation with the 16-bit wrap of -32768, and two inversions cancelling.
#include "effects/phase_invert.h"
#include "test_support.h"

namespace vemo::test {
namespace {

TEST(PhaseInvert, NegatesEverySampleAndKeepsMinusFullScale) {
    for (int channels : {1, 2}) {
        PhaseInvert fx;
        std::vector<int16_t> pcm = {1000, 0, 32767, -32768, -1, 1, -32767, 12345};
        run_stage(fx, invert_process, pcm, channels);
        EXPECT_EQ(pcm, (std::vector<int16_t>{-1000, 0, -32767, -32768, 1, -1, 32767, -12345})) << channels;
    }
}

class PhaseInvertSession : public Session {};

TEST_F(PhaseInvertSession, TwoInversionsInTheChainCancel) {
    EffectSettings s = set_record([](EffectSettings& r) {
        std::memset(r.chain_order, 0, sizeof r.chain_order);
        r.chain_order[0] = r.chain_order[2] = 15;
        r.chain_order[1] = 6;  // a switched-off stage between them changes nothing
        r.invert_enabled = 1;
    });
    std::vector<int16_t> pcm = noise(2 * 4096, 5);
    pcm[7] = -32768;
    const std::vector<int16_t> before = pcm;
    change(pcm);
    EXPECT_EQ(pcm, before);
    // With the second row gone, the same buffer comes back negated.
    s.chain_order[2] = 0;
    vemomix_set(s);
    change(pcm);
    for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], static_cast<int16_t>(-before[i])) << i;
}

}  // namespace
}  // namespace vemo::test
