// Wah-wah: fixed low-pass at depth 0, unit gain at DC, coefficient timing, opposite start
// phases after a configure, output clamp, Q = 0 and out-of-range records.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "effects/wah.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

void run(Wah& fx, std::vector<int16_t>& pcm, int channels) { run_stage(fx, wah_process, pcm, channels); }

std::unique_ptr<Wah> make_wah(WahParams p) {
    auto fx = std::make_unique<Wah>();
    wah_init(*fx, 44100, 2);
    fx->params = p;
    wah_configure(*fx, 44100, 2);
    return fx;
}

std::vector<int16_t> tone(int n, double hz, double amplitude) {
    std::vector<int16_t> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[i] = static_cast<int16_t>(amplitude * std::sin(2.0 * kPi * hz * i / 44100));
    return out;
}

double corner(const WahChannel& ch) { return std::acos(static_cast<double>(ch.a1) / -2.0); }

TEST(Wah, DepthZeroIsAFixedLowPassWhateverTheRate) {
    for (int rate : {1, 40}) {
        auto fx = make_wah({rate, 30, 0, 30});
        std::vector<int16_t> pcm(1);
        run(*fx, pcm, 1);
        const WahChannel first = fx->channel[0];
        EXPECT_NEAR(corner(first), kPi * std::exp(6.0 * (0.3 - 1.0)), 1e-5);
        EXPECT_NEAR(corner(first), 0.047, 0.0005);
        pcm.assign(10000, 1000);
        run(*fx, pcm, 1);
        EXPECT_EQ(fx->channel[0].b0, first.b0);
        EXPECT_EQ(fx->channel[0].a1, first.a1);
        EXPECT_EQ(fx->channel[0].a2, first.a2);
    }
    // Far above the corner little gets through; a constant level passes at unit gain.
    auto fx = make_wah({25, 30, 0, 30});
    std::vector<int16_t> high = tone(20000, 5000.0, 10000.0);
    run(*fx, high, 1);
    EXPECT_LT(*std::max_element(high.begin() + 10000, high.end()), 200);
    std::vector<int16_t> dc(44100, 10000);
    run(*fx, dc, 1);
    EXPECT_GE(dc.back(), 9999);
    EXPECT_LE(dc.back(), 10000);
}

TEST(Wah, CoefficientsChangeOnlyEveryThirtySamplesAndAfterAConfigure) {
    auto fx = make_wah({40, 30, 100, 30});
    std::vector<int16_t> one(1, 100);
    run(*fx, one, 1);
    const float b0 = fx->channel[0].b0;
    for (int i = 1; i < 30; ++i) {
        run(*fx, one, 1);
        ASSERT_EQ(fx->channel[0].b0, b0) << i;
    }
    run(*fx, one, 1);  // count 30
    EXPECT_NE(fx->channel[0].b0, b0);
    EXPECT_EQ(fx->channel[0].n, 31u);

    // A configure restarts the count, so the very next sample designs again from m = 1.
    wah_configure(*fx, 44100, 2);
    EXPECT_EQ(fx->channel[0].n, 0u);
    EXPECT_EQ(fx->channel[0].a0, 0.0f);
    EXPECT_EQ(fx->channel[0].y1, 0.0f);
    run(*fx, one, 1);
    EXPECT_EQ(fx->channel[0].b0, b0);
}

