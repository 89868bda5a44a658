// Every effect's operations, indexed by EffectType: what vemomix_init, vemomix_set,
// vemomix_datarefresh, vemomix_close, vemomix_get, a live change and the chain walk do to it.
// Each row is made by one template from the functions the effect's unit offers under the common
// names (effects/stage.h); an operation an effect does not have is null and the walks skip it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/random.h"
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
    // The state struct's size and alignment, and how one is made and unmade in place.
    size_t state_size = 0;
    size_t state_align = 1;
    void (*construct)(void* fx) = nullptr;
    void (*destroy)(void* fx) = nullptr;
    // fx_reset: defaults for the format, buffers sized for it, history cleared.
    void (*reset)(void* fx, int rate, int channels) = nullptr;
    // fx_prepare_configure, off the engine lock, given the record's values to come.
    void (*prepare_configure)(void* fx, const EffectSettings& next, int rate, int channels) = nullptr;
    // fx_prepare_clear and fx_clear (vemomix_datarefresh), fx_release (vemomix_close).
    void (*prepare_clear)(void* fx, int rate, int channels) = nullptr;
    void (*clear)(void* fx, int rate, int channels) = nullptr;
    void (*release)(void* fx) = nullptr;
    // What vemomix_get reports (a params struct of the effect's type): fx_report made into
    // `buffer`, else the params as stored; null for an effect without parameters.
    const void* (*report)(void* fx, void* buffer) = nullptr;
    // The effect's params struct, which the parameter table's rows address; null for an
    // effect that takes no parameter through the table (the equaliser, phase inversion).
    void* (*params)(void* fx) = nullptr;
    // See effect_take_record and effect_take_change.
    void (*take_record)(void* fx, const EffectSettings& in, int rate, int channels) = nullptr;
    void (*take_change)(void* fx, const EffectSettings& next, const ParamRow* changed, int rate,
                        int channels) = nullptr;
    // Whether a live change configures the effect (it has no fx_take_change of its own).
    bool change_configures = true;
    // One buffer, in place.
    void (*process)(void* fx, int16_t*, const StageContext&) = nullptr;
    // For an effect that draws random numbers (its state has an RngLink `rng`): makes it draw
    // from `generator`, the one its engine shares.  Null for the others.
    void (*draw_from)(void* fx, Rng* generator) = nullptr;
};

extern const EffectOps kEffectOps[kEffectCount + 1];

// What vemomix_get reports of an effect's parameters, made into `buffer` (kMaxParamsBytes,
// aligned for any params) where it is not simply the params as stored; null for an effect
// without parameters.  The caller holds the engine mutex.
const void* effect_report(void* fx, int type, void* buffer);

// vemomix_set's steps for one effect's parameters (its switch aside): the record's values into
// its state, then what depends on them.  prepare_configure ran before, off the engine lock.
void effect_take_record(void* fx, int type, const EffectSettings& in, int rate, int channels);

// A live change, as a knob makes it while audio runs: the values of `changed` (null: every
// parameter of the effect) from `next` into the state, then the rebuild that keeps the
// histories -- the effect's fx_take_change, else fx_configure.  Nothing is allocated: the
// buffers a change could resize are sized for the format.
void effect_take_change(void* fx, int type, const EffectSettings& next, const ParamRow* changed, int rate,
                        int channels);
// Whether a live change configures the effect (and so wants prepare_configure beforehand).
bool change_configures(int type);

// The order every walk over the effects takes: vemomix_init, vemomix_set, vemomix_datarefresh
// and vemomix_close.  No step of one effect reads or writes another's state, with one exception,
// and it fixes every render: the equaliser's dither and the reverberation's taps are drawn from
// the engine's one generator (no other effect draws), so whichever draws first decides both the
// noise and the reflections.  The reverberation draws first -- at vemomix_init its taps, then
// the equaliser its dither; at vemomix_set the same -- and EffectInstance replays exactly that.
// Hence type order with the equaliser moved last; anything else is free to move.
extern const EffectType kEffectOrder[kEffectCount];

}  // namespace vemo
