// Every effect's operations, indexed by EffectType: what vemomix_init, vemomix_set,
// vemomix_datarefresh, vemomix_close, vemomix_get and the chain walk do to it.  An operation
// an effect does not have is null; the walks skip it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/stage.h"
#include "settings/effects.h"
#include "vemosoundmix.h"

namespace vemo {

struct EngineState;

// Room enough for any effect's params struct, for a report made into a buffer.
constexpr size_t kMaxParamsBytes = 64;

struct EffectOps {
    // vemomix_init: defaults for the format, buffers sized for it, history cleared.
    void (*reset)(EngineState&, int rate, int channels) = nullptr;
    // Off the engine lock, before configure: builds what configure will swap in (cleared lines,
    // tables for the record's values), so the lock is held for swaps rather than rebuilds.
    void (*prepare_configure)(EngineState&, const EffectSettings& next, int rate, int channels) = nullptr;
    // New parameter values were just written into params(): derive what depends on them.
    void (*configure)(EngineState&, int rate, int channels) = nullptr;
    // Off the engine lock, before clear: the cleared buffers clear will swap in.
    void (*prepare_clear)(EngineState&, int rate, int channels) = nullptr;
    // vemomix_datarefresh: forget the history, keep every parameter.
    void (*clear)(EngineState&, int rate, int channels) = nullptr;
    // vemomix_close: give back the heap buffers.
    void (*release)(EngineState&) = nullptr;
    // Fills *out (the effect's params type) with what vemomix_get reports, where that is not
    // simply the params as stored.
    void (*report)(const EngineState&, void* out) = nullptr;
    // The effect's params struct, which the parameter table's rows address; null for an
    // effect that takes no parameter through the table (the equaliser, phase inversion).
    void* (*params)(EngineState&) = nullptr;
    // One buffer, in place.
    void (*process)(EngineState&, int16_t*, const StageContext&) = nullptr;
};

extern const EffectOps kEffectOps[kEffectCount + 1];

// The order vemomix_init resets the effects in (the echo comes last, after the equaliser).
// Clearing and releasing walk it too: those steps touch nothing of another effect.
extern const EffectType kInitOrder[kEffectCount];
// The order vemomix_set applies the effects in.
extern const EffectType kSetOrder[kEffectCount];

}  // namespace vemo
