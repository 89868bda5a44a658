// Vibrato: the sine-swept whole-sample delay, its start at slot 0, the shared oscillator
// counter and its period with and without the channel factor, and unsound depths and periods.
#include <algorithm>
#include <cmath>
#include <memory>

#include "effects/vibrato.h"
#include "test_support.h"

namespace vemo::test {
namespace {

class Vibrato : public ::testing::Test {
protected:
    std::unique_ptr<vemo::Vibrato> fx = std::make_unique<vemo::Vibrato>();
    float work[kMaxFrames];
    int rate = 44100;
    void init(int r, int channels) {
        rate = r;
        vibrato_init(*fx, r, channels);
    }
    void configure(int period, int depth, int channels) {
        fx->params = {period, depth};
        vibrato_configure(*fx, rate, channels);
    }
    void process(std::vector<int16_t>& pcm, int channels = 1) {
        const int frames = static_cast<int>(pcm.size()) / channels;
        vibrato_process(*fx, pcm.data(), StageContext{rate, channels, frames, frames * channels, 1.0f, work});
    }
    // A mono ramp 1, 2, 3, ... in buffers of 1000 frames; each output names the input it came from.
    std::vector<int> ramp_sources(int frames) {
        std::vector<int> out;
        for (int at = 0; at < frames; at += 1000) {
            std::vector<int16_t> pcm(1000);
            for (int i = 0; i < 1000; ++i) pcm[i] = static_cast<int16_t>((at + i) % 30000 + 1);
            process(pcm);
            out.insert(out.end(), pcm.begin(), pcm.end());
        }
        return out;
    }
};

TEST_F(Vibrato, LoadAndInitState) {
    EXPECT_EQ(fx->line_length, 48000);
    EXPECT_EQ(fx->period, 4800);
    EXPECT_EQ(fx->depth, 25);
    EXPECT_TRUE(fx->table.empty());
    fx->counter = 77;
    init(44100, 2);
    EXPECT_EQ(fx->line_length, 44100);
    EXPECT_EQ(fx->table_length, 44100);
    EXPECT_EQ(fx->period, 4410);  // no channel factor after init
    EXPECT_EQ(fx->counter, 77);   // the counter keeps its value
    EXPECT_EQ(fx->table[0], 0.0);
    EXPECT_EQ(fx->table[11025], std::sin(11025 / 44100.0 * 6.2831854) * 25);
    configure(20, 25, 2);
    EXPECT_EQ(fx->period, 17640);
    configure(20, 25, 1);
    EXPECT_EQ(fx->period, 8820);
    vibrato_release(*fx);
    EXPECT_TRUE(fx->table.empty());
    std::vector<int16_t> pcm(10, 5);
    process(pcm);  // nothing to read from: the buffer stays as it was
    EXPECT_EQ(pcm[3], 5);
}

// The delay (write position minus read position) swings over 2A + A sin; every delay between
// the extremes occurs.  Before that, slot 0 holds the first input until the write position is
// 2A + table[k] ahead.
TEST_F(Vibrato, DelaysSwingBetweenAAndThreeA) {
    struct Case {
        int period, depth;  // period -1: as init leaves it (A = 25, P = rate / 10)
        int frames, lowest_min, lowest_max, highest;
    };
    const Case cases[] = {
        {-1, 25, 9000, 25, 26, 75},  // the trough lands on 25 or 26 as the table's sampling allows
        {20, 1, 20000, 1, 1, 3},
        {0, 10, 3000, 20, 20, 20},   // period 0 holds the oscillator: 2A, no swing
    };
    for (const Case& c : cases) {
        fx = std::make_unique<vemo::Vibrato>();
        init(44100, 1);
        if (c.period >= 0) configure(c.period, c.depth, 1);
        const std::vector<int> src = ramp_sources(c.frames);
        if (c.period < 0) {
            for (int i = 0; i < 50; ++i) ASSERT_EQ(src[i], 1) << i;
        }
        std::vector<int> seen(c.highest + 1, 0);
        for (int i = 100; i < c.frames; ++i) {
            const int delay = (i + 1) - (src[i] - 1);
            ASSERT_GE(delay, c.lowest_min) << c.depth;
            ASSERT_LE(delay, c.highest) << c.depth;
            ++seen[delay];
        }
        EXPECT_LE(std::find_if(seen.begin(), seen.end(), [](int n) { return n > 0; }) - seen.begin(), c.lowest_max);
        for (int delay = c.lowest_max; delay <= c.highest; ++delay) EXPECT_GT(seen[delay], 0) << c.depth << ": " << delay;
        if (c.period == 0) {
            EXPECT_EQ(fx->period, 0);
            EXPECT_EQ(fx->counter, 0);
        }
    }
}

TEST_F(Vibrato, ConstantInputComesOutConstant) {
    init(22050, 2);
    for (int depth : {25, 1, 100}) {
        configure(7, depth, 2);
        for (int pass = 0; pass < 5; ++pass) {
            std::vector<int16_t> pcm(4096, -1234);
            process(pcm, 2);
            ASSERT_EQ(std::count(pcm.begin(), pcm.end(), -1234), 4096);
        }
    }
}

TEST_F(Vibrato, MonoAndStereoPeriodsAgreeInSecondsAfterConfigure) {
    for (int channels : {1, 2}) {
        fx = std::make_unique<vemo::Vibrato>();
        init(44100, channels);
        configure(20, 25, channels);
        // 0.2 s is 8820 frames whatever the channel count: the counter is back at 0 then.
        std::vector<int16_t> pcm(2205 * channels, 0);
        process(pcm, channels);
        process(pcm, channels);
        EXPECT_NE(fx->counter, 0);
        process(pcm, channels);
        process(pcm, channels);
        EXPECT_EQ(fx->counter, 0) << channels;
    }
    // Straight after init a stereo stream runs twice as fast: 0.05 s.
    fx = std::make_unique<vemo::Vibrato>();
    init(44100, 2);
    std::vector<int16_t> pcm(2 * 2205, 0);
    process(pcm, 2);
    EXPECT_EQ(fx->counter, 0);
}

TEST_F(Vibrato, DepthsBeyondTheLineStayInsideIt) {
    init(11025, 1);
    for (int depth : {100000, -100000, 2147483647, 3676}) {
        configure(20, depth, 1);
        const std::vector<int> src = ramp_sources(12000);
        for (int v : src) ASSERT_TRUE(v >= 0 && v <= 30000) << depth;
    }
    configure(-3, 25, 2);  // a negative period counts like 0
    std::vector<int16_t> pcm(2000, 9);
    process(pcm, 2);
    EXPECT_EQ(fx->counter, 0);
}

class VibratoSession : public Session {};

TEST_F(VibratoSession, InitSetAndDatarefreshThroughTheExports) {
    vemo::Vibrato& v = engine().vibrato;
    EXPECT_EQ(v.period, 4410);
    EXPECT_EQ(v.channel[0].r, 0);
    EXPECT_EQ(v.channel[1].w, 0);
    EffectSettings s = current();
    s.vibrato_enabled = 1;
    s.vibrato_period = 30;
    s.vibrato_depth = 40;
    vemomix_set(s);
    EXPECT_EQ(v.period, 26460);
    EXPECT_EQ(v.depth, 40);
    std::vector<int16_t> pcm(2 * 1000, 300);
    vemomix_change(pcm.data(), 4000);
    EXPECT_EQ(pcm[1999], 300);
    const int32_t counter = v.counter, w = v.channel[1].w;
    vemomix_datarefresh();
    vemomix_set(s);
    EXPECT_EQ(v.counter, counter);
    EXPECT_EQ(v.channel[1].w, w);
    EXPECT_EQ(current().vibrato_period, 30);
}

}  // namespace
}  // namespace vemo::test
