// Phaser: reported integer copies, the dry path, the all-pass chain at its fixed points.
#include "effects/phaser.h"
#include "test_support.h"

namespace vemo::test {
namespace {

std::unique_ptr<Phaser> make(PhaserParams p, int rate = 44100) { return make_stage<Phaser>(p, rate, 1); }

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
        // INT32_MIN tenths is held as -214748368.0f, beyond the int range ten times over; the
        // rate is no float, so its hundredths come back at the int range's ends
        {{440, 1600, INT32_MIN, INT32_MIN, INT32_MIN}, {440, 1600, INT32_MIN, -2147483600, INT32_MIN}},
        {{440, 1600, INT32_MAX, INT32_MAX, INT32_MAX}, {440, 1600, INT32_MAX, 2147483600, INT32_MAX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fields(fx_report(&c == cases ? Phaser{} : *make(c.set))), fields(c.report)) << &c - cases;
    const Phaser loaded;
    EXPECT_EQ(loaded.channel[1].fs, 44100.0f);
    EXPECT_FLOAT_EQ(loaded.channel[0].dmin, 440.0f / 22050.0f);
}

// The phaser as described, one frame at a time, for a mono buffer: what it holds (coefficient,
// memories, y1, the work array) as floats, every intermediate in double.
std::vector<int16_t> reference(const PhaserParams& p, int rate, const std::vector<int16_t>& in) {
    const float fs = static_cast<float>(rate), turn = 6.28318f;
    const float dmin = static_cast<float>(p.phaser_low_hz / (fs * 0.5));
    const float dmax = static_cast<float>(p.phaser_high_hz / (fs * 0.5));
    const float step = static_cast<float>(turn * (p.phaser_rate * 0.01) / fs);
    const float fb = static_cast<float>(p.phaser_feedback * 0.01), mix = static_cast<float>(p.phaser_mix * 0.1);
    float phase = 0, y1 = 0, z[6] = {};
    std::vector<int16_t> out;
    for (const int16_t s : in) {
        const double d = dmin + (static_cast<double>(dmax) - dmin) * ((std::sin(static_cast<double>(phase)) + 1) * 0.5);
        phase += step;
        if (!(phase < turn)) phase -= turn;
        const float a = static_cast<float>((1 - d) / (1 + d));
        double v = s + static_cast<double>(fb) * y1;
        for (float& m : z) {
            const double o = m - static_cast<double>(a) * v;
            m = static_cast<float>(v + a * o);
            v = o;
        }
        y1 = static_cast<float>(v);
        out.push_back(static_cast<int16_t>(
            static_cast<float>(std::clamp((s + mix * static_cast<double>(y1)) * 0.9, -32768.0, 32767.0))));
    }
    return out;
}

// Rates whose step a float rate in Hz would have moved by one ulp (54 at every format, 1 at
// 48000 Hz), over a sweep of a few turns: the output is the described phaser's, sample for sample.
TEST(Phaser, SweepFollowsTheRateInHundredthsExactly) {
    for (const auto& [rate, hundredths] : {std::pair{22050, 54}, {48000, 1}, {11025, 95}, {44100, 29}}) {
        const PhaserParams p{300, 3500, hundredths, 80, 10};
        const std::vector<int16_t> in = noise(static_cast<size_t>(rate) * 3, 7, 20000);
        EXPECT_EQ(processed(*make(p, rate), in), reference(p, rate, in)) << rate << " Hz, rate " << hundredths;
    }
}

TEST(Phaser, FullScaleSquareWithFullFeedbackSaturatesWithinRangeAndMonoRunsChannelZeroOnly) {
    auto fx = make({440, 1600, 50, 100, 10});
    const std::vector<int16_t> pcm = processed(*fx, square(44100, 50));
    EXPECT_EQ(std::tuple(*std::max_element(pcm.begin(), pcm.end()), *std::min_element(pcm.begin(), pcm.end()),
                         std::count(pcm.begin(), pcm.end(), int16_t{32767}) > 100),
              std::tuple(32767, -32768, true));
    EXPECT_TRUE(finite_state(fx->channel[0]) && fx->channel[0].phase > 0.0f && fx->channel[1].phase == 0.0f &&
                fx->channel[1].y1 == 0.0f);
}

using PhaserSession = Session;

// A host that stores and restores its setup keeps every rate the page offers; only 29 and 58,
// whose hundredths times 0.01 times 100 land just below the whole number, read back one lower.
TEST_F(PhaserSession, EveryRateOfThePageSurvivesARoundTrip) {
    for (const auto& [rate, channels] : {std::pair{44100, 2}, {11025, 1}}) {
        start(rate, channels);
        for (int v = 1; v <= 100; ++v) {
            // Feedback as loaded: the session keeps feedback and mix.
            set_record([&](EffectSettings& r) { r.phaser_rate = static_cast<float>(v), r.phaser_feedback = 70.0f; });
            EXPECT_EQ(current().phaser_rate, v == 29 || v == 58 ? v - 1 : v) << rate << " Hz";
        }
    }
}

// Reports are the held floats truncated; init brings back the corners and the rate only.
TEST_F(PhaserSession, InitKeepsFeedbackAndMixAndFollowsTheRate) {
    EXPECT_EQ(current().phaser_feedback, 69.0f);
    set_record([](EffectSettings& r) { r.phaser_low_hz = 300.9f, r.phaser_feedback = 50.0f, r.phaser_mix = 5.0f; });
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
