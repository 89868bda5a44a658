#include "settings/record.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "editor/editor.h"
#include "engine/engine.h"

namespace vemo {
namespace {

constexpr size_t kBandLevelOffset = offsetof(EffectSettings, eq_band_level);

// Low 16 bits of a record field, as a signed value.
int16_t low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu)); }

// Float fields converted to the engine's integers by truncation; out-of-range values
// (and NaN) are limited so the conversion itself stays defined.
int32_t trunc_to_int(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

void set_flag(EngineState& e, int type, uint8_t value) { e.enabled[type].store(value, std::memory_order_relaxed); }

}  // namespace

void settings_get(EffectSettings& out) {
    Editor& ed = editor();
    EngineState& e = engine();
    auto* bytes = reinterpret_cast<uint8_t*>(&out);

    // Chain: as many bytes as the list has rows (at most 255).
    const int n = static_cast<int>(std::min<size_t>(ed.chain.rows.size(), 255));
    std::memset(out.chain_order, 0, static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        out.chain_order[i] = static_cast<uint8_t>(static_cast<uint32_t>(ed.chain.rows[i].type()) % 256u);

    std::lock_guard lock(e.mutex);
    auto flag = [&](int t) { return e.enabled[t].load(std::memory_order_relaxed); };

    const DistortionParams dist = distortion_report(e.dist);
    out.dist_enabled = flag(kDistortion);
    out.dist_max_step = dist.dist_max_step;
    out.dist_level = dist.dist_level;
    out.dist_drive = dist.dist_drive;
    out.dist_low_cut_hz = dist.dist_low_cut_hz;
    out.dist_tone_hz = dist.dist_tone_hz;

    const DenoiseParams gate = denoise_report(e.denoise);
    out.denoise_enabled = flag(kDenoise);
    out.denoise_open_level = gate.denoise_open_level;
    out.denoise_hold = gate.denoise_hold;
    out.denoise_release = gate.denoise_release;
    out.denoise_attack = gate.denoise_attack;
    out.denoise_close_level = gate.denoise_close_level;

    const OverdriveParams od = overdrive_report(e.odrive);
    out.odrive_enabled = flag(kOverdrive);
    out.odrive_drive_ohms = od.odrive_drive_ohms;
    out.odrive_lowpass_hz = od.odrive_lowpass_hz;
    out.odrive_lowpass_on = od.odrive_lowpass_on;

    const ReverbParams rv = reverb_report(e.reverb);
    out.reverb_enabled = flag(kReverb);
    out.reverb_tap_count = rv.reverb_tap_count;
    out.reverb_room_m = rv.reverb_room_m;
    out.reverb_offset_m = rv.reverb_offset_m;
    out.reverb_decay_m = rv.reverb_decay_m;
    out.reverb_feedback_m = rv.reverb_feedback_m;
    out.reverb_feedback_db = rv.reverb_feedback_db;
    out.reverb_wet_db = rv.reverb_wet_db;

    const CompressorParams comp = compressor_report(e.comp);
    out.comp_enabled = flag(kCompressor);
    out.comp_threshold_db = comp.comp_threshold_db;
    out.comp_slope_x10 = comp.comp_slope_x10;
    out.comp_attack_ms = comp.comp_attack_ms;
    out.comp_release_ms = comp.comp_release_ms;

    const AmpModParams am = am_report(e.am);
    out.am_enabled = flag(kAmpMod);
    out.am_depth_pct = am.am_depth_pct;
    out.am_period_ms = am.am_period_ms;
    out.am_level_db_copy = am.am_level_db;
    out.am_level_db = am.am_level_db;
    out.am_waveform = am.am_waveform;

    const PhaserParams ph = phaser_report(e.phaser);
    out.phaser_enabled = flag(kPhaser);
    out.phaser_low_hz = static_cast<float>(ph.phaser_low_hz);
    out.phaser_high_hz = static_cast<float>(ph.phaser_high_hz);
    out.phaser_rate = static_cast<float>(ph.phaser_rate);
    out.phaser_feedback = static_cast<float>(ph.phaser_feedback);
    out.phaser_mix = static_cast<float>(ph.phaser_mix);

    const PitchChangerParams pitch = pitch_report(e.pitch);
    out.pitch_enabled = flag(kPitchChanger);
    out.pitch_octaves = pitch.pitch_octaves;
    out.pitch_frame_size = pitch.pitch_frame_size;
    out.pitch_oversampling = pitch.pitch_oversampling;

    const DriftParams dr = drift_report(e.drift);
    out.drift_enabled = flag(kDrift);
    out.drift_feedback = dr.drift_feedback;
    out.drift_depth = dr.drift_depth;
    out.drift_wet = dr.drift_wet;
    out.drift_dry = dr.drift_dry;
    out.drift_speed = dr.drift_speed;

    const ChorusParams ch = chorus_report(e.chorus);
    out.chorus_enabled = flag(kChorus);
    out.chorus_depth = ch.chorus_depth;
    out.chorus_rate = ch.chorus_rate;
    out.chorus_wet = ch.chorus_wet;
    out.chorus_dry = ch.chorus_dry;
    out.chorus_feedback = ch.chorus_feedback;

    const EchoParams echo = echo_report(e.echo);
    out.echo_enabled = flag(kEcho);
    out.echo_delay_s = echo.echo_delay_s;
    out.echo_feedback = echo.echo_feedback;

    // Wah-wah, super bass and vibrato report the parameter pages' copies.
    out.wah_enabled = flag(kWah);
    out.wah_rate = ed.wah_page.wah_rate;
    out.wah_offset = ed.wah_page.wah_offset;
    out.wah_depth = ed.wah_page.wah_depth;
    out.wah_resonance = ed.wah_page.wah_resonance;
    out.bass_enabled = flag(kSuperBass);
    out.bass_freq_hz = ed.bass_page.bass_freq_hz;
    out.bass_gain_db = ed.bass_page.bass_gain_db;
    out.vibrato_enabled = flag(kVibrato);
    out.vibrato_period = ed.vibrato_page.vibrato_period;
    out.vibrato_depth = ed.vibrato_page.vibrato_depth;
    out.invert_enabled = flag(kPhaseInvert);

    // Equaliser: the 32 slider slots, slot 31 landing on bytes 196..199, then byte 196 = 0.
    out.eq_enabled = flag(kGraphicEq);
    out.eq_preset_name[0] = '\0';
    out.eq_band_count = ed.eq.band_count;
    for (int k = 0; k < 32; ++k) {
        const int32_t level = band_slider_gain(ed.eq.slider_pos[k]);
        std::memcpy(bytes + kBandLevelOffset + 4 * static_cast<size_t>(k), &level, 4);
    }
    out.eq_preset_builtin = 0;
    out.eq_extra_filter = e.eq.eq_extra_filter.load(std::memory_order_relaxed);
    out.eq_preamp_pos = ed.eq.preamp_pos;
}

void settings_set(const EffectSettings& in) {
    EngineState& e = engine();
    Editor& ed = editor();
    {
        std::lock_guard lock(e.mutex);
        if (!(e.valid_rate >= 10000 && rate_supported(e.valid_rate) && (e.valid_channels == 1 || e.valid_channels == 2)))
            return;
        if (!e.initialised) return;
        const int rate = e.rate, channels = e.channels;

        set_flag(e, kDenoise, in.denoise_enabled);
        e.denoise.params = {in.denoise_open_level, in.denoise_hold, in.denoise_release, in.denoise_attack,
                            in.denoise_close_level};
        denoise_configure(e.denoise, rate, channels);

        set_flag(e, kDistortion, in.dist_enabled);
        e.dist.params = {in.dist_max_step, in.dist_level, in.dist_drive, in.dist_low_cut_hz, in.dist_tone_hz};
        distortion_configure(e.dist, rate, channels);

        set_flag(e, kOverdrive, in.odrive_enabled);
        e.odrive.params = {in.odrive_drive_ohms, in.odrive_lowpass_hz, in.odrive_lowpass_on};
        overdrive_configure(e.odrive, rate, channels);

        set_flag(e, kReverb, in.reverb_enabled);
        e.reverb.params = {low16(in.reverb_tap_count), low16(in.reverb_room_m),      low16(in.reverb_offset_m),
                           low16(in.reverb_decay_m),   low16(in.reverb_feedback_m), low16(in.reverb_feedback_db),
                           low16(in.reverb_wet_db)};
        reverb_configure(e.reverb, rate, channels);

        set_flag(e, kCompressor, in.comp_enabled);
        e.comp.params = {in.comp_threshold_db, in.comp_slope_x10, in.comp_attack_ms, in.comp_release_ms};
        compressor_configure(e.comp, rate, channels);

        set_flag(e, kAmpMod, in.am_enabled);
        e.am.params = {low16(in.am_depth_pct), low16(in.am_period_ms), in.am_level_db, in.am_waveform != 0 ? 1 : 0};
        am_configure(e.am, rate, channels);

        set_flag(e, kPhaser, in.phaser_enabled);
        e.phaser.params = {trunc_to_int(in.phaser_low_hz), trunc_to_int(in.phaser_high_hz), trunc_to_int(in.phaser_rate),
                           trunc_to_int(in.phaser_feedback), trunc_to_int(in.phaser_mix)};
        phaser_configure(e.phaser, rate, channels);

        set_flag(e, kPitchChanger, in.pitch_enabled);
        e.pitch.params = {in.pitch_octaves, in.pitch_frame_size, in.pitch_oversampling};
        pitch_configure(e.pitch, rate, channels);

        set_flag(e, kDrift, in.drift_enabled);
        e.drift.params = {in.drift_feedback, in.drift_depth, in.drift_wet, in.drift_dry, in.drift_speed};
        drift_configure(e.drift, rate, channels);

        set_flag(e, kChorus, in.chorus_enabled);
        e.chorus.params = {in.chorus_depth, in.chorus_rate, in.chorus_wet, in.chorus_dry, in.chorus_feedback};
        chorus_configure(e.chorus, rate, channels);

        set_flag(e, kEcho, in.echo_enabled);
        e.echo.params = {in.echo_delay_s, in.echo_feedback};
        echo_configure(e.echo, rate, channels);

        set_flag(e, kWah, in.wah_enabled);
        e.wah.params = {in.wah_rate, in.wah_offset, in.wah_depth, in.wah_resonance};
        wah_configure(e.wah, rate, channels);

        set_flag(e, kSuperBass, in.bass_enabled);
        e.bass.params = {in.bass_freq_hz, in.bass_gain_db};
        bass_configure(e.bass, rate, channels);

        set_flag(e, kPhaseInvert, in.invert_enabled);
        set_flag(e, kVibrato, in.vibrato_enabled);
        e.vibrato.params = {in.vibrato_period, in.vibrato_depth};
        vibrato_configure(e.vibrato, rate, channels);

        // Equaliser: a new band count resets every gain, then the record's levels apply.
        set_flag(e, kGraphicEq, in.eq_enabled);
        eq_set_band_count(e.eq, in.eq_band_count, rate, channels);
        e.eq.eq_extra_filter.store(in.eq_extra_filter, std::memory_order_relaxed);
        // Only 31 bands exist, whatever the record claims.
        const int bands = std::clamp(in.eq_band_count, 0, kEqMaxBands);
        for (int b = 0; b < bands; ++b)
            for (int c = 0; c < channels; ++c) eq_set_gain(e.eq, static_cast<float>(in.eq_band_level[b]), b, c);
        for (int c = 0; c < channels; ++c)
            eq_set_gain(e.eq, static_cast<float>((static_cast<double>(in.eq_preamp_pos) - 12) * 1.5), -1, c);
    }

    // The editor's side: parameter page copies, the equaliser page, switches, chain rows.
    ed.wah_page = {in.wah_rate, in.wah_offset, in.wah_depth, in.wah_resonance};
    ed.bass_page = {in.bass_freq_hz, in.bass_gain_db};
    ed.vibrato_page = {in.vibrato_period, in.vibrato_depth};

    ed.eq.band_count = in.eq_band_count;
    // The page lays itself out for the count: slots placed, sliders at rest, last gains 0.
    ed.eq_layout();
    const int shown_bands = std::clamp(in.eq_band_count, 0, kEqMaxBands);
    ed.eq_set_band_button(in.eq_band_count);
    ed.eq_fill_combo();
    for (int b = 0; b < shown_bands; ++b) ed.eq.slider_pos[b] = band_slider_pos(in.eq_band_level[b]);
    ed.eq.preamp_pos = preamp_slider_pos(in.eq_preamp_pos);

    for (int t = 1; t <= kEffectCount; ++t)
        ed.chain.switches[t].checked = e.enabled[t].load(std::memory_order_relaxed) == 1;
    ed.eq.option.checked = in.eq_extra_filter == 1;

    ed.clear_chain();
    for (int i = 0; i < 255; ++i) {
        const int b = in.chain_order[i];
        if (is_effect_type(b)) ed.append_chain_row(b, e.enabled[b].load(std::memory_order_relaxed) == 1);
    }
    ed.publish_chain();
    ed.backend().model_changed(ModelPart::kChainPage);
    ed.backend().model_changed(ModelPart::kEqPage);
}

}  // namespace vemo
