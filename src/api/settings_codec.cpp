#include "api/settings_codec.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "editor/editor.h"
#include "engine/engine.h"
#include "engine/lifecycle.h"
#include "settings/param_table.h"

namespace vemo {
namespace {

constexpr size_t kBandLevelOffset = offsetof(EffectSettings, eq_band_level);

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
    for (int t = 1; t <= kEffectCount; ++t) {
        alignas(8) unsigned char reported[kMaxParamsBytes];
        const void* source = ed.param.copy_of(t);
        if (source == nullptr) source = effect_report(e.effect(t), t, reported);
        for (const ParamRow& row : effect_rows(t)) {
            if (row.role == FieldRole::kEnable)
                bytes[row.offset] = e.enabled[t].load(std::memory_order_relaxed);
            else if (source != nullptr)
                param_from_slot(out, row, source);
        }
    }

    // Equaliser: the 32 slider slots, slot 31 landing on bytes 196..199, then byte 196 = 0.
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
    // The format changes only under the control lock, which the caller holds.
    if (!(e.init_rate >= 10000 && rate_supported(e.init_rate) && (e.init_channels == 1 || e.init_channels == 2)))
        return;
    if (!e.initialised) return;
    for (const EffectType t : kEffectOrder)
        if (kEffectOps[t].prepare_configure) kEffectOps[t].prepare_configure(e.effect(t), in, e.rate, e.channels);
    {
        std::lock_guard lock(e.mutex);
        for (const EffectType t : kEffectOrder) {
            for (const ParamRow& row : effect_rows(t))
                if (row.role == FieldRole::kEnable) set_flag(e, t, reinterpret_cast<const uint8_t*>(&in)[row.offset]);
            effect_take_record(e.effect(t), t, in, e.rate, e.channels);
        }
    }

    // The editor's side: parameter page copies, the equaliser page, switches, chain rows.
    for (const int t : {kWah, kSuperBass, kVibrato})
        for (const ParamRow& row : effect_rows(t)) param_to_slot(in, row, ed.param.copy_of(t));

    ed.eq.band_count = in.eq_band_count;
    // The page lays itself out for the count: slots placed, sliders at rest, last gains 0.
    ed.eq.layout();
    const int shown_bands = std::clamp(in.eq_band_count, 0, kEqMaxBands);
    ed.eq.set_band_button(in.eq_band_count);
    ed.eq.fill_combo();
    for (int b = 0; b < shown_bands; ++b) ed.eq.slider_pos[b] = band_slider_pos(in.eq_band_level[b]);
    ed.eq.preamp_pos = preamp_slider_pos(in.eq_preamp_pos);

    ed.chain.take_engine_switches();
    ed.eq.option.checked = in.eq_extra_filter == 1;

    ed.chain.clear();
    for (int i = 0; i < 255; ++i) {
        const int b = in.chain_order[i];
        if (is_effect_type(b)) ed.chain.append_row(b, e.enabled[b].load(std::memory_order_relaxed) == 1);
    }
    ed.chain.publish();
    ed.backend().model_changed(ModelPart::kChainPage);
    ed.backend().model_changed(ModelPart::kEqPage);
    // The parameter page shows the new values.
    ed.param.refresh();
}

}  // namespace vemo
