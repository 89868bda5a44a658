#include "engine/lifecycle.h"

#include "engine/engine.h"
#include "settings/param_table.h"

namespace vemo {
namespace {

// Adapters from an effect unit's functions to the engine-wide signatures.
template <auto Member, auto F>
void on_format(EngineState& e, int rate, int channels) {
    F(e.*Member, rate, channels);
}
template <auto Member, auto F>
void on_release(EngineState& e) {
    F(e.*Member);
}
template <auto Member, auto F>
void on_report(const EngineState& e, void* out) {
    static_assert(sizeof(decltype(F(e.*Member))) <= kMaxParamsBytes);
    *static_cast<decltype(F(e.*Member))*>(out) = F(e.*Member);
}
template <auto Member>
void* params_of(EngineState& e) {
    return &(e.*Member).params;
}
template <auto Member, auto F>
void on_buffer(EngineState& e, int16_t* pcm, const StageContext& ctx) {
    F(e.*Member, pcm, ctx);
}

template <auto Member, auto F>
void on_prepare(EngineState& e, const EffectSettings&, int rate, int channels) {
    F(e.*Member, rate, channels);
}
template <auto Member, auto F>
void on_prepare_clear(EngineState& e, int rate, int channels) {
    F(e.*Member, rate, channels);
}
// The vibrato's table depends on the record's depth: the table is made for the values to come.
void vibrato_prepare_for(EngineState& e, const EffectSettings& next, int rate, int channels) {
    VibratoParams params = e.vibrato.params;
    for (const ParamRow& row : effect_rows(kVibrato)) param_to_slot(next, row, &params);
    vibrato_prepare(e.vibrato, params, rate, channels);
}
void echo_prepare_for_clear(EngineState& e, int, int) { echo_prepare_clear(e.echo); }

// The equaliser has tables for four rates only; elsewhere it neither resets nor runs.
void eq_reset_for_format(EngineState& e, int rate, int channels) {
    if (!rate_supported(rate)) return;
    e.eq.eq_band_count = 10;
    e.eq.eq_extra_filter.store(0, std::memory_order_relaxed);
    eq_select_table(e.eq, 10, rate);
    eq_reset(e.eq);
    for (int c = 0; c < channels; ++c) {
        eq_set_gain(e.eq, 0.0f, -1, c);
        for (int b = 0; b < 10; ++b) eq_set_gain(e.eq, 0.0f, b, c);
    }
}
void eq_clear(EngineState& e, int, int) { eq_reset(e.eq); }
void eq_buffer(EngineState& e, int16_t* pcm, const StageContext& ctx) {
    if (rate_supported(ctx.rate)) eq_process(e.eq, pcm, ctx);
}
void invert_buffer(EngineState&, int16_t* pcm, const StageContext& ctx) { invert_process(pcm, ctx); }

using E = EngineState;

}  // namespace

// clang-format off
const EffectOps kEffectOps[kEffectCount + 1] = {
    {},
    /* kGraphicEq */ {.reset = eq_reset_for_format, .clear = eq_clear, .process = eq_buffer},
    /* kCompressor */ {.reset = on_format<&E::comp, compressor_init>,
                       .configure = on_format<&E::comp, compressor_configure>,
                       .params = params_of<&E::comp>, .process = on_buffer<&E::comp, compressor_process>},
    /* kPitchChanger */ {.reset = on_format<&E::pitch, pitch_init>,
                         .configure = on_format<&E::pitch, pitch_configure>,
                         .clear = on_format<&E::pitch, pitch_clear>,
                         .params = params_of<&E::pitch>, .process = on_buffer<&E::pitch, pitch_process>},
    /* kDistortion */ {.reset = on_format<&E::dist, distortion_init>,
                       .configure = on_format<&E::dist, distortion_configure>,
                       .params = params_of<&E::dist>, .process = on_buffer<&E::dist, distortion_process>},
    /* kOverdrive */ {.reset = on_format<&E::odrive, overdrive_init>,
                      .configure = on_format<&E::odrive, overdrive_configure>,
                      .params = params_of<&E::odrive>, .process = on_buffer<&E::odrive, overdrive_process>},
    /* kAmpMod */ {.reset = on_format<&E::am, am_init>, .params = params_of<&E::am>,
                   .process = on_buffer<&E::am, am_process>},
    /* kEcho */ {.reset = on_format<&E::echo, echo_init>, .configure = on_format<&E::echo, echo_configure>,
                 .prepare_clear = echo_prepare_for_clear, .clear = on_format<&E::echo, echo_clear>,
                 .release = on_release<&E::echo, echo_release>, .params = params_of<&E::echo>,
                 .process = on_buffer<&E::echo, echo_process>},
    /* kDrift */ {.reset = on_format<&E::drift, drift_init>,
                  .prepare_configure = on_prepare<&E::drift, drift_prepare>,
                  .configure = on_format<&E::drift, drift_configure>,
                  .prepare_clear = on_prepare_clear<&E::drift, drift_prepare>,
                  .clear = on_format<&E::drift, drift_clear>, .release = on_release<&E::drift, drift_release>,
                  .params = params_of<&E::drift>, .process = on_buffer<&E::drift, drift_process>},
    /* kPhaser */ {.reset = on_format<&E::phaser, phaser_init>, .configure = on_format<&E::phaser, phaser_configure>,
                   .report = on_report<&E::phaser, phaser_report>, .params = params_of<&E::phaser>,
                   .process = on_buffer<&E::phaser, phaser_process>},
    /* kDenoise */ {.reset = on_format<&E::denoise, denoise_init>, .params = params_of<&E::denoise>,
                    .process = on_buffer<&E::denoise, denoise_process>},
    /* kChorus */ {.reset = on_format<&E::chorus, chorus_init>,
                   .prepare_configure = on_prepare<&E::chorus, chorus_prepare>,
                   .configure = on_format<&E::chorus, chorus_configure>,
                   .prepare_clear = on_prepare_clear<&E::chorus, chorus_prepare>,
                   .clear = on_format<&E::chorus, chorus_clear>, .release = on_release<&E::chorus, chorus_release>,
                   .params = params_of<&E::chorus>, .process = on_buffer<&E::chorus, chorus_process>},
    /* kReverb */ {.reset = on_format<&E::reverb, reverb_init>,
                   .prepare_configure = on_prepare<&E::reverb, reverb_prepare>,
                   .configure = on_format<&E::reverb, reverb_configure>,
                   .prepare_clear = on_prepare_clear<&E::reverb, reverb_prepare>,
                   .clear = on_format<&E::reverb, reverb_clear>, .report = on_report<&E::reverb, reverb_report>,
                   .params = params_of<&E::reverb>, .process = on_buffer<&E::reverb, reverb_process>},
    /* kWah */ {.reset = on_format<&E::wah, wah_init>, .configure = on_format<&E::wah, wah_configure>,
                .params = params_of<&E::wah>, .process = on_buffer<&E::wah, wah_process>},
    /* kSuperBass */ {.reset = on_format<&E::bass, bass_init>, .configure = on_format<&E::bass, bass_configure>,
                      .params = params_of<&E::bass>, .process = on_buffer<&E::bass, bass_process>},
    /* kPhaseInvert */ {.process = invert_buffer},
    /* kVibrato */ {.reset = on_format<&E::vibrato, vibrato_init>, .prepare_configure = vibrato_prepare_for,
                    .configure = on_format<&E::vibrato, vibrato_configure>,
                    .release = on_release<&E::vibrato, vibrato_release>, .params = params_of<&E::vibrato>,
                    .process = on_buffer<&E::vibrato, vibrato_process>},
};
// clang-format on

const EffectType kInitOrder[kEffectCount] = {
    kDenoise, kDistortion, kOverdrive, kReverb, kCompressor, kAmpMod,      kPhaser,  kPitchChanger,
    kDrift,   kChorus,     kWah,       kSuperBass, kPhaseInvert, kVibrato, kGraphicEq, kEcho,
};

const EffectType kSetOrder[kEffectCount] = {
    kDenoise, kDistortion, kOverdrive, kReverb,    kCompressor,  kAmpMod,  kPhaser,   kPitchChanger,
    kDrift,   kChorus,     kEcho,      kWah,       kSuperBass,   kPhaseInvert, kVibrato, kGraphicEq,
};

}  // namespace vemo
