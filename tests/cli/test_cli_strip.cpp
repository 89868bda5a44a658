// vemomix render --strip / --strip-timeline: the editor's level strip of the rendered audio as PNG.
#include <cmath>
#include <memory>

#include "cli_support.h"
#include "editor/headless/headless_backend.h"
#include "engine/levels.h"
#include "engine/strip_raster.h"

namespace {

using namespace vemomix_test;

constexpr uint32_t kNoStrip = 0x00303030;

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

int count_colour(const Picture& pic, uint32_t c, int y_from, int y_to) {
    int n = 0;
    for (int y = y_from; y < y_to; ++y)
        for (int x = 0; x < pic.width; ++x) n += pic.colorref(x, y) == c ? 1 : 0;
    return n;
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

// Stereo with a last buffer of 791 frames (long enough) and one of 100 frames (too short: the one before
// it shows); mono, which draws no bar below the centre row.
TEST_F(Strip, LastBufferIsDrawnAsTheEditorDrawsIt) {
    const vemo::HeadlessBackend editor;
    ASSERT_EQ(std::tuple(editor.strip_width, editor.strip_height), std::tuple(414, 42));
    for (const auto& [frames, channels] : {std::pair{size_t{10007}, 2}, {size_t{3 * 1024 + 100}, 2}, {size_t{5000}, 1}}) {
        SCOPED_TRACE(frames);
        write_audio(at("in.wav"), 22050 * channels, channels, swelling(frames, channels));
        const Outcome r = run("render in.wav out.wav --enable invert --strip s.png");
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, ""));
        // Showing the strip changes nothing in the audio.
        const Audio out = read_audio(at("out.wav"));
        ASSERT_EQ(out.samples, inverted(read_audio(at("in.wav")).samples));
        const Picture pic = read_png(at("s.png"));
        EXPECT_EQ(std::tuple(pic.ok, pic.width, pic.height, pic.colour, pic.alpha),
                  std::tuple(true, 414, 42, true, false));
        const size_t drawn = frames % 1024 >= 414 ? frames - frames % 1024 : frames - frames % 1024 - 1024;
        expect_panel(pic, 0, strip_of(out.samples, channels, drawn, std::min<size_t>(1024, frames - drawn)));
    }
}

TEST_F(Strip, TimelineHasOneStripPerSecond) {
    // 2.5 s at 11025 Hz: three panels, each the last buffer that ends within its second.
    const std::vector<int16_t> in = swelling(27562, 1);
    write_audio(at("in.wav"), 11025, 1, in);
    Outcome r = run("render in.wav out.wav --buffer 1225 --strip-timeline t.png --strip s.png");
    ASSERT_EQ(r.status, 0) << r.err;
    Picture pic = read_png(at("t.png"));
    ASSERT_EQ(std::tuple(pic.ok, pic.width, pic.height), std::tuple(true, 3 * 414, 42));
    expect_panel(pic, 0, strip_of(in, 1, 9800, 1225));   // ends with frame 11024, the last of second 0
    expect_panel(pic, 1, strip_of(in, 1, 20825, 1225));  // ends with frame 22049
    expect_panel(pic, 2, strip_of(in, 1, 26950, 612));
    // --strip beside it is the last of those.
    expect_panel(read_png(at("s.png")), 0, strip_of(in, 1, 26950, 612));

    // One call of the whole file, which the library slices: its last slice of 2986 frames is what shows,
    // in the third second; the first two seconds had no buffer that ended in them.
    r = run("render in.wav out.wav --buffer 30000 --strip-timeline t.png");
    ASSERT_EQ(r.status, 0) << r.err;
    pic = read_png(at("t.png"));
    ASSERT_EQ(pic.width, 3 * 414);
    EXPECT_EQ(count_colour(pic, kNoStrip, 0, pic.height), 2 * 414 * 42);
    expect_panel(pic, 2, strip_of(in, 1, 6 * 4096, 27562 - 6 * 4096));
}

}  // namespace
