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

// At least three significant digits, no exponent, no trailing zeros after the point.
std::string digits3(double v) {
    if (!std::isfinite(v) || v == 0) return number(v, 0);
    const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(std::fabs(v)))), 0, 6);
    std::string s = number(v, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::string with_unit(const std::string& n, std::string_view unit) {
    if (unit.empty()) return n;
    return n + " " + std::string(unit_word(unit));
}

// A gain as dB with a tenth, "-∞ dB" for none.
std::string decibels(double gain) {
    if (!(gain > 0)) return gain == 0 ? "-∞ dB" : "NaN";
    const double db = 20.0 * std::log10(gain);
    std::string text = db > 0.05 ? "+" : "";
    text += number(db, 1);
    return text += " dB";
}

// Milliseconds from a sample count of all channels: whole where the count is a whole number of
// milliseconds to within a sample (as every count the slider makes is), else to a tenth.
std::string ms_of_samples(double v, double per_second) {
    if (!(per_second > 0)) return plain(v) + " 采样";
    const double ms = v * 1000.0 / per_second;
    const double whole = std::round(ms);
    return (std::fabs(ms - whole) < 1000.0 / per_second ? plain(whole) : number(ms, 1)) + " 毫秒";
}

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
    const double per_second = static_cast<double>(rate) * channels;
    const double scaled = v * param_unit_scale(row);
    switch (row.shown) {
        case ValueShown::kSwitch: return v != 0 ? "开" : "关";
        case ValueShown::kUnused: return direct_text(row, v) + " 未使用";
        case ValueShown::kPercent: return digits3(scaled * 100.0) + " %";
        case ValueShown::kDecibels: return decibels(scaled);
        case ValueShown::kTimes: return digits3(scaled) + " 倍";
        case ValueShown::kFullScale: return decibels(v / 32768.0);
        case ValueShown::kStepPct: return digits3(v / 32768.0 * 100.0) + " %";
        case ValueShown::kDelayMs: return rate > 0 ? digits3(scaled * 1000.0 / rate) + " 毫秒" : plain(scaled) + " 采样";
        // A table of 360 steps, advanced by value / 1000 per sample of every channel.
        case ValueShown::kSweepHz: return digits3(scaled * per_second / 360.0) + " Hz";
        case ValueShown::kNumber: break;
    }
    switch (row.law) {
        case SliderLaw::kMsToSamples: return ms_of_samples(v, per_second);
        case SliderLaw::kTenths: return with_unit(number(v, 1), row.unit);
        case SliderLaw::kPowerOfTwo: return with_unit(plain(v), row.unit);
        default: return direct_text(row, v);
    }
}

// ---------------------------------------------------------------- the model's operations

ParamPage::ParamPage(EngineState& engine, EditorBackend& backend, ChainPage& chain)
    : engine_(engine), backend_(backend), chain_(chain) {}

void ParamPage::reset_copies() {
    wah_copy = WahParams{};
    bass_copy = SuperBassParams{};
    vibrato_copy = VibratoParams{};
}

void* ParamPage::copy_of(int type) {
    switch (type) {
        case kWah: return &wah_copy;
        case kSuperBass: return &bass_copy;
        case kVibrato: return &vibrato_copy;
        default: return nullptr;
    }
}

