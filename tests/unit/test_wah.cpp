// Wah-wah: the fixed low-pass at depth 0, coefficient timing, opposite start phases, the clamp.
#include "effects/wah.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<Wah> make(WahParams p) { return make_stage<Wah>(p); }

double corner(const WahChannel& ch) { return std::acos(static_cast<double>(ch.coef.a1) / -2.0); }

TEST(Wah, DepthZeroIsAFixedLowPassWhateverTheRate) {
    for (int rate : {1, 40}) {
        auto fx = make({rate, 30, 0, 30});
        processed(*fx, {0});
        const WahChannel first = fx->channel[0];
        EXPECT_NEAR(corner(first), kPi * std::exp(6.0 * (0.3 - 1.0)), 1e-5);  // 0.047
        processed(*fx, std::vector<int16_t>(10000, 1000));
        EXPECT_EQ(std::memcmp(&fx->channel[0].coef, &first.coef, sizeof first.coef), 0);  // never redesigned
    }
    // Far above the corner little gets through; a constant level passes at unit gain, as it
    // does with the smallest resonance the record can give (Q = 0 is taken as 0.1).
    EXPECT_LT(peak_abs(processed(*make({25, 30, 0, 30}), sine(20000, 5000.0, 10000.0)), 10000), 200);
    for (int resonance : {30, 0}) {
        auto fx = make({25, 30, resonance ? 0 : 70, resonance});
        EXPECT_GT(fx->channel[0].q, 0.0f);
        const int16_t last = processed(*fx, std::vector<int16_t>(44100, 10000)).back();
        EXPECT_TRUE(last == 9999 || last == 10000) << resonance << ": " << last;
        EXPECT_TRUE(std::isfinite(fx->channel[0].mem.y1) && fx->channel[0].coef.a0 >= 1.0f);
    }
}

TEST(Wah, CoefficientsChangeOnlyEveryThirtySamplesAndAfterAConfigure) {
    auto fx = make({40, 30, 100, 30});
    std::vector<int16_t> one(30, 100);
    run_stage(*fx, one, 1, 44100, 1);  // sample by sample
    const float b0 = fx->channel[0].coef.b0;
    processed(*fx, std::vector<int16_t>(1, 100));  // count 30: the first redesign
    EXPECT_EQ(std::tuple(fx->channel[0].coef.b0 != b0, fx->channel[0].n), std::tuple(true, 31u));
    // A configure restarts the count, so the very next sample designs again from m = 1.
    fx_configure(*fx, 44100, 2);
    EXPECT_TRUE(fx->channel[0].n == 0u && fx->channel[0].coef.a0 == 0.0f && fx->channel[0].mem.y1 == 0.0f);
    processed(*fx, {100});
    EXPECT_EQ(fx->channel[0].coef.b0, b0);
}

TEST(Wah, ConfigureStartsTheChannelsInOppositePhase) {
    auto fx = std::make_unique<Wah>();
    fx_reset(*fx, 44100, 2);
    EXPECT_EQ(std::tuple(fx->channel[1].w, fx->channel[1].q), std::tuple(static_cast<float>(12.5663708 / 44100), 3.0f));
    EXPECT_TRUE(fx->channel[0].p0 == 0.0f && fx->channel[1].p0 == 0.0f);  // after init both sweep together
    fx->params = {25, 30, 70, 30};
    fx_configure(*fx, 44100, 2);
    EXPECT_TRUE(fx->channel[1].p0 == 3.14159274f && fx->channel[0].p0 == 0.0f);
    processed(*fx, {1000, 1000}, 2);
    // Channel 0 starts at the top of the sweep, channel 1 at the bottom.
    EXPECT_NEAR(corner(fx->channel[0]), 3.1415927 * std::exp(6.0 * (0.3 + 0.7 * 0.7 - 1.0)), 1e-3);
    EXPECT_NEAR(corner(fx->channel[1]), 3.1415927 * std::exp(-4.2), 1e-4);
    EXPECT_EQ(fx->channel[1].base, 0.3f);
}

TEST(Wah, OutputClampsAtPlusMinus32767WhileTheMemoriesDoNot) {
    auto fx = make({10, 30, 50, 100});
    const std::vector<int16_t> in = square(30000, 60);
    std::vector<int16_t> out;
    float peak_memory = 0;
    for (int16_t v : in) {
        out.push_back(processed(*fx, {v})[0]);
        peak_memory = std::max(peak_memory, std::abs(fx->channel[0].mem.y1));
    }
    EXPECT_EQ(std::tuple(*std::max_element(out.begin(), out.end()), *std::min_element(out.begin(), out.end()),
                         peak_memory > 1.0f),
              std::tuple(32767, -32767, true));
}

}  // namespace
}  // namespace vemo::test
