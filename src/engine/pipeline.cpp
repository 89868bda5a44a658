// vemomix_change: slice the host buffer, walk the published chain, capture levels.
#include <algorithm>

#include "engine/engine.h"
#include "engine/fp_guard.h"

namespace vemo {
namespace {

using Stage = void (*)(EngineState&, int16_t*, const StageContext&);

// One entry per EffectType; index 0 is never run.
constexpr Stage kStages[kEffectCount + 1] = {
    nullptr,
    [](EngineState& e, int16_t* p, const StageContext& c) {
        if (rate_supported(c.rate)) eq_process(e.eq, p, c);
    },
    [](EngineState& e, int16_t* p, const StageContext& c) { compressor_process(e.comp, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { pitch_process(e.pitch, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { distortion_process(e.dist, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { overdrive_process(e.odrive, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { am_process(e.am, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { echo_process(e.echo, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { drift_process(e.drift, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { phaser_process(e.phaser, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { denoise_process(e.denoise, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { chorus_process(e.chorus, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { reverb_process(e.reverb, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { wah_process(e.wah, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { bass_process(e.bass, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { invert_process(e.invert, p, c); },
    [](EngineState& e, int16_t* p, const StageContext& c) { vibrato_process(e.vibrato, p, c); },
};

// One host-sized call of at most kMaxFrames frames.
void process_slice(EngineState& e, int16_t* pcm, int frames, float* work) {
    StageContext ctx;
    ctx.rate = e.rate;
    ctx.channels = e.channels;
    ctx.frames = frames;
    ctx.sample_count = frames * e.channels;
    const float p = e.echo.params.echo_feedback;
    ctx.echo_ratio = static_cast<float>((p * 0.25 + 1.0) / (p * 1.3 + 1.0));
    ctx.work = work;

    for (int r = 0; r < kChainStages; ++r) {
        const int t = e.chain[r].load(std::memory_order_relaxed);
        if (!is_effect_type(t) || e.enabled[t].load(std::memory_order_relaxed) != 1) continue;
        kStages[t](e, pcm, ctx);
        if (e.stage_observer) e.stage_observer(e.stage_observer_context, t, pcm, ctx.sample_count);
    }

    if (frames > 0 && e.capture_levels.load(std::memory_order_relaxed)) {
        capture_levels(e.levels, pcm, frames, e.channels);
        e.levels_serial.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace

int32_t engine_change(int16_t* samples, int32_t bytes) {
    EngineState& e = engine();
    if (samples == nullptr || bytes < 2) return bytes;
    std::lock_guard lock(e.mutex);
    if (!e.initialised || e.channels < 1 || e.channels > 2) return bytes;

    DenormalGuard fp_guard;
    alignas(16) float work[kMaxFrames];
    const int channels = e.channels;
    int frames = bytes / 2 / channels;
    // Longer buffers go through as the host would have sliced them itself.
    while (frames > 0) {
        const int n = std::min(frames, kMaxFrames);
        process_slice(e, samples, n, work);
        samples += static_cast<ptrdiff_t>(n) * channels;
        frames -= n;
    }
    return bytes;
}

}  // namespace vemo
