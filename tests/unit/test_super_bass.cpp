// Super bass: the shelf's gains at DC, at its corner and at half the rate, saturation, designs.
#include "effects/super_bass.h"
#include "test_support.h"

namespace vemo::test {
namespace {

std::vector<int16_t> shelved(SuperBassParams p, std::vector<int16_t> pcm, int channels = 1) {
    return processed(*make_stage<SuperBass>(p), pcm, channels);
}

// The settled gain in dB of a sine of 4000 at `hz`.
double gain_db(SuperBass& fx, double hz, int rate = 44100) {
    const std::vector<int16_t> out = processed(fx, sine(rate, hz, 4000, rate), 1, rate);
    return 20 * std::log10(peak_abs(out, static_cast<size_t>(rate / 2)) / 4000.0);
}

TEST(SuperBass, LoadDesignIsThe44100HzDesignAndTheCornerTakesHalfTheGain) {
    const auto loaded = std::make_unique<SuperBass>();
    auto init = std::make_unique<SuperBass>();
    fx_reset(*init, 44100, 2);
    // Every design term and coefficient of both channels, bit for bit.
    EXPECT_EQ(std::memcmp(loaded->channel, init->channel, sizeof loaded->channel), 0);
    // Half the gain at the corner; an octave below it, 11.1 dB: the slope of a shelf with S = 1.
    EXPECT_NEAR(gain_db(*init, 200), 6.0, 0.05);
    EXPECT_NEAR(gain_db(*init, 100), 11.1, 0.05);
    EXPECT_NEAR(gain_db(*make_stage<SuperBass>(SuperBassParams{555, 24}, 48000), 555, 48000), 12.0, 0.05);
}

TEST(SuperBass, TwelveDecibelsAtDcUnitGainAtHalfTheRateAndSaturation) {
    std::vector<int16_t> alt(20000);
    for (size_t i = 0; i < alt.size(); ++i) alt[i] = i % 2 ? -3000 : 3000;
    EXPECT_NEAR(shelved({200, 12}, std::vector<int16_t>(20000, 2000)).back(), 2000 * std::pow(10.0, 0.6), 3.0);  // A^2
    alt = shelved({200, 12}, alt);
    EXPECT_TRUE(std::abs(alt[19998] - 3000) <= 15 && std::abs(alt[19999] + 3000) <= 15) << alt[19998] << " " << alt[19999];
    // A loud bass tone clips at +/-32767, never -32768; a quarter of it comes out about 12 dB up.
    const std::vector<int16_t> loud = shelved({200, 12}, sine(44100, 60, 12000)),
                               soft = shelved({200, 12}, sine(44100, 60, 4000));
    EXPECT_EQ(std::tuple(*std::max_element(loud.begin(), loud.end()), *std::min_element(loud.begin(), loud.end()),
                         std::count(loud.begin(), loud.end(), int16_t{-32767}) > 1000),
              std::tuple(32767, -32767, true));
    EXPECT_TRUE(peak_abs(soft, 22050) > 14000 && peak_abs(soft, 22050) < 16500) << peak_abs(soft, 22050);
}

using SuperBassSession = Session;

TEST_F(SuperBassSession, RecordAndInitDesignForTheRate) {
    set_record([](EffectSettings& r) { r.bass_gain_db = 6; });
    EXPECT_EQ(engine().bass.channel[1].g, 6.0f);
    // At 11025 Hz the 44100 Hz design would have its corner at 50 Hz: 0.06 dB at 200 Hz.
    start(11025, 1);
    EXPECT_NEAR(gain_db(engine().bass, 200, 11025), 6.0, 0.05);
}

}  // namespace
}  // namespace vemo::test