void ParamPage::refresh() {
    EngineState& e = engine_;
    const int type = effect;
    effect_on = e.enabled[type].load(std::memory_order_relaxed) == 1;
    const std::vector<const ParamRow*> rows = param_page_rows(type);
    sliders.resize(rows.size());
    note = rows.empty() ? kParamNoParameters : "";
    defaults_enabled = !rows.empty();

    // The page copy, else the values as the page or a record set them (the phaser reports
    // truncated copies of its own: 0.7 comes back as 69, yet the page set 70).
    EffectSettings values;
    std::memset(&values, 0, sizeof values);
    int rate, channels;
    {
        std::lock_guard lock(e.mutex);
        rate = e.rate;
        channels = e.channels;
        const void* source = copy_of(type);
        if (source == nullptr && kEffectOps[type].params) source = kEffectOps[type].params(e.effect(type));
        if (source != nullptr)
            for (const ParamRow* row : rows) param_from_slot(values, *row, source);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        ParamSlider& s = sliders[i];
        const double value = param_read(values, *rows[i]);
        // Where several positions give one value (the chorus rate), the one the user chose stays.
        const bool keep = s.row == rows[i] && param_value_at(*s.row, s.pos, rate, channels) == value;
        s.row = rows[i];
        s.value = value;
        s.check_box = s.row->shown == ValueShown::kSwitch;
        if (!keep) s.pos = param_position_of(*s.row, s.value, rate, channels);
        // The thumb keeps its step where that step still stands for the position.
        if (!keep || param_pos_at_track(*s.row, s.track) != s.pos)
            s.track = param_track_of_value(*s.row, s.value, rate, channels);
        s.in_range = param_in_range(*s.row, s.value, rate, channels);
        s.text = param_text(*s.row, s.value, rate, channels);
    }
    backend_.model_changed(ModelPart::kParamPage);
}

void ParamPage::choose_effect(int type) {
    if (!is_effect_type(type)) return;
    // The equaliser has its own tab.
    if (type == kGraphicEq) {
        if (show_equaliser) show_equaliser();
        return;
    }
    effect = type;
    refresh();
}

void ParamPage::apply(const EffectSettings& next, const ParamRow* changed) {
    const int type = effect;
    EngineState& e = engine_;
    const EffectOps& ops = kEffectOps[type];
    // What the rebuild swaps in (the vibrato's table) is made before the engine lock.
    if (change_configures(type) && ops.prepare_configure) ops.prepare_configure(e.effect(type), next, e.rate, e.channels);
    std::lock_guard lock(e.mutex);
    if (void* copy = copy_of(type))
        for (const ParamRow* row : param_page_rows(type))
            if (changed == nullptr || row == changed) param_to_slot(next, *row, copy);
    effect_take_change(e.effect(type), type, next, changed, e.rate, e.channels);
}

void ParamPage::on_slider(int index, int pos) {
    if (index < 0 || index >= static_cast<int>(sliders.size())) return;
    const ParamRow& row = *sliders[static_cast<size_t>(index)].row;
    pos = std::clamp(pos, row.pos_min, row.pos_max);  // the slider's range
    EngineState& e = engine_;
    {
        // Parameters change only under the control lock, so they are read here without the engine's.
        std::lock_guard control(e.control);
        EffectSettings next;
        std::memset(&next, 0, sizeof next);
        if (const auto params = kEffectOps[effect].params)
            for (const ParamRow* r : param_page_rows(effect)) param_from_slot(next, *r, params(e.effect(effect)));
        param_write(next, row, param_value_at(row, pos, e.rate, e.channels));
        apply(next, &row);
    }
    sliders[static_cast<size_t>(index)].pos = pos;
    refresh();
}

void ParamPage::on_track(int index, int track) {
    if (index < 0 || index >= static_cast<int>(sliders.size())) return;
    ParamSlider& s = sliders[static_cast<size_t>(index)];
    const int32_t steps = param_track_steps(*s.row);
    track = s.check_box ? (track != 0 ? steps : 0) : std::clamp(track, 0, steps);
    s.track = track;
    on_slider(index, param_pos_at_track(*s.row, track));
}

void ParamPage::on_defaults() {
    if (!defaults_enabled) return;
    const int type = effect;
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
        apply(next, nullptr);
    }
    refresh();
}

void ParamPage::on_switch(bool on) {
    chain_.on_switch_clicked(effect, on);
    refresh();
}

void ParamPage::take_switch(int type, bool on) {
    if (type == effect) effect_on = on;
    backend_.model_changed(ModelPart::kParamPage);
}

}  // namespace vemo
