// The editor's level strip as PNG pictures. While its editor is shown the library captures the levels of
// each processed buffer; right after every vemomix_change the CLI takes the column means, as the editor's
// window does before it paints, and draws them with the library's own strip raster.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio_file.h"
#include "editor/strip_raster.h"
#include "host.h"
#include "png_image.h"

namespace vemomix_cli {

// A timeline wider than this many one-second panels would be too wide to look at (and to hold); libpng
// also refuses pictures wider than a million pixels.
constexpr int kTimelineMaxSeconds = 1200;
constexpr int kPngMaxWidth = 1000000;
// Panels of seconds in which no buffer was long enough to draw.
constexpr uint32_t kNoStripColour = 0x00303030;

struct StripPaths {
    std::string last;      // the strip of the last buffer
    std::string timeline;  // one strip per second, side by side
    bool any() const { return !last.empty() || !timeline.empty(); }
};

// Keeps the columns of the last buffer that filled the strip, and of the last such buffer that ended
// within each second of the audio.
class StripRecorder {
public:
    // Reads the strip's size from the initialised library.
    StripRecorder(int rate, bool keep_timeline);

    int width() const { return width_; }
    // Height of the picture: the strip's client height.
    int height() const { return height_ - 1; }

    void after_change(int64_t frames_done);

    bool has_strip() const { return have_last_; }
    int64_t seconds_begun() const;
    int timeline_max_panels() const { return std::min(kTimelineMaxSeconds, kPngMaxWidth / width_); }
    RgbImage last_strip() const;
    // One panel per second that the audio began; a second without a drawn buffer is kNoStripColour.
    RgbImage timeline() const;

private:
    void draw_panel(const vemo::LevelColumns& cols, RgbImage& image, int x0) const;

    int rate_;
    bool keep_timeline_;
    int width_ = 0, height_ = 0;
    int64_t frames_done_ = 0;
    bool have_last_ = false;
    std::unique_ptr<vemo::LevelColumns> scratch_, last_;
    std::vector<vemo::LevelColumns> seconds_;
    std::vector<bool> second_drawn_;
};

// Switches the library's display on and opens the picture files, so that a path that cannot be written
// fails before any audio is rendered; commit() after the render writes them.
class StripOutputs {
public:
    StripOutputs(const StripPaths& paths, int rate);

    int width() const { return recorder_.width(); }
    ChangeHook hook();
    // Draws and encodes the pictures; throws when no buffer was long enough to draw.
    void encode();
    void commit();

private:
    StripPaths paths_;
    StripRecorder recorder_;
    std::unique_ptr<OutputFile> last_file_, timeline_file_;
    std::string last_png_, timeline_png_;
};

}  // namespace vemomix_cli
