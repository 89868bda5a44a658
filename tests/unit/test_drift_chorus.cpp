// DelayLine, drift and chorus: delays from the latest write, trims, the sweep, limits to the line.
#include "effects/chorus.h"
#include "effects/drift.h"
#include "test_support.h"

namespace vemo::test {
namespace {

using Hits = std::vector<std::pair<int, int>>;

int trunc16(double v) { return static_cast<int16_t>(std::trunc(v)); }
// A click of 10000 through the default trims: the dry weight 0.85 * 200 / 256, the wet 0.85 * 250 / 256.
const int kDry = trunc16(200 * 10000.0 * 0.00390625 * 0.85), kWet = trunc16(250 * 10000.0 * 0.00390625 * 0.85);

// Every sample that is not 0 when a mono click of 10000 goes through: {frame, value}.
template <typename Fx>
Hits click(Fx& fx, int frames, int rate = 44100) {
    std::vector<int16_t> pcm(frames, 0);
    pcm[0] = 10000;
    run_stage(fx, pcm, 1, rate);
    Hits out;
    for (int i = 0; i < frames; ++i)
        if (pcm[i] != 0) out.push_back({i, pcm[i]});
    return out;
}

TEST(DelayLine, ReadsCountBackFromTheLatestWrite) {
    DelayLine line;
    delay_init(line, 4);
    EXPECT_TRUE(line.size == 5 && line.pos == 0);
    for (float v : {1.0f, 2.0f, 3.0f}) delay_write(line, v);
    // Slot 0 was never written; 4 reads the oldest slot the line has.
    EXPECT_EQ((std::array{delay_read(line, 0), delay_read(line, 2), delay_read(line, 3), delay_read(line, 4)}),
              (std::array{3.0f, 1.0f, 0.0f, 0.0f}));
    for (int k = 0; k < line.size; ++k) delay_write(line, static_cast<float>(10 + k));
    EXPECT_TRUE(delay_read(line, 0) == 14.0f && delay_read(line, 4) == 10.0f);
    // Re-created from a prepared spare, then again without one: the spare now holds the old
    // samples and must not come back.
    SpareBuffer<float> spare;
    delay_prepare(line, 7, spare);
    delay_recreate(line, 7, spare);
    EXPECT_TRUE(line.size == 8 && line.pos == 0 && delay_read(line, 3) == 0.0f);
    for (int k = 0; k < line.size; ++k) delay_write(line, 1.0f);
    delay_recreate(line, 7, spare);
    EXPECT_TRUE(line.size == 8 && delay_read(line, 0) == 0.0f && delay_read(line, 7) == 0.0f);
    delay_free(line);
    delay_prepare(line, 7, spare);
    delay_recreate(line, 7, spare);  // a freed line stays absent
    EXPECT_EQ(line.size, 0);
    delay_init(line, -5);
    EXPECT_EQ(line.size, 0);
}

std::unique_ptr<Drift> comb(DriftParams p, int rate = 44100) {
    auto fx = make_stage<Drift>(p, rate, 1);
    fx->table.fill(0);  // the fixed comb: delay 4 * depth
    return fx;
}

std::unique_ptr<Chorus> chorus(ChorusParams p, int rate = 44100) { return make_stage<Chorus>(p, rate, 1); }

TEST(Drift, ClickReturnsAfterDPlusOneFramesAndRecirculates) {
    EXPECT_EQ(click(*comb({0, 50, 250, 200, 5}), 2000), (Hits{{0, kDry}, {201, kWet}}));
    // Feedback 128: the line takes the returning sample at half weight each time.
    Hits want = {{0, kDry}};
    for (int k = 1; k <= 4; ++k) want.push_back({201 * k, trunc16(250 * (20000.0 / (1 << k)) * 0.00390625 * 0.85)});
    EXPECT_EQ(click(*comb({128, 50, 250, 200, 5}), 1000), want);
    // A depth past the line reads the oldest slot: the click returns after the whole line.
    EXPECT_EQ(click(*comb({0, 5000, 250, 200, 5}, 1000), 1100, 1000), (Hits{{0, kDry}, {1001, kWet}}));
}

TEST(Chorus, DelayIsSixtyFourSamplesPerDepthStepPlusTheSweep) {
    // Depth 0 delays by one step; unmodulated, depth 50 by 3200 samples.
    EXPECT_EQ(click(*chorus({0, 5, 250, 200, 0}), 10), (Hits{{0, kDry}, {1, kWet}}));
    auto flat = chorus({50, 5, 250, 200, 0});
    flat->table.fill(0);
    EXPECT_EQ(click(*flat, 4000), (Hits{{0, kDry}, {3201, kWet}}));
    // Entry 90 of the sine period is +320: ((20 + 1024) * 50 * 128) / 2048 = 3262 samples.
    auto peak = chorus({50, 0, 250, 200, 0});
    EXPECT_EQ(peak->table[90], 320);
    peak->phase = 90.0f;
    EXPECT_EQ(click(*peak, 4000), (Hits{{0, kDry}, {3263, kWet}}));
    // 64000 samples asked at 11025 Hz, the line holds 11026: the click returns at frame 11026 only.
    EXPECT_EQ(click(*chorus({1000, 5, 250, 200, 0}, 11025), 12288, 11025), (Hits{{0, kDry}, {11026, kWet}}));
}

TEST(Drift, LfoSweepsTheDelayAndStereoAdvancesItTwicePerFrame) {
    auto fx = make_stage<Drift>(DriftParams{0, 50, 250, 200, 5}, 44100, 1);
    const SweepTable& lfo = fx->table;
    EXPECT_EQ(
        (std::array{lfo[0], *std::max_element(lfo.begin(), lfo.end()), *std::min_element(lfo.begin(), lfo.end())}),
        (std::array{0, 1000, -1000}));
    // Near the peak (step 90 of 359) the delay is about (1000 + 1024) * 50 / 256 = 395 samples.
    fx->phase = 89.0f;
    const Hits hits = click(*fx, 1000);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_NEAR(hits[1].first, 396, 2);
    fx->phase = 0.0f;
    processed(*fx, std::vector<int16_t>(2000, 0), 2);
    EXPECT_NEAR(fx->phase, 2 * 1000 * 0.005, 1e-2);
    // The phase restarts at 0 instead of wrapping.
    fx->params.drift_speed = 1000, fx->phase = 357.5f;  // one step per frame
    processed(*fx, {0});
    EXPECT_EQ(fx->phase, 358.5f);
    processed(*fx, {0});
    EXPECT_EQ(fx->phase, 0.0f);
}

TEST(Chorus, SteadyInputSettlesNearTwiceItsLevelAndRunawayFeedbackStaysFinite) {
    auto fx = chorus({});
    std::vector<int16_t> pcm(60 * 4096, 1000);
    run_stage(*fx, pcm, 1);
    EXPECT_EQ(pcm.back(), 2026);  // 0.85 * (250 * 1000 / (1 - 100/256) + 200 * 1000) / 256 = 2026.2
    pcm.assign(60 * 4096, -20000);
    run_stage(*fx, pcm, 1);
    EXPECT_EQ(pcm.back(), -32768);  // loud material saturates

    fx = chorus({0, 5, 0, 200, 100000});
    pcm.assign(4 * 4096, 30000);
    run_stage(*fx, pcm, 1);
    for (float v : fx->line[0].buf) ASSERT_FALSE(std::isnan(v));
    EXPECT_EQ(pcm.back(), trunc16(30000 * 0.00390625 * 200 * 0.85));
}

}  // namespace
}  // namespace vemo::test
