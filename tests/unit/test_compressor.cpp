// Compressor: derived coefficients, the static curve, state carried across channels, the limit.
#include "effects/compressor.h"
#include "test_support.h"

namespace vemo::test {
namespace {

Compressor make(CompressorParams p = {}, int rate = 44100) {
    Compressor fx;
    compressor_init(fx, rate, 2);
    fx.params = p;
    compressor_configure(fx, rate, 2);
    return fx;
}

std::vector<int16_t> run(Compressor& fx, std::vector<int16_t> pcm, int channels = 2) {
    return processed(fx, compressor_process, std::move(pcm), channels);
}

TEST(Compressor, DerivedValues) {
    const Compressor fx = make();
    EXPECT_NEAR(fx.comp_threshold, 0.07079458, 2e-8);
    EXPECT_EQ(fx.comp_slope, 0.5f);
    EXPECT_FLOAT_EQ(fx.comp_attack_coef, static_cast<float>(1 - 1 / 44.1));
    EXPECT_FLOAT_EQ(fx.comp_release_coef, static_cast<float>(1 - 1 / 441.0));
    EXPECT_EQ(fx.comp_detector_coef, fx.comp_attack_coef);  // attack 1 < release 10
    EXPECT_EQ(fx.comp_gain, 1.0f);
    // The detector follows the longer of the two times; the threshold loses 3 dB.
    const Compressor slow = make({-10, 2, 50, 20}, 48000), equal = make({-10, 2, 20, 20}, 48000);
    EXPECT_EQ(slow.comp_detector_coef, slow.comp_release_coef);
    EXPECT_FLOAT_EQ(slow.comp_release_coef, static_cast<float>(1 - 1 / 960.0));
    EXPECT_NEAR(slow.comp_threshold, std::pow(10.0, -13 * 0.05), 1e-7);
    EXPECT_NEAR(slow.comp_slope, 0.2f, 1e-7);
    EXPECT_EQ(equal.comp_detector_coef, equal.comp_release_coef);
    // The threshold in dB is taken as a 16-bit value after the 3 dB: 65539 - 3 -> 0 dB.
    EXPECT_EQ(make({65539, 5, 1, 10}).comp_threshold, 1.0f);
}

TEST(Compressor, FullScaleSquareSettlesAtTheStaticCurveWhileQuietAndUnitSlopeSignalsPass) {
    Compressor fx = make();
    const std::vector<int16_t> out = run(fx, square(4 * 2 * 4096, 100, true));
    // (1 / T2)^-0.25 of a full-scale detector: about 0.266.
    EXPECT_NEAR(fx.comp_gain, 0.266, 0.001);
    for (size_t n = out.size() - 400; n < out.size(); ++n) ASSERT_EQ(std::abs(out[n]), 8718) << n;
    // A mean square below T2 (peak 0.07 of full scale is a mean square of 0.0025 for a sine).
    Compressor quiet = make();
    std::vector<int16_t> in;
    for (int n = 0; n < 2 * 4096; ++n) in.push_back(static_cast<int16_t>(2300 * std::sin(n * 0.05) + (n % 7) - 3));
    EXPECT_EQ(run(quiet, in), in);
    EXPECT_EQ(quiet.comp_gain, 1.0f);
    // Slope 10: the curve is flat at 1 however loud the input.
    Compressor unit = make({-40, 10, 1, 10});
    const std::vector<int16_t> loud = noise(2 * 4096, 3);
    EXPECT_EQ(run(unit, loud), loud);
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
    stereo = run(a, stereo);
    left = run(b, left, 1);
    right = run(b, right, 1);
    for (size_t n = 0; n < left.size(); ++n)
        ASSERT_TRUE(stereo[2 * n] == left[n] && stereo[2 * n + 1] == right[n]) << n;
    EXPECT_TRUE(a.comp_env == b.comp_env && a.comp_gain == b.comp_gain);
    // The first right sample was held down by the left channel's gain.
    EXPECT_LT(right[20], static_cast<int16_t>(5000 * std::sin(20 * 0.03)) - 100);
}

TEST(Compressor, PlusOneIsWrittenAs32767) {
    // An expanding slope drives the gain above 1; the limit holds the output at the rails.
    Compressor fx = make({-40, 30, 1, 1});
    const std::vector<int16_t> pcm = run(fx, square(4096, 50, true), 1);
    EXPECT_GT(fx.comp_gain, 1.0f);
    EXPECT_EQ(pcm.back(), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin() + 100, pcm.end()), -32768);
    EXPECT_EQ(run(fx, std::vector<int16_t>(64, -32768), 1).back(), -32768);
}

}  // namespace
}  // namespace vemo::test
