// vemomix_change: slice the host buffer, walk the published chain, capture levels.
#include "engine/engine.h"
#include "engine/fp_guard.h"
#include "engine/lifecycle.h"

namespace vemo {
namespace {

// One host-sized call of at most kMaxFrames frames.
void process_slice(EngineState& e, int16_t* pcm, const StageContext& ctx) {
    for (int r = 0; r < kChainStages; ++r) {
        const int t = e.chain[r].load(std::memory_order_relaxed);
        if (!is_effect_type(t) || e.enabled[t].load(std::memory_order_relaxed) != 1) continue;
        kEffectOps[t].process(e.effect(t), pcm, ctx);
        if (e.stage_observer) e.stage_observer(e.stage_observer_context, t, pcm, ctx.sample_count);
    }

    if (e.capture_levels.load(std::memory_order_relaxed)) {
        capture_levels(e.levels, pcm, ctx.frames, e.channels);
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
    for_each_slice(samples, bytes / 2 / e.channels, e.rate, e.channels, work,
                   [&e](int16_t* pcm, const StageContext& ctx) { process_slice(e, pcm, ctx); });
    return bytes;
}

}  // namespace vemo
