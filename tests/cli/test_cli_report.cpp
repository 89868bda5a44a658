// What a render reports about its audio: samples at full scale (per effect with --verbose), a truncated
// input, --tail, and the --levels picture.  Its refusals are in test_cli.cpp's table.
#include <algorithm>
#include <cmath>

#include "cli_support.h"

namespace {

using namespace vemomix_test;
using Report = Cli;

// Samples that the phase inversion moves to or from full scale: -32767 becomes 32767, -32768 stays.
std::vector<int16_t> with_extremes(int minus_32767, int minus_32768, int plus_32767, size_t total) {
    std::vector<int16_t> s(total, 100);
    size_t i = 0;
    for (int k = 0; k < minus_32767; ++k) s[i++] = -32767;
    for (int k = 0; k < minus_32768; ++k) s[i++] = INT16_MIN;
    for (int k = 0; k < plus_32767; ++k) s[i++] = 32767;
    return s;
}

TEST_F(Report, SamplesEndingAtFullScaleAreCounted) {
    // Five samples reach full scale through the inversion where the input had two: the user is told.
    write_audio(at("up.wav"), 44100, 1, with_extremes(4, 1, 1, 3000));
    Outcome r = run("render up.wav out.wav --enable invert");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: warning: out.wav: 5 samples ended at full scale (the input had 2): clipped\n"));
    // Fewer than came in: nothing to report.
    write_audio(at("down.wav"), 44100, 1, with_extremes(0, 1, 3, 3000));
    r = run("render down.wav out.wav --enable invert");
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, ""));
    // --verbose counts after each effect that ran (a second row of one effect adds to its count; bass is in
    // the chain but switched off).
    r = run("render up.wav out.wav --chain invert,bass,invert --enable invert -v");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: up.wav > out.wav: 44100 Hz, 1 channel, 3000 frames (0.068 s, 0 of them --tail), "
                            "buffers of 1024 frames\n"
                            "vemomix:   chain invert\n"
                            "vemomix:   input           peak    0.00 dBFS  RMS  -26.97 dBFS  2 at full scale\n"
                            "vemomix:   after invert    7 at full scale\n"
                            "vemomix:   output          peak    0.00 dBFS  RMS  -26.97 dBFS  2 at full scale\n"));
}

TEST_F(Report, TruncatedInputIsReportedAndTailRingsOut) {
    write_audio(at("in.wav"), 22050, 2, test_samples(2 * 5000));
    const std::string whole = file_bytes(at("in.wav"));
    spit(at("cut.wav"), whole.substr(0, whole.size() - 4000));  // 1000 frames short
    Outcome r = run("render cut.wav out.wav");
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, "vemomix: warning: cut.wav: truncated: the file is shorter "
                                                         "than its header says; 4000 frames were read\n"));
    EXPECT_EQ(read_audio(at("out.wav")).samples.size(), 2u * 4000);
    // Half a second of silence after the input: the echo is heard in it, and nothing else changes.
    ASSERT_EQ(run("render in.wav plain.wav --enable echo").err, "");
    ASSERT_EQ(run("render in.wav tail.wav --enable echo --tail 0.5 --buffer 777").status, 0);
    const Audio plain = read_audio(at("plain.wav")), tail = read_audio(at("tail.wav"));
    ASSERT_EQ(tail.samples.size(), plain.samples.size() + 2 * 11025);
    EXPECT_TRUE(std::equal(plain.samples.begin(), plain.samples.end(), tail.samples.begin()));
    EXPECT_TRUE(std::any_of(tail.samples.begin() + plain.samples.size(), tail.samples.end(),
                            [](int16_t v) { return v != 0; }));
}

// Colours of the picture: the input's RMS area and the plot's background are grey, the output's lines
// coloured.
constexpr uint32_t kInRmsGrey = 0x00949494, kBackground = 0x00FAFAFA;
bool coloured(uint32_t c) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 80;
}

TEST_F(Report, LevelsPictureHasAFixedWidthAndATimeAxis) {
    // Silence, then a -6 dBFS square wave (peak and RMS alike): the levels show where the sound starts.
    std::vector<int16_t> s(44100 * 4, 0);
    for (size_t i = s.size() / 2; i < s.size(); ++i) s[i] = (i / 50) % 2 ? 16384 : -16384;
    write_audio(at("half.wav"), 44100, 1, s);
    write_audio(at("short.wav"), 44100, 2, std::vector<int16_t>(2 * 2000, 1000));
    ASSERT_EQ(run("render half.wav out.wav --levels half.png").status, 0);
    ASSERT_EQ(run("render short.wav out.wav --levels short.png").status, 0);
    const Picture mono = read_png(at("half.png")), stereo = read_png(at("short.png"));
    ASSERT_TRUE(mono.ok && stereo.ok);
    EXPECT_EQ(std::tuple(mono.width, stereo.width), std::tuple(1200, 1200));
    EXPECT_EQ(stereo.height - mono.height, 200 + 36);  // one more panel and the gap above it

    // Plot: x from 64 over 1112 columns, y from 52 over 200 rows for 0 to -72 dBFS.
    // (0.3 and 0.8 of the time axis lie between its one-second lines.)
    const auto x_at = [](double fraction) { return 64 + static_cast<int>(1112 * fraction); };
    const int floor_y = 52 + 200 - 3;
    EXPECT_EQ(mono.colorref(x_at(0.3), floor_y), kBackground);
    EXPECT_EQ(mono.colorref(x_at(0.8), floor_y), kInRmsGrey);
    const int minus_6_db = 52 + 200 * 6 / 72;
    bool line = false;
    for (int y = minus_6_db - 2; y <= minus_6_db + 2; ++y) line = line || coloured(mono.colorref(x_at(0.8), y));
    EXPECT_TRUE(line) << "the output's levels at -6 dBFS";
    EXPECT_FALSE(coloured(mono.colorref(x_at(0.8), minus_6_db + 20)));

}

}  // namespace
