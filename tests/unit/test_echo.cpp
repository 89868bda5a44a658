// Echo: taps that reach only into earlier buffers, the normalisation's weights and decay, wrapping.
#include "test_support.h"

namespace vemo::test {
namespace {

class Echo : public Session {
protected:
    static void set_echo(float delay, float fb) {
        set_record([&](EffectSettings& s) { s.echo_enabled = 1, s.echo_delay_s = delay, s.echo_feedback = fb; });
    }
    // Runs a stream through vemomix_change in buffers of `chunk` interleaved samples.
    static void run(std::vector<int16_t>& stream, size_t chunk = 8192) {
        for (size_t at = 0; at < stream.size(); at += chunk)
            vemomix_change(stream.data() + at, static_cast<int32_t>(std::min(chunk, stream.size() - at) * 2));
    }
};

TEST_F(Echo, InitSizesTheBuffersFromTheFormat) {
    // Five seconds of each format; 0.6 s by default.
    for (const auto& [rate, channels, bytes, d1] : {std::array{48000, 2, 960000, 57600}, std::array{11025, 1, 110250, 6615}}) {
        start(rate, channels);
        const auto& fx = engine().echo;
        const size_t n = size_t(bytes);
        EXPECT_EQ(std::tuple(fx.size_bytes, fx.line1.size() * 2, fx.line2.size(), fx.input.size() * 2 >= n, fx.d1, fx.d2),
                  std::tuple(bytes, n, n, true, d1, 2 * d1)) << rate;
    }
    EXPECT_EQ(current().echo_enabled, 0);
}

TEST_F(Echo, WithoutEchoesTheInputIsScaledOnly) {
    // No feedback: N = 1, unchanged.
    set_echo(0.01f, 0.0f);
    const std::vector<int16_t> in = noise(4 * 8192, 17);
    std::vector<int16_t> stream = in;
    run(stream);
    EXPECT_EQ(stream, in);
    // No delay at g = 1: only the direct weight N (1 + 0.2 g) = 1.25 * 1.2 / 2.3 = 0.652, truncated.
    set_echo(0.0f, 1.0f);
    stream = {30000, -30000, 32767, -32768, 1, 2, -7, 12345};
    run(stream);
    EXPECT_EQ(stream, (std::vector<int16_t>{19565, -19565, 21369, -21370, 0, 1, -4, 8051}));
}

TEST_F(Echo, ClickReturnsAfterOneAndTwoDelays) {
    set_echo(0.5f, 0.5f);
    std::vector<int16_t> stream(100000, 0);
    stream[0] = 20000;
    run(stream);
    // N = 1.125 / 1.65 = 0.6818: the direct output 0.75 of the click; relative to it the echoes
    // weigh N g = 0.341, then N 0.5 g + N^2 g^2 = 0.287.
    EXPECT_EQ((std::array{stream[0], stream[44100], stream[88200]}), (std::array<int16_t, 3>{15000, 5113, 4299}));
    EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), 100000 - 3);
}

TEST_F(Echo, OddDelayLandsOnTheOtherChannel) {
    start(11025, 2);
    set_echo(0.1f, 0.5f);
    std::vector<int16_t> stream(6000, 0);
    stream[0] = 10000;  // left channel
    run(stream, 1000);
    // An odd index is the right channel; the second tap is even: back on the left.
    EXPECT_TRUE(stream[2205] != 0 && stream[2204] == 0 && stream[2206] == 0 && stream[4410] != 0);
}

TEST_F(Echo, TapsNeverReadTheBufferBeingProcessed) {
    // D1 is far shorter than a buffer: within one buffer the taps give 0.  (0.01f is a
    // little below 0.01, so 88200 * T truncates to 881.)
    set_echo(0.01f, 0.5f);
    ASSERT_EQ(engine().echo.d1, 881);
    std::vector<int16_t> first(8192, 0), second(8192, 0);
    first[0] = first[8190] = 10000;
    change(first);
    // The click at 0 lies in the same buffer: no echo.
    EXPECT_TRUE(first[881] == 0 && first[8190] == first[0]);
    change(second);
    // The click at 8190 is an earlier buffer now: it returns at 8190 + 881 - 8192.
    // N 1.1 and N 0.5; that echo is in the current buffer again.
    EXPECT_EQ((std::array{first[0], second[879], second[879 + 881]}), (std::array<int16_t, 3>{7500, 2556, 0}));
    // Nor does it once the line holds five seconds: sample D1 of a buffer is like the next one.
    std::vector<int16_t> steady(65 * 8192, 1000);
    run(steady);
    EXPECT_EQ(steady[64 * 8192 + 881], steady[64 * 8192 + 882]);
}

TEST_F(Echo, ResultsWrapInsteadOfLimiting) {
    set_echo(0.01f, 1.0f);
    std::vector<int16_t> a(8192, 32767), b(8192, 32767);
    change(a), change(b);
    // 0.5435 * (32767 * 1.2 + 1.5 * 21369) = 38790: stored as 38790 - 65536.
    EXPECT_EQ((std::array{a[0], b[0]}), (std::array<int16_t, 2>{21369, -26746}));
}

TEST_F(Echo, RecordValuesOutOfRangeStayInsideTheLines) {
    const auto& fx = engine().echo;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float delay : {-1.0f, nan, 100.0f, 1e30f}) {
        for (float feedback : {0.5f, -3.0f, 50.0f, nan, std::numeric_limits<float>::infinity()}) {
            set_echo(delay, feedback);
            ASSERT_TRUE(fx.d1 >= 0 && size_t(fx.d1) <= fx.line1.size() && size_t(fx.d2) <= fx.line2.size()) << delay;
            std::vector<int16_t> stream(4 * 8192, 30000);
            run(stream);
            ASSERT_TRUE(!std::isnan(feedback) || stream[100] == 0) << delay;
        }
    }
    set_echo(100.0f, 0.5f);
    EXPECT_EQ(static_cast<size_t>(fx.d1), fx.line1.size());  // limited to the five seconds line 1 keeps
}

}  // namespace
}  // namespace vemo::test
