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

TEST_F(Vibrato, StartsAtSlotZeroThenDelaysBetweenAAndThreeA) {
    init(44100, 1);
    const std::vector<int> src = ramp_sources(9000);
    // Slot 0 holds the first input until the write position is 2A + table[k] ahead.
    for (int i = 0; i < 50; ++i) ASSERT_EQ(src[i], 1) << i;
    int lo = 1 << 30, hi = 0;
    for (int i = 100; i < 9000; ++i) {
        const int delay = (i + 1) - (src[i] - 1);  // write position minus read position
        lo = std::min(lo, delay);
        hi = std::max(hi, delay);
    }
    // 2A + A sin: the trough lands on 25 or 26 as the table's sampling of the sine allows.
    EXPECT_GE(lo, 25);
    EXPECT_LE(lo, 26);
    EXPECT_EQ(hi, 75);
}

TEST_F(Vibrato, DepthOneSwingsBetweenOneAndThreeSamples) {
    init(44100, 1);
    configure(20, 1, 1);
    const std::vector<int> src = ramp_sources(20000);
    std::vector<int> seen(5, 0);
    for (int i = 100; i < 20000; ++i) {
        const int delay = (i + 1) - (src[i] - 1);
        ASSERT_GE(delay, 1);
        ASSERT_LE(delay, 3);
        ++seen[delay];
    }
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
    EXPECT_GT(seen[3], 0);
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

TEST_F(Vibrato, ZeroPeriodHoldsTheOscillator) {
    init(44100, 1);
    configure(0, 10, 1);
    EXPECT_EQ(fx->period, 0);
    const std::vector<int> src = ramp_sources(3000);
    for (int i = 100; i < 3000; ++i) ASSERT_EQ((i + 1) - (src[i] - 1), 20) << i;  // 2A, no swing
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
