// The RC cascade, the resonator and the distortion stage built from them.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "effects/distortion.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kTwoPi = 6.283185307179586;

bool all_finite(const RcFilter& f) {
    for (int s = 0; s < kRcMaxStages; ++s)
        for (int m = 0; m < 2; ++m)
            for (int c = 0; c < 2; ++c)
                if (!std::isfinite(f.current[s][m][c]) || !std::isfinite(f.prev_in[s][m][c]) ||
                    !std::isfinite(f.aux[s][m][c]))
                    return false;
    return true;
}

// Peak amplitude of the second half of a sine at hz after the resonator.
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
    f.current[3][1][1] = 5;
    f.aux[0][0][1] = 7;
    rc_set_cutoff(f, 350, 44100, 2);
    EXPECT_EQ(f.current[3][1][1], 5.0);  // a new cut-off keeps the memories
    EXPECT_DOUBLE_EQ(f.c, 1.0 / (2 * 350.0 * 1000.0 * 6.2831854));
    EXPECT_EQ(f.r, 1000.0);
    EXPECT_EQ(f.inv_r, 0.001);
    // The channel count cancels: each section moves by 2*pi*fc/rate of its voltage.
    EXPECT_NEAR(f.dt_over_c * f.inv_r, kTwoPi * 350 / 44100, 1e-8);
    rc_design(f, 4, 1.5);
    EXPECT_EQ(f.stages, 4.0);
    EXPECT_EQ(f.stage_gain, 1.5);
    EXPECT_EQ(f.current[3][1][1], 0.0);
    EXPECT_EQ(f.aux[0][0][1], 0.0);
}

TEST(RcFilter, HighPassPassesStepsAndLowPassPassesDc) {
    RcFilter f;
    rc_design(f, 4, 1.5);
    rc_set_cutoff(f, 350, 44100, 1);
    std::vector<float> step(4096, 1000.0f);
    rc_run(f, step.data(), 4096, kRcHighPass, 0);
    // The edge goes through every section whole: 1.5^4.
    EXPECT_NEAR(step[0], 5062.5, 1e-3);
    EXPECT_LT(std::fabs(step[4095]), 1e-3);  // and DC dies away
    // The low-pass memories are separate: DC comes out at the stage gain to the fourth.
    std::vector<float> dc(4096, 1000.0f);
    rc_run(f, dc.data(), 4096, kRcLowPass, 0);
    EXPECT_LT(dc[0], 100.0f);
    EXPECT_NEAR(dc[4095], 5062.5, 0.01);
    // Channel 1 has its own memories; section count is respected (10 sections of gain 1).
    RcFilter ten;
    rc_design(ten, 10, 1.0);
    rc_set_cutoff(ten, 3500, 44100, 2);
    std::vector<float> one(2000, 1.0f);
    rc_run(ten, one.data(), 2000, kRcLowPass, 1);
    EXPECT_NEAR(one[1999], 1.0, 1e-6);
    EXPECT_NE(ten.current[9][kRcLowPass][1], 0.0);
    EXPECT_EQ(ten.current[9][kRcLowPass][0], 0.0);
}

TEST(RcFilter, ResonatorPeaksAtFiveThirdsAndIsSharperInStereo) {
    const double mono_peak = resonator_amplitude(3000, 1);
    const double stereo_peak = resonator_amplitude(3000, 2);
    EXPECT_NEAR(mono_peak / 3000, 5.0 / 3.0, 0.05);
    EXPECT_NEAR(stereo_peak / 3000, 5.0 / 3.0, 0.05);
    // Half the damping in stereo: an octave away the response has fallen further.
    EXPECT_LT(resonator_amplitude(6000, 2) / stereo_peak, 0.8 * resonator_amplitude(6000, 1) / mono_peak);
    // Outputs are whole numbers.
    RcFilter f;
    rc_design(f, 4, 1.0);
    std::vector<float> block = {1000, 333, -777, 5, 0, 0};
    resonator_run(f, block.data(), 6, 3000, 44100, 2, 1);
    for (float v : block) EXPECT_EQ(v, std::trunc(v));
}

TEST(RcFilter, AbsurdCutoffsStayFinite) {
    for (double fc : {0.0, -350.0, 1e9, 21000.0}) {
        SCOPED_TRACE(fc);
        RcFilter f;
        rc_design(f, 10, 1.5);
        rc_set_cutoff(f, fc, 44100, 2);
        std::vector<float> block(4096);
        for (size_t n = 0; n < block.size(); ++n) block[n] = (n / 3) % 2 ? 32767.0f : -32768.0f;
        for (int pass = 0; pass < 8; ++pass) {
            rc_run(f, block.data(), 4096, pass % 2 ? kRcLowPass : kRcHighPass, 0);
            resonator_run(f, block.data(), 4096, fc, 44100, 2, 0);
            for (float& v : block) v = std::clamp(v, -32768.0f, 32767.0f);
        }
        EXPECT_TRUE(all_finite(f));
    }
}

struct DistRig {
    std::unique_ptr<Distortion> fx = std::make_unique<Distortion>();
    std::vector<float> work = std::vector<float>(kMaxFrames);
    int channels;
    explicit DistRig(int ch) : channels(ch) { distortion_init(*fx, 44100, ch); }
    void run(std::vector<int16_t>& pcm) {
        const int frames = static_cast<int>(pcm.size()) / channels;
        StageContext ctx{44100, channels, frames, frames * channels, 1.0f, work.data()};
        distortion_process(*fx, pcm.data(), ctx);
    }
};

