// Amplitude modulation: sine and triangle gains, the phase from the frame index, and the phase
// carried from pass to pass and from channel 0 to channel 1.
#include "effects/amp_mod.h"
#include "test_support.h"

namespace vemo::test {
namespace {

AmpMod make(int16_t depth, int16_t period, int32_t waveform, float phase = 0.0f) {
    AmpMod fx;
    fx.params = {depth, period, -10, waveform};
    fx.am_phase = phase;
    return fx;
}

std::vector<int16_t> run(AmpMod& fx, std::vector<int16_t> pcm, int channels = 1, int rate = 44100) {
    run_stage(fx, am_process, pcm, channels, rate);
    return pcm;
}

TEST(AmpMod, DepthZeroPassesUnchangedWhileTheOscillatorRuns) {
    for (int32_t waveform : {0, 1}) {
        AmpMod fx = make(0, 250, waveform);
        const std::vector<int16_t> pcm = noise(2 * 3000, 9);
        EXPECT_EQ(run(fx, pcm, 2), pcm);
        EXPECT_GT(fx.am_phase, 0.0f);
    }
}

TEST(AmpMod, FullDepthSineSilencesAndDoublesWithinTheRails) {
    const struct {
        double phase;
        int16_t in, out;
    } rows[] = {{1.5, 30000, 0}, {0.5, 10000, 20000}, {0.5, 20000, 32767}, {0.5, -20000, -32768}};
    for (const auto& r : rows) {
        AmpMod fx = make(100, 1000, 0, static_cast<float>(r.phase * M_PI));
        EXPECT_EQ(run(fx, {r.in})[0], r.out) << r.phase << " pi, " << r.in;
    }
}

TEST(AmpMod, FullDepthTriangleNeverAmplifies) {
    AmpMod fx = make(100, 10, 1);  // 441 frames a cycle
    std::vector<int16_t> out(1500, 10000);
    run_stage(fx, am_process, out, 1, 44100, 300);
    EXPECT_EQ(out[0], 0);  // the start of a cycle and of the next
    EXPECT_EQ(out[441], 0);
    EXPECT_NEAR(out[220], 10000, 25);  // mid-cycle: about full gain, never more
    EXPECT_LE(*std::max_element(out.begin(), out.end()), 10000);
    EXPECT_GE(*std::min_element(out.begin(), out.end()), 0);
}

TEST(AmpMod, OneCyclePerPeriodWhateverTheBufferSize) {
    for (int slice : {1000, 4096, 441}) {
        AmpMod fx = make(50, 1000, 0);
        std::vector<int16_t> pcm(44100, 1000);
        run_stage(fx, am_process, pcm, 1, 44100, slice);
        const double phase = fx.am_phase;
        EXPECT_LT(std::min(phase, 6.2831854820251465 - phase), 1e-4) << slice;
    }
}

TEST(AmpMod, PhaseFromTheFrameIndexAndCarriedToChannelOne) {
    AmpMod fx = make(100, 1, 0);  // at 8000 Hz: 2 pi / 8 per frame
    const auto out = run(fx, std::vector<int16_t>(2 * 8, 10000), 2, 8000);
    const double inc = 6283.185307179586 / 8000, carried = static_cast<float>(std::fmod(8 * inc, 6.2831854820251465));
    for (int n = 0; n < 8; ++n)
        for (int c = 0; c < 2; ++c) {
            const double phi = static_cast<float>(n * inc + (c ? carried : 0.0));
            EXPECT_EQ(out[2 * n + c], static_cast<int16_t>(static_cast<float>((std::sin(phi) + 1.0) * 10000))) << n;
        }
    // Two passes of 8 frames each: the phase has gone round twice and is back near 0.
    EXPECT_LT(std::fabs(std::remainder(double(fx.am_phase), 2 * M_PI)), 1e-5);
    // The triangle reduces by cycles, not radians.
    AmpMod tri = make(100, 1, 1);
    run(tri, std::vector<int16_t>(3, 0), 1, 8000);
    EXPECT_FLOAT_EQ(tri.am_phase, 0.375f);
}

TEST(AmpMod, PeriodThatIsNotPositiveHoldsTheOscillator) {
    for (int16_t period : {0, -5}) {
        AmpMod fx = make(100, period, 0, 1.0f);
        const auto out = run(fx, std::vector<int16_t>(2 * 100, 10000), 2);
        EXPECT_EQ(fx.am_phase, 1.0f);
        const auto held = static_cast<int16_t>(static_cast<float>((std::sin(double(1.0f)) + 1.0) * 10000));
        EXPECT_EQ(std::count(out.begin(), out.end(), held), 200);
    }
    // A product that wraps to a negative 32-bit value is held the same way.
    AmpMod wrapped = make(100, 3, 0);
    run(wrapped, {1000, 1000}, 1, 1000000000);
    EXPECT_EQ(wrapped.am_phase, 0.0f);
}

class AmpModSession : public Session {};

TEST_F(AmpModSession, RecordRunsOnItsLowSixteenBits) {
    EXPECT_EQ(current().am_depth_pct, 20);
    set_record([](EffectSettings& s) {
        s.am_enabled = 1;
        s.am_depth_pct = 0x10000 + 100;  // the low 16 bits: 100
        s.am_waveform = 7;               // any value but 0: the triangle
    });
    engine().am.am_phase = 0.0f;
    int16_t buf[2] = {10000, 10000};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], 0);  // the triangle starts its cycle at gain 0
}

}  // namespace
}  // namespace vemo::test
