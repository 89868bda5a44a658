#include "engine/lifecycle.h"

#include "engine/engine.h"

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
    /* kGraphicEq */ {eq_reset_for_format, nullptr, eq_clear, nullptr, nullptr, nullptr, eq_buffer},
    /* kCompressor */ {on_format<&E::comp, compressor_init>, on_format<&E::comp, compressor_configure>, nullptr,
                       nullptr, nullptr, params_of<&E::comp>, on_buffer<&E::comp, compressor_process>},
    /* kPitchChanger */ {on_format<&E::pitch, pitch_init>, on_format<&E::pitch, pitch_configure>,
                         on_format<&E::pitch, pitch_clear>, nullptr, nullptr, params_of<&E::pitch>,
                         on_buffer<&E::pitch, pitch_process>},
    /* kDistortion */ {on_format<&E::dist, distortion_init>, on_format<&E::dist, distortion_configure>, nullptr,
                       nullptr, nullptr, params_of<&E::dist>, on_buffer<&E::dist, distortion_process>},
    /* kOverdrive */ {on_format<&E::odrive, overdrive_init>, on_format<&E::odrive, overdrive_configure>, nullptr,
                      nullptr, nullptr, params_of<&E::odrive>, on_buffer<&E::odrive, overdrive_process>},
    /* kAmpMod */ {on_format<&E::am, am_init>, nullptr, nullptr, nullptr, nullptr, params_of<&E::am>,
                   on_buffer<&E::am, am_process>},
    /* kEcho */ {on_format<&E::echo, echo_init>, on_format<&E::echo, echo_configure>,
                 on_format<&E::echo, echo_clear>, on_release<&E::echo, echo_release>, nullptr, params_of<&E::echo>,
                 on_buffer<&E::echo, echo_process>},
    /* kDrift */ {on_format<&E::drift, drift_init>, on_format<&E::drift, drift_configure>,
                  on_format<&E::drift, drift_clear>, on_release<&E::drift, drift_release>, nullptr,
                  params_of<&E::drift>, on_buffer<&E::drift, drift_process>},
    /* kPhaser */ {on_format<&E::phaser, phaser_init>, on_format<&E::phaser, phaser_configure>, nullptr, nullptr,
                   on_report<&E::phaser, phaser_report>, params_of<&E::phaser>,
                   on_buffer<&E::phaser, phaser_process>},
    /* kDenoise */ {on_format<&E::denoise, denoise_init>, nullptr, nullptr, nullptr, nullptr, params_of<&E::denoise>,
                    on_buffer<&E::denoise, denoise_process>},
    /* kChorus */ {on_format<&E::chorus, chorus_init>, on_format<&E::chorus, chorus_configure>,
                   on_format<&E::chorus, chorus_clear>, on_release<&E::chorus, chorus_release>, nullptr,
                   params_of<&E::chorus>, on_buffer<&E::chorus, chorus_process>},
    /* kReverb */ {on_format<&E::reverb, reverb_init>, on_format<&E::reverb, reverb_configure>,
                   on_format<&E::reverb, reverb_clear>, nullptr, on_report<&E::reverb, reverb_report>,
                   params_of<&E::reverb>, on_buffer<&E::reverb, reverb_process>},
    /* kWah */ {on_format<&E::wah, wah_init>, on_format<&E::wah, wah_configure>, nullptr, nullptr, nullptr,
                params_of<&E::wah>, on_buffer<&E::wah, wah_process>},
    /* kSuperBass */ {on_format<&E::bass, bass_init>, on_format<&E::bass, bass_configure>, nullptr, nullptr, nullptr,
                      params_of<&E::bass>, on_buffer<&E::bass, bass_process>},
    /* kPhaseInvert */ {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, invert_buffer},
    /* kVibrato */ {on_format<&E::vibrato, vibrato_init>, on_format<&E::vibrato, vibrato_configure>, nullptr,
                    on_release<&E::vibrato, vibrato_release>, nullptr, params_of<&E::vibrato>,
                    on_buffer<&E::vibrato, vibrato_process>},
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
