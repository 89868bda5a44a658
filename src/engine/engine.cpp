#include "engine/engine.h"

#include <new>

namespace vemo {

EngineState& engine() {
    // Constructed on first use and never destroyed, so no export can outlive it at unload.
    static EngineState* state = new EngineState();
    return *state;
}

bool rate_supported(int rate) { return eq_rate_supported(rate); }

void engine_begin() {
    EngineState& e = engine();
    std::lock_guard lock(e.mutex);
    e.eq.eq_band_count = 10;
    e.rate = eq_select_table(e.eq, 10, 44100);
    eq_reset(e.eq);
}

void engine_init(int rate, int channels) {
    EngineState& e = engine();
    std::lock_guard lock(e.mutex);
    // 1. format, working and validation copies
    e.rate = e.valid_rate = rate;
    e.channels = e.valid_channels = channels;
    auto off = [&](EffectType t) { e.enabled[t].store(0, std::memory_order_relaxed); };
    // 2..15, in the order later steps rely on
    off(kDenoise), denoise_init(e.denoise, rate, channels);
    off(kDistortion), distortion_init(e.dist, rate, channels);
    off(kOverdrive), overdrive_init(e.odrive, rate, channels);
    off(kReverb), reverb_init(e.reverb, rate, channels);
    off(kCompressor), compressor_init(e.comp, rate, channels);
    off(kAmpMod), am_init(e.am, rate, channels);
    off(kPhaser), phaser_init(e.phaser, rate, channels);
    off(kPitchChanger), pitch_init(e.pitch, rate, channels);
    off(kDrift), drift_init(e.drift, rate, channels);
    off(kChorus), chorus_init(e.chorus, rate, channels);
    off(kWah), wah_init(e.wah, rate, channels);
    off(kSuperBass), bass_init(e.bass, rate, channels);
    off(kPhaseInvert), invert_init(e.invert, rate, channels);
    off(kVibrato), vibrato_init(e.vibrato, rate, channels);
    off(kEcho), off(kGraphicEq);
    // 16. the equaliser only at the rates it has tables for
    if (rate_supported(rate)) {
        e.eq.eq_band_count = 10;
        e.eq.eq_extra_filter.store(0, std::memory_order_relaxed);
        eq_select_table(e.eq, 10, rate);
        eq_reset(e.eq);
        for (int c = 0; c < channels; ++c) {
            eq_set_gain(e.eq, 0.0f, -1, c);
            for (int b = 0; b < 10; ++b) eq_set_gain(e.eq, 0.0f, b, c);
        }
    }
    // 17. echo defaults and its format-sized buffers
    echo_init(e.echo, rate, channels);
    e.initialised = true;
}

void engine_datarefresh() {
    EngineState& e = engine();
    std::lock_guard lock(e.mutex);
    if (!e.initialised || !rate_supported(e.rate)) return;
    pitch_clear(e.pitch, e.rate, e.channels);
    reverb_clear(e.reverb, e.rate, e.channels);
    drift_clear(e.drift, e.rate, e.channels);
    chorus_clear(e.chorus, e.rate, e.channels);
    echo_clear(e.echo, e.rate, e.channels);
    eq_reset(e.eq);
}

void engine_close() {
    EngineState& e = engine();
    std::lock_guard lock(e.mutex);
    echo_release(e.echo);
    overdrive_release(e.odrive);
    drift_release(e.drift);
    chorus_release(e.chorus);
    vibrato_release(e.vibrato);
    for (int t = 1; t <= kEffectCount; ++t)
        if (t != kGraphicEq && t != kEcho) e.enabled[t].store(0, std::memory_order_relaxed);
    e.capture_levels.store(false, std::memory_order_relaxed);
    e.initialised = false;
}

void engine_publish_chain(const uint8_t* types, int count) {
    EngineState& e = engine();
    for (int r = 0; r < kChainStages; ++r)
        e.chain[r].store(r < count ? types[r] : 0, std::memory_order_relaxed);
}

}  // namespace vemo
