// EngineState: a DSP engine of all sixteen effects -- format, enabled flags, the published chain
// order, every effect's parameters and history, and the captured levels.  A host may make any
// number; the exports keep one process-wide instance (engine()).
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "effects/amp_mod.h"
#include "effects/chorus.h"
#include "effects/compressor.h"
#include "effects/random.h"
#include "effects/distortion.h"
#include "effects/drift.h"
#include "effects/echo.h"
#include "effects/graphic_eq.h"
#include "effects/denoise.h"
#include "effects/overdrive.h"
#include "effects/phase_invert.h"
#include "effects/phaser.h"
#include "effects/pitch_changer.h"
#include "effects/reverb.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"
#include "settings/effect_types.h"
#include "engine/engine_mutex.h"
#include "engine/levels.h"

namespace vemo {

struct EngineState {
    EngineState();
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // Serialises the control exports (everything but vemomix_change), so that they may come
    // from more than one thread.  A rebuild prepares its buffers under this lock alone and
    // takes `mutex` only to publish them.
    std::recursive_mutex control;
    // Held by every rebuild while it publishes and by vemomix_change while it processes a buffer.
    EngineMutex mutex;

    // Working format, and the format of the last vemomix_init, which only vemomix_set checks
    // (the equaliser's begin moves the working rate, never this).
    int rate = -1;
    int channels = 2;
    int init_rate = 1;
    int init_channels = 0;
    // True from vemomix_init to vemomix_close: the format-sized buffers exist.
    bool initialised = false;

    // Enabled flag per EffectType (index 0 unused); the stage runs only when it is exactly 1.
    std::atomic<uint8_t> enabled[kEffectCount + 1] = {};
    // The first kChainStages types of the chain list, republished on every change of its rows.
    std::atomic<uint8_t> chain[kChainStages] = {};
    // Whether levels are captured (the editor is shown).
    std::atomic<bool> capture_levels{false};

    EqState eq;
    Compressor comp;
    PitchChanger pitch;
    Distortion dist;
    Overdrive odrive;
    AmpMod am;
    Echo echo;
    Drift drift;
    Phaser phaser;
    Denoise denoise;
    Chorus chorus;
    Reverb reverb;
    Wah wah;
    SuperBass bass;
    PhaseInvert invert;
    Vibrato vibrato;

    // This engine's generator: every effect that draws (the equaliser's dither, the
    // reverberation's taps) draws on it in turn, in kEffectOrder.
    Rng rng;

    // Each effect's state struct by EffectType, for the lifecycle table's operations.
    void* effect(int type) const { return is_effect_type(type) ? effects_[type] : nullptr; }

    LevelCapture levels;
    // Bumped after each captured buffer, so the window thread knows when to redraw.
    std::atomic<uint32_t> levels_serial{0};

    // Sees the samples after every stage that ran (the command-line host counts clipping per stage).
    // Not part of the exports; set and cleared under the mutex, which the chain walk holds.
    using StageObserver = void (*)(void* context, int effect_type, const int16_t* samples, int count);
    StageObserver stage_observer = nullptr;
    void* stage_observer_context = nullptr;

private:
    void* effects_[kEffectCount + 1] = {};
};

// The process-wide instance behind the exports.
EngineState& engine();

bool rate_supported(int rate);

// The engine's parts of the exports; each takes the engine mutex itself.
void engine_begin(EngineState& e);
void engine_init(EngineState& e, int rate, int channels);
void engine_datarefresh(EngineState& e);
void engine_close(EngineState& e);
int32_t engine_change(EngineState& e, int16_t* samples, int32_t bytes);

// Replaces the published chain order (rows beyond kChainStages never run).
void engine_publish_chain(EngineState& e, const uint8_t* types, int count);

}  // namespace vemo
