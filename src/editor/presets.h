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

struct PresetTable {
    PresetRecord records[kPresetCapacity] = {};
    int count = 0;

    // Records 0..10 as shipped; count becomes 11.
    void build_builtins();
    // The s-th record of this band count in table order, or -1.
    int find_nth_of_band_count(int band_count, int s) const;
    // Name (UTF-8) of record i.
    std::string name_utf8(int i) const;
};

}  // namespace vemo
