#include "levels_plot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli_error.h"

namespace vemomix_cli {

void LevelBlock::merge(const LevelBlock& b) {
    peak = std::max(peak, b.peak);
    sum_squares += b.sum_squares;
    samples += b.samples;
    full_scale += b.full_scale;
}

LevelHistory::LevelHistory(int channels) : channels_(channels) {
    for (auto& side : tracks_) side.resize(static_cast<size_t>(channels));
}

void LevelHistory::add(const int16_t* s, int64_t frames, bool output) {
    std::vector<LevelTrack>& side = tracks_[output];
    for (int64_t f = 0; f < frames;) {
        // The frames up to the end of the current block.
        const int64_t at = frames_[output];
        const size_t b = static_cast<size_t>(at / block_frames_);
        const int64_t n = std::min(frames - f, block_frames_ - at % block_frames_);
        for (int c = 0; c < channels_; ++c) {
            std::vector<LevelBlock>& blocks = side[static_cast<size_t>(c)].blocks;
            if (blocks.size() <= b) blocks.resize(b + 1);
            LevelBlock& k = blocks[b];
            for (int64_t i = f; i < f + n; ++i) {
                const int v = s[i * channels_ + c];
                k.peak = std::max(k.peak, std::abs(v));
                k.sum_squares += static_cast<double>(v) * v;
                k.full_scale += v == 32767 || v == -32768;
            }
            k.samples += n;
        }
        frames_[output] += n;
        f += n;
        // The output side trails the input by one buffer; both halve together.
        if (!output && b + 1 > kMaxBlocks && frames_[output] % block_frames_ == 0) halve();
    }
}

void LevelHistory::halve() {
    for (auto& side : tracks_)
        for (LevelTrack& t : side) {
            std::vector<LevelBlock> merged((t.blocks.size() + 1) / 2);
            for (size_t i = 0; i < t.blocks.size(); ++i) merged[i / 2].merge(t.blocks[i]);
            t.blocks.swap(merged);
        }
    block_frames_ *= 2;
}

namespace {

constexpr int kLeft = 64, kRight = 24, kTop = 52, kGap = 36, kBottom = 44;

double to_db(double amplitude) { return amplitude > 0.0 ? 20.0 * std::log10(amplitude / 32768.0) : -INFINITY; }

// One pixel column's levels: the peak of the blocks that begin within it (at least the one it lies in), the
// RMS over those or over the blocks of 50 ms around it, whichever is longer, as a level meter would show.
struct Column {
    double peak_db = -INFINITY, rms_db = -INFINITY;
    bool full_scale = false;
};

std::vector<Column> columns(const LevelTrack& t, int64_t block_frames, int64_t total_frames, int width,
                            int64_t rms_frames) {
    std::vector<Column> out(static_cast<size_t>(width));
    if (t.blocks.empty() || total_frames <= 0) return out;
    const int64_t last = static_cast<int64_t>(t.blocks.size()) - 1;
    const auto sum_of = [&](int64_t f0, int64_t f1) {
        const int64_t b0 = std::clamp<int64_t>(f0 / block_frames, 0, last);
        const int64_t b1 = std::min(last, std::max(b0, (f1 - 1) / block_frames));
        LevelBlock sum;
        for (int64_t b = b0; b <= b1; ++b) sum.merge(t.blocks[static_cast<size_t>(b)]);
        return sum;
    };
    for (int c = 0; c < width; ++c) {
        const int64_t f0 = total_frames * c / width, f1 = total_frames * (c + 1) / width;
        const LevelBlock here = sum_of(f0, f1);
        const int64_t widen = std::max<int64_t>(0, rms_frames - (f1 - f0)) / 2;
        const LevelBlock around = widen > 0 ? sum_of(f0 - widen, f1 + widen) : here;
        Column& col = out[static_cast<size_t>(c)];
        col.peak_db = to_db(here.peak);
        col.rms_db = around.samples ? to_db(std::sqrt(around.sum_squares / static_cast<double>(around.samples)))
                                    : -INFINITY;
        col.full_scale = here.full_scale > 0;
    }
    return out;
}

// A step of 1, 2 or 5 times a power of ten seconds, or of whole minutes for long files, giving 5 to 12 ticks.
double time_step(double seconds) {
    const double raw = std::max(seconds / 10.0, 1e-3);
    if (raw > 30.0) {
        for (double m : {60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0, 7200.0})
            if (m >= raw) return m;
        return 3600.0 * std::ceil(raw / 3600.0);
    }
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * mag >= raw * 0.999) return f * mag;
    return 10.0 * mag;
}

std::string time_label(double t, double step) {
    char buf[32];
    if (step >= 60.0)
        std::snprintf(buf, sizeof buf, "%d:%02d", static_cast<int>(t) / 60, static_cast<int>(t) % 60);
    else
        std::snprintf(buf, sizeof buf, "%g", t);
    return buf;
}

void text_at(cairo_t* cr, double x, double y, const std::string& s, double align_x) {
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s.c_str(), &ext);
    cairo_move_to(cr, x - align_x * ext.x_advance, y);
    cairo_show_text(cr, s.c_str());
}

