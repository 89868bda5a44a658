// Phaser: reported integer copies, the dry path, the all-pass chain at its fixed points,
// feedback saturation and the state that nothing clears.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "effects/phaser.h"
#include "test_support.h"

namespace vemo::test {
namespace {

void run(Phaser& fx, std::vector<int16_t>& pcm, int channels) { run_stage(fx, phaser_process, pcm, channels); }

std::unique_ptr<Phaser> make_phaser(PhaserParams p, int rate = 44100) {
    auto fx = std::make_unique<Phaser>();
    phaser_init(*fx, rate, 2);
    fx->params = p;
    phaser_configure(*fx, rate, 2);
    return fx;
}

std::vector<int16_t> noise(int n, uint32_t seed = 3) {
    std::vector<int16_t> out(static_cast<size_t>(n));
    for (int16_t& v : out) v = static_cast<int16_t>(((seed = seed * 214013u + 2531011u) >> 16 & 0x7FFF) * 2 - 32768);
    return out;
}

bool finite_state(const PhaserChannel& ch) {
    bool ok = std::isfinite(ch.y1) && std::isfinite(ch.phase);
    for (const AllpassStage& st : ch.stages) ok = ok && std::isfinite(st.a) && std::isfinite(st.z);
    return ok;
}

// The reported values are truncations of the floats the phaser holds, saturated at the int range.
TEST(Phaser, ReportCopiesComeFromTheHeldFloats) {
    struct Case {
        PhaserParams set;  // configured; the first row is the load state
        PhaserParams report;
    };
    const Case cases[] = {
        // 0.7f * 100 = 69.99999..., truncated
        {{}, {440, 1600, 50, 69, 10}},
        // mix 7 is held as 0.7f and reads back as 6; 30 % feedback as 0.3f, reading back 30
        {{100, 3000, 7, 30, 7}, {100, 3000, 7, 30, 6}},
        // INT32_MIN tenths is held as -214748368.0f, beyond the int range ten times over;
        // hundredths come back in range: -21474836.0f * 100
        {{440, 1600, INT32_MIN, INT32_MIN, INT32_MIN}, {440, 1600, -2147483600, -2147483600, INT32_MIN}},
        {{440, 1600, INT32_MAX, INT32_MAX, INT32_MAX}, {440, 1600, 2147483600, 2147483600, INT32_MAX}},
    };
    for (const Case& c : cases) {
        const auto fx = &c == cases ? std::make_unique<Phaser>() : make_phaser(c.set);
        const PhaserParams r = phaser_report(*fx);
        EXPECT_EQ(r.phaser_low_hz, c.report.phaser_low_hz);
        EXPECT_EQ(r.phaser_high_hz, c.report.phaser_high_hz);
        EXPECT_EQ(r.phaser_rate, c.report.phaser_rate);
        EXPECT_EQ(r.phaser_feedback, c.report.phaser_feedback);
        EXPECT_EQ(r.phaser_mix, c.report.phaser_mix);
    }
    const auto loaded = std::make_unique<Phaser>();
    EXPECT_EQ(loaded->channel[1].fs, 44100.0f);
    EXPECT_FLOAT_EQ(loaded->channel[0].dmin, 440.0f / 22050.0f);
    EXPECT_FLOAT_EQ(make_phaser(cases[1].set)->channel[1].step, static_cast<float>(6.28318f * 0.07 / 44100));
}

TEST(Phaser, MixZeroGivesNineTenthsOfTheInput) {
    for (const PhaserParams p : {PhaserParams{440, 1600, 50, 70, 0}, PhaserParams{10, 4000, 100, 100, 0}}) {
        auto fx = make_phaser(p);
        const std::vector<int16_t> in = noise(6000);
        std::vector<int16_t> out = in;
        run(*fx, out, 2);
        for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], static_cast<int16_t>(static_cast<float>(in[i] * 0.9))) << i;
    }
}

TEST(Phaser, CornerAtHalfTheRateMakesEachStageAOneSampleDelay) {
    // d = 1 gives a = 0: out = z, z = in. Six stages delay by six samples, and the feedback
    // re-enters one sample later: y[i] = 0.9 * (x[i] + u[i - 6]), u[i] = x[i] + fb * u[i - 7].
    auto fx = make_phaser({22050, 22050, 50, 50, 10});
    std::vector<int16_t> pcm(40, 0);
    pcm[0] = 1000;
    run(*fx, pcm, 1);
    std::vector<int16_t> want(40, 0);
    want[0] = 900;
    want[6] = 900;
    want[13] = 450;
    want[20] = 225;
    want[27] = 112;  // 0.9 * 125 = 112.5
    want[34] = 56;   // 0.9 * 62.5 = 56.25
    EXPECT_EQ(pcm, want);
}

