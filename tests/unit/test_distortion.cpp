// The RC cascade, the resonator and the distortion stage built from them.
#include "effects/distortion.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// Peak amplitude of the second half of a 3000-peak sine at hz after the resonator.
double resonator_amplitude(double hz, int channels) {
    RcFilter f;
    rc_design(f, 4, 1.0);
    std::vector<float> block(8192);
    for (size_t n = 0; n < block.size(); ++n) block[n] = static_cast<float>(3000.0 * std::sin(kTwoPi * hz * n / 44100));
    resonator_run(f, block.data(), 8192, 3000.0, 44100, channels, 0);
    double peak = 0;
    for (size_t n = 4096; n < block.size(); ++n) peak = std::max(peak, double(std::fabs(block[n])));
    return peak;
}

TEST(RcFilter, DesignAndCutoff) {
    RcFilter f;
    f.current[3][1][1] = 5, f.aux[0][0][1] = 7;
    rc_set_cutoff(f, 350, 44100, 2);
    // A new cut-off keeps the memories.
    EXPECT_EQ(std::tuple(f.current[3][1][1], f.r, f.inv_r), std::tuple(5.0, 1000.0, 0.001));
    EXPECT_DOUBLE_EQ(f.c, 1.0 / (2 * 350.0 * 1000.0 * 6.2831854));
    // The channel count cancels: each section moves by 2*pi*fc/rate of its voltage.
    EXPECT_NEAR(f.dt_over_c * f.inv_r, kTwoPi * 350 / 44100, 1e-8);
    rc_design(f, 4, 1.5);
    EXPECT_EQ(std::tuple(f.stages, f.stage_gain, f.current[3][1][1], f.aux[0][0][1]), std::tuple(4.0, 1.5, 0.0, 0.0));
}

TEST(RcFilter, HighPassPassesStepsAndLowPassPassesDc) {
    RcFilter f;
    rc_design(f, 4, 1.5);
    rc_set_cutoff(f, 350, 44100, 1);
    std::vector<float> step(4096, 1000.0f), dc(4096, 1000.0f), one(2000, 1.0f);
    rc_run(f, step.data(), 4096, kRcHighPass, 0);
    EXPECT_NEAR(step[0], 5062.5, 1e-3);  // the edge goes through every section whole: 1.5^4
    EXPECT_LT(std::fabs(step[4095]), 1e-3);  // and DC dies away
    // The low-pass memories are separate: DC comes out at the stage gain to the fourth.
    rc_run(f, dc.data(), 4096, kRcLowPass, 0);
    EXPECT_LT(dc[0], 100.0f);
    EXPECT_NEAR(dc[4095], 5062.5, 0.01);
    // Channel 1 has its own memories; section count is respected (10 sections of gain 1).
    RcFilter ten;
    rc_design(ten, 10, 1.0);
    rc_set_cutoff(ten, 3500, 44100, 2);
    rc_run(ten, one.data(), 2000, kRcLowPass, 1);
    EXPECT_NEAR(one[1999], 1.0, 1e-6);
    EXPECT_TRUE(ten.current[9][kRcLowPass][1] != 0.0 && ten.current[9][kRcLowPass][0] == 0.0);
}

TEST(RcFilter, ResonatorPeaksAtFiveThirdsIsSharperInStereoAndGivesWholeNumbers) {
    const double mono_peak = resonator_amplitude(3000, 1), stereo_peak = resonator_amplitude(3000, 2);
    for (double peak : {mono_peak, stereo_peak}) EXPECT_NEAR(peak / 3000, 5.0 / 3.0, 0.05) << peak;
    // Half the damping in stereo: an octave away the response has fallen further.
    EXPECT_LT(resonator_amplitude(6000, 2) / stereo_peak, 0.8 * resonator_amplitude(6000, 1) / mono_peak);
    RcFilter f;
    rc_design(f, 4, 1.0);
    std::vector<float> block = {1000, 333, -777, 5, 0, 0};
    resonator_run(f, block.data(), 6, 3000, 44100, 2, 1);
    for (float v : block) EXPECT_EQ(v, std::trunc(v));
}

TEST(Distortion, LimiterStepsBetweenConsecutiveSamples) {
    // Drive 1000: 800 * 1000 / 16 = 50000; level 256: the limited values come out as they are.
    auto fx = make_stage<Distortion>(DistortionParams{10000, 256, 1000, 350, 3000}, 44100, 1);
    auto limit = [&](std::vector<float> block) {
        distortion_drive_limit(*fx, block.data(), static_cast<int>(block.size()), 0);
        return block;
    };
    EXPECT_EQ(limit(std::vector<float>(6, 800.0f)), (std::vector<float>{10000, 20000, 30000, 40000, 50000, 50000}));
    EXPECT_TRUE(fx->dist_prev[0] == 50000 && fx->dist_prev[1] == 0);
    // Down again by the same steps; a step larger than any change lets everything through.
    EXPECT_EQ(limit(std::vector<float>(3, -80.0f)), (std::vector<float>{40000, 30000, 20000}));
    fx->params.dist_max_step = INT32_MAX;
    EXPECT_EQ(limit({-80.0f, 800.0f}), (std::vector<float>{-5000, 50000}));
    fx->params.dist_level = 20;  // the default level scales by 20/256
    EXPECT_EQ(limit({16.0f})[0], float(1000 * 20 * 0.00390625));
}

using DistortionSession = Session;

TEST_F(DistortionSession, RecordRedesignsTheFilters) {
    EffectSettings s = current();
    EXPECT_EQ((std::array{s.dist_max_step, s.dist_level, s.dist_low_cut_hz, s.dist_tone_hz}),
              (std::array{10000, 20, 350, 3000}));
    s.dist_low_cut_hz = 700;
    vemomix_set(s);
    EXPECT_NEAR(engine().dist.low_cut.dt_over_c * 0.001, kTwoPi * 700 / 44100, 1e-8);
    EXPECT_EQ(engine().dist.tone.stage_gain, 1.0);
}

}  // namespace
}  // namespace vemo::test