struct Rgba {
    double r, g, b, a;
};
void colour(cairo_t* cr, Rgba c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

constexpr Rgba kInPeak{0.80, 0.80, 0.80, 1.0}, kInRms{0.58, 0.58, 0.58, 1.0};
constexpr Rgba kOutPeak{0.10, 0.35, 0.85, 1.0}, kOutRms{0.90, 0.42, 0.05, 1.0}, kClip{0.85, 0.0, 0.0, 1.0};

class Painter {
public:
    Painter(cairo_t* cr, int x0, int y0, int w, int h) : cr_(cr), x0_(x0), y0_(y0), w_(w), h_(h) {}

    double y_of(double db) const {
        const double d = std::clamp(std::isfinite(db) ? db : kLevelsFloorDb, kLevelsFloorDb, 0.0);
        return y0_ + h_ * (d / kLevelsFloorDb);
    }

    // The area between the floor and the values, as steps one column wide.
    void area(const std::vector<Column>& cols, double Column::*field, Rgba c) const {
        cairo_move_to(cr_, x0_, y0_ + h_);
        for (int x = 0; x < w_; ++x) {
            const double y = y_of(cols[static_cast<size_t>(x)].*field);
            cairo_line_to(cr_, x0_ + x, y);
            cairo_line_to(cr_, x0_ + x + 1, y);
        }
        cairo_line_to(cr_, x0_ + w_, y0_ + h_);
        cairo_close_path(cr_);
        colour(cr_, c);
        cairo_fill(cr_);
    }

    void line(const std::vector<Column>& cols, double Column::*field, Rgba c) const {
        for (int x = 0; x < w_; ++x) {
            const double y = y_of(cols[static_cast<size_t>(x)].*field);
            if (x == 0)
                cairo_move_to(cr_, x0_ + 0.5, y);
            else
                cairo_line_to(cr_, x0_ + x + 0.5, y);
        }
        colour(cr_, c);
        cairo_set_line_width(cr_, 1.25);
        cairo_stroke(cr_);
    }

    void clip_marks(const std::vector<Column>& cols) const {
        colour(cr_, kClip);
        for (int x = 0; x < w_; ++x)
            if (cols[static_cast<size_t>(x)].full_scale) cairo_rectangle(cr_, x0_ + x, y0_, 1, 6);
        cairo_fill(cr_);
    }

private:
    cairo_t* cr_;
    int x0_, y0_, w_, h_;
};

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::string channel_name(int c, int channels) {
    if (channels == 1) return "mono";
    return c == 0 ? "left" : c == 1 ? "right" : "channel " + std::to_string(c + 1);
}

}  // namespace

LevelsPlot::LevelsPlot(const std::string& path, int rate, int channels, std::string title)
    : path_(path), rate_(rate), title_(std::move(title)), history_(channels),
      file_(std::make_unique<OutputFile>(path)) {}

BufferHook LevelsPlot::hook() {
    return [this](const int16_t* s, int64_t frames, bool output) { history_.add(s, frames, output); };
}

