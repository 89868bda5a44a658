// Phase inversion: negation with the 16-bit wrap of -32768, and two inversions cancelling.
#include <vector>

#include "effects/phase_invert.h"
#include "test_support.h"

namespace vemo::test {
namespace {

TEST(PhaseInvert, NegatesEverySampleAndKeepsMinusFullScale) {
    PhaseInvert fx;
    std::vector<float> work(kMaxFrames);
    std::vector<int16_t> pcm = {1000, 0, 32767, -32768, -1, 1, -32767, 12345};
    StageContext ctx{44100, 2, 4, 8, 1.0f, work.data()};
    invert_process(fx, pcm.data(), ctx);
    EXPECT_EQ(pcm, (std::vector<int16_t>{-1000, 0, -32767, -32768, 1, -1, 32767, -12345}));
}

class PhaseInvertSession : public Session {};

TEST_F(PhaseInvertSession, TwoInversionsInTheChainCancel) {
    EffectSettings s = current();
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    s.chain_order[0] = 15;
    s.chain_order[1] = 6;  // a switched-off stage between them changes nothing
    s.chain_order[2] = 15;
    s.invert_enabled = 1;
    vemomix_set(s);
    std::vector<int16_t> pcm(2 * 4096);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(i * 40503u);
    pcm[7] = -32768;
    pcm[8] = 32767;
    const std::vector<int16_t> before = pcm;
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    EXPECT_EQ(pcm, before);
    // With the second row gone, the same buffer comes back negated.
    s.chain_order[2] = 0;
    vemomix_set(s);
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    EXPECT_EQ(pcm[7], -32768);
    EXPECT_EQ(pcm[8], -32767);
    EXPECT_EQ(pcm[1], static_cast<int16_t>(-before[1]));
    // One inversion in mono.
    start(22050, 1, 0);
    s = current();
    s.invert_enabled = 1;
    vemomix_set(s);
    int16_t mono[3] = {-32768, 5, -6};
    vemomix_change(mono, sizeof mono);
    EXPECT_EQ(mono[0], -32768);
    EXPECT_EQ(mono[1], -5);
    EXPECT_EQ(mono[2], 6);
}

}  // namespace
}  // namespace vemo::test
