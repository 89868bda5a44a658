#include "engine/lifecycle.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "engine/engine.h"
#include "settings/param_table.h"

namespace vemo {
namespace {

// The state struct an effect unit's function works on: the type of its first parameter.
template <typename F>
struct StateArg;
template <typename R, typename A, typename... Rest>
struct StateArg<R (*)(A&, Rest...)> {
    using type = std::remove_const_t<A>;
};
template <auto F>
using StateOf = typename StateArg<decltype(F)>::type;

template <typename T>
void construct(void* fx) {
    new (fx) T();
}
template <typename T>
void destroy(void* fx) {
    static_cast<T*>(fx)->~T();
}

// Adapters from an effect unit's functions to the table's signatures.
template <auto F>
void on_format(void* fx, int rate, int channels) {
    F(*static_cast<StateOf<F>*>(fx), rate, channels);
}
template <auto F>
void on_release(void* fx) {
    F(*static_cast<StateOf<F>*>(fx));
}
template <auto F>
void on_report(const void* fx, void* out) {
    using Report = decltype(F(*static_cast<const StateOf<F>*>(fx)));
    static_assert(sizeof(Report) <= kMaxParamsBytes);
    *static_cast<Report*>(out) = F(*static_cast<const StateOf<F>*>(fx));
}
template <typename T>
void* params_of(void* fx) {
    return &static_cast<T*>(fx)->params;
}
template <auto F>
void on_buffer(void* fx, int16_t* pcm, const StageContext& ctx) {
    F(*static_cast<StateOf<F>*>(fx), pcm, ctx);
}
template <auto F>
void on_prepare(void* fx, const EffectSettings&, int rate, int channels) {
    F(*static_cast<StateOf<F>*>(fx), rate, channels);
}

// The vibrato's table depends on the record's depth: the table is made for the values to come.
void vibrato_prepare_for(void* fx, const EffectSettings& next, int rate, int channels) {
    Vibrato& v = *static_cast<Vibrato*>(fx);
    VibratoParams params = v.params;
    for (const ParamRow& row : effect_rows(kVibrato)) param_to_slot(next, row, &params);
    vibrato_prepare(v, params, rate, channels);
}
void echo_prepare_for_clear(void* fx, int, int) { echo_prepare_clear(*static_cast<Echo*>(fx)); }

// The equaliser has tables for four rates only; elsewhere it neither resets nor runs.
void eq_reset_for_format(void* fx, int rate, int channels) {
    if (!rate_supported(rate)) return;
    EqState& eq = *static_cast<EqState*>(fx);
    eq.eq_band_count = 10;
    eq.eq_extra_filter.store(0, std::memory_order_relaxed);
    eq_select_table(eq, 10, rate);
    eq_reset(eq);
    for (int c = 0; c < channels; ++c) {
        eq_set_gain(eq, 0.0f, -1, c);
        for (int b = 0; b < 10; ++b) eq_set_gain(eq, 0.0f, b, c);
    }
}
void eq_clear(void* fx, int, int) { eq_reset(*static_cast<EqState*>(fx)); }
void eq_buffer(void* fx, int16_t* pcm, const StageContext& ctx) {
    if (rate_supported(ctx.rate)) eq_process(*static_cast<EqState*>(fx), pcm, ctx);
}
void invert_buffer(void*, int16_t* pcm, const StageContext& ctx) { invert_process(pcm, ctx); }

// The equaliser's levels and option from a record, for the bands its count lays out.
void eq_take_levels(EqState& eq, const EffectSettings& in, int channels) {
    eq.eq_extra_filter.store(in.eq_extra_filter, std::memory_order_relaxed);
    // Only 31 bands exist, whatever the record claims.
    const int bands = std::clamp(in.eq_band_count, 0, kEqMaxBands);
    for (int b = 0; b < bands; ++b)
        for (int c = 0; c < channels; ++c) eq_set_gain(eq, static_cast<float>(in.eq_band_level[b]), b, c);
    for (int c = 0; c < channels; ++c)
        eq_set_gain(eq, static_cast<float>((static_cast<double>(in.eq_preamp_pos) - 12) * 1.5), -1, c);
}

// The equaliser's steps: a new band count resets every gain, then the record's levels apply.
void eq_take_record(EqState& eq, const EffectSettings& in, int rate, int channels) {
    eq_set_band_count(eq, in.eq_band_count, rate, channels);
    eq_take_levels(eq, in, channels);
}

}  // namespace

#define STATE(T) .state_size = sizeof(T), .state_align = alignof(T), .construct = construct<T>, .destroy = destroy<T>
// clang-format off
const EffectOps kEffectOps[kEffectCount + 1] = {
    {},
    /* kGraphicEq */ {STATE(EqState),
        .reset = eq_reset_for_format, .clear = eq_clear, .process = eq_buffer},
    /* kCompressor */ {STATE(Compressor),
        .reset = on_format<compressor_init>,
                       .configure = on_format<compressor_configure>,
                       .params = params_of<Compressor>, .process = on_buffer<compressor_process>},
    /* kPitchChanger */ {STATE(PitchChanger),
        .reset = on_format<pitch_init>,
                         .configure = on_format<pitch_configure>,
                         .clear = on_format<pitch_clear>,
                         .params = params_of<PitchChanger>, .process = on_buffer<pitch_process>},
    /* kDistortion */ {STATE(Distortion),
        .reset = on_format<distortion_init>,
                       .configure = on_format<distortion_configure>,
                       .params = params_of<Distortion>, .process = on_buffer<distortion_process>},
    /* kOverdrive */ {STATE(Overdrive),
        .reset = on_format<overdrive_init>,
                      .configure = on_format<overdrive_configure>,
                      .params = params_of<Overdrive>, .process = on_buffer<overdrive_process>},
    /* kAmpMod */ {STATE(AmpMod),
        .reset = on_format<am_init>, .params = params_of<AmpMod>,
                   .process = on_buffer<am_process>},
    /* kEcho */ {STATE(Echo),
        .reset = on_format<echo_init>, .configure = on_format<echo_configure>,
                 .prepare_clear = echo_prepare_for_clear, .clear = on_format<echo_clear>,
                 .release = on_release<echo_release>, .params = params_of<Echo>,
                 .process = on_buffer<echo_process>},
    /* kDrift */ {STATE(Drift),
        .reset = on_format<drift_init>,
                  .prepare_configure = on_prepare<drift_prepare>,
                  .configure = on_format<drift_configure>,
                  .prepare_clear = on_format<drift_prepare>,
                  .clear = on_format<drift_clear>, .release = on_release<drift_release>,
                  .params = params_of<Drift>, .process = on_buffer<drift_process>},
    /* kPhaser */ {STATE(Phaser),
        .reset = on_format<phaser_init>, .configure = on_format<phaser_configure>,
                   .report = on_report<phaser_report>, .params = params_of<Phaser>,
                   .process = on_buffer<phaser_process>},
    /* kDenoise */ {STATE(Denoise),
        .reset = on_format<denoise_init>, .params = params_of<Denoise>,
                    .process = on_buffer<denoise_process>},
    /* kChorus */ {STATE(Chorus),
        .reset = on_format<chorus_init>,
                   .prepare_configure = on_prepare<chorus_prepare>,
                   .configure = on_format<chorus_configure>,
                   .prepare_clear = on_format<chorus_prepare>,
                   .clear = on_format<chorus_clear>, .release = on_release<chorus_release>,
                   .params = params_of<Chorus>, .process = on_buffer<chorus_process>},
    /* kReverb */ {STATE(Reverb),
        .reset = on_format<reverb_init>,
                   .prepare_configure = on_prepare<reverb_prepare>,
                   .configure = on_format<reverb_configure>,
                   .prepare_clear = on_format<reverb_prepare>,
                   .clear = on_format<reverb_clear>, .report = on_report<reverb_report>,
                   .params = params_of<Reverb>, .process = on_buffer<reverb_process>},
    /* kWah */ {STATE(Wah),
        .reset = on_format<wah_init>, .configure = on_format<wah_configure>,
                .params = params_of<Wah>, .process = on_buffer<wah_process>},
    /* kSuperBass */ {STATE(SuperBass),
        .reset = on_format<bass_init>, .configure = on_format<bass_configure>,
                      .params = params_of<SuperBass>, .process = on_buffer<bass_process>},
    /* kPhaseInvert */ {.process = invert_buffer},
    /* kVibrato */ {STATE(Vibrato),
        .reset = on_format<vibrato_init>, .prepare_configure = vibrato_prepare_for,
                    .configure = on_format<vibrato_configure>,
                    .release = on_release<vibrato_release>, .params = params_of<Vibrato>,
                    .process = on_buffer<vibrato_process>},
};
// clang-format on
#undef STATE

const void* effect_report(void* fx, int type, void* buffer) {
    if (!is_effect_type(type)) return nullptr;
    const EffectOps& ops = kEffectOps[type];
    if (ops.report) {
        ops.report(fx, buffer);
        return buffer;
    }
    return ops.params ? ops.params(fx) : nullptr;
}

void effect_take_record(void* fx, int type, const EffectSettings& in, int rate, int channels) {
    if (type == kGraphicEq) {
        eq_take_record(*static_cast<EqState*>(fx), in, rate, channels);
        return;
    }
    if (!is_effect_type(type)) return;
    const EffectOps& ops = kEffectOps[type];
    if (ops.params)
        for (const ParamRow& row : effect_rows(type)) param_to_slot(in, row, ops.params(fx));
    if (ops.configure) ops.configure(fx, rate, channels);
}

bool change_configures(int type) { return type != kDrift && type != kChorus && type != kReverb; }

void effect_take_change(void* fx, int type, const EffectSettings& next, const ParamRow* changed, int rate,
                        int channels) {
    if (type == kGraphicEq) {
        // A new band count lays the bands out afresh; levels and the option only set gains.
        EqState& eq = *static_cast<EqState*>(fx);
        if (next.eq_band_count != eq.eq_band_count)
            eq_take_record(eq, next, rate, channels);
        else
            eq_take_levels(eq, next, channels);
        return;
    }
    if (!is_effect_type(type)) return;
    const EffectOps& ops = kEffectOps[type];
    if (ops.params)
        for (const ParamRow& row : effect_rows(type))
            if (row.role == FieldRole::kParam && (changed == nullptr || &row == changed))
                param_to_slot(next, row, ops.params(fx));
    if (type == kReverb) {
        Reverb& r = *static_cast<Reverb*>(fx);
        // The two levels only set gains; every other field moves the taps.
        const bool level = changed != nullptr && (changed->offset == offsetof(EffectSettings, reverb_feedback_db) ||
                                                  changed->offset == offsetof(EffectSettings, reverb_wet_db));
        if (level || changed == nullptr) reverb_set_levels(r);
        if (!level) reverb_redraw_taps(r, rate);
    } else if (change_configures(type) && ops.configure) {
        ops.configure(fx, rate, channels);
    }
}

const EffectType kInitOrder[kEffectCount] = {
    kDenoise, kDistortion, kOverdrive, kReverb, kCompressor, kAmpMod,      kPhaser,  kPitchChanger,
    kDrift,   kChorus,     kWah,       kSuperBass, kPhaseInvert, kVibrato, kGraphicEq, kEcho,
};

const EffectType kSetOrder[kEffectCount] = {
    kDenoise, kDistortion, kOverdrive, kReverb,    kCompressor,  kAmpMod,  kPhaser,   kPitchChanger,
    kDrift,   kChorus,     kEcho,      kWah,       kSuperBass,   kPhaseInvert, kVibrato, kGraphicEq,
};

}  // namespace vemo
