// The compressor: derived coefficients, detector and gain carried across channels and
// buffers, the static curve, and the output limit.
#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/compressor.h"
#include "test_support.h"

namespace vemo::test {
namespace {

Compressor make(int rate, CompressorParams p = {}) {
    Compressor fx;
    compressor_init(fx, rate, 2);
    fx.params = p;
    compressor_configure(fx, rate, 2);
    return fx;
}

void run(Compressor& fx, std::vector<int16_t>& pcm, int channels) {
    StageContext ctx;
    ctx.rate = 44100;
    ctx.channels = channels;
    ctx.frames = static_cast<int>(pcm.size()) / channels;
    ctx.sample_count = ctx.frames * channels;
    compressor_process(fx, pcm.data(), ctx);
}

std::vector<int16_t> square(int frames, int channels, int16_t high = 32767) {
    std::vector<int16_t> out;
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c) out.push_back((n / 50) % 2 ? high : static_cast<int16_t>(-high));
    return out;
}

TEST(Compressor, DerivedValues) {
    Compressor fx = make(44100);
    EXPECT_NEAR(fx.comp_threshold, 0.07079458, 2e-8);
    EXPECT_EQ(fx.comp_slope, 0.5f);
    EXPECT_FLOAT_EQ(fx.comp_attack_coef, static_cast<float>(1 - 1 / 44.1));
    EXPECT_FLOAT_EQ(fx.comp_release_coef, static_cast<float>(1 - 1 / 441.0));
    EXPECT_EQ(fx.comp_detector_coef, fx.comp_attack_coef);  // attack 1 < release 10
    EXPECT_EQ(fx.comp_gain, 1.0f);

    // The detector follows the longer of the two times; the threshold loses 3 dB.
    Compressor slow = make(48000, {-10, 2, 50, 20});
    EXPECT_EQ(slow.comp_detector_coef, slow.comp_release_coef);
    EXPECT_FLOAT_EQ(slow.comp_release_coef, static_cast<float>(1 - 1 / 960.0));
    EXPECT_NEAR(slow.comp_threshold, std::pow(10.0, -13 * 0.05), 1e-7);
    EXPECT_NEAR(slow.comp_slope, 0.2f, 1e-7);
    Compressor equal = make(48000, {-10, 2, 20, 20});
    EXPECT_EQ(equal.comp_detector_coef, equal.comp_release_coef);
    // The threshold in dB is taken as a 16-bit value after the 3 dB: 65539 - 3 -> 0 dB.
    Compressor wrapped = make(44100, {65539, 5, 1, 10});
    EXPECT_EQ(wrapped.comp_threshold, 1.0f);
}

TEST(Compressor, FullScaleSquareSettlesAtTheStaticCurve) {
    Compressor fx = make(44100);
    std::vector<int16_t> pcm;
    for (int b = 0; b < 4; ++b) {
        pcm = square(4096, 2);
        run(fx, pcm, 2);
    }
    // (1 / T2)^-0.25 of a full-scale detector: about 0.266.
    EXPECT_NEAR(fx.comp_gain, 0.266, 0.001);
    for (size_t n = pcm.size() - 400; n < pcm.size(); ++n) EXPECT_EQ(std::abs(pcm[n]), 8718) << n;
}

TEST(Compressor, QuietAndUnitSlopeSignalsPassUnchanged) {
    // A mean square below T2 (peak 0.07 of full scale is a mean square of 0.0025 for a sine).
    Compressor quiet = make(44100);
    std::vector<int16_t> in;
    for (int n = 0; n < 2 * 4096; ++n) in.push_back(static_cast<int16_t>(2300 * std::sin(n * 0.05) + (n % 7) - 3));
    std::vector<int16_t> out = in;
    run(quiet, out, 2);
    EXPECT_EQ(out, in);
    EXPECT_EQ(quiet.comp_gain, 1.0f);

    // Slope 10: the curve is flat at 1 however loud the input.
    Compressor unit = make(44100, {-40, 10, 1, 10});
    std::vector<int16_t> loud = square(4096, 2);
    for (int n = 0; n < 4096; ++n) loud[2 * n + 1] = static_cast<int16_t>((n * 7919) % 65536 - 32768);
    std::vector<int16_t> same = loud;
    run(unit, same, 2);
    EXPECT_EQ(same, loud);
}

TEST(Compressor, ChannelOneCarriesOnFromChannelZero) {
    // Stereo is the same as channel 0 then channel 1 through one mono compressor.
    std::vector<int16_t> stereo;
    std::vector<int16_t> left, right;
    for (int n = 0; n < 3000; ++n) {
        left.push_back(static_cast<int16_t>(n < 1500 ? 30000 * std::sin(n * 0.1) : 300));
        right.push_back(static_cast<int16_t>(5000 * std::sin(n * 0.03)));
        stereo.push_back(left.back()), stereo.push_back(right.back());
    }
    Compressor a = make(44100, {-30, 3, 2, 40});
    Compressor b = a;
    run(a, stereo, 2);
    run(b, left, 1);
    run(b, right, 1);
    for (size_t n = 0; n < left.size(); ++n) {
        ASSERT_EQ(stereo[2 * n], left[n]) << n;
        ASSERT_EQ(stereo[2 * n + 1], right[n]) << n;
    }
    EXPECT_EQ(a.comp_env, b.comp_env);
    EXPECT_EQ(a.comp_gain, b.comp_gain);
    // The first right sample was held down by the left channel's gain.
    EXPECT_LT(right[20], static_cast<int16_t>(5000 * std::sin(20 * 0.03)) - 100);
}

TEST(Compressor, AttackIsFastAndReleaseSlow) {
    Compressor fx = make(44100, {-20, 5, 1, 100});
    std::vector<int16_t> burst(441, 30000);  // 10 ms, mono
    run(fx, burst, 1);
    EXPECT_LT(fx.comp_gain, 0.4f);
    const float held = fx.comp_gain;
    std::vector<int16_t> silence(441, 0);  // 10 ms of a 100 ms release
    run(fx, silence, 1);
    EXPECT_GT(fx.comp_gain, held);
    EXPECT_LT(fx.comp_gain, held + (1 - held) * 0.2f);
}

TEST(Compressor, PlusOneIsWrittenAs32767) {
    // An expanding slope drives the gain above 1; the limit holds the output at the rails.
    Compressor fx = make(44100, {-40, 30, 1, 1});
    std::vector<int16_t> pcm = square(4096, 1);
    run(fx, pcm, 1);
    EXPECT_GT(fx.comp_gain, 1.0f);
    EXPECT_EQ(pcm.back(), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin() + 100, pcm.end()), -32768);
    std::vector<int16_t> low(64, -32768);
    run(fx, low, 1);
    EXPECT_EQ(low.back(), -32768);
}

