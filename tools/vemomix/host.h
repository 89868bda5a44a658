// Driving the library as a host does: begin, init, set, and change per buffer.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "vemosoundmix.h"

namespace vemomix_cli {

// Rates at which the library applies a settings record (it ignores records at any other rate).
bool supported_rate(int rate);
// Throws naming source unless the library can run this format with a record.
void check_format(int rate, int channels, const std::string& source);

// One library session: begun and initialised for a format, closed when it goes out of scope.
class LibrarySession {
public:
    LibrarySession(int rate, int channels);
    ~LibrarySession();
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    // What vemomix_get reports, read into a cleared record.
    EffectSettings current() const;
    void apply(const EffectSettings& s) const;
};

// The values vemomix_get reports right after vemomix_init(44100, 2, 0); the bytes that no field defines
// and the preset name's bytes after its terminator are 0.
EffectSettings default_record();

// Peak and RMS of 16-bit samples, relative to full scale, and how many sat at full scale (32767 or -32768).
struct Levels {
    int peak = 0;
    double sum_squares = 0.0;
    int64_t samples = 0;
    int64_t full_scale = 0;

    void add(const int16_t* s, size_t n);
    double peak_dbfs() const;
    double rms_dbfs() const;
};

struct RenderStats {
    int64_t frames = 0;
    Levels in, out;
};

// Up to max_frames frames into the buffer; returns how many, 0 at the end.
using FrameSource = std::function<int64_t(int16_t*, int64_t)>;
using FrameSink = std::function<void(const int16_t*, int64_t)>;
// Called right after each vemomix_change with the number of frames processed so far.
using ChangeHook = std::function<void(int64_t)>;
// Sees each buffer before (output false) and after (output true) vemomix_change.
using BufferHook = std::function<void(const int16_t*, int64_t frames, bool output)>;

// Feeds every buffer of buffer_frames frames through vemomix_change of an initialised session. The progress
// bar is drawn on stderr when stderr is a terminal and total_frames is known (> 0).
RenderStats run_buffers(int channels, int buffer_frames, int64_t total_frames, const FrameSource& source,
                        const FrameSink& sink, const ChangeHook& after_change = nullptr,
                        const BufferHook& buffers = nullptr);

// Counts, while it exists, the samples at full scale after every stage the chain walk runs, per effect.
class StageClipCounter {
public:
    StageClipCounter();
    ~StageClipCounter();
    StageClipCounter(const StageClipCounter&) = delete;
    StageClipCounter& operator=(const StageClipCounter&) = delete;

    // By EffectType 1..16.
    int64_t at_full_scale(int type) const { return counts_[type]; }

private:
    static void observe(void* self, int type, const int16_t* samples, int count);
    int64_t counts_[17] = {};
};

}  // namespace vemomix_cli
