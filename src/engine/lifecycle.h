// Every effect's operations, indexed by EffectType: what vemomix_init, vemomix_set,
// vemomix_datarefresh, vemomix_close, vemomix_get and the chain walk do to it.  An operation
// an effect does not have is null; the walks skip it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/stage.h"
#include "settings/effects.h"

namespace vemo {

struct EngineState;

// Room enough for any effect's params struct, for a report made into a buffer.
constexpr size_t kMaxParamsBytes = 64;

struct EffectOps {
    // vemomix_init: defaults for the format, buffers sized for it, history cleared.
    void (*reset)(EngineState&, int rate, int channels);
    // New parameter values were just written into params(): derive what depends on them.
    void (*configure)(EngineState&, int rate, int channels);
    // vemomix_datarefresh: forget the history, keep every parameter.
    void (*clear)(EngineState&, int rate, int channels);
    // vemomix_close: give back the heap buffers.
    void (*release)(EngineState&);
    // Fills *out (the effect's params type) with what vemomix_get reports, where that is not
    // simply the params as stored.
    void (*report)(const EngineState&, void* out);
    // The effect's params struct, which the parameter table's rows address; null for an
    // effect that takes no parameter through the table (the equaliser, phase inversion).
    void* (*params)(EngineState&);
    // One buffer, in place.
    void (*process)(EngineState&, int16_t*, const StageContext&);
};

extern const EffectOps kEffectOps[kEffectCount + 1];

// The order vemomix_init resets the effects in (the echo comes last, after the equaliser).
// Clearing and releasing walk it too: those steps touch nothing of another effect.
extern const EffectType kInitOrder[kEffectCount];
// The order vemomix_set applies the effects in.
extern const EffectType kSetOrder[kEffectCount];

}  // namespace vemo