TEST(Phaser, EqualEndsMakeTheOscillatorInaudible) {
    auto fresh = make_phaser({800, 800, 90, 60, 10});
    auto advanced = make_phaser({800, 800, 90, 60, 10});
    std::vector<int16_t> silence(3001, 0);
    run(*advanced, silence, 1);  // moves the phase, leaves every memory at 0
    ASSERT_NE(advanced->channel[0].phase, 0.0f);
    std::vector<int16_t> a = noise(5000), b = a;
    run(*fresh, a, 1);
    run(*advanced, b, 1);
    EXPECT_EQ(a, b);

    // With a real sweep the same experiment does differ.
    auto swept = make_phaser({200, 3000, 90, 60, 10});
    auto swept_advanced = make_phaser({200, 3000, 90, 60, 10});
    silence.assign(3001, 0);
    run(*swept_advanced, silence, 1);
    a = b = noise(5000);
    run(*swept, a, 1);
    run(*swept_advanced, b, 1);
    EXPECT_NE(a, b);
}

TEST(Phaser, FullScaleSquareWithFullFeedbackSaturatesWithinRange) {
    auto fx = make_phaser({440, 1600, 50, 100, 10});
    std::vector<int16_t> pcm(44100);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 50) % 2 ? -32768 : 32767;
    run(*fx, pcm, 1);
    EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin(), pcm.end()), -32768);
    EXPECT_GT(std::count(pcm.begin(), pcm.end(), int16_t{32767}), 100);
    EXPECT_TRUE(finite_state(fx->channel[0]));
}

TEST(Phaser, MonoAdvancesOnlyChannelZero) {
    auto fx = make_phaser({440, 1600, 50, 70, 10});
    std::vector<int16_t> pcm = noise(1000);
    run(*fx, pcm, 1);
    EXPECT_GT(fx->channel[0].phase, 0.0f);
    EXPECT_EQ(fx->channel[1].phase, 0.0f);
    EXPECT_EQ(fx->channel[1].y1, 0.0f);
}

TEST(Phaser, BadValuesKeepTheStateFinite) {
    const PhaserParams cases[] = {
        {-1000, -5, 100, 70, 10},                  // negative corners
        {44100, 2000000000, 100, 100, 10},         // beyond Nyquist
        {440, 1600, 2000000000, 1000, 1000},       // huge rate, feedback of 10
        {440, 1600, -500, -1000, -1000},           // negative rate and feedback
    };
    for (const PhaserParams& p : cases) {
        auto fx = make_phaser(p);
        std::vector<int16_t> pcm = noise(2 * 44100);
        run(*fx, pcm, 2);
        EXPECT_TRUE(finite_state(fx->channel[0])) << p.phaser_low_hz << ' ' << p.phaser_rate;
        EXPECT_TRUE(finite_state(fx->channel[1]));
        EXPECT_GE(fx->channel[0].phase, 0.0f);
        EXPECT_LT(fx->channel[0].phase, 6.28318f);
    }
}

class PhaserSession : public Session {};

TEST_F(PhaserSession, InitKeepsFeedbackMixAndMemoriesAndNothingClearsThem) {
    EffectSettings s = current();
    EXPECT_EQ(s.phaser_feedback, 69.0f);
    s.phaser_enabled = 1;
    s.phaser_low_hz = 300.9f;  // truncated to 300
    s.phaser_feedback = 50.0f;
    s.phaser_mix = 5.0f;
    vemomix_set(s);
    EffectSettings r = current();
    EXPECT_EQ(r.phaser_low_hz, 300.0f);
    EXPECT_EQ(r.phaser_feedback, 50.0f);
    EXPECT_EQ(r.phaser_mix, 5.0f);

    std::vector<int16_t> pcm = noise(2048);
    vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    const PhaserChannel before = engine().phaser.channel[1];
    ASSERT_NE(before.y1, 0.0f);

    vemomix_datarefresh();
    vemomix_set(s);
    start(22050, 2);
    const PhaserChannel& after = engine().phaser.channel[1];
    EXPECT_EQ(after.phase, before.phase);
    EXPECT_EQ(after.y1, before.y1);
    EXPECT_EQ(after.stages[5].z, before.stages[5].z);
    EXPECT_EQ(after.fs, 22050.0f);
    r = current();
    EXPECT_EQ(r.phaser_low_hz, 440.0f);
    EXPECT_EQ(r.phaser_rate, 50.0f);
    EXPECT_EQ(r.phaser_feedback, 50.0f);
    EXPECT_EQ(r.phaser_mix, 5.0f);
    EXPECT_EQ(r.phaser_enabled, 0);
}

}  // namespace
}  // namespace vemo::test
