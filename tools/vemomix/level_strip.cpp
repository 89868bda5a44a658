#include "level_strip.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "cli_error.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

namespace vemomix_cli {

StripRecorder::StripRecorder(int rate, bool keep_timeline)
    : rate_(rate),
      keep_timeline_(keep_timeline),
      scratch_(std::make_unique<vemo::LevelColumns>()),
      last_(std::make_unique<vemo::LevelColumns>()) {
    vemo::EngineState& e = vemo::engine();
    std::lock_guard lock(e.mutex);
    width_ = e.levels.width;
    height_ = e.levels.height;
    // Bars need a centre row with room above and below it.
    if (width_ <= 0 || height_ < 4) throw CliError("level strip", "the library has measured no strip to draw on");
}

void StripRecorder::after_change(int64_t frames_done) {
    frames_done_ = frames_done;
    {
        vemo::EngineState& e = vemo::engine();
        std::lock_guard lock(e.mutex);
        // Fewer frames than columns draw nothing: the capture is dropped and the last strip stays.
        if (!vemo::take_level_columns(e.levels, *scratch_)) return;
    }
    *last_ = *scratch_;
    have_last_ = true;
    if (!keep_timeline_) return;
    const int64_t second = (frames_done - 1) / rate_;
    if (second >= timeline_max_panels()) return;
    const size_t s = static_cast<size_t>(second);
    if (seconds_.size() <= s) {
        seconds_.resize(s + 1);
        second_drawn_.resize(s + 1, false);
    }
    seconds_[s] = *scratch_;
    second_drawn_[s] = true;
}

void StripRecorder::draw_panel(const vemo::LevelColumns& cols, RgbImage& image, int x0) const {
    vemo::StripRaster raster;
    vemo::draw_level_strip(cols, raster);
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) image.set(x0 + x, y, raster.pixel(x, y));
}

RgbImage StripRecorder::last_strip() const {
    RgbImage image(width_, height(), kNoStripColour);
    if (have_last_) draw_panel(*last_, image, 0);
    return image;
}

int64_t StripRecorder::seconds_begun() const { return (frames_done_ + rate_ - 1) / rate_; }

RgbImage StripRecorder::timeline() const {
    const int panels = static_cast<int>(std::clamp<int64_t>(seconds_begun(), 1, timeline_max_panels()));
    RgbImage image(panels * width_, height(), kNoStripColour);
    for (size_t s = 0; s < seconds_.size(); ++s)
        if (second_drawn_[s]) draw_panel(seconds_[s], image, static_cast<int>(s) * width_);
    return image;
}

StripOutputs::StripOutputs(const StripPaths& paths, int rate)
    : paths_(paths), recorder_(rate, !paths.timeline.empty()) {
    // What the editor shows is what gets captured.
    vemomix_setdisp(1);
    if (!paths_.last.empty()) last_file_ = std::make_unique<OutputFile>(paths_.last);
    if (!paths_.timeline.empty()) timeline_file_ = std::make_unique<OutputFile>(paths_.timeline);
}

ChangeHook StripOutputs::hook() {
    return [this](int64_t frames_done) { recorder_.after_change(frames_done); };
}

void StripOutputs::encode() {
    if (!recorder_.has_strip()) {
        const std::string& named = paths_.last.empty() ? paths_.timeline : paths_.last;
        throw CliError(named, "no buffer had " + std::to_string(recorder_.width()) +
                                  " frames or more (one per column of the strip), so there is no level strip to draw");
    }
    if (last_file_) last_png_ = encode_png(recorder_.last_strip(), paths_.last);
    if (timeline_file_) {
        timeline_png_ = encode_png(recorder_.timeline(), paths_.timeline);
    }
}

void StripOutputs::commit() {
    if (last_file_) {
        last_file_->write_all(last_png_);
        last_file_->commit();
    }
    if (timeline_file_) {
        timeline_file_->write_all(timeline_png_);
        timeline_file_->commit();
        if (recorder_.seconds_begun() > recorder_.timeline_max_panels())
            std::fprintf(stderr, "vemomix: note: %s shows the first %d seconds only\n", paths_.timeline.c_str(),
                         recorder_.timeline_max_panels());
    }
}

}  // namespace vemomix_cli
