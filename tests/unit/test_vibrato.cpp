// Vibrato: the swept whole-sample delay, the shared oscillator counter and its period, limits.
#include "effects/vibrato.h"
#include "test_support.h"

namespace vemo::test {
namespace {

std::unique_ptr<Vibrato> make(int rate, int channels, int period = -1, int depth = 25) {
    auto fx = std::make_unique<Vibrato>();
    fx_reset(*fx, rate, channels);
    if (period != -1) fx->params = {period, depth}, fx_configure(*fx, rate, channels);
    return fx;
}

// A mono ramp 1, 2, 3, ... in buffers of 1000 frames; each output names the input it came from.
std::vector<int16_t> ramp_sources(Vibrato& fx, int frames, int rate = 44100) {
    std::vector<int16_t> pcm(frames);
    for (int i = 0; i < frames; ++i) pcm[i] = static_cast<int16_t>(i % 30000 + 1);
    run_stage(fx, pcm, 1, rate, 1000);
    return pcm;
}

TEST(Vibrato, InitSizesTheLineAndReleaseLeavesNothingToRead) {
    Vibrato fx;
    fx_reset(fx, 44100, 2);
    EXPECT_EQ((std::array{fx.line_length, fx.table_length}), (std::array{44100, 44100}));  // one second
    fx_release(fx);
    EXPECT_TRUE(fx.table.empty());
    std::vector<int16_t> pcm(10, 5);
    run_stage(fx, pcm, 1);  // nothing to read from: the buffer stays as it was
    EXPECT_EQ(pcm[3], 5);
}

// The delay (write position minus read position) swings over 2A + A sin; every delay between
// the extremes occurs.  Before that, slot 0 holds the first input until the write position is
// 2A + table[k] ahead.
TEST(Vibrato, DelaysSwingBetweenAAndThreeA) {
    const struct {
        int period, depth;  // period -1: as init leaves it (A = 25, P = rate / 10)
        int frames, lowest_min, lowest_max, highest;
    } cases[] = {
        {-1, 25, 9000, 25, 26, 75},  // the trough lands on 25 or 26 as the table's sampling allows
        {20, 1, 20000, 1, 1, 3},
        {0, 10, 3000, 20, 20, 20},  // period 0 holds the oscillator: 2A, no swing
    };
    for (const auto& c : cases) {
        auto fx = make(44100, 1, c.period, c.depth);
        const std::vector<int16_t> src = ramp_sources(*fx, c.frames);
        EXPECT_TRUE(c.period >= 0 || std::count(src.begin(), src.begin() + 50, 1) == 50);
        std::vector<int> seen(c.highest + 1, 0);
        for (int i = 100; i < c.frames; ++i) {
            const int delay = (i + 1) - (src[i] - 1);
            ASSERT_TRUE(delay >= c.lowest_min && delay <= c.highest) << c.depth << ": " << delay;
            ++seen[delay];
        }
        EXPECT_LE(std::find_if(seen.begin(), seen.end(), [](int n) { return n > 0; }) - seen.begin(), c.lowest_max);
        for (int delay = c.lowest_max; delay <= c.highest; ++delay)
            EXPECT_GT(seen[delay], 0) << c.depth << ": " << delay;
        EXPECT_TRUE(c.period != 0 || (fx->period == 0 && fx->counter == 0));
    }
}

// The period in samples is measured by the oscillator counter's return to 0.
TEST(Vibrato, MonoAndStereoPeriodsAgreeInSecondsAfterConfigure) {
    // 0.2 s is 8820 frames whatever the channel count: the counter is back at 0 then.
    for (int channels : {1, 2}) {
        auto fx = make(44100, channels, 20, 25);
        std::vector<int16_t> pcm(2 * 2205 * channels, 0);
        run_stage(*fx, pcm, channels);
        EXPECT_NE(fx->counter, 0);
        run_stage(*fx, pcm, channels);
        EXPECT_EQ(fx->counter, 0) << channels;
    }
    // Straight after init a stereo stream runs twice as fast: 0.05 s.
    auto fx = make(44100, 2);
    std::vector<int16_t> pcm(2 * 2205, 0);
    run_stage(*fx, pcm, 2);
    EXPECT_EQ(fx->counter, 0);
}

TEST(Vibrato, DepthsBeyondTheLineStayInsideIt) {
    auto fx = make(11025, 1);
    for (int depth : {100000, -100000, INT32_MAX, 3676}) {
        fx->params = {20, depth}, fx_configure(*fx, 11025, 1);
        const std::vector<int16_t> src = ramp_sources(*fx, 12000, 11025);
        EXPECT_TRUE(std::all_of(src.begin(), src.end(), [](int v) { return v >= 0 && v <= 30000; })) << depth;
    }
    fx->params = {-3, 25}, fx_configure(*fx, 11025, 2);  // a negative period counts like 0
    std::vector<int16_t> pcm(2000, 9);
    run_stage(*fx, pcm, 2, 11025);
    EXPECT_EQ(fx->counter, 0);
}

}  // namespace
}  // namespace vemo::test