TEST(Wah, ConfigureStartsTheChannelsInOppositePhase) {
    auto fx = std::make_unique<Wah>();
    wah_init(*fx, 44100, 2);
    EXPECT_EQ(fx->channel[1].w, static_cast<float>(12.5663708 / 44100));
    EXPECT_EQ(fx->channel[1].q, 3.0f);
    // After vemomix_init both channels sweep together: equal inputs give equal outputs.
    std::vector<int16_t> pcm(2 * 3000);
    for (int i = 0; i < 3000; ++i) pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>((i * 7919) % 20000 - 10000);
    std::vector<int16_t> same = pcm;
    run(*fx, same, 2);
    for (int i = 0; i < 3000; ++i) ASSERT_EQ(same[2 * i], same[2 * i + 1]) << i;

    fx->params = {25, 30, 70, 30};
    wah_configure(*fx, 44100, 2);
    EXPECT_EQ(fx->channel[1].p0, 3.14159274f);
    EXPECT_EQ(fx->channel[0].p0, 0.0f);
    std::vector<int16_t> first(pcm.begin(), pcm.begin() + 2);
    run(*fx, first, 2);
    // Channel 0 starts at the top of the sweep, channel 1 at the bottom.
    EXPECT_NEAR(corner(fx->channel[0]), 3.1415927 * std::exp(6.0 * (0.3 + 0.7 * 0.7 - 1.0)), 1e-3);
    EXPECT_NEAR(corner(fx->channel[1]), 3.1415927 * std::exp(-4.2), 1e-4);
    EXPECT_EQ(fx->channel[1].base, 0.3f);
    run(*fx, pcm, 2);
    int differ = 0;
    for (int i = 0; i < 3000; ++i) differ += pcm[2 * i] != pcm[2 * i + 1];
    EXPECT_GT(differ, 2000);
}

TEST(Wah, OutputClampsAtPlusMinus32767WhileTheMemoriesDoNot) {
    auto fx = make_wah({10, 30, 50, 100});
    std::vector<int16_t> pcm(30000);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 60) % 2 ? -32768 : 32767;
    float peak_memory = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        std::vector<int16_t> one(1, pcm[i]);
        run(*fx, one, 1);
        pcm[i] = one[0];
        peak_memory = std::max(peak_memory, std::abs(fx->channel[0].y1));
    }
    EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin(), pcm.end()), -32767);
    EXPECT_GT(peak_memory, 1.0f);
}

TEST(Wah, ZeroResonanceStillPassesTheSignalSoundly) {
    auto fx = make_wah({25, 30, 70, 0});
    EXPECT_GT(fx->channel[0].q, 0.0f);
    std::vector<int16_t> dc(44100, 8000);
    run(*fx, dc, 1);
    EXPECT_GE(dc.back(), 7999);
    EXPECT_LE(dc.back(), 8000);
    EXPECT_TRUE(std::isfinite(fx->channel[0].y1));
    EXPECT_GE(fx->channel[0].a0, 1.0f);
}

TEST(Wah, OutOfRangeRecordsKeepTheFilterFinite) {
    const WahParams cases[] = {
        {2147483647, 30, 2147483647, 2147483647},
        {-2147483647, 30, -2147483647, -2147483647},
        {25, 30, 1000, -5},
        {0, 30, 100, 1},
    };
    for (const WahParams& p : cases) {
        auto fx = make_wah(p);
        std::vector<int16_t> pcm(2 * 44100);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>((i * 104729) % 65536 - 32768);
        run(*fx, pcm, 2);
        for (const WahChannel& ch : fx->channel) {
            EXPECT_TRUE(std::isfinite(ch.y1) && std::isfinite(ch.y2) && std::isfinite(ch.a0) && std::isfinite(ch.b1))
                << p.wah_rate << ' ' << p.wah_depth << ' ' << p.wah_resonance;
            EXPECT_GT(ch.a0, 0.5f);
        }
    }
}

class WahSession : public Session {};

TEST_F(WahSession, RefreshLeavesTheStateAndSetRestartsIt) {
    EffectSettings s = current();
    s.wah_enabled = 1;
    vemomix_set(s);
    std::vector<int16_t> pcm(2 * 1000, 5000);
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    const WahChannel before = engine().wah.channel[1];
    EXPECT_EQ(before.n, 1000u);
    vemomix_datarefresh();
    EXPECT_EQ(engine().wah.channel[1].n, 1000u);
    EXPECT_EQ(engine().wah.channel[1].y1, before.y1);
    vemomix_set(s);
    EXPECT_EQ(engine().wah.channel[1].n, 0u);
    EXPECT_EQ(engine().wah.channel[1].y1, 0.0f);
}

}  // namespace
}  // namespace vemo::test
