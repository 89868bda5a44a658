#include "engine/lifecycle.h"

#include <new>

#include "engine/engine.h"
#include "settings/param_table.h"

namespace vemo {
namespace {

template <typename T>
T& state(void* fx) {
    return *static_cast<T*>(fx);
}

// The record's values of one effect's rows into its params struct.
void take_rows(int type, const EffectSettings& in, void* params) {
    for (const ParamRow& row : effect_rows(type)) param_to_slot(in, row, params);
}

// An effect's row of the table, from the functions its unit offers (effects/stage.h lists them);
// what it lacks stays null, or takes the common course where the comment says so.
template <EffectType kType, typename T>
constexpr EffectOps ops_for() {
    EffectOps ops;
    ops.state_size = sizeof(T);
    ops.state_align = alignof(T);
    ops.construct = [](void* fx) { new (fx) T(); };
    ops.destroy = [](void* fx) { state<T>(fx).~T(); };
    if constexpr (requires(T& t) { fx_reset(t, 0, 0); })
        ops.reset = [](void* fx, int rate, int channels) { fx_reset(state<T>(fx), rate, channels); };
    if constexpr (requires(T& t) { fx_prepare_clear(t, 0, 0); })
        ops.prepare_clear = [](void* fx, int rate, int channels) { fx_prepare_clear(state<T>(fx), rate, channels); };
    if constexpr (requires(T& t) { fx_clear(t, 0, 0); })
        ops.clear = [](void* fx, int rate, int channels) { fx_clear(state<T>(fx), rate, channels); };
    if constexpr (requires(T& t) { fx_release(t); })
        ops.release = [](void* fx) { fx_release(state<T>(fx)); };
    ops.process = [](void* fx, int16_t* pcm, const StageContext& ctx) { fx_process(state<T>(fx), pcm, ctx); };
    if constexpr (requires(T& t, Rng* g) { t.rng.share(g); })
        ops.draw_from = [](void* fx, Rng* generator) { state<T>(fx).rng.share(generator); };

    constexpr bool has_params = requires(T& t) { t.params; };
    constexpr bool has_configure = requires(T& t) { fx_configure(t, 0, 0); };
    if constexpr (has_params) {
        using Params = decltype(T::params);
        ops.params = [](void* fx) -> void* { return &state<T>(fx).params; };
        if constexpr (requires(const T& t) { fx_report(t); })
            ops.report = [](void* fx, void* buffer) -> const void* {
                using Report = decltype(fx_report(state<T>(fx)));
                static_assert(sizeof(Report) <= kMaxParamsBytes);
                return new (buffer) Report(fx_report(state<T>(fx)));
            };
        else
            ops.report = [](void* fx, void*) -> const void* { return &state<T>(fx).params; };
        // The values to come are the record's, laid over the params as they stand.
        if constexpr (requires(T& t, const Params& p) { fx_prepare_configure(t, p, 0, 0); })
            ops.prepare_configure = [](void* fx, const EffectSettings& next, int rate, int channels) {
                Params values = state<T>(fx).params;
                take_rows(kType, next, &values);
                fx_prepare_configure(state<T>(fx), values, rate, channels);
            };
    }
    // vemomix_set: the effect's own step, else its rows into params and fx_configure.
    if constexpr (requires(T& t, const EffectSettings& in) { fx_take_record(t, in, 0, 0); })
        ops.take_record = [](void* fx, const EffectSettings& in, int rate, int channels) {
            fx_take_record(state<T>(fx), in, rate, channels);
        };
    else
        ops.take_record = [](void* fx, const EffectSettings& in, int rate, int channels) {
            if constexpr (has_params) take_rows(kType, in, &state<T>(fx).params);
            if constexpr (has_configure) fx_configure(state<T>(fx), rate, channels);
        };
    // A live change: the knob's value into params, then fx_take_change, else fx_configure.
    constexpr bool own_change = requires(T& t, const EffectSettings& in) { fx_take_change(t, in, 0, 0, 0); };
    ops.change_configures = !own_change;
    ops.take_change = [](void* fx, const EffectSettings& next, const ParamRow* changed, int rate, int channels) {
        if constexpr (has_params)
            for (const ParamRow& row : effect_rows(kType))
                if (row.role == FieldRole::kParam && (changed == nullptr || &row == changed))
                    param_to_slot(next, row, &state<T>(fx).params);
        if constexpr (own_change)
            fx_take_change(state<T>(fx), next, changed != nullptr ? changed->offset : kEveryField, rate, channels);
        else if constexpr (has_configure)
            fx_configure(state<T>(fx), rate, channels);
    };
    return ops;
}

}  // namespace

const EffectOps kEffectOps[kEffectCount + 1] = {
    {},
    ops_for<kGraphicEq, EqState>(),
    ops_for<kCompressor, Compressor>(),
    ops_for<kPitchChanger, PitchChanger>(),
    ops_for<kDistortion, Distortion>(),
    ops_for<kOverdrive, Overdrive>(),
    ops_for<kAmpMod, AmpMod>(),
    ops_for<kEcho, Echo>(),
    ops_for<kDrift, Drift>(),
    ops_for<kPhaser, Phaser>(),
    ops_for<kDenoise, Denoise>(),
    ops_for<kChorus, Chorus>(),
    ops_for<kReverb, Reverb>(),
    ops_for<kWah, Wah>(),
    ops_for<kSuperBass, SuperBass>(),
    ops_for<kPhaseInvert, PhaseInvert>(),
    ops_for<kVibrato, Vibrato>(),
};

const void* effect_report(void* fx, int type, void* buffer) {
    if (!is_effect_type(type) || kEffectOps[type].report == nullptr) return nullptr;
    return kEffectOps[type].report(fx, buffer);
}

void effect_take_record(void* fx, int type, const EffectSettings& in, int rate, int channels) {
    if (is_effect_type(type)) kEffectOps[type].take_record(fx, in, rate, channels);
}

void effect_take_change(void* fx, int type, const EffectSettings& next, const ParamRow* changed, int rate,
                        int channels) {
    if (is_effect_type(type)) kEffectOps[type].take_change(fx, next, changed, rate, channels);
}

bool change_configures(int type) { return is_effect_type(type) && kEffectOps[type].change_configures; }

const EffectType kEffectOrder[kEffectCount] = {
    kCompressor, kPitchChanger, kDistortion, kOverdrive, kAmpMod, kEcho,        kDrift,   kPhaser,
    kDenoise,    kChorus,       kReverb,     kWah,       kSuperBass, kPhaseInvert, kVibrato, kGraphicEq,
};

}  // namespace vemo