TEST(Compressor, NonsenseParametersStayFinite) {
    const CompressorParams cases[] = {
        {-20, 5, 0, 10},        {-20, 5, 1, -5},          {-2147483647 - 1, 5, 1, 10},
        {2147483647, 5, 1, 10}, {-40, 2147483647, 1, 10}, {-40, -2147483647 - 1, 1, 10},
        {-300, 100, -1000, 0},  {-1000, 5, 1, 10},
    };
    for (int rate : {44100, 0, -8000}) {
        for (const CompressorParams& p : cases) {
            Compressor fx = make(rate, p);
            std::vector<int16_t> pcm;
            for (int n = 0; n < 2 * 4096; ++n)
                pcm.push_back(static_cast<int16_t>((n % 300 < 150) ? (n * 31) % 65536 - 32768 : 0));
            run(fx, pcm, 2);
            run(fx, pcm, 2);
            EXPECT_TRUE(std::isfinite(fx.comp_env) && fx.comp_env >= 0) << rate << " " << p.comp_threshold_db;
            EXPECT_TRUE(std::isfinite(fx.comp_gain)) << rate << " " << p.comp_slope_x10;
            EXPECT_TRUE(std::isfinite(fx.comp_attack_coef) && std::isfinite(fx.comp_release_coef));
        }
    }
}

class CompressorStage : public Session {};

TEST_F(CompressorStage, RecordSwitchesItOnAndKeepsItsState) {
    EffectSettings s = current();
    s.comp_enabled = 1;
    vemomix_set(s);
    std::vector<int16_t> pcm;
    for (int b = 0; b < 4; ++b) {
        pcm = square(4096, 2);
        vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    }
    EXPECT_EQ(pcm.back(), 8718);
    const float gain = engine().comp.comp_gain, env = engine().comp.comp_env;
    // Neither a new record nor a refresh forgets the detector or the gain.
    vemomix_set(s);
    vemomix_datarefresh();
    EXPECT_EQ(engine().comp.comp_gain, gain);
    EXPECT_EQ(engine().comp.comp_env, env);
    EXPECT_EQ(current().comp_release_ms, 10);
    EXPECT_EQ(current().comp_threshold_db, -20);

    s.comp_enabled = 2;
    vemomix_set(s);
    std::vector<int16_t> untouched = square(64, 2);
    vemomix_change(untouched.data(), static_cast<int32_t>(untouched.size() * 2));
    EXPECT_EQ(untouched, square(64, 2));
}

}  // namespace
}  // namespace vemo::test
