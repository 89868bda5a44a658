// vemomix_change: slice the host buffer, walk the published chain, capture levels.
#include <algorithm>

#include "engine/engine.h"
#include "engine/fp_guard.h"
#include "engine/lifecycle.h"

namespace vemo {
namespace {

// One host-sized call of at most kMaxFrames frames.
void process_slice(EngineState& e, int16_t* pcm, int frames, float* work) {
    StageContext ctx;
    ctx.rate = e.rate;
    ctx.channels = e.channels;
    ctx.frames = frames;
    ctx.sample_count = frames * e.channels;
    ctx.work = work;

    for (int r = 0; r < kChainStages; ++r) {
        const int t = e.chain[r].load(std::memory_order_relaxed);
        if (!is_effect_type(t) || e.enabled[t].load(std::memory_order_relaxed) != 1) continue;
        kEffectOps[t].process(e.effect(t), pcm, ctx);
        if (e.stage_observer) e.stage_observer(e.stage_observer_context, t, pcm, ctx.sample_count);
    }

    if (frames > 0 && e.capture_levels.load(std::memory_order_relaxed)) {
        capture_levels(e.levels, pcm, frames, e.channels);
        e.levels_serial.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace

int32_t engine_change(EngineState& e, int16_t* samples, int32_t bytes) {
    if (samples == nullptr || bytes < 2) return bytes;
    AudioLock lock(e.mutex);
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
