// The parameter table: one row per field of the settings record -- where it lies, what it
// belongs to, how the engine takes it, the range and slider law the editor offers, its unit
// and labels.  The record codec, the command line's JSON, `vemomix effects` and the editor's
// parameter pages all read these rows; nothing here holds state.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "settings/effect_types.h"
#include "vemosoundmix.h"

namespace vemo {

// How a field is stored in the record.
enum class FieldType : uint8_t {
    kU8,
    kI32,
    kF32,
    kText,    // char[64], zero-terminated, code page 936
    kLevels,  // i32[31]
    kChain,   // u8[255]
};

// Bytes a field of this type takes in the record.
constexpr size_t field_size(FieldType t) {
    switch (t) {
        case FieldType::kU8: return 1;
        case FieldType::kI32:
        case FieldType::kF32: return 4;
        case FieldType::kText: return 64;
        case FieldType::kLevels: return 124;
        case FieldType::kChain: return 255;
    }
    return 0;
}

// What a field is for.
enum class FieldRole : uint8_t {
    kEnable,      // the effect's switch: it runs when the byte is exactly 1
    kParam,       // a parameter the engine keeps in the effect's params
    kReportCopy,  // vemomix_get writes another parameter's value here; vemomix_set ignores it
    kEqualiser,   // applied and reported by the equaliser's own steps
    kIgnored,     // carried in the record only (the embedded preset's name and built-in flag)
    kChain,       // the chain rows
};

// How vemomix_set moves a record value into the engine's params; vemomix_get undoes it.
enum class Transfer : uint8_t {
    kNone,
    kCopy,      // same type on both sides
    kLow16,     // only the low 16 bits, as a signed value; reported sign-extended
    kTruncInt,  // float in the record, integer in the engine, truncated toward zero
    kNonZero,   // any value other than 0 is kept as 1
};

// Where a parameter lives in its effect's params struct.
enum class SlotType : uint8_t { kNone, kI16, kI32, kF32 };
struct ParamSlot {
    uint16_t offset = 0;
    SlotType type = SlotType::kNone;
};

// How an editor slider position p becomes the record value (rate and channel count are the
// engine's format).  Positions run over [pos_min, pos_max] of the row.
enum class SliderLaw : uint8_t {
    kDirect,       // value = p
    kTenths,       // value = p * 0.1, held as a float
    kTimes10,      // value = 10 * p
    kMsToSamples,  // value = trunc(p * rate * channels / 1000): p in milliseconds
    kHalf,         // value = p / 2, rounded toward zero
    kChorusRate,   // value = trunc(rate * 360 / (p * channels * 1000))
    kPercent256,   // value = trunc(p * 2.56): p in percent
    kPowerOfTwo,   // value = 2^p
    kBandCount,    // value = 10, 15, 25, 31 for p = 0..3
    kEqBand,       // value in dB; the band slider sits at trunc(25 - 1.25 * value), 0..50
    kPreamp,       // value = p, standing for (p - 12) * 1.5 dB
};

// How the editor's track spreads the positions of a row.  A logarithmic track gives every decade
// of positions the same share; the positions it offers are rounded to two significant digits
// (the range's ends exact), and a range starting at 0 keeps 0 at the track's left end.
enum class SliderScale : uint8_t { kLinear, kLog };

// How the editor words a value, and which control it gets.
enum class ValueShown : uint8_t {
    kNumber,     // the number in the row's unit ("0.1 Hz" shows tenths as Hz)
    kPercent,    // value x the unit's scale ("1/256", "0.1", "" for 1) as a percentage
    kDecibels,   // value x the unit's scale as a gain in dB
    kTimes,      // value x the unit's scale as a plain multiple
    kFullScale,  // a 16-bit sample magnitude as dB of full scale (32768)
    kStepPct,    // a 16-bit sample step as a percentage of full scale
    kDelayMs,    // value x the unit's sample count as milliseconds at the format's rate
    kSweepHz,    // a sweep advancing value / 1000 of a 360-step table per sample of all channels, in Hz
    kSwitch,     // 0 off, 1 on: a check box
    kUnused,     // carried in the record, never read by the effect
};

struct ParamRow {
    std::string_view field;  // as EffectSettings spells it
    uint16_t offset;         // byte offset in the record
    FieldType type;
    EffectType effect;       // 0 for the chain rows
    FieldRole role;
    Transfer transfer;
    ParamSlot slot;          // in the effect's params struct, for kParam and kReportCopy
    SliderLaw law;
    int32_t pos_min, pos_max;  // the range the editor offers, as slider positions
    // The value vemomix_init leaves, as a record value -- except for kMsToSamples rows,
    // whose default is in milliseconds because the sample count follows the format.
    double def;
    std::string_view unit;      // of the record value
    std::string_view label_en;  // short label for the command line
    std::string_view label_zh;  // the editor's label (UTF-8)
    SliderScale scale = SliderScale::kLinear;
    ValueShown shown = ValueShown::kNumber;
};

// Every row, in record order.
std::span<const ParamRow> param_rows();
// The rows of one effect (its switch first), or of the chain (type 0).
std::span<const ParamRow> effect_rows(int type);
// The row of a field by its name, or nullptr.
const ParamRow* find_param(std::string_view field);

// The record value of slider position `pos` for a format.
double param_value_at(const ParamRow& row, int32_t pos, int rate, int channels);
// The nearest slider position of a record value, limited to the row's range.
int32_t param_position_of(const ParamRow& row, double value, int rate, int channels);
// The record values the editor's range covers for a format, lowest first.
void param_value_range(const ParamRow& row, int rate, int channels, double& lo, double& hi);
// The editor's track for a row: positions 0..param_track_steps, each standing for a slider
// position of the row (equal to it on a linear track).
int32_t param_track_steps(const ParamRow& row);
int32_t param_pos_at_track(const ParamRow& row, int32_t track);
// The track step whose position is nearest `pos` (on a logarithmic track, by ratio).
int32_t param_track_of(const ParamRow& row, int32_t pos);
// The track step whose record value is nearest `value` for a format (the nearest position's
// step when it is exact).
int32_t param_track_of_value(const ParamRow& row, double value, int rate, int channels);
// The factor a unit spelled as a scale stands for: "1/256" 1/256, "0.1 Hz" 0.1, "64 samples"
// 64; 1 for a plain unit.
double param_unit_scale(const ParamRow& row);

// The value vemomix_init leaves for a format.
double param_default(const ParamRow& row, int rate, int channels);
// Whether `value` is one the editor could set (inside the range; for power-of-two and
// band-count laws, one of the values the law gives).
bool param_in_range(const ParamRow& row, double value, int rate, int channels);

// A field's value read from / written to a record, as a double (kU8, kI32, kF32 only;
// writing converts as the record type holds it: integers truncated toward zero).
double param_read(const EffectSettings& s, const ParamRow& row);
void param_write(EffectSettings& s, const ParamRow& row, double value);

// Moves the row's value between the record and an effect's params struct (kParam and
// kReportCopy rows with a slot).
void param_to_slot(const EffectSettings& s, const ParamRow& row, void* params);
void param_from_slot(EffectSettings& s, const ParamRow& row, const void* params);

}  // namespace vemo
