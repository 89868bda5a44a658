// Super bass: the shelf's gains at both ends, the 0 dB pass-through, saturation of a loud bass
// tone, which operations clear the memories, and the limits for degenerate records.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/super_bass.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

void run(SuperBass& fx, std::vector<int16_t>& pcm, int channels) { run_stage(fx, bass_process, pcm, channels); }

std::unique_ptr<SuperBass> make_bass(SuperBassParams p, int rate = 44100) {
    auto fx = std::make_unique<SuperBass>();
    bass_init(*fx, rate, 2);
    fx->params = p;
    bass_configure(*fx, rate, 2);
    return fx;
}

std::vector<int16_t> tone(int n, double hz, double amplitude) {
    std::vector<int16_t> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[i] = static_cast<int16_t>(amplitude * std::sin(2.0 * kPi * hz * i / 44100));
    return out;
}

TEST(SuperBass, LoadDesignIsThe44100HzDesign) {
    const auto loaded = std::make_unique<SuperBass>();
    auto init = std::make_unique<SuperBass>();
    bass_init(*init, 44100, 2);
    for (int c = 0; c < 2; ++c) {
        // Every design term and coefficient, bit for bit.
        EXPECT_EQ(std::memcmp(&loaded->channel[c], &init->channel[c], sizeof(BassChannel)), 0) << c;
        EXPECT_EQ(loaded->channel[c].f, 200.0f);
        EXPECT_EQ(loaded->channel[c].g, 12.0f);
        EXPECT_EQ(loaded->channel[c].S, 1.0f);
    }
    // A = 10^(12/40) and beta = sqrt(2A), each held as a float.
    EXPECT_EQ(loaded->channel[0].A, static_cast<float>(std::pow(10.0, 0.3)));
    EXPECT_FLOAT_EQ(loaded->channel[0].beta, static_cast<float>(std::sqrt(2.0 * loaded->channel[0].A)));
}

TEST(SuperBass, GainsAtZeroAndHighFrequency) {
    auto fx = make_bass({200, 12});
    // DC: A^2 = 10^(12/20) = 3.98.
    std::vector<int16_t> dc(20000, 2000);
    run(*fx, dc, 1);
    EXPECT_NEAR(dc.back(), 2000 * std::pow(10.0, 0.6), 3.0);
    // Half the rate: unit gain.
    auto hf = make_bass({200, 12});
    std::vector<int16_t> alt(20000);
    for (size_t i = 0; i < alt.size(); ++i) alt[i] = i % 2 ? -3000 : 3000;
    run(*hf, alt, 1);
    EXPECT_NEAR(alt[19998], 3000, 15);
    EXPECT_NEAR(alt[19999], -3000, 15);
}

TEST(SuperBass, ZeroDecibelsPassesTheSignalAtMostOneStepNearerZero) {
    auto fx = make_bass({200, 0});
    EXPECT_EQ(fx->channel[0].b0, fx->channel[0].a0);
    EXPECT_EQ(fx->channel[0].b1, fx->channel[0].a1);
    EXPECT_EQ(fx->channel[0].b2, fx->channel[0].a2);
    std::vector<int16_t> in(2 * 30000);
    uint32_t seed = 11;
    for (int16_t& v : in) v = static_cast<int16_t>(((seed = seed * 214013u + 2531011u) >> 16 & 0x7FFF) * 2 - 32768);
    in[0] = -32768;
    in[1] = 32767;
    std::vector<int16_t> out = in;
    run(*fx, out, 2);
    int nearer = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        const int d = in[i] - out[i];
        ASSERT_TRUE(d == 0 || (in[i] > 0 && d == 1) || (in[i] < 0 && d == -1)) << i << ": " << in[i] << " -> " << out[i];
        nearer += d != 0;
    }
    EXPECT_GT(nearer, 0);  // float rounding does show
}

TEST(SuperBass, LoudBassSaturatesAtPlusMinus32767) {
    auto fx = make_bass({200, 12});
    std::vector<int16_t> pcm = tone(44100, 60.0, 12000.0);
    run(*fx, pcm, 1);
    EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin(), pcm.end()), -32767);
    EXPECT_GT(std::count(pcm.begin(), pcm.end(), int16_t{-32767}), 1000);
    // A quarter below: about 12 dB up, not clipped.
    auto quiet = make_bass({200, 12});
    std::vector<int16_t> soft = tone(44100, 60.0, 4000.0);
    run(*quiet, soft, 1);
    const int16_t peak = *std::max_element(soft.begin() + 22050, soft.end());
    EXPECT_GT(peak, 14000);
    EXPECT_LT(peak, 16500);
}

TEST(SuperBass, DegenerateRecordsStayFinite) {
    const SuperBassParams cases[] = {{22050, 12}, {40000, 36}, {0, 12}, {-500, 12}, {200, 2147483647}, {200, -2147483647}};
    for (const SuperBassParams& p : cases) {
        auto fx = make_bass(p);
        std::vector<int16_t> pcm(2 * 44100);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>((i * 7919) % 65536 - 32768);
        run(*fx, pcm, 2);
        for (const BassChannel& ch : fx->channel) {
            EXPECT_TRUE(std::isfinite(ch.y1) && std::isfinite(ch.y2) && std::isfinite(ch.b0) && std::isfinite(ch.a0))
                << p.bass_freq_hz << ' ' << p.bass_gain_db;
            EXPECT_LT(std::abs(ch.y1), 1e7f);
        }
    }
}

class SuperBassSession : public Session {};

TEST_F(SuperBassSession, OnlyADesignClearsTheMemories) {
    EffectSettings s = current();
    s.bass_enabled = 1;
    s.bass_gain_db = 6;
    vemomix_set(s);
    std::vector<int16_t> pcm(2 * 500, 3000);
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    const float y1 = engine().bass.channel[1].y1;
    ASSERT_GT(y1, 0.1f);
    vemomix_datarefresh();
    EXPECT_EQ(engine().bass.channel[1].y1, y1);
    // Switched off, the memories stay as they were too.
    s.bass_enabled = 0;
    engine().enabled[kSuperBass].store(0);
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    EXPECT_EQ(engine().bass.channel[1].y1, y1);
    vemomix_set(s);
    EXPECT_EQ(engine().bass.channel[1].y1, 0.0f);
    EXPECT_EQ(engine().bass.channel[0].g, 6.0f);
    start(48000, 1);
    EXPECT_EQ(engine().bass.channel[0].g, 12.0f);
    EXPECT_EQ(engine().bass.channel[0].w, static_cast<float>(1256.6370614356 / 48000));
}

}  // namespace
}  // namespace vemo::test