TEST(Distortion, LimiterStepsBetweenConsecutiveSamples) {
    DistRig rig(1);
    rig.fx->params.dist_drive = 1000;  // 800 * 1000 / 16 = 50000
    rig.fx->params.dist_level = 256;   // level 1: the limited values come out as they are
    std::vector<float> block(6, 800.0f);
    distortion_drive_limit(*rig.fx, block.data(), 6, 0);
    EXPECT_EQ(block, (std::vector<float>{10000, 20000, 30000, 40000, 50000, 50000}));
    EXPECT_EQ(rig.fx->dist_prev[0], 50000);
    EXPECT_EQ(rig.fx->dist_prev[1], 0);
    // Down again by the same steps; a step larger than any change lets everything through.
    std::vector<float> down(3, -80.0f);
    distortion_drive_limit(*rig.fx, down.data(), 3, 0);
    EXPECT_EQ(down, (std::vector<float>{40000, 30000, 20000}));
    rig.fx->params.dist_max_step = INT32_MAX;
    std::vector<float> free_run = {-80.0f, 800.0f};
    distortion_drive_limit(*rig.fx, free_run.data(), 2, 0);
    EXPECT_EQ(free_run, (std::vector<float>{-5000, 50000}));
    // The default level scales by 20/256.
    rig.fx->params.dist_level = 20;
    std::vector<float> scaled = {16.0f};
    distortion_drive_limit(*rig.fx, scaled.data(), 1, 0);
    EXPECT_EQ(scaled[0], float(1000 * 20 * 0.00390625));
}

TEST(Distortion, LimiterStateSurvivesInitAndRecords) {
    DistRig rig(2);
    std::vector<int16_t> loud(2 * 512);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = (i / 20) % 2 ? 30000 : -30000;
    rig.run(loud);
    const int32_t prev0 = rig.fx->dist_prev[0], prev1 = rig.fx->dist_prev[1];
    ASSERT_NE(prev0, 0);
    ASSERT_NE(prev1, 0);
    distortion_configure(*rig.fx, 44100, 2);
    distortion_init(*rig.fx, 44100, 2);
    EXPECT_EQ(rig.fx->dist_prev[0], prev0);
    EXPECT_EQ(rig.fx->dist_prev[1], prev1);
    // ... while the filter memories are cleared.
    EXPECT_EQ(rig.fx->low_cut.current[0][kRcHighPass][0], 0.0);
    EXPECT_EQ(rig.fx->tone.aux[0][0][1], 0.0);
}

TEST(Distortion, SilenceReturnsToSilence) {
    DistRig rig(2);
    std::vector<int16_t> loud(2 * 1024);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = static_cast<int16_t>(25000 * std::sin(i * 0.05));
    rig.run(loud);
    EXPECT_NE(std::count(loud.begin(), loud.end(), 0), static_cast<long>(loud.size()));
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<int16_t> quiet(2 * 4096, 0);
        rig.run(quiet);
        if (pass == 3) {
            EXPECT_EQ(rig.fx->dist_prev[0], 0);
            EXPECT_EQ(rig.fx->dist_prev[1], 0);
            EXPECT_EQ(std::count(quiet.begin(), quiet.end(), 0), static_cast<long>(quiet.size()));
        }
    }
}

TEST(Distortion, OutputStaysInRangeWhateverTheSettings) {
    for (const DistortionParams& p : {DistortionParams{0, 20, 555, 350, 3000}, DistortionParams{-500, INT32_MAX, 555, 0, 0},
                                      DistortionParams{10000, 256, INT32_MAX, -1, INT32_MAX},
                                      DistortionParams{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}}) {
        DistRig rig(2);
        rig.fx->params = p;
        distortion_configure(*rig.fx, 44100, 2);
        for (int pass = 0; pass < 3; ++pass) {
            std::vector<int16_t> pcm(2 * 2048);
            for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 7) % 2 ? 32767 : -32768;
            rig.run(pcm);
        }
        EXPECT_TRUE(all_finite(rig.fx->low_cut));
        EXPECT_TRUE(all_finite(rig.fx->tone));
    }
}

class DistortionSession : public Session {};

TEST_F(DistortionSession, RecordRedesignsTheFilters) {
    EffectSettings s = current();
    EXPECT_EQ(s.dist_max_step, 10000);
    EXPECT_EQ(s.dist_level, 20);
    EXPECT_EQ(s.dist_drive, 555);
    EXPECT_EQ(s.dist_low_cut_hz, 350);
    EXPECT_EQ(s.dist_tone_hz, 3000);
    s.dist_enabled = 1;
    s.dist_low_cut_hz = 700;
    vemomix_set(s);
    EXPECT_NEAR(engine().dist.low_cut.dt_over_c * 0.001, kTwoPi * 700 / 44100, 1e-8);
    EXPECT_EQ(engine().dist.tone.stage_gain, 1.0);
    std::vector<int16_t> pcm(2 * 256);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 40) % 2 ? 8000 : -8000;
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    EXPECT_NE(engine().dist.tone.aux[0][0][0], 0.0);
    EXPECT_NE(pcm[100], (100 / 40) % 2 ? 8000 : -8000);
    vemomix_set(s);
    EXPECT_EQ(engine().dist.tone.aux[0][0][0], 0.0);
}

}  // namespace
}  // namespace vemo::test
