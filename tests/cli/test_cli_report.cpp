// What a render reports about its audio (clipped input, a truncated input, samples ending at full scale)
// and the --levels picture.  Its refusals are in test_cli.cpp's table.
#include <algorithm>

#include "cli_support.h"

namespace {

using namespace vemomix_test;
using Report = Cli;

TEST_F(Report, ClippedTruncatedAndFullScaleAudioIsReported) {
    // Full scale is 32768; louder floating-point samples are clipped, and the user is told how many.
    write_audio(at("float.wav"), 11025, 1,
                std::vector<float>{0.5f, -1.0f, 1.5f, -2.0f, 0.25f / 32768, 3.0f / 32768, -0.75f});
    Outcome r = run("render float.wav out.wav");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: warning: float.wav: 2 samples were louder than full scale and were clipped to 16 bits\n"));
    EXPECT_EQ(read_audio(at("out.wav")).samples, (std::vector<int16_t>{16384, -32768, 32767, -32768, 0, 3, -24576}));

    write_audio(at("in.wav"), 22050, 2, test_samples(2 * 5000));
    const std::string whole = file_bytes(at("in.wav"));
    spit(at("cut.wav"), whole.substr(0, whole.size() - 4000));  // 1000 frames short
    r = run("render cut.wav out.wav");
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, "vemomix: warning: cut.wav: truncated: the file is shorter "
                                                         "than its header says; 4000 frames were read\n"));
    EXPECT_EQ(read_audio(at("out.wav")).samples.size(), 2u * 4000);

    // The inversion takes four -32767 to full scale, keeps -32768 and takes 32767 down: 5 where there were 2.
    std::vector<int16_t> s(3000, 100);
    std::fill_n(s.begin(), 4, -32767), s[4] = INT16_MIN, s[5] = 32767;
    write_audio(at("up.wav"), 44100, 1, s);
    r = run("render up.wav out.wav --enable invert");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: warning: out.wav: 5 samples ended at full scale (the input had 2): clipped\n"));
}

// Colours of the picture: the input's RMS area and the plot's background are grey, the output's lines
// coloured.
constexpr uint32_t kInRmsGrey = 0x00949494, kBackground = 0x00FAFAFA;
bool coloured(uint32_t c) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 80;
}

TEST_F(Report, LevelsPictureShowsWhereTheSoundStarts) {
    // Silence, then a -6 dBFS square wave (peak and RMS alike).
    std::vector<int16_t> s(44100 * 4, 0);
    for (size_t i = s.size() / 2; i < s.size(); ++i) s[i] = (i / 50) % 2 ? 16384 : -16384;
    write_audio(at("half.wav"), 44100, 1, s);
    ASSERT_EQ(run("render half.wav out.wav --levels half.png").status, 0);
    const Picture mono = read_png(at("half.png"));
    ASSERT_EQ(std::tuple(mono.ok, mono.width), std::tuple(true, 1200));

    // Plot: x from 64 over 1112 columns, y from 52 over 200 rows for 0 to -72 dBFS.
    // (0.3 and 0.8 of the time axis lie between its one-second lines.)
    const auto x_at = [](double fraction) { return 64 + static_cast<int>(1112 * fraction); };
    const int floor_y = 52 + 200 - 3;
    EXPECT_EQ(std::pair(mono.colorref(x_at(0.3), floor_y), mono.colorref(x_at(0.8), floor_y)), std::pair(kBackground, kInRmsGrey));
    const int minus_6_db = 52 + 200 * 6 / 72;
    bool line = false;
    for (int y = minus_6_db - 2; y <= minus_6_db + 2; ++y) line = line || coloured(mono.colorref(x_at(0.8), y));
    EXPECT_TRUE(line) << "the output's levels at -6 dBFS";
    EXPECT_FALSE(coloured(mono.colorref(x_at(0.8), minus_6_db + 20)));
}

}  // namespace
