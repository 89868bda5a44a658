#include "engine/engine.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "engine/lifecycle.h"

namespace vemo {

EngineState::EngineState() {
    void* const states[kEffectCount + 1] = {nullptr, &eq,      &comp,  &pitch,  &dist,   &odrive, &am,
                                            &echo,   &drift,   &phaser, &denoise, &chorus, &reverb, &wah,
                                            &bass,   &invert,  &vibrato};
    std::copy(std::begin(states), std::end(states), effects_);
    for (int t = 1; t <= kEffectCount; ++t)
        if (kEffectOps[t].draw_from) kEffectOps[t].draw_from(effects_[t], &rng);
}

EngineState& engine() {
    // Constructed on first use and never destroyed, so no export can outlive it at unload.
    static EngineState* state = new EngineState();
    return *state;
}

bool rate_supported(int rate) { return eq_rate_supported(rate); }

void engine_begin(EngineState& e) {
    std::lock_guard lock(e.mutex);
    e.eq.eq_band_count = 10;
    e.rate = eq_select_table(e.eq, 10, 44100);
    eq_reset(e.eq);
}

void engine_init(EngineState& e, int rate, int channels) {
    std::lock_guard lock(e.mutex);
    e.rate = e.init_rate = rate;
    e.channels = e.init_channels = channels;
    for (const EffectType t : kEffectOrder) {
        e.enabled[t].store(0, std::memory_order_relaxed);
        if (kEffectOps[t].reset) kEffectOps[t].reset(e.effect(t), rate, channels);
    }
    e.initialised = true;
}

void engine_datarefresh(EngineState& e) {
    // Format and state change only under the control lock, which the caller holds.
    if (!e.initialised || !rate_supported(e.rate)) return;
    for (const EffectType t : kEffectOrder)
        if (kEffectOps[t].prepare_clear) kEffectOps[t].prepare_clear(e.effect(t), e.rate, e.channels);
    std::lock_guard lock(e.mutex);
    for (const EffectType t : kEffectOrder)
        if (kEffectOps[t].clear) kEffectOps[t].clear(e.effect(t), e.rate, e.channels);
}

void engine_close(EngineState& e) {
    std::lock_guard lock(e.mutex);
    for (const EffectType t : kEffectOrder) {
        if (kEffectOps[t].release) kEffectOps[t].release(e.effect(t));
        // The equaliser and the echo keep their switches for the next session.
        if (t != kGraphicEq && t != kEcho) e.enabled[t].store(0, std::memory_order_relaxed);
    }
    e.capture_levels.store(false, std::memory_order_relaxed);
    e.initialised = false;
}

void engine_publish_chain(EngineState& e, const uint8_t* types, int count) {
    for (int r = 0; r < kChainStages; ++r)
        e.chain[r].store(r < count ? types[r] : 0, std::memory_order_relaxed);
}

}  // namespace vemo
