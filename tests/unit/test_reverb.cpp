// Reverberation: metres to samples, taps from the project's generator, the 1 + g dry path.
#include <cfloat>

#include "effects/random.h"
#include "effects/reverb.h"
#include "test_support.h"

namespace vemo::test {
namespace {

class Reverb : public ::testing::Test {
protected:
    std::unique_ptr<vemo::Reverb> fx = make_stage<vemo::Reverb>(ReverbParams{});
    std::vector<int16_t> process(std::vector<int16_t> pcm, int channels = 1) { return processed(*fx, pcm, channels); }
    void configure(uint32_t seed = 0) {
        if (seed) fx->rng.generator().state = seed;
        fx_configure(*fx, 44100, 2);
    }
};

TEST_F(Reverb, MetresBecomeSamplesWithTheSinglePrecisionFactor) {
    // 1/330 in single precision is a little below 1/330: exact multiples land one short; the
    // metres-by-rate product is a 32-bit one and wraps (65534000000 to 1109490560).
    const struct {
        int metres, rate, samples;
    } rows[] = {{20, 44100, 2672}, {5, 44100, 668}, {-20, 44100, -2672},
                {330, 1000, 999},  {1, 33000, 99},  {32767, 2000000, 3362092}};
    for (const auto& r : rows) EXPECT_EQ(reverb_samples(r.metres, r.rate), r.samples) << r.metres << " m at " << r.rate;
}

TEST_F(Reverb, ConfigureDerivesDelayAndGains) {
    const float gain = static_cast<float>(std::pow(10.0, -10 * double(0.05f)));
    for (const ReverbChannel& ch : fx->channel)
        EXPECT_EQ(std::tuple(ch.tap_count, ch.feedback_delay, ch.feedback_gain, ch.wet_gain), std::tuple(20, 5344, gain, gain));
    // Distances past 65535 samples alias to the low 16 bits.
    fx->params.reverb_feedback_m = 1000;
    configure();
    EXPECT_EQ(fx->channel[0].feedback_delay, 2 * 133636 - 4 * 65536);
}

TEST_F(Reverb, TapsComeFromTheProjectGeneratorChannelZeroFirst) {
    configure(1);
    // The generator's first draws from seed 1 are 41, 18467, 6334, 26500.
    const float q = 1.0f / 32767.0f;
    const float t0 = static_cast<float>(5344.0f * (41 * double(q))),
                t1 = static_cast<float>(5344.0f * (6334 * double(q)));
    const ReverbTap& tap0 = fx->channel[0].taps[0];
    EXPECT_EQ(tap0.delay, 674);  // trunc(668 + t0)
    EXPECT_EQ(tap0.weight, static_cast<float>(std::exp(-double(t0) / 2672.0) * (2 * 18467 - 1) * double(q)));
    EXPECT_EQ(fx->channel[0].taps[1].delay, static_cast<uint16_t>(std::trunc(668.0 + t1)));
    // Each configure draws anew; delay and gains stay.
    const auto before = fx->channel[0].taps;
    configure();
    EXPECT_TRUE(fx->channel[0].taps[0].delay != before[0].delay &&
                fx->channel[1].taps[0].delay != fx->channel[0].taps[0].delay && fx->channel[0].feedback_delay == 5344);
    // The editor's redraw draws channel 1 first.
    fx->rng.generator().state = 1;
    reverb_redraw_taps(*fx, 44100);
    EXPECT_EQ(fx->channel[1].taps[0].delay, 674);
}

TEST_F(Reverb, DryPathIsOnePlusWetClampedAtPlusMinus32767) {
    EXPECT_EQ(process({32767, -32768, 32767, -32768}, 2), (std::vector<int16_t>{32767, -32767, 32767, -32767}));
    fx->params.reverb_tap_count = 0;
    configure();
    const double g = fx->channel[0].wet_gain;
    auto expect = [&](int x) {
        const double s = x * 3.0517578125e-05;
        return static_cast<int16_t>(static_cast<float>(std::clamp(s + g * s, -1.0, 1.0) * 32767.0));
    };
    const std::vector<int16_t> out = process({10000, -10000, 1, 20000, 32767, -32768});
    // g is -10 dB (checked where configure is): 10000 leaves as 13162.
    EXPECT_EQ(out, (std::vector<int16_t>{expect(10000), expect(-10000), expect(1), expect(20000), 32767, -32767}));
}

TEST_F(Reverb, ReflectionsFollowTheTaps) {
    fx->params.reverb_tap_count = 1, fx->params.reverb_feedback_db = -100;
    configure(1);
    fx->channel[0].feedback_gain = 0;
    const ReverbTap tap = fx->channel[0].taps[0];
    std::vector<int16_t> pcm = process([] { std::vector<int16_t> v(3500, 0); v[0] = 16384; return v; }()),
                         later = process(std::vector<int16_t>(3500, 0));
    pcm.insert(pcm.end(), later.begin(), later.end());
    EXPECT_EQ(pcm[tap.delay],
              static_cast<int16_t>(static_cast<float>(fx->channel[0].wet_gain * (tap.weight * 0.5f) * 32767.0)));
    EXPECT_EQ(std::count(pcm.begin() + 1, pcm.end(), 0), 6998);
}

TEST_F(Reverb, UnsoundRecordValuesAreHandled) {
    // A decay of 0 samples: weights stay finite; tap counts beyond the table are limited, yet reported.
    fx->params.reverb_decay_m = 0, fx->params.reverb_tap_count = 150;
    configure();
    EXPECT_EQ(std::tuple(fx->channel[0].tap_count, fx_report(*fx).reverb_tap_count), std::tuple(kReverbMaxTaps, 150));
    for (const ReverbTap& t : fx->channel[0].taps) ASSERT_TRUE(std::isfinite(t.weight));
    // Levels far above 0 dB would overflow a float; the line and the output stay defined.
    fx->params = ReverbParams{100, 32767, 0, 32767, 0, 32767, 32767};
    configure();
    EXPECT_EQ(fx->channel[0].feedback_gain, FLT_MAX);
    for (int16_t v : process(square(80000, 1), 2)) ASSERT_EQ(std::abs(v), 32767);
    for (float v : fx->channel[0].line) ASSERT_FALSE(std::isnan(v));
    // A negative count draws nothing and leaves only the dry path.
    fx->params = ReverbParams{}, fx->params.reverb_tap_count = -4;
    configure(1);
    EXPECT_EQ(fx->rng.next(), 41);
}

using ReverbSession = Session;

TEST_F(ReverbSession, RecordsReachBothChannels) {
    EXPECT_EQ(current().reverb_wet_db, -10);
    set_record([](EffectSettings& s) { s.reverb_tap_count = 0x10007; });  // used as 16 bits: 7
    EXPECT_EQ(engine().reverb.channel[1].tap_count, 7);
}

}  // namespace
}  // namespace vemo::test
