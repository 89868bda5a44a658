// The parameter page's logic: what the page shows for an effect, and what moving a slider,
// pressing "缺省" or the switch does to the engine.
#include "editor/param_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <tuple>

#include "editor/editor.h"
#include "engine/engine.h"
#include "engine/lifecycle.h"

namespace vemo {
namespace {

// The editor's word for a unit of the table; units the table spells with a scale are
// handled before this.
std::string_view unit_word(std::string_view unit) {
    struct Word {
        std::string_view unit, word;
    };
    static constexpr Word kWords[] = {
        {"s", "秒"}, {"ms", "毫秒"}, {"m", "米"}, {"samples", "采样"}, {"octaves", "倍频程"}, {"ohm", "欧"},
    };
    for (const Word& w : kWords)
        if (w.unit == unit) return w.word;
    return unit;
}

std::string number(double v, int decimals) {
    char buf[48];
    if (!std::isfinite(v)) return v != v ? "NaN" : (v > 0 ? "+Inf" : "-Inf");
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// A whole value without decimals, anything else with as many as it needs.
std::string plain(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) return number(v, 0);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.7g", v);
    return buf;
}

std::string with_unit(const std::string& n, std::string_view unit) {
    if (unit.empty()) return n;
    return n + " " + std::string(unit_word(unit));
}

// trunc(a / b) for the shown values, limited so that far-out record values stay printable.
double shown_quotient(double a, double b) { return b == 0 ? 0 : std::trunc(a / b); }

std::string direct_text(const ParamRow& row, double v) {
    const std::string_view unit = row.unit;
    if (row.transfer == Transfer::kNonZero) return v == 0 ? "正弦" : "三角";
    // "0.1 Hz", "0.01 s", "0.1": the record counts in tenths or hundredths of the unit.
    for (const auto& [prefix, scale, decimals] : {std::tuple{"0.01", 0.01, 2}, std::tuple{"0.1", 0.1, 1}}) {
        const std::string_view p = prefix;
        if (unit.substr(0, p.size()) == p) {
            std::string_view rest = unit.substr(p.size());
            if (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
            return with_unit(number(v * scale, decimals), rest);
        }
    }
    // "1/256", "1/16", "1/1000 step": shown as the fraction it is.
    if (unit.substr(0, 2) == "1/") {
        const size_t end = unit.find(' ');
        return plain(v) + "/" + std::string(unit.substr(2, end == std::string_view::npos ? end : end - 2));
    }
    return with_unit(plain(v), unit);
}

}  // namespace

std::vector<const ParamRow*> param_page_rows(int type) {
    std::vector<const ParamRow*> out;
    for (const ParamRow& r : effect_rows(type))
        if (r.role == FieldRole::kParam && r.pos_max > r.pos_min) out.push_back(&r);
    return out;
}

std::string param_text(const ParamRow& row, double v, int rate, int channels) {
    const double frame_rate = static_cast<double>(rate) * channels;
    switch (row.law) {
        case SliderLaw::kMsToSamples: return with_unit(plain(shown_quotient(v * 1000.0, frame_rate)), "ms");
        case SliderLaw::kTimes10: return plain(std::trunc(v / 10.0));
        case SliderLaw::kHalf: return plain(2.0 * v);
        case SliderLaw::kChorusRate:
            // Shown as the position it came from: (fs * 360) div (value * ch * 1000).
            return plain(shown_quotient(rate * 360.0, v * channels * 1000.0));
        case SliderLaw::kPercent256: return plain(std::trunc(v * 0.390625)) + " %";
        case SliderLaw::kTenths: return with_unit(number(v, 1), row.unit);
        case SliderLaw::kNegated:
        case SliderLaw::kPowerOfTwo: return with_unit(plain(v), row.unit);
        default: return direct_text(row, v);
    }
}

// ---------------------------------------------------------------- the model's operations

void* Editor::page_copy(int type) {
    switch (type) {
        case kWah: return &wah_page;
        case kSuperBass: return &bass_page;
        case kVibrato: return &vibrato_page;
        default: return nullptr;
    }
}

void Editor::param_refresh() {
    EngineState& e = engine_;
    ParamPage& page = param;
    const int type = page.effect;
    page.effect_on = e.enabled[type].load(std::memory_order_relaxed) == 1;
    const std::vector<const ParamRow*> rows = param_page_rows(type);
    page.sliders.resize(rows.size());

    // The page copy, else the values as the page or a record set them (the phaser reports
    // truncated copies of its own: 0.7 comes back as 69, yet the page set 70).
    EffectSettings values;
    std::memset(&values, 0, sizeof values);
    int rate, channels;
    {
        std::lock_guard lock(e.mutex);
        rate = e.rate;
        channels = e.channels;
        const void* source = page_copy(type);
        if (source == nullptr && kEffectOps[type].params) source = kEffectOps[type].params(e.effect(type));
        if (source != nullptr)
            for (const ParamRow* row : rows) param_from_slot(values, *row, source);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        ParamSlider& s = page.sliders[i];
        const double value = param_read(values, *rows[i]);
        // Where several positions give one value (the chorus rate), the one the user chose stays.
        const bool keep = s.row == rows[i] && param_value_at(*s.row, s.pos, rate, channels) == value;
        s.row = rows[i];
        s.value = value;
        if (!keep) s.pos = param_position_of(*s.row, s.value, rate, channels);
        s.in_range = param_in_range(*s.row, s.value, rate, channels);
        s.text = param_text(*s.row, s.value, rate, channels);
    }
    backend_->model_changed(ModelPart::kParamPage);
}

void Editor::param_choose_effect(int type) {
    if (!is_effect_type(type)) return;
    // The equaliser has its own tab.
    if (type == kGraphicEq) {
        select_tab(1);
        return;
    }
    param.effect = type;
    param_refresh();
}

void Editor::param_apply(const EffectSettings& next, const ParamRow* changed) {
    const int type = param.effect;
    EngineState& e = engine_;
    const EffectOps& ops = kEffectOps[type];
    // What the rebuild swaps in (the vibrato's table) is made before the engine lock.
    if (change_configures(type) && ops.prepare_configure) ops.prepare_configure(e.effect(type), next, e.rate, e.channels);
    std::lock_guard lock(e.mutex);
    if (void* copy = page_copy(type))
        for (const ParamRow* row : param_page_rows(type))
            if (changed == nullptr || row == changed) param_to_slot(next, *row, copy);
    effect_take_change(e.effect(type), type, next, changed, e.rate, e.channels);
}

void Editor::param_on_slider(int index, int pos) {
    ParamPage& page = param;
    if (index < 0 || index >= static_cast<int>(page.sliders.size())) return;
    const ParamRow& row = *page.sliders[static_cast<size_t>(index)].row;
    pos = std::clamp(pos, row.pos_min, row.pos_max);  // the slider's range
    EngineState& e = engine_;
    {
        // Parameters change only under the control lock, so they are read here without the engine's.
        std::lock_guard control(e.control);
        EffectSettings next;
        std::memset(&next, 0, sizeof next);
        if (const auto params = kEffectOps[page.effect].params)
            for (const ParamRow* r : param_page_rows(page.effect)) param_from_slot(next, *r, params(e.effect(page.effect)));
        param_write(next, row, param_value_at(row, pos, e.rate, e.channels));
        param_apply(next, &row);
    }
    page.sliders[static_cast<size_t>(index)].pos = pos;
    param_refresh();
}

void Editor::param_on_defaults() {
    const int type = param.effect;
    EngineState& e = engine_;
    {
        std::lock_guard control(e.control);
        EffectSettings next;
        std::memset(&next, 0, sizeof next);
        const PhaserParams phaser_defaults;
        for (const ParamRow* row : param_page_rows(type)) {
            if (type == kPhaser)
                // Feedback 0.7 and mix 1.0, not the 69 that the engine reports for 0.7.
                param_from_slot(next, *row, &phaser_defaults);
            else
                param_write(next, *row, param_default(*row, e.rate, e.channels));
        }
        param_apply(next, nullptr);
    }
    param_refresh();
}

void Editor::param_on_switch(bool on) {
    on_switch_clicked(param.effect, on);
    param_refresh();
}

}  // namespace vemo
