// DelayLine, the drift (flanger) and the chorus: delays counted from the line's most recent
// write, their weights and trims, the LFO sweep, and limits for records beyond the line.
#include <algorithm>
#include <cmath>
#include <memory>

#include "effects/chorus.h"
#include "effects/delay_line.h"
#include "effects/drift.h"
#include "test_support.h"

namespace vemo::test {
namespace {

// Runs one buffer of `frames` frames through a stage the way the chain walk does.
template <typename Fx, typename Process>
void run(Fx& fx, Process process, std::vector<int16_t>& pcm, int rate, int channels) {
    static float work[kMaxFrames];
    const int frames = static_cast<int>(pcm.size()) / channels;
    process(fx, pcm.data(), StageContext{rate, channels, frames, frames * channels, 1.0f, work});
}

std::vector<int16_t> click(size_t frames, int16_t v = 10000) {
    std::vector<int16_t> pcm(frames, 0);
    pcm[0] = v;
    return pcm;
}

int16_t trunc16(double v) { return static_cast<int16_t>(std::trunc(v)); }

TEST(DelayLine, ReadsCountBackFromTheLatestWrite) {
    DelayLine line;
    delay_init(line, 4);
    EXPECT_EQ(line.size, 5);
    EXPECT_EQ(line.pos, 0);
    for (float v : {1.0f, 2.0f, 3.0f}) delay_write(line, v);
    EXPECT_EQ(delay_read(line, 0), 3.0f);
    EXPECT_EQ(delay_read(line, 2), 1.0f);
    EXPECT_EQ(delay_read(line, 3), 0.0f);  // slot 0, never written
    EXPECT_EQ(delay_read(line, 4), 0.0f);  // the oldest slot the line has
    delay_write(line, 9.0f);
    for (int k = 0; k < line.size; ++k) delay_write(line, static_cast<float>(10 + k));
    EXPECT_EQ(delay_read(line, 0), 14.0f);
    EXPECT_EQ(delay_read(line, 4), 10.0f);  // the 9 was overwritten after size writes

    delay_recreate(line, 7);
    EXPECT_EQ(line.size, 8);
    EXPECT_EQ(delay_read(line, 3), 0.0f);
    delay_free(line);
    EXPECT_EQ(line.size, 0);
    delay_recreate(line, 7);  // a freed line stays absent
    EXPECT_EQ(line.size, 0);
    delay_init(line, -5);
    EXPECT_EQ(line.size, 0);
}

class Drift : public ::testing::Test {
protected:
    std::unique_ptr<vemo::Drift> fx = std::make_unique<vemo::Drift>();
    void SetUp() override {
        drift_init(*fx, 44100, 1);
        fx->lfo.fill(0);  // the fixed comb: delay 4 * depth
    }
    void process(std::vector<int16_t>& pcm, int channels = 1) { run(*fx, drift_process, pcm, 44100, channels); }
};

TEST_F(Drift, WithoutFeedbackAClickReturnsOnceAfterDPlusOneFrames) {
    fx->params.drift_feedback = 0;
    auto pcm = click(2000);
    process(pcm);
    EXPECT_EQ(pcm[0], trunc16(200 * 10000.0 * 0.00390625 * 0.85));
    EXPECT_EQ(pcm[201], trunc16(250 * 10000.0 * 0.00390625 * 0.85));  // weight 0.85 * wet / 256
    int others = 0;
    for (size_t i = 1; i < pcm.size(); ++i) others += (i != 201 && pcm[i] != 0);
    EXPECT_EQ(others, 0);
}

TEST_F(Drift, FeedbackRecirculatesThroughTheLine) {
    fx->params.drift_feedback = 128;
    auto pcm = click(1000);
    process(pcm);
    EXPECT_EQ(pcm[201], trunc16(250 * 10000.0 * 0.00390625 * 0.85));
    // The line took 10000 + 128/256 of the returning 10000.
    EXPECT_EQ(pcm[402], trunc16(250 * 5000.0 * 0.00390625 * 0.85));
    EXPECT_EQ(pcm[603], trunc16(250 * 2500.0 * 0.00390625 * 0.85));
}

TEST_F(Drift, DryOnlyIsTheTrimAndLoudOutputIsLimited) {
    fx->params.drift_wet = 0;
    fx->params.drift_dry = 256;
    std::vector<int16_t> pcm = {1001, -1001, 32767, -32768};
    process(pcm);
    EXPECT_EQ(pcm, (std::vector<int16_t>{850, -850, 27851, -27852}));

    fx->params.drift_dry = 1000;
    pcm = {30000, -30000};
    process(pcm);
    EXPECT_EQ(pcm, (std::vector<int16_t>{32767, -32768}));
}

TEST_F(Drift, LfoSweepsTheDelayAndStereoAdvancesItTwicePerFrame) {
    drift_fill_lfo(*fx);
    EXPECT_EQ(fx->lfo[0], 0);
    EXPECT_EQ(*std::max_element(fx->lfo.begin(), fx->lfo.end()), 1000);
    EXPECT_EQ(*std::min_element(fx->lfo.begin(), fx->lfo.end()), -1000);
    // Near the peak (step 90 of 359) the delay is about (1000 + 1024) * 50 / 256 = 395 samples.
    fx->phase = 89.0f;
    fx->params.drift_feedback = 0;
    auto pcm = click(1000);
    process(pcm);
    const auto echo = std::find_if(pcm.begin() + 1, pcm.end(), [](int16_t v) { return v != 0; });
    ASSERT_NE(echo, pcm.end());
    EXPECT_NEAR(echo - pcm.begin(), 396, 2);

    fx->phase = 0.0f;
    std::vector<int16_t> stereo(2000, 0);
    process(stereo, 2);
    EXPECT_NEAR(fx->phase, 2 * 1000 * 0.005, 1e-2);
}

TEST_F(Drift, PhaseRestartsAtZeroInsteadOfWrapping) {
    fx->params.drift_speed = 1000;  // one step per frame
    fx->phase = 357.5f;
    std::vector<int16_t> pcm(1, 0);
    process(pcm);
    EXPECT_EQ(fx->phase, 358.5f);
    process(pcm);
    EXPECT_EQ(fx->phase, 0.0f);
}

TEST_F(Drift, RecordValuesBeyondTheLineAreLimited) {
    drift_fill_lfo(*fx);
    for (int depth : {1000000, -70, 2147483647}) {
        for (int speed : {-5, 0, 2000000000}) {
            fx->params = {100000, depth, 256, 256, speed};
            std::vector<int16_t> pcm(8192, 30000);
            process(pcm, 2);
            ASSERT_GE(fx->phase, 0.0f);
            ASSERT_LT(fx->phase, 359.0f);
            for (float v : fx->line[0].buf) ASSERT_TRUE(std::isfinite(v));
        }
    }
    // A depth past the line reads the oldest slot: the click returns after the whole line.
    fx->lfo.fill(0);
    drift_init(*fx, 1000, 1);
    fx->lfo.fill(0);
    fx->params.drift_depth = 5000;
    fx->params.drift_feedback = 0;
    auto pcm = click(1100);
    run(*fx, drift_process, pcm, 1000, 1);
    EXPECT_NE(pcm[1001], 0);
    EXPECT_EQ(pcm[200], 0);
}

class DriftSession : public Session {};

TEST_F(DriftSession, SetAndDatarefreshEmptyTheLinesButKeepThePhase) {
    EffectSettings s = current();
    s.drift_enabled = 1;
    vemomix_set(s);
    std::vector<int16_t> pcm(8192, 5000);
    vemomix_change(pcm.data(), 8192 * 2);
    const float phase = engine().drift.phase;
    EXPECT_GT(phase, 0.0f);
    EXPECT_NE(engine().drift.line[0].buf[100], 0.0f);
    vemomix_set(s);
    EXPECT_EQ(engine().drift.phase, phase);
    EXPECT_EQ(std::count(engine().drift.line[0].buf.begin(), engine().drift.line[0].buf.end(), 0.0f), 44101);
    vemomix_change(pcm.data(), 8192 * 2);
    vemomix_datarefresh();
    EXPECT_EQ(std::count(engine().drift.line[1].buf.begin(), engine().drift.line[1].buf.end(), 0.0f), 44101);
}

class Chorus : public ::testing::Test {
protected:
    std::unique_ptr<vemo::Chorus> fx = std::make_unique<vemo::Chorus>();
    void SetUp() override { chorus_init(*fx, 44100, 1); }
    void process(std::vector<int16_t>& pcm, int rate = 44100) { run(*fx, chorus_process, pcm, rate, 1); }
};

TEST_F(Chorus, DepthZeroDelaysByOneStep) {
    fx->params.chorus_depth = 0;
    fx->params.chorus_feedback = 0;
    auto pcm = click(10);
    process(pcm);
    EXPECT_EQ(pcm[0], trunc16(200 * 10000.0 * 0.00390625 * 0.85));
    EXPECT_EQ(pcm[1], trunc16(250 * 10000.0 * 0.00390625 * 0.85));
    EXPECT_EQ(pcm[2], 0);
}

TEST_F(Chorus, UnmodulatedDelayIsSixtyFourSamplesPerDepthStep) {
    fx->table.fill(0);
    fx->params.chorus_feedback = 0;
    auto pcm = click(4000);
    process(pcm);
    EXPECT_NE(pcm[3201], 0);
    EXPECT_EQ(std::count(pcm.begin() + 1, pcm.end(), 0), 3998);
}

TEST_F(Chorus, ModulationPeakLengthensTheDelayByTwoPercent) {
    // Entry 90 of the sine period is +320: ((20 + 1024) * 50 * 128) / 2048 = 3262 samples.
    EXPECT_EQ(fx->table[90], 320);
    fx->phase = 90.0f;
    fx->params.chorus_rate = 0;
    fx->params.chorus_feedback = 0;
    auto pcm = click(4000);
    process(pcm);
    EXPECT_NE(pcm[3263], 0);
    EXPECT_EQ(std::count(pcm.begin() + 1, pcm.end(), 0), 3998);
}

TEST_F(Chorus, DryOnlyIsTheTrim) {
    fx->params.chorus_wet = 0;
    fx->params.chorus_dry = 256;
    std::vector<int16_t> pcm = {1001, -1001, 32767, -32768, 1};
    process(pcm);
    EXPECT_EQ(pcm, (std::vector<int16_t>{850, -850, 27851, -27852, 0}));
}

TEST_F(Chorus, SteadyInputSettlesNearTwiceItsLevelWithDefaults) {
    std::vector<int16_t> pcm(4096);
    for (int pass = 0; pass < 60; ++pass) {
        std::fill(pcm.begin(), pcm.end(), 1000);
        process(pcm);
    }
    // 0.85 * (250 * 1000 / (1 - 100/256) + 200 * 1000) / 256 = 2026.2
    EXPECT_EQ(pcm.back(), 2026);
    for (int pass = 0; pass < 60; ++pass) {
        std::fill(pcm.begin(), pcm.end(), -20000);
        process(pcm);
    }
    EXPECT_EQ(pcm.back(), -32768);  // loud material saturates
}

TEST_F(Chorus, DepthBeyondTheLineIsLimitedToIt) {
    chorus_init(*fx, 11025, 1);
    fx->params.chorus_depth = 1000;  // 64000 samples asked, the line holds 11026
    fx->params.chorus_feedback = 0;
    std::vector<int16_t> pcm = click(4096), silence(4096, 0);
    process(pcm, 11025);
    process(silence, 11025);  // frames 4096..8191
    EXPECT_EQ(std::count(silence.begin(), silence.end(), 0), 4096);
    process(silence, 11025);  // frames 8192..12287: the click returns at frame 11026 only
    EXPECT_NE(silence[11026 - 8192], 0);
    EXPECT_EQ(std::count(silence.begin(), silence.end(), 0), 4095);
}

TEST_F(Chorus, RunawayFeedbackStaysFinite) {
    fx->params.chorus_feedback = 100000;
    fx->params.chorus_depth = 0;
    fx->params.chorus_wet = 0;
    std::vector<int16_t> pcm(4096);
    for (int pass = 0; pass < 4; ++pass) {
        std::fill(pcm.begin(), pcm.end(), 30000);
        process(pcm);
    }
    for (float v : fx->line[0].buf) ASSERT_FALSE(std::isnan(v));
    EXPECT_EQ(pcm.back(), trunc16(30000 * 0.00390625 * 200 * 0.85));
}

}  // namespace
}  // namespace vemo::test
