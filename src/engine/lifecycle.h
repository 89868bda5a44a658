// Every effect's operations, indexed by EffectType: what vemomix_init, vemomix_set,
// vemomix_datarefresh, vemomix_close, vemomix_get and the chain walk do to it.  An operation
// an effect does not have is null; the walks skip it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/stage.h"
#include "settings/effect_types.h"
#include "vemosoundmix.h"

namespace vemo {

struct ParamRow;

// Room enough for any effect's params struct, for a report made into a buffer.
constexpr size_t kMaxParamsBytes = 64;

// The operations work on one effect's state struct (the type its unit names: Compressor, Reverb,
// EqState, ...), wherever it lives: in an engine of all sixteen, or alone in an EffectInstance.
struct EffectOps {
    // The state struct's size and alignment, and how one is made and unmade in place (phase
    // inversion has none: size 0, and its operations take a null pointer).
    size_t state_size = 0;
    size_t state_align = 1;
    void (*construct)(void* fx) = nullptr;
    void (*destroy)(void* fx) = nullptr;
    // vemomix_init: defaults for the format, buffers sized for it, history cleared.
    void (*reset)(void* fx, int rate, int channels) = nullptr;
    // Off the engine lock, before configure: builds what configure will swap in (cleared lines,
    // tables for the record's values), so the lock is held for swaps rather than rebuilds.
    void (*prepare_configure)(void* fx, const EffectSettings& next, int rate, int channels) = nullptr;
    // New parameter values were just written into params(): derive what depends on them.
    void (*configure)(void* fx, int rate, int channels) = nullptr;
    // Off the engine lock, before clear: the cleared buffers clear will swap in.
    void (*prepare_clear)(void* fx, int rate, int channels) = nullptr;
    // vemomix_datarefresh: forget the history, keep every parameter.
    void (*clear)(void* fx, int rate, int channels) = nullptr;
    // vemomix_close: give back the heap buffers.
    void (*release)(void* fx) = nullptr;
    // Fills *out (the effect's params type) with what vemomix_get reports, where that is not
    // simply the params as stored.
    void (*report)(const void* fx, void* out) = nullptr;
    // The effect's params struct, which the parameter table's rows address; null for an
    // effect that takes no parameter through the table (the equaliser, phase inversion).
    void* (*params)(void* fx) = nullptr;
    // One buffer, in place.
    void (*process)(void* fx, int16_t*, const StageContext&) = nullptr;
};

extern const EffectOps kEffectOps[kEffectCount + 1];

// What vemomix_get reports of an effect's parameters (a params struct of its type): its report,
// made into `buffer` (kMaxParamsBytes, aligned for any params), or its params as stored; null
// for an effect without parameters.  The caller holds the engine mutex.
const void* effect_report(void* fx, int type, void* buffer);

// vemomix_set's steps for one effect's parameters (its switch aside): the record's values into
// its state, then what depends on them.  prepare_configure ran before, off the engine lock.
void effect_take_record(void* fx, int type, const EffectSettings& in, int rate, int channels);

// A live change, as a knob makes it while audio runs: the values of `changed` (null: every
// parameter of the effect) from `next` into the state, then the rebuild that keeps the
// histories -- the equaliser sets its gains (a new band count lays it out afresh), drift and
// chorus read their parameters as they are, the reverberation redraws its taps for a distance
// or sets its gains for a level, the others configure.  Nothing is allocated: the buffers a
// change could resize are sized for the format.
void effect_take_change(void* fx, int type, const EffectSettings& next, const ParamRow* changed, int rate,
                        int channels);
// Whether a live change configures the effect (and so wants prepare_configure beforehand).
bool change_configures(int type);

// The order vemomix_init resets the effects in (the echo comes last, after the equaliser).
// Clearing and releasing walk it too: those steps touch nothing of another effect.
extern const EffectType kInitOrder[kEffectCount];
// The order vemomix_set applies the effects in.
extern const EffectType kSetOrder[kEffectCount];

}  // namespace vemo
