#include "settings/param_table.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "effects/amp_mod.h"
#include "effects/chorus.h"
#include "effects/compressor.h"
#include "effects/denoise.h"
#include "effects/distortion.h"
#include "effects/drift.h"
#include "effects/echo.h"
#include "effects/overdrive.h"
#include "effects/phaser.h"
#include "effects/pitch_changer.h"
#include "effects/reverb.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"

namespace vemo {
namespace {

template <typename T>
constexpr FieldType field_type() {
    if constexpr (std::is_same_v<T, uint8_t>) return FieldType::kU8;
    else if constexpr (std::is_same_v<T, int32_t>) return FieldType::kI32;
    else if constexpr (std::is_same_v<T, float>) return FieldType::kF32;
    else if constexpr (std::is_same_v<T, char[64]>) return FieldType::kText;
    else if constexpr (std::is_same_v<T, int32_t[31]>) return FieldType::kLevels;
    else {
        static_assert(std::is_same_v<T, uint8_t[255]>, "a record field of a type the table does not know");
        return FieldType::kChain;
    }
}

template <typename T>
constexpr SlotType slot_type() {
    if constexpr (std::is_same_v<T, int16_t>) return SlotType::kI16;
    else if constexpr (std::is_same_v<T, int32_t>) return SlotType::kI32;
    else {
        static_assert(std::is_same_v<T, float>, "a parameter of a type the table does not know");
        return SlotType::kF32;
    }
}

using enum FieldRole;
using enum SliderLaw;
using T = Transfer;
using enum SliderScale;
using enum ValueShown;

// clang-format off
#define REC(f) #f, offsetof(EffectSettings, f), field_type<decltype(EffectSettings::f)>()
#define SLOT(P, f) ParamSlot{offsetof(P, f), slot_type<decltype(P::f)>()}
#define ENABLE(f, fx) {REC(f), fx, kEnable, T::kNone, {}, kDirect, 0, 1, 0, "", "on", "开启"}
// After the labels: the track's scale and how the editor words the value, where not linear and
// a number in the unit.
#define PARAM(f, fx, P, tr, law, lo, hi, def, unit, en, zh, ...) \
    {REC(f), fx, kParam, tr, SLOT(P, f), law, lo, hi, def, unit, en, zh __VA_OPT__(,) __VA_ARGS__}
#define COPY(f, fx, P, law, lo, hi, def, unit, en, zh, ...) \
    PARAM(f, fx, P, T::kCopy, law, lo, hi, def, unit, en, zh __VA_OPT__(,) __VA_ARGS__)

// Where a Part of the design gives no editor range, the range below is what the effect's
// arithmetic and a listener can use; the reason stands beside the row.
constexpr ParamRow kRows[] = {
    ENABLE(eq_enabled, kGraphicEq),
    {REC(eq_preset_name), kGraphicEq, kIgnored, T::kNone, {}, kDirect, 0, 0, 0, "", "preset name", "音效模式名称"},
    {REC(eq_band_count), kGraphicEq, kEqualiser, T::kNone, {}, kBandCount, 0, 3, 10, "bands", "band count", "频段数"},
    {REC(eq_band_level), kGraphicEq, kEqualiser, T::kNone, {}, kEqBand, -20, 20, 0, "dB", "band level", "频段电平"},
    {REC(eq_preset_builtin), kGraphicEq, kIgnored, T::kNone, {}, kDirect, 0, 1, 0, "", "preset built-in", "内置音效"},
    {REC(eq_extra_filter), kGraphicEq, kEqualiser, T::kNone, {}, kDirect, 0, 1, 0, "", "second pass", "二级调整"},
    {REC(eq_preamp_pos), kGraphicEq, kEqualiser, T::kNone, {}, kPreamp, 0, 24, 12, "position", "pre-gain", "前置增益"},

    ENABLE(echo_enabled, kEcho),
    COPY(echo_delay_s, kEcho, EchoParams, kTenths, 0, 16, 0.6f, "s", "delay", "延时"),
    COPY(echo_feedback, kEcho, EchoParams, kTenths, 0, 10, 0.5f, "", "feedback", "反馈", kLinear, kPercent),

    ENABLE(pitch_enabled, kPitchChanger),
    COPY(pitch_octaves, kPitchChanger, PitchChangerParams, kTenths, -7, 9, 0.0, "octaves", "pitch", "音调"),
    // Frames below 256 points cannot resolve a semitone at 44.1 kHz; 8192 is what the arrays hold.
    COPY(pitch_frame_size, kPitchChanger, PitchChangerParams, kPowerOfTwo, 8, 13, 2048, "samples", "frame size", "帧长"),
    COPY(pitch_oversampling, kPitchChanger, PitchChangerParams, kDirect, 1, 8, 4, "", "overlap", "重叠", kLinear, kTimes),

    ENABLE(drift_enabled, kDrift),
    COPY(drift_feedback, kDrift, DriftParams, kDirect, 0, 204, 100, "1/256", "feedback", "再发生", kLinear, kPercent),
    COPY(drift_depth, kDrift, DriftParams, kDirect, 0, 50, 50, "4 samples", "depth", "深度", kLinear, kDelayMs),
    COPY(drift_wet, kDrift, DriftParams, kDirect, 0, 256, 250, "1/256", "wet", "湿声", kLinear, kPercent),
    COPY(drift_dry, kDrift, DriftParams, kDirect, 0, 256, 200, "1/256", "dry", "干声", kLinear, kPercent),
    // At 1000 the sweep takes one table step per frame, a cycle in 360 frames: the fastest
    // that still sounds like a sweep.
    COPY(drift_speed, kDrift, DriftParams, kDirect, 1, 1000, 5, "1/1000 step", "speed", "速度", kLog, kSweepHz),

    ENABLE(chorus_enabled, kChorus),
    COPY(chorus_depth, kChorus, ChorusParams, kHalf, 1, 100, 50, "64 samples", "depth", "深度", kLinear, kDelayMs),
    COPY(chorus_rate, kChorus, ChorusParams, kChorusRate, 1, 3500, 5, "1/1000 step", "rate", "频率", kLog, kSweepHz),
    COPY(chorus_wet, kChorus, ChorusParams, kPercent256, 0, 100, 250, "1/256", "wet", "湿声", kLinear, kPercent),
    COPY(chorus_dry, kChorus, ChorusParams, kPercent256, 0, 100, 200, "1/256", "dry", "干声", kLinear, kPercent),
    COPY(chorus_feedback, kChorus, ChorusParams, kPercent256, 0, 80, 100, "1/256", "feedback", "再发生", kLinear, kPercent),

    ENABLE(phaser_enabled, kPhaser),
    PARAM(phaser_low_hz, kPhaser, PhaserParams, T::kTruncInt, kDirect, 10, 800, 440, "Hz", "low", "最小频率"),
    PARAM(phaser_high_hz, kPhaser, PhaserParams, T::kTruncInt, kDirect, 801, 4000, 1600, "Hz", "high", "最大频率"),
    PARAM(phaser_rate, kPhaser, PhaserParams, T::kTruncInt, kDirect, 1, 100, 50, "0.01 Hz", "rate", "速率"),
    // The engine keeps 0.7 as a float, which reports back as 69.
    PARAM(phaser_feedback, kPhaser, PhaserParams, T::kTruncInt, kDirect, 1, 100, 69, "%", "feedback", "反馈"),
    PARAM(phaser_mix, kPhaser, PhaserParams, T::kTruncInt, kDirect, 1, 10, 10, "0.1", "mix", "增益", kLinear, kPercent),

    ENABLE(am_enabled, kAmpMod),
    {REC(am_level_db_copy), kAmpMod, kReportCopy, T::kNone, SLOT(AmpModParams, am_level_db), kDirect, -60, 0, -10,
     "dB", "level (copy)", "电平"},
    PARAM(am_depth_pct, kAmpMod, AmpModParams, T::kLow16, kDirect, 0, 100, 20, "%", "depth", "深度"),
    // From a 10 ms flutter to a 10 s swell; the engine needs it positive.
    PARAM(am_period_ms, kAmpMod, AmpModParams, T::kLow16, kDirect, 10, 10000, 1000, "ms", "period", "周期", kLog),
    // Carried but unused by the engine: the range only keeps it a plausible level.
    COPY(am_level_db, kAmpMod, AmpModParams, kDirect, -60, 0, -10, "dB", "level", "电平", kLinear, kUnused),
    PARAM(am_waveform, kAmpMod, AmpModParams, T::kNonZero, kDirect, 0, 1, 0, "0 sine, 1 triangle", "waveform", "波形"),

    ENABLE(comp_enabled, kCompressor),
    // Below -60 dBFS is the noise floor of 16-bit material.
    COPY(comp_threshold_db, kCompressor, CompressorParams, kDirect, -60, 0, -20, "dB", "threshold", "阈值"),
    COPY(comp_slope_x10, kCompressor, CompressorParams, kDirect, 1, 10, 5, "0.1", "slope", "斜率"),
    // At least 1 ms (the smoothing coefficients need it); a few seconds is the longest in use.
    COPY(comp_attack_ms, kCompressor, CompressorParams, kDirect, 1, 1000, 1, "ms", "attack", "起音时间", kLog),
    COPY(comp_release_ms, kCompressor, CompressorParams, kDirect, 1, 5000, 10, "ms", "release", "释放时间", kLog),

    ENABLE(reverb_enabled, kReverb),
    PARAM(reverb_tap_count, kReverb, ReverbParams, T::kLow16, kDirect, 1, 100, 20, "", "reflections", "反射数"),
    // 200 m of spread is about 27,000 samples at 44.1 kHz, well inside the line.
    PARAM(reverb_room_m, kReverb, ReverbParams, T::kLow16, kDirect, 1, 200, 20, "m", "room", "房间"),
    PARAM(reverb_offset_m, kReverb, ReverbParams, T::kLow16, kDirect, 0, 100, 5, "m", "offset", "偏移"),
    PARAM(reverb_decay_m, kReverb, ReverbParams, T::kLow16, kDirect, 1, 1000, 10, "m", "decay", "衰减", kLog),
    PARAM(reverb_feedback_m, kReverb, ReverbParams, T::kLow16, kDirect, 1, 1000, 20, "m", "feedback distance", "反馈距离", kLog),
    PARAM(reverb_feedback_db, kReverb, ReverbParams, T::kLow16, kDirect, -100, 0, -10, "dB", "feedback level", "反馈电平"),
    PARAM(reverb_wet_db, kReverb, ReverbParams, T::kLow16, kDirect, -80, 0, -10, "dB", "wet level", "混响电平"),

    ENABLE(odrive_enabled, kOverdrive),
    // From a clean 10 ohms to a fully clipped 100 kilo-ohms.
    COPY(odrive_drive_ohms, kOverdrive, OverdriveParams, kDirect, 10, 100000, 520, "ohm", "drive", "驱动", kLog),
    // A cut-off must be positive and below the lowest format's Nyquist frequency.
    COPY(odrive_lowpass_hz, kOverdrive, OverdriveParams, kDirect, 100, 5000, 3500, "Hz", "low-pass", "低通频率", kLog),
    COPY(odrive_lowpass_on, kOverdrive, OverdriveParams, kDirect, 0, 1, 0, "", "low-pass on", "低通滤波", kLinear, kSwitch),

    ENABLE(dist_enabled, kDistortion),
    // Positive, or the limiter passes no change at all.
    COPY(dist_max_step, kDistortion, DistortionParams, kDirect, 1, 32767, 10000, "sample units", "slew limit", "最大步长", kLog, kStepPct),
    // Up to four times the input level.
    COPY(dist_level, kDistortion, DistortionParams, kDirect, 0, 1024, 20, "1/256", "level", "电平", kLog, kDecibels),
    // From 1x to 256x.
    COPY(dist_drive, kDistortion, DistortionParams, kDirect, 16, 4096, 555, "1/16", "drive", "驱动", kLog, kTimes),
    // Both cut-offs must be positive and below the lowest format's Nyquist frequency.
    COPY(dist_low_cut_hz, kDistortion, DistortionParams, kDirect, 20, 2000, 350, "Hz", "low cut", "低切频率", kLog),
    COPY(dist_tone_hz, kDistortion, DistortionParams, kDirect, 100, 5000, 3000, "Hz", "tone", "音色", kLog),

    ENABLE(denoise_enabled, kDenoise),
    COPY(denoise_open_level, kDenoise, DenoiseParams, kTimes10, 0, 101, 500, "sample units", "open level", "阀值", kLinear, kFullScale),
    COPY(denoise_hold, kDenoise, DenoiseParams, kMsToSamples, 0, 200, 2, "samples", "hold", "保持时间"),
    COPY(denoise_release, kDenoise, DenoiseParams, kMsToSamples, 0, 15001, 500, "samples", "release", "释放时间", kLog),
    COPY(denoise_attack, kDenoise, DenoiseParams, kMsToSamples, 0, 4000, 0, "samples", "attack", "起音时间", kLog),
    COPY(denoise_close_level, kDenoise, DenoiseParams, kTimes10, 0, 101, 410, "sample units", "close level", "滞后", kLinear, kFullScale),

    ENABLE(wah_enabled, kWah),
    COPY(wah_rate, kWah, WahParams, kDirect, 1, 40, 25, "0.1 Hz", "rate", "频率"),
    COPY(wah_offset, kWah, WahParams, kDirect, 0, 100, 30, "", "offset", "偏移", kLinear, kUnused),
    COPY(wah_depth, kWah, WahParams, kDirect, 0, 100, 70, "%", "depth", "深度"),
    COPY(wah_resonance, kWah, WahParams, kDirect, 0, 100, 30, "0.1", "resonance", "反馈"),

    ENABLE(bass_enabled, kSuperBass),
    COPY(bass_freq_hz, kSuperBass, SuperBassParams, kDirect, 1, 1000, 200, "Hz", "frequency", "频率"),
    COPY(bass_gain_db, kSuperBass, SuperBassParams, kDirect, 0, 36, 12, "dB", "gain", "增益"),

    ENABLE(vibrato_enabled, kVibrato),
    COPY(vibrato_period, kVibrato, VibratoParams, kDirect, 1, 100, 20, "0.01 s", "period", "频率"),
    COPY(vibrato_depth, kVibrato, VibratoParams, kDirect, 1, 100, 25, "samples", "depth", "增益"),

    ENABLE(invert_enabled, kPhaseInvert),

    {REC(chain_order), EffectType(0), kChain, T::kNone, {}, kDirect, 0, kEffectCount, 0, "", "chain", "音效链"},
};
// clang-format on
#undef COPY
#undef PARAM
#undef ENABLE
#undef SLOT
#undef REC

constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];
constexpr int kBandCounts[4] = {10, 15, 25, 31};

int64_t whole(double v) { return static_cast<int64_t>(v); }

float load_f32(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}
int32_t load_i32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Float fields become the engine's integers by truncation; values an int cannot hold (and
// NaN) are limited so the conversion itself stays defined.
int32_t trunc_to_int(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

}  // namespace

std::span<const ParamRow> param_rows() { return {kRows, kRowCount}; }

std::span<const ParamRow> effect_rows(int type) {
    size_t first = kRowCount, last = 0;
    for (size_t i = 0; i < kRowCount; ++i)
        if (kRows[i].effect == type) first = std::min(first, i), last = i + 1;
    if (first >= last) return {};
    return {kRows + first, last - first};
}

const ParamRow* find_param(std::string_view field) {
    for (const ParamRow& r : kRows)
        if (r.field == field) return &r;
    return nullptr;
}

double param_value_at(const ParamRow& row, int32_t pos, int rate, int channels) {
    switch (row.law) {
        case kDirect:
        case kPreamp:
        case kEqBand: return pos;
        case kTenths: return static_cast<float>(pos * 0.1);
        case kTimes10: return 10.0 * pos;
        case kMsToSamples: return static_cast<double>(int64_t{pos} * rate * channels / 1000);
        case kHalf: return pos / 2;
        case kChorusRate:
            return pos <= 0 || channels <= 0 ? 0.0 : static_cast<double>(whole(rate * 360.0 / (pos * channels * 1000.0)));
        case kPercent256: return static_cast<double>(whole(pos * 2.56));
        case kPowerOfTwo: return std::ldexp(1.0, pos);
        case kBandCount: return kBandCounts[std::clamp(pos, 0, 3)];
    }
    return pos;
}

int32_t param_position_of(const ParamRow& row, double value, int rate, int channels) {
    if (!(value == value)) return row.pos_min;
    if (row.law == kDirect || row.law == kPreamp || row.law == kEqBand)
        return static_cast<int32_t>(std::clamp<double>(std::round(value), row.pos_min, row.pos_max));
    // The other laws are monotonic but not simply invertible: take the nearest position.
    int32_t best = row.pos_min;
    double best_d = INFINITY;
    for (int32_t p = row.pos_min; p <= row.pos_max; ++p) {
        const double d = std::fabs(param_value_at(row, p, rate, channels) - value);
        if (d < best_d) best = p, best_d = d;
    }
    return best;
}

void param_value_range(const ParamRow& row, int rate, int channels, double& lo, double& hi) {
    const double a = param_value_at(row, row.pos_min, rate, channels);
    const double b = param_value_at(row, row.pos_max, rate, channels);
    lo = std::min(a, b);
    hi = std::max(a, b);
}

namespace {

// Steps of a logarithmic track per decade: finer than the 1 % between neighbouring numbers of
// two significant digits, so that every such number in the range has a step.
constexpr double kLogStepsPerDecade = 240;

// The low end a logarithmic track spreads from: a range from 0 spreads from 1, 0 being the
// track's first step of its own.
int32_t log_low(const ParamRow& row) { return std::max(row.pos_min, 1); }
int32_t log_first(const ParamRow& row) { return row.pos_min < 1 ? 1 : 0; }
bool is_log(const ParamRow& row) { return row.scale == SliderScale::kLog && row.pos_max > log_low(row); }

// x to two significant digits, as a whole number.
int64_t two_digits(double x) {
    if (x < 100) return std::llround(x);
    const double q = std::pow(10.0, std::floor(std::log10(x)) - 1);
    return std::llround(std::round(x / q) * q);
}

}  // namespace

int32_t param_track_steps(const ParamRow& row) {
    if (!is_log(row)) return std::max(row.pos_max - row.pos_min, 0);
    const double decades = std::log10(static_cast<double>(row.pos_max) / log_low(row));
    return log_first(row) + static_cast<int32_t>(std::ceil(decades * kLogStepsPerDecade));
}

int32_t param_pos_at_track(const ParamRow& row, int32_t track) {
    const int32_t steps = param_track_steps(row);
    track = std::clamp(track, 0, steps);
    if (!is_log(row)) return row.pos_min + track;
    if (track == 0) return row.pos_min;
    if (track == steps) return row.pos_max;
    const int32_t lo = log_low(row), first = log_first(row);
    const double span = std::log(static_cast<double>(row.pos_max) / lo);
    int64_t p = two_digits(lo * std::exp(span * (track - first) / (steps - first)));
    // The default has a step of its own where two digits do not spell it (555 of the
    // distortion's drive), and its neighbours keep to their side of it.
    if ((row.law == kDirect || row.law == kMsToSamples) && row.def > lo && row.def < row.pos_max) {
        const auto def = static_cast<int64_t>(row.def);
        const auto at = first + std::lround((steps - first) * std::log(static_cast<double>(def) / lo) / span);
        p = track == at ? def : (track < at ? std::min(p, def) : std::max(p, def));
    }
    return static_cast<int32_t>(std::clamp<int64_t>(p, lo, row.pos_max));
}

int32_t param_track_of_value(const ParamRow& row, double value, int rate, int channels) {
    const int32_t steps = param_track_steps(row);
    int32_t best = param_track_of(row, param_position_of(row, value, rate, channels));
    double best_d = std::fabs(param_value_at(row, param_pos_at_track(row, best), rate, channels) - value);
    for (int32_t t = 0; t <= steps && best_d > 0; ++t) {
        const double d = std::fabs(param_value_at(row, param_pos_at_track(row, t), rate, channels) - value);
        if (d < best_d) best = t, best_d = d;
    }
    return best;
}

int32_t param_track_of(const ParamRow& row, int32_t pos) {
    const int32_t steps = param_track_steps(row);
    if (!is_log(row)) return std::clamp(pos - row.pos_min, 0, steps);
    if (pos <= row.pos_min) return 0;
    if (pos >= row.pos_max) return steps;
    const int32_t lo = log_low(row), first = log_first(row);
    const double guess = first + (steps - first) * std::log(static_cast<double>(pos) / lo) /
                                     std::log(static_cast<double>(row.pos_max) / lo);
    // Rounding makes a few neighbouring steps share a position: the nearest by ratio, and of
    // equals the one nearest the guess.
    int32_t best = 0;
    double best_d = INFINITY;
    const int32_t around = static_cast<int32_t>(std::lround(guess));
    for (int32_t t = std::max(around - 16, 0); t <= std::min(around + 16, steps); ++t) {
        const int32_t p = param_pos_at_track(row, t);
        const double d = p <= 0 ? INFINITY : std::fabs(std::log(static_cast<double>(p) / pos)) + 1e-9 * std::abs(t - around);
        if (d < best_d) best = t, best_d = d;
    }
    return best;
}

double param_unit_scale(const ParamRow& row) {
    const std::string_view u = row.unit;
    if (u.starts_with("1/")) {
        const double n = std::strtod(std::string(u.substr(2)).c_str(), nullptr);
        return n > 0 ? 1.0 / n : 1.0;
    }
    if (!u.empty() && u[0] >= '0' && u[0] <= '9') {
        const double n = std::strtod(std::string(u).c_str(), nullptr);
        return n > 0 ? n : 1.0;
    }
    return 1.0;
}

double param_default(const ParamRow& row, int rate, int channels) {
    if (row.law == kMsToSamples) return param_value_at(row, static_cast<int32_t>(row.def), rate, channels);
    return row.def;
}

bool param_in_range(const ParamRow& row, double value, int rate, int channels) {
    if (!(value == value)) return false;
    double lo, hi;
    param_value_range(row, rate, channels, lo, hi);
    if (value < lo || value > hi) return false;
    if (row.law == kPowerOfTwo || row.law == kBandCount)
        return param_value_at(row, param_position_of(row, value, rate, channels), rate, channels) == value;
    return true;
}

double param_read(const EffectSettings& s, const ParamRow& row) {
    const auto* p = reinterpret_cast<const uint8_t*>(&s) + row.offset;
    switch (row.type) {
        case FieldType::kU8: return *p;
        case FieldType::kI32: return load_i32(p);
        case FieldType::kF32: return load_f32(p);
        default: return 0;
    }
}

void param_write(EffectSettings& s, const ParamRow& row, double value) {
    auto* p = reinterpret_cast<uint8_t*>(&s) + row.offset;
    switch (row.type) {
        case FieldType::kU8: *p = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0)); break;
        case FieldType::kI32: {
            const int32_t v = static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
            std::memcpy(p, &v, 4);
            break;
        }
        case FieldType::kF32: {
            const float v = static_cast<float>(value);
            std::memcpy(p, &v, 4);
            break;
        }
        default: break;
    }
}