void LevelsPlot::encode() {
    const int channels = history_.channels();
    const int plot_w = kLevelsWidth - kLeft - kRight;
    const int height = kTop + channels * kLevelsPanelHeight + (channels - 1) * kGap + kBottom;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kLevelsWidth, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);

    // Title on the left, legend on the right.
    colour(cr, {0, 0, 0, 1});
    cairo_set_font_size(cr, 13);
    text_at(cr, 8, 18, title_, 0.0);
    cairo_set_font_size(cr, 12);
    {
        double x = kLevelsWidth - kRight;
        const struct {
            const char* label;
            Rgba c;
            bool filled;
        } keys[] = {{"output RMS", kOutRms, false}, {"output peak", kOutPeak, false},
                    {"input RMS", kInRms, true},    {"input peak", kInPeak, true}};
        for (const auto& k : keys) {
            cairo_text_extents_t ext;
            cairo_text_extents(cr, k.label, &ext);
            x -= ext.x_advance;
            colour(cr, {0.2, 0.2, 0.2, 1});
            text_at(cr, x, 18, k.label, 0.0);
            x -= 22;
            colour(cr, k.c);
            if (k.filled) {
                cairo_rectangle(cr, x, 8, 16, 12);
                cairo_fill(cr);
            } else {
                cairo_rectangle(cr, x, 13, 16, 2.5);
                cairo_fill(cr);
            }
            x -= 18;
        }
    }

    const int64_t total = std::max(history_.frames(false), history_.frames(true));
    const double seconds = static_cast<double>(total) / rate_;
    const double step = time_step(seconds);
    for (int c = 0; c < channels; ++c) {
        const int y0 = kTop + c * (kLevelsPanelHeight + kGap);
        const Painter p(cr, kLeft, y0, plot_w, kLevelsPanelHeight);
        cairo_set_source_rgb(cr, 0.98, 0.98, 0.98);
        cairo_rectangle(cr, kLeft, y0, plot_w, kLevelsPanelHeight);
        cairo_fill(cr);

        const int64_t rms_frames = rate_ / 20;
        const auto in = columns(history_.track(false, c), history_.block_frames(), total, plot_w, rms_frames);
        const auto out = columns(history_.track(true, c), history_.block_frames(), total, plot_w, rms_frames);
        p.area(in, &Column::peak_db, kInPeak);
        p.area(in, &Column::rms_db, kInRms);

        // The dB grid over the input's areas, under the output's lines.
        cairo_set_line_width(cr, 1.0);
        for (double db = 0.0; db >= kLevelsFloorDb; db -= 12.0) {
            const double y = std::floor(p.y_of(db)) + 0.5;
            cairo_set_source_rgba(cr, 0.3, 0.3, 0.3, db == 0.0 ? 0.6 : 0.25);
            cairo_move_to(cr, kLeft, y);
            cairo_line_to(cr, kLeft + plot_w, y);
            cairo_stroke(cr);
            colour(cr, {0.2, 0.2, 0.2, 1});
            text_at(cr, kLeft - 6, y + 4, std::to_string(static_cast<int>(db)), 1.0);
        }
        for (double t = 0.0; seconds > 0.0 && t <= seconds + 1e-9; t += step) {
            const double x = std::floor(kLeft + plot_w * (t / seconds)) + 0.5;
            cairo_set_source_rgba(cr, 0.3, 0.3, 0.3, 0.25);
            cairo_move_to(cr, x, y0);
            cairo_line_to(cr, x, y0 + kLevelsPanelHeight);
            cairo_stroke(cr);
        }
        p.line(out, &Column::peak_db, kOutPeak);
        p.line(out, &Column::rms_db, kOutRms);
        p.clip_marks(out);

        colour(cr, {0.2, 0.2, 0.2, 1});
        cairo_set_line_width(cr, 1.0);
        cairo_rectangle(cr, kLeft - 0.5, y0 - 0.5, plot_w + 1, kLevelsPanelHeight + 1);
        cairo_stroke(cr);
        text_at(cr, kLeft, y0 - 8, channel_name(c, channels) + " (dBFS; red: samples at full scale)", 0.0);
    }

    // The time axis under the last panel.
    const int axis_y = kTop + channels * kLevelsPanelHeight + (channels - 1) * kGap;
    colour(cr, {0.2, 0.2, 0.2, 1});
    for (double t = 0.0; seconds > 0.0 && t <= seconds + 1e-9; t += step) {
        const double x = std::floor(kLeft + plot_w * (t / seconds)) + 0.5;
        cairo_move_to(cr, x, axis_y);
        cairo_line_to(cr, x, axis_y + 5);
        cairo_stroke(cr);
        text_at(cr, x, axis_y + 18, time_label(t, step), 0.5);
    }
    text_at(cr, kLeft + plot_w, axis_y + 36, step >= 60.0 ? "time (min:s)" : "time (s)", 1.0);

    cairo_destroy(cr);
    cairo_surface_flush(surface);
    png_.clear();
    const cairo_status_t st = cairo_surface_write_to_png_stream(surface, append_bytes, &png_);
    cairo_surface_destroy(surface);
    // One picture per run: give back the font caches, so that leak checkers see only our own memory.
    cairo_debug_reset_static_data();
    FcFini();
    if (st != CAIRO_STATUS_SUCCESS) throw CliError(path_, std::string("cannot draw: ") + cairo_status_to_string(st));
}

void LevelsPlot::commit() {
    file_->write_all(png_);
    file_->commit();
}

}  // namespace vemomix_cli
