#include "host.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "cli_error.h"
#include "engine/engine.h"
#include "record_json.h"

namespace vemomix_cli {
namespace {

// Redrawn only when the shown figure changes, so a small --buffer does not flood the terminal.
class ProgressBar {
public:
    explicit ProgressBar(int64_t total) : total_(total), shown_(total > 0 && isatty(STDERR_FILENO)) {}
    ~ProgressBar() {
        if (shown_ && drawn_ >= 0) std::fputc('\n', stderr);
    }

    void update(int64_t done) {
        if (!shown_) return;
        const int permille = static_cast<int>(std::min<int64_t>(1000, done * 1000 / total_));
        if (permille == drawn_) return;
        drawn_ = permille;
        constexpr int kWidth = 40;
        char bar[kWidth + 1];
        const int filled = permille * kWidth / 1000;
        for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
        bar[kWidth] = '\0';
        std::fprintf(stderr, "\r[%s] %5.1f%%", bar, permille / 10.0);
        std::fflush(stderr);
    }

private:
    int64_t total_;
    bool shown_;
    int drawn_ = -1;
};

double to_dbfs(double amplitude) { return amplitude > 0.0 ? 20.0 * std::log10(amplitude / 32768.0) : -INFINITY; }

}  // namespace

bool supported_rate(int rate) { return rate == 11025 || rate == 22050 || rate == 44100 || rate == 48000; }

void check_format(int rate, int channels, const std::string& source) {
    if (channels != 1 && channels != 2)
        throw CliError(source, "unsupported channel count " + std::to_string(channels) + " (mono or stereo only)");
    if (!supported_rate(rate))
        throw CliError(source, "unsupported sample rate " + std::to_string(rate) +
                                   " Hz (the effects run at 11025, 22050, 44100 or 48000 Hz)");
}

LibrarySession::LibrarySession(int rate, int channels) {
    vemomix_begin();
    vemomix_init(rate, channels, 0);
}

LibrarySession::~LibrarySession() { vemomix_close(); }

EffectSettings LibrarySession::current() const {
    // vemomix_get writes only as many chain bytes as there are rows: the rest must already be 0.
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    return s;
}

void LibrarySession::apply(const EffectSettings& s) const { vemomix_set(s); }

EffectSettings default_record() {
    EffectSettings s = LibrarySession(44100, 2).current();
    clear_reserved(s);
    std::memset(s.eq_preset_name, 0, sizeof s.eq_preset_name);
    return s;
}

void Levels::add(const int16_t* s, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const int v = s[i];
        peak = std::max(peak, std::abs(v));
        sum_squares += static_cast<double>(v) * v;
        full_scale += v == 32767 || v == -32768;
    }
    samples += static_cast<int64_t>(n);
}

double Levels::peak_dbfs() const { return to_dbfs(peak); }

double Levels::rms_dbfs() const { return samples ? to_dbfs(std::sqrt(sum_squares / samples)) : -INFINITY; }

RenderStats run_buffers(int channels, int buffer_frames, int64_t total_frames, const FrameSource& source,
                        const FrameSink& sink, const ChangeHook& after_change, const BufferHook& buffers) {
    std::vector<int16_t> buf(static_cast<size_t>(buffer_frames) * static_cast<size_t>(channels));
    ProgressBar progress(total_frames);
    RenderStats stats;
    for (;;) {
        const int64_t n = source(buf.data(), buffer_frames);
        if (n <= 0) break;
        const size_t samples = static_cast<size_t>(n) * static_cast<size_t>(channels);
        stats.in.add(buf.data(), samples);
        if (buffers) buffers(buf.data(), n, false);
        vemomix_change(buf.data(), static_cast<int32_t>(samples * sizeof(int16_t)));
        stats.out.add(buf.data(), samples);
        if (buffers) buffers(buf.data(), n, true);
        stats.frames += n;
        if (after_change) after_change(stats.frames);
        sink(buf.data(), n);
        progress.update(stats.frames);
    }
    return stats;
}

StageClipCounter::StageClipCounter() {
    vemo::EngineState& e = vemo::engine();
    std::lock_guard lock(e.mutex);
    e.stage_observer_context = this;
    e.stage_observer = &StageClipCounter::observe;
}

StageClipCounter::~StageClipCounter() {
    vemo::EngineState& e = vemo::engine();
    std::lock_guard lock(e.mutex);
    e.stage_observer = nullptr;
    e.stage_observer_context = nullptr;
}

void StageClipCounter::observe(void* self, int type, const int16_t* samples, int count) {
    int64_t n = 0;
    for (int i = 0; i < count; ++i) n += samples[i] == 32767 || samples[i] == -32768;
    static_cast<StageClipCounter*>(self)->counts_[type] += n;
}

}  // namespace vemomix_cli
