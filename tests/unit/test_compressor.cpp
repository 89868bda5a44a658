// Compressor: the static curve, attack and release times, state carried across channels, the limit.
#include "effects/compressor.h"
#include "test_support.h"

namespace vemo::test {
namespace {

Compressor make(CompressorParams p = {}, int rate = 44100) {
    Compressor fx;
    fx_reset(fx, rate, 2);
    fx.params = p;
    fx_configure(fx, rate, 2);
    return fx;
}

TEST(Compressor, GainFollowsWithTheAttackAndReleaseTimes) {
    // A full-scale onset: 1 ms of attack (and of detector) brings the gain within 3 % of its
    // settled 0.266 in 5 ms, but not within 1 ms.
    Compressor fx = make();
    const std::vector<int16_t> onset = processed(fx, square(4096, 100, true), 1);
    EXPECT_TRUE(std::abs(onset[44]) > 0.5 * 32768 && std::abs(onset[220]) < 0.28 * 32768) << onset[44] << " " << onset[220];
    // Then a level under the threshold: once the detector has fallen below it, 1 - gain shrinks
    // by e every 10 ms of release (441 samples).
    const std::vector<int16_t> quiet = processed(fx, std::vector<int16_t>(4096, 2000), 1);
    EXPECT_NEAR((2000 - quiet[1041]) / (2000.0 - quiet[600]), std::exp(-1.0), 0.01);
    // The detector smooths with the attack's coefficient only while the attack is the shorter time.
    const Compressor slow = make({-10, 2, 50, 20}, 48000), equal = make({-10, 2, 20, 20}, 48000);
    for (const Compressor* c : {&slow, &equal}) EXPECT_EQ(c->comp_detector_coef, c->comp_release_coef);
}

TEST(Compressor, FullScaleSquareSettlesAtTheStaticCurveWhileQuietAndUnitSlopeSignalsPass) {
    Compressor fx = make();
    const std::vector<int16_t> out = processed(fx, square(4 * 2 * 4096, 100, true), 2);
    // (1 / T2)^-0.25 of a full-scale detector: about 0.266.
    EXPECT_NEAR(fx.comp_gain, 0.266, 0.001);
    for (size_t n = out.size() - 400; n < out.size(); ++n) ASSERT_EQ(std::abs(out[n]), 8718) << n;
    // A mean square below T2 (peak 0.07 of full scale is a mean square of 0.0025 for a sine).
    Compressor quiet = make();
    std::vector<int16_t> in;
    for (int n = 0; n < 2 * 4096; ++n) in.push_back(static_cast<int16_t>(2300 * std::sin(n * 0.05) + (n % 7) - 3));
    EXPECT_EQ(processed(quiet, in, 2), in);
    EXPECT_EQ(quiet.comp_gain, 1.0f);
    // Slope 10: the curve is flat at 1 however loud the input.  So is it under a threshold of
    // 0 dB, which a 16-bit threshold of 65539 dB wraps to after the 3 dB it loses.
    const std::vector<int16_t> loud = noise(2 * 4096, 3);
    for (CompressorParams p : {CompressorParams{-40, 10, 1, 10}, CompressorParams{65539, 5, 1, 10}}) {
        Compressor unit = make(p);
        EXPECT_EQ(processed(unit, loud, 2), loud) << p.comp_threshold_db;
    }
    // Threshold -10 - 3 dB, slope 0.2: full scale settles at (10^1.3)^-0.4 = 0.302.
    Compressor steep = make({-10, 2, 50, 20}, 48000);
    const std::vector<int16_t> settled = processed(steep, square(8 * 4096, 100), 2, 48000);
    EXPECT_NEAR(peak_abs(settled, settled.size() - 400) / 32768.0, 0.302, 0.001);
}

TEST(Compressor, ChannelOneCarriesOnFromChannelZero) {
    // Stereo is the same as channel 0 then channel 1 through one mono compressor.
    std::vector<int16_t> stereo, left, right;
    for (int n = 0; n < 3000; ++n) {
        left.push_back(static_cast<int16_t>(n < 1500 ? 30000 * std::sin(n * 0.1) : 300));
        right.push_back(static_cast<int16_t>(5000 * std::sin(n * 0.03)));
        stereo.push_back(left.back()), stereo.push_back(right.back());
    }
    Compressor a = make({-30, 3, 2, 40}), b = a;
    stereo = processed(a, stereo, 2);
    left = processed(b, left, 1), right = processed(b, right, 1);
    for (size_t n = 0; n < left.size(); ++n)
        ASSERT_TRUE(stereo[2 * n] == left[n] && stereo[2 * n + 1] == right[n]) << n;
    EXPECT_TRUE(a.comp_env == b.comp_env && a.comp_gain == b.comp_gain);
    // The first right sample was held down by the left channel's gain.
    EXPECT_LT(right[20], static_cast<int16_t>(5000 * std::sin(20 * 0.03)) - 100);
}

TEST(Compressor, PlusOneIsWrittenAs32767) {
    // An expanding slope drives the gain above 1; the limit holds the output at the rails.
    Compressor fx = make({-40, 30, 1, 1});
    const std::vector<int16_t> pcm = processed(fx, square(4096, 50, true), 1);
    EXPECT_EQ(std::tuple(fx.comp_gain > 1.0f, pcm.back(), *std::min_element(pcm.begin() + 100, pcm.end())),
              std::tuple(true, 32767, -32768));
    EXPECT_EQ(processed(fx, std::vector<int16_t>(64, -32768), 1).back(), -32768);
}

}  // namespace
}  // namespace vemo::test
