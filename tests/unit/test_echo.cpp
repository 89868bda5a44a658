// Echo: taps that reach only into earlier buffers, the per-call normalisation, wrapping.
#include "test_support.h"

namespace vemo::test {
namespace {

class Echo : public Session {
protected:
    static void set_echo(float delay_s, float feedback) {
        set_record([&](EffectSettings& s) {
            s.echo_enabled = 1;
            s.echo_delay_s = delay_s;
            s.echo_feedback = feedback;
        });
    }
    // Runs a stream through vemomix_change in buffers of `chunk` interleaved samples.
    static void run(std::vector<int16_t>& stream, size_t chunk = 8192) {
        for (size_t at = 0; at < stream.size(); at += chunk)
            vemomix_change(stream.data() + at, static_cast<int32_t>(std::min(chunk, stream.size() - at) * 2));
    }
    static double ratio(float g) { return static_cast<float>((g * 0.25 + 1.0) / (g * 1.3 + 1.0)); }
    static int16_t expect(double y) { return static_cast<int16_t>(static_cast<int64_t>(std::trunc(y))); }
};

TEST_F(Echo, InitSizesTheBuffersFromTheFormat) {
    const struct {
        int rate, channels, bytes, d1;
    } rows[] = {{48000, 2, 960000, 57600}, {11025, 1, 110250, 6615}};  // five seconds; 0.6 s by default
    for (const auto& r : rows) {
        start(r.rate, r.channels);
        const auto& fx = engine().echo;
        EXPECT_EQ(fx.size_bytes, r.bytes) << r.rate;
        EXPECT_EQ(fx.line1.size() * 2, size_t(r.bytes)) << r.rate;
        EXPECT_EQ(fx.line2.size(), size_t(r.bytes)) << r.rate;
        EXPECT_GE(fx.input.size() * 2, size_t(r.bytes)) << r.rate;
        EXPECT_EQ(fx.d1, r.d1) << r.rate;
        EXPECT_EQ(fx.d2, 2 * r.d1) << r.rate;
    }
    EXPECT_EQ(current().echo_enabled, 0);
}

TEST_F(Echo, WithoutEchoesTheInputIsScaledOnly) {
    // No feedback: unchanged; no delay: no echo, only the direct weight N (1 + 0.2 g).
    for (auto [delay, g] : {std::pair{0.01f, 0.0f}, {0.0f, 1.0f}}) {
        set_echo(delay, g);
        const std::vector<int16_t> in = noise(4 * 8192, 17, g == 0 ? 32768 : 30000);
        std::vector<int16_t> stream = in;
        run(stream);
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(stream[i], expect(ratio(g) * (in[i] * (g * 0.2 + 1)))) << g << ": " << i;
    }
}

TEST_F(Echo, ClickReturnsAfterOneAndTwoDelays) {
    set_echo(0.5f, 0.5f);
    EXPECT_EQ(engine().echo.d1, 44100);
    EXPECT_EQ(engine().echo.d2, 88200);
    std::vector<int16_t> stream(100000, 0);
    stream[0] = 20000;
    run(stream);
    const double n = ratio(0.5f), g = 0.5;
    const int16_t direct = expect(n * 20000 * (g * 0.2 + 1));
    const int16_t first = expect(n * (g * direct));
    const int16_t second = expect(n * (g * first + 0.5 * g * direct));
    EXPECT_EQ((std::array{stream[0], stream[44100], stream[88200]}), (std::array{direct, first, second}));
    // Relative to the direct output: N*g, then N*0.5*g + N^2*g^2.
    EXPECT_NEAR(double(first) / direct, n * g, 1.0 / direct);
    EXPECT_NEAR(double(second) / direct, n * 0.5 * g + n * n * g * g, 2.0 / direct);
    EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), 100000 - 3);
}

TEST_F(Echo, OddDelayLandsOnTheOtherChannel) {
    start(11025, 2);
    set_echo(0.1f, 0.5f);
    EXPECT_EQ(engine().echo.d1, 2205);
    EXPECT_EQ(engine().echo.d2, 4410);
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
    EXPECT_EQ(first[881], 0);  // the click at 0 lies in the same buffer: no echo
    EXPECT_EQ(first[8190], first[0]);
    change(second);
    // The click at 8190 is an earlier buffer now: it returns at 8190 + 881 - 8192.
    EXPECT_EQ(second[879], expect(ratio(0.5f) * (0.5 * first[0])));
    EXPECT_EQ(second[879 + 881], 0);  // that echo is in the current buffer again
    // Nor does it once the line holds five seconds: sample D1 of a buffer is like the next one.
    std::vector<int16_t> steady(65 * 8192, 1000);
    run(steady);
    EXPECT_EQ(steady[64 * 8192 + 881], steady[64 * 8192 + 882]);
}

TEST_F(Echo, ResultsWrapInsteadOfLimiting) {
    set_echo(0.01f, 1.0f);
    std::vector<int16_t> a(8192, 32767), b(8192, 32767);
    change(a);
    change(b);
    const double n = ratio(1.0f);
    const int16_t direct = expect(n * 32767 * 1.2);
    EXPECT_EQ(a[0], direct);
    const double y = n * (32767 * 1.2 + direct + 0.5 * direct);
    ASSERT_GT(y, 32767.0);
    EXPECT_EQ(b[0], static_cast<int16_t>(static_cast<int64_t>(y) - 65536));
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
