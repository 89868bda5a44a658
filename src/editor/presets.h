// The equaliser preset table: 11 built-in presets and the user's, 255 records at most.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vemo {

// The 196-byte record, identical in memory and in the preset file.
struct PresetRecord {
    char name[64];        // code page 936, zero-terminated, at most 63 bytes
    int32_t band_count;   // 10, 15, 25 or 31
    int32_t gains[31];    // dB, band 0..30
    uint8_t builtin;      // 1 built-in, 0 user
    uint8_t reserved[3];
};
static_assert(sizeof(PresetRecord) == 196, "preset record must be 196 bytes");

constexpr int kPresetCapacity = 255;
constexpr int kBuiltinPresets = 11;
constexpr int kPresetNameMaxBytes = 63;

// Why a preset could not be added or deleted.  The page and the command-line host refuse
// the same things with the same texts.
enum class PresetStatus {
    kOk,
    kEmptyName,         // nothing typed
    kNameExists,        // byte for byte the name of a record of any band count
    kNameTooLong,       // more than 63 bytes in code page 936
    kNameNotCp936,      // a character code page 936 has no bytes for (or a NUL)
    kTableFull,         // 255 records in use
    kBadBandCount,      // not 10, 15, 25 or 31
    kNotFound,          // no record of that name
    kBuiltin,           // built-in presets stay
};

// The user-facing text (UTF-8) of a status; empty for kOk.
const char* preset_status_text(PresetStatus s);

struct PresetTable {
    PresetRecord records[kPresetCapacity] = {};
    int count = 0;

    // Records 0..10 as shipped; count becomes 11.
    void build_builtins();
    // The s-th record of this band count in table order, or -1.
    int find_nth_of_band_count(int band_count, int s) const;
    // Name (UTF-8) of record i.
    std::string name_utf8(int i) const;
    // Index of the record whose name is these code page 936 bytes exactly, or -1.
    int find_name(std::string_view cp936) const;
    bool full() const { return count >= kPresetCapacity; }
    int user_count() const;

    // Whether a new preset may take this name; on kOk `cp936` holds its bytes.
    PresetStatus check_new_name(std::string_view utf8, std::string& cp936) const;
    // Appends a user preset after the name checks; `gains` holds 31 values.
    PresetStatus add(std::string_view utf8, int32_t band_count, const int32_t* gains);
    // Appends a record whose name has passed check_new_name; false when the table is full.
    bool append(const PresetRecord& r);
    // Removes record i (later records move down); built-in records stay.
    PresetStatus remove_at(int i);
};

bool valid_band_count(int32_t n);

}  // namespace vemo
