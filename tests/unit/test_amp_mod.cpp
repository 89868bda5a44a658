// Amplitude modulation: sine and triangle gains, the phase from the frame index, and the phase
// carried from pass to pass and from channel 0 to channel 1.
#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/amp_mod.h"
#include "test_support.h"

namespace vemo::test {
namespace {

struct AmRig {
    AmpMod fx;
    std::vector<float> work = std::vector<float>(kMaxFrames);
    int rate, channels;
    AmRig(int r, int ch, int16_t depth, int16_t period, int32_t waveform) : rate(r), channels(ch) {
        fx.params = {depth, period, -10, waveform};
    }
    std::vector<int16_t> run(std::vector<int16_t> pcm) {
        const int frames = static_cast<int>(pcm.size()) / channels;
        StageContext ctx{rate, channels, frames, frames * channels, 1.0f, work.data()};
        am_process(fx, pcm.data(), ctx);
        return pcm;
    }
};

TEST(AmpMod, DepthZeroPassesUnchanged) {
    for (int32_t waveform : {0, 1}) {
        AmRig rig(44100, 2, 0, 250, waveform);
        std::vector<int16_t> pcm(2 * 3000);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(i * 37 % 65536 - 32768);
        EXPECT_EQ(rig.run(pcm), pcm);
        EXPECT_GT(rig.fx.am_phase, 0.0f);  // the oscillator still runs
    }
}

TEST(AmpMod, FullDepthSineSilencesAndDoubles) {
    AmRig rig(44100, 1, 100, 1000, 0);
    rig.fx.am_phase = static_cast<float>(1.5 * M_PI);
    EXPECT_EQ(rig.run({30000})[0], 0);
    rig.fx.am_phase = static_cast<float>(0.5 * M_PI);
    EXPECT_EQ(rig.run({10000})[0], 20000);
    rig.fx.am_phase = static_cast<float>(0.5 * M_PI);
    EXPECT_EQ(rig.run({20000})[0], 32767);
    rig.fx.am_phase = static_cast<float>(0.5 * M_PI);
    EXPECT_EQ(rig.run({-20000})[0], -32768);
}

TEST(AmpMod, FullDepthTriangleNeverAmplifies) {
    AmRig rig(44100, 1, 100, 10, 1);  // 441 frames a cycle
    std::vector<int16_t> out;
    for (int pass = 0; pass < 5; ++pass) {
        const auto part = rig.run(std::vector<int16_t>(300, 10000));
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(out[0], 0);      // the start of a cycle
    EXPECT_EQ(out[441], 0);    // and of the next
    EXPECT_NEAR(out[220], 10000, 25);  // mid-cycle: about full gain, never more
    EXPECT_LE(*std::max_element(out.begin(), out.end()), 10000);
    EXPECT_GE(*std::min_element(out.begin(), out.end()), 0);
}

TEST(AmpMod, OneCyclePerPeriodWhateverTheBufferSize) {
    for (int slice : {1000, 4096, 441}) {
        AmRig rig(44100, 1, 50, 1000, 0);
        int done = 0;
        while (done < 44100) {
            const int n = std::min(slice, 44100 - done);
            rig.run(std::vector<int16_t>(static_cast<size_t>(n), 1000));
            done += n;
        }
        const double phase = rig.fx.am_phase;
        EXPECT_LT(std::min(phase, 6.2831854820251465 - phase), 1e-4) << slice;
    }
}

TEST(AmpMod, PhaseFromTheFrameIndexAndCarriedToChannelOne) {
    AmRig rig(8000, 2, 100, 1, 0);  // inc = 2*pi / 8 per frame
    std::vector<int16_t> pcm(2 * 8, 10000);
    const auto out = rig.run(pcm);
    const double inc = 6283.185307179586 / 8000;
    for (int n = 0; n < 8; ++n) {
        const double phi0 = static_cast<float>(n * inc);
        const double phi1 = static_cast<float>(n * inc + double(static_cast<float>(std::fmod(8 * inc, 6.2831854820251465))));
        EXPECT_EQ(out[2 * n], static_cast<int16_t>(static_cast<float>((std::sin(phi0) + 1.0) * 10000))) << n;
        EXPECT_EQ(out[2 * n + 1], static_cast<int16_t>(static_cast<float>((std::sin(phi1) + 1.0) * 10000))) << n;
    }
    // Two passes of 8 frames each: the phase has gone round twice and is back near 0.
    EXPECT_LT(std::fabs(std::remainder(double(rig.fx.am_phase), 2 * M_PI)), 1e-5);
    // Mid-way: the triangle reduces by cycles, not radians.
    AmRig tri(8000, 1, 100, 1, 1);
    tri.run(std::vector<int16_t>(3, 0));
    EXPECT_FLOAT_EQ(tri.fx.am_phase, 0.375f);
}

TEST(AmpMod, PeriodThatIsNotPositiveHoldsTheOscillator) {
    for (int16_t period : {0, -5}) {
        AmRig rig(44100, 2, 100, period, 0);
        rig.fx.am_phase = 1.0f;
        const auto out = rig.run(std::vector<int16_t>(2 * 100, 10000));
        EXPECT_EQ(rig.fx.am_phase, 1.0f);
        const auto held = static_cast<int16_t>(static_cast<float>((std::sin(double(1.0f)) + 1.0) * 10000));
        EXPECT_EQ(std::count(out.begin(), out.end(), held), 200);
    }
    // A product that wraps to a negative 32-bit value is held the same way.
    AmRig wrapped(1000000000, 1, 100, 3, 0);
    wrapped.run({1000, 1000});
    EXPECT_EQ(wrapped.fx.am_phase, 0.0f);
}

class AmpModSession : public Session {};

TEST_F(AmpModSession, RecordKeepsSixteenBitsAndRuns) {
    EffectSettings s = current();
    EXPECT_EQ(s.am_depth_pct, 20);
    EXPECT_EQ(s.am_period_ms, 1000);
    EXPECT_EQ(s.am_waveform, 0);
    s.am_enabled = 1;
    s.am_depth_pct = 0x10000 + 100;  // the low 16 bits: 100
    s.am_waveform = 7;
    vemomix_set(s);
    engine().am.am_phase = 0.0f;
    int16_t buf[2] = {10000, 10000};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], 0);  // the triangle starts its cycle at gain 0
    EXPECT_EQ(current().am_waveform, 1);
}

}  // namespace
}  // namespace vemo::test