void param_to_slot(const EffectSettings& s, const ParamRow& row, void* params) {
    if (row.role != kParam || row.slot.type == SlotType::kNone) return;
    const auto* src = reinterpret_cast<const uint8_t*>(&s) + row.offset;
    auto* dst = static_cast<uint8_t*>(params) + row.slot.offset;
    switch (row.transfer) {
        case Transfer::kCopy:
            std::memcpy(dst, src, 4);  // i32 -> i32 or f32 -> f32
            break;
        case Transfer::kLow16: {
            const auto v = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(load_i32(src)) & 0xFFFFu));
            std::memcpy(dst, &v, 2);
            break;
        }
        case Transfer::kTruncInt: {
            const int32_t v = trunc_to_int(load_f32(src));
            std::memcpy(dst, &v, 4);
            break;
        }
        case Transfer::kNonZero: {
            const int32_t v = load_i32(src) != 0 ? 1 : 0;
            std::memcpy(dst, &v, 4);
            break;
        }
        case Transfer::kNone: break;
    }
}

void param_from_slot(EffectSettings& s, const ParamRow& row, const void* params) {
    if ((row.role != kParam && row.role != kReportCopy) || row.slot.type == SlotType::kNone) return;
    const auto* src = static_cast<const uint8_t*>(params) + row.slot.offset;
    auto* dst = reinterpret_cast<uint8_t*>(&s) + row.offset;
    switch (row.slot.type) {
        case SlotType::kI16: {
            int16_t v;
            std::memcpy(&v, src, 2);
            const int32_t wide = v;  // sign-extended
            std::memcpy(dst, &wide, 4);
            break;
        }
        case SlotType::kI32: {
            if (row.type == FieldType::kF32) {
                const float f = static_cast<float>(load_i32(src));
                std::memcpy(dst, &f, 4);
            } else {
                std::memcpy(dst, src, 4);
            }
            break;
        }
        case SlotType::kF32: std::memcpy(dst, src, 4); break;
        case SlotType::kNone: break;
    }
}

}  // namespace vemo
