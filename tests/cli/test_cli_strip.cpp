// vemomix render --strip: the editor's level strip of the rendered audio as PNG.
#include <cmath>
#include <memory>

#include "cli_support.h"
#include "editor/headless/headless_backend.h"
#include "engine/levels.h"
#include "editor/strip_raster.h"

namespace {

using namespace vemomix_test;

// The picture the editor shows for one buffer of output: its levels, column means and the raster.
vemo::StripRaster strip_of(const std::vector<int16_t>& pcm, int channels, size_t first_frame, size_t frames) {
    const vemo::HeadlessBackend b;
    auto lv = std::make_unique<vemo::LevelCapture>();
    vemo::set_strip_geometry(*lv, b.strip_width, b.strip_height);
    vemo::capture_levels(*lv, pcm.data() + first_frame * channels, static_cast<int>(frames), channels);
    auto cols = std::make_unique<vemo::LevelColumns>();
    EXPECT_TRUE(vemo::take_level_columns(*lv, *cols)) << frames << " frames";
    vemo::StripRaster raster;
    vemo::draw_level_strip(*cols, raster);
    return raster;
}

// Compares panel `panel` of the picture with a raster; reports the first pixel that differs.
void expect_panel(const Picture& pic, int panel, const vemo::StripRaster& want) {
    ASSERT_EQ(pic.height, want.height());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_EQ(pic.colorref(panel * want.width() + x, y), want.pixel(x, y))
                << "panel " << panel << " pixel " << x << "," << y;
}

// Sines whose loudness grows along the file, each channel at its own pace, so no two buffers draw alike.
std::vector<int16_t> swelling(size_t frames, int channels) {
    std::vector<int16_t> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double loud = std::fmod(static_cast<double>(i) * (c + 1) / 3000.0, 1.0);
            s[i * channels + c] = static_cast<int16_t>(std::lrint(30000.0 * loud * std::sin(0.05 * i * (c + 1))));
        }
    return s;
}

using Strip = Cli;

// Stereo, 3 buffers of 1024 frames and a last one of 100 frames, too short: the one before it shows.
TEST_F(Strip, LastLongEnoughBufferIsDrawnAsTheEditorDrawsIt) {
    write_audio(at("in.wav"), 44100, 2, swelling(3 * 1024 + 100, 2));
    const Outcome r = run("render in.wav out.wav --enable invert --strip s.png");
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, ""));
    // Showing the strip changes nothing in the audio.
    const Audio out = read_audio(at("out.wav"));
    ASSERT_EQ(out.samples, inverted(read_audio(at("in.wav")).samples));
    const Picture pic = read_png(at("s.png"));
    EXPECT_EQ(std::tuple(pic.ok, pic.width, pic.height), std::tuple(true, 414, 42));
    expect_panel(pic, 0, strip_of(out.samples, 2, 2 * 1024, 1024));
}

}  // namespace
