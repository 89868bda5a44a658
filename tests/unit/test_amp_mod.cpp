// Amplitude modulation: sine and triangle gains, the phase from the frame index and its carry.
#include "effects/amp_mod.h"
#include "test_support.h"

namespace vemo::test {
namespace {

AmpMod make(int16_t depth, int16_t period, int32_t waveform, float phase = 0.0f) {
    AmpMod fx;
    fx.params = {depth, period, -10, waveform}, fx.am_phase = phase;
    return fx;
}

TEST(AmpMod, GainsOfBothWaveformsAtFullAndZeroDepth) {
    // Full-depth sine: silence at its trough, double at its peak, within the rails.
    const struct {
        double phase;
        int16_t in, out;
    } rows[] = {{1.5, 30000, 0}, {0.5, 10000, 20000}, {0.5, 20000, 32767}, {0.5, -20000, -32768}};
    for (const auto& r : rows) {
        AmpMod fx = make(100, 1000, 0, static_cast<float>(r.phase * M_PI));
        EXPECT_EQ(processed(fx, {r.in})[0], r.out) << r.phase << " pi, " << r.in;
    }
    // Full-depth triangle, 441 frames a cycle: 0 at the start of each, about full gain mid-cycle, never more.
    AmpMod tri = make(100, 10, 1);
    const std::vector<int16_t> out = processed(tri, std::vector<int16_t>(1500, 10000), 1, 44100, 300);
    EXPECT_TRUE(out[0] == 0 && out[441] == 0 && std::abs(out[220] - 10000) <= 25 &&
                std::all_of(out.begin(), out.end(), [](int v) { return v >= 0 && v <= 10000; })) << out[220];
    // Depth 0 changes nothing, while the oscillator runs on.
    for (int32_t waveform : {0, 1}) {
        AmpMod fx = make(0, 250, waveform);
        const std::vector<int16_t> pcm = noise(2 * 3000, 9);
        EXPECT_EQ(processed(fx, pcm, 2), pcm);
        EXPECT_GT(fx.am_phase, 0.0f);
    }
}

TEST(AmpMod, PhaseFromTheFrameIndexAndCarriedToChannelOne) {
    AmpMod fx = make(100, 1, 0);  // at 8000 Hz: 2 pi / 8 per frame
    const auto out = processed(fx, std::vector<int16_t>(2 * 8, 10000), 2, 8000);
    const double inc = 6283.185307179586 / 8000, carried = static_cast<float>(std::fmod(8 * inc, 6.2831854820251465));
    for (int n = 0; n < 16; ++n) {
        const double phi = static_cast<float>(n / 2 * inc + (n % 2 ? carried : 0.0));
        EXPECT_EQ(out[n], static_cast<int16_t>(static_cast<float>((std::sin(phi) + 1.0) * 10000))) << n;
    }
    // Two passes of 8 frames each: the phase has gone round twice and is back near 0.
    EXPECT_LT(std::fabs(std::remainder(double(fx.am_phase), 2 * M_PI)), 1e-5);
    // The triangle reduces by cycles, not radians.
    AmpMod tri = make(100, 1, 1);
    processed(tri, std::vector<int16_t>(3, 0), 1, 8000);
    EXPECT_FLOAT_EQ(tri.am_phase, 0.375f);
}

}  // namespace
}  // namespace vemo::test
