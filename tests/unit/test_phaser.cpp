// Phaser: reported integer copies, the dry path, the all-pass chain at its fixed points.
#include "effects/phaser.h"
#include "test_support.h"

namespace vemo::test {
namespace {

std::unique_ptr<Phaser> make(PhaserParams p) { return make_stage(phaser_init, phaser_configure, p); }

std::vector<int16_t> run(Phaser& fx, std::vector<int16_t> pcm, int channels = 1) {
    return processed(fx, phaser_process, std::move(pcm), channels);
}

bool finite_state(const PhaserChannel& ch) {
    bool ok = std::isfinite(ch.y1) && std::isfinite(ch.phase);
    for (const AllpassStage& st : ch.stages) ok = ok && std::isfinite(st.a) && std::isfinite(st.z);
    return ok;
}

std::array<int32_t, 5> fields(const PhaserParams& p) {
    return {p.phaser_low_hz, p.phaser_high_hz, p.phaser_rate, p.phaser_feedback, p.phaser_mix};
}

// The reported values are truncations of the floats the phaser holds, saturated at the int range.
TEST(Phaser, ReportCopiesComeFromTheHeldFloats) {
    const struct {
        PhaserParams set, report;  // set: configured, except in the first row (the load state)
    } cases[] = {
        // 0.7f * 100 = 69.99999..., truncated
        {{}, {440, 1600, 50, 69, 10}},
        // mix 7 is held as 0.7f and reads back as 6; 30 % feedback as 0.3f, reading back 30
        {{100, 3000, 7, 30, 7}, {100, 3000, 7, 30, 6}},
        // INT32_MIN tenths is held as -214748368.0f, beyond the int range ten times over;
        // hundredths come back in range: -21474836.0f * 100
        {{440, 1600, INT32_MIN, INT32_MIN, INT32_MIN}, {440, 1600, -2147483600, -2147483600, INT32_MIN}},
        {{440, 1600, INT32_MAX, INT32_MAX, INT32_MAX}, {440, 1600, 2147483600, 2147483600, INT32_MAX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fields(phaser_report(&c == cases ? Phaser{} : *make(c.set))), fields(c.report)) << &c - cases;
    const Phaser loaded;
    EXPECT_EQ(loaded.channel[1].fs, 44100.0f);
    EXPECT_FLOAT_EQ(loaded.channel[0].dmin, 440.0f / 22050.0f);
    EXPECT_FLOAT_EQ(make(cases[1].set)->channel[1].step, static_cast<float>(6.28318f * 0.07 / 44100));
}

TEST(Phaser, CornerAtHalfTheRateMakesEachStageAOneSampleDelay) {
    // d = 1 gives a = 0: out = z, z = in. Six stages delay by six samples, and the feedback
    // re-enters one sample later: y[i] = 0.9 * (x[i] + u[i - 6]), u[i] = x[i] + fb * u[i - 7].
    std::vector<int16_t> pcm(40, 0), want(40, 0);
    pcm[0] = 1000;
    for (auto [i, v] : {std::pair{0, 900}, {6, 900}, {13, 450}, {20, 225}, {27, 112}, {34, 56}}) want[i] = v;
    EXPECT_EQ(run(*make({22050, 22050, 50, 50, 10}), pcm), want);  // 0.9 * 125 = 112.5, 0.9 * 62.5 = 56.25
}

TEST(Phaser, FullScaleSquareWithFullFeedbackSaturatesWithinRangeAndMonoRunsChannelZeroOnly) {
    auto fx = make({440, 1600, 50, 100, 10});
    const std::vector<int16_t> pcm = run(*fx, square(44100, 50));
    EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin(), pcm.end()), -32768);
    EXPECT_GT(std::count(pcm.begin(), pcm.end(), int16_t{32767}), 100);
    EXPECT_TRUE(finite_state(fx->channel[0]));
    EXPECT_GT(fx->channel[0].phase, 0.0f);
    EXPECT_EQ(fx->channel[1].phase, 0.0f);
    EXPECT_EQ(fx->channel[1].y1, 0.0f);
}

using PhaserSession = Session;

// Reports are the held floats truncated; init brings back the corners and the rate only.
TEST_F(PhaserSession, InitKeepsFeedbackAndMixAndFollowsTheRate) {
    EXPECT_EQ(current().phaser_feedback, 69.0f);
    set_record([](EffectSettings& r) {
        r.phaser_low_hz = 300.9f;
        r.phaser_feedback = 50.0f;
        r.phaser_mix = 5.0f;
    });
    auto report = [] {
        const EffectSettings r = current();
        return std::array{r.phaser_low_hz, r.phaser_rate, r.phaser_feedback, r.phaser_mix};
    };
    EXPECT_EQ(report(), (std::array{300.0f, 50.0f, 50.0f, 5.0f}));
    start(22050, 2);
    EXPECT_EQ(report(), (std::array{440.0f, 50.0f, 50.0f, 5.0f}));
    EXPECT_EQ(engine().phaser.channel[1].fs, 22050.0f);
}

}  // namespace
}  // namespace vemo::test
