// Super bass: the shelf's gains, 0 dB pass-through, saturation, designs and degenerate records.
#include "effects/super_bass.h"
#include "test_support.h"

namespace vemo::test {
namespace {

std::vector<int16_t> shelved(SuperBassParams p, std::vector<int16_t> pcm, int channels = 1) {
    return processed(*make_stage(bass_init, bass_configure, p), bass_process, pcm, channels);
}

TEST(SuperBass, LoadDesignIsThe44100HzDesign) {
    const auto loaded = std::make_unique<SuperBass>();
    auto init = std::make_unique<SuperBass>();
    bass_init(*init, 44100, 2);
    // Every design term and coefficient of both channels, bit for bit.
    EXPECT_EQ(std::memcmp(loaded->channel, init->channel, sizeof loaded->channel), 0);
    const BassChannel& ch = loaded->channel[1];
    EXPECT_TRUE(ch.f == 200.0f && ch.g == 12.0f && ch.S == 1.0f);
    // A = 10^(12/40) and beta = sqrt(2A), each held as a float.
    EXPECT_EQ(ch.A, static_cast<float>(std::pow(10.0, 0.3)));
    EXPECT_FLOAT_EQ(ch.beta, static_cast<float>(std::sqrt(2.0 * ch.A)));
}

TEST(SuperBass, TwelveDecibelsAtDcUnitGainAtHalfTheRateAndSaturation) {
    std::vector<int16_t> alt(20000);
    for (size_t i = 0; i < alt.size(); ++i) alt[i] = i % 2 ? -3000 : 3000;
    EXPECT_NEAR(shelved({200, 12}, std::vector<int16_t>(20000, 2000)).back(), 2000 * std::pow(10.0, 0.6), 3.0);  // A^2
    alt = shelved({200, 12}, alt);
    EXPECT_NEAR(alt[19998], 3000, 15);
    EXPECT_NEAR(alt[19999], -3000, 15);
    // A loud bass tone clips at +/-32767, never -32768; a quarter of it comes out about 12 dB up.
    const std::vector<int16_t> loud = shelved({200, 12}, sine(44100, 60, 12000)),
                               soft = shelved({200, 12}, sine(44100, 60, 4000));
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
    EXPECT_EQ(*std::min_element(loud.begin(), loud.end()), -32767);
    EXPECT_GT(std::count(loud.begin(), loud.end(), int16_t{-32767}), 1000);
    EXPECT_GT(peak_abs(soft, 22050), 14000);
    EXPECT_LT(peak_abs(soft, 22050), 16500);
}

using SuperBassSession = Session;

TEST_F(SuperBassSession, RecordAndInitDesignForTheRate) {
    set_record([](EffectSettings& r) { r.bass_gain_db = 6; });
    EXPECT_EQ(engine().bass.channel[1].g, 6.0f);
    start(48000, 1);
    EXPECT_EQ(engine().bass.channel[0].g, 12.0f);
    EXPECT_EQ(engine().bass.channel[0].w, static_cast<float>(1256.6370614356 / 48000));
}

}  // namespace
}  // namespace vemo::test
