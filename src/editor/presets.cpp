#include "editor/presets.h"

#include <cstring>

#include "editor/text_codec.h"

namespace vemo {
namespace {

struct Builtin {
    const char* name;  // UTF-8
    int bands;
    int gains[10];
};

constexpr Builtin kBuiltins[kBuiltinPresets] = {
    {"10频段缺省模式", 10, {}},
    {"15频段缺省模式", 15, {}},
    {"25频段缺省模式", 25, {}},
    {"31频段缺省模式", 31, {}},
    {"Normal自然模式", 10, {0, 8, 8, 8, 8, 6, 6, 2, 2, 4}},
    {"Rock摇滚模式", 10, {8, 6, -6, 8, -2, 4, 8, 10, 10, 10}},
    {"POP流行模式", 10, {-2, 4, 6, 8, 6, -2, -4, -2, -2, -2}},
    {"重金属模式", 10, {-10, -10, -10, -4, -4, 12, 16, 16, 16, 16}},
    {"超低音模式", 10, {10, 10, 10, 6, 4, 0, -6, -10, -10, -10}},
    {"重金属超低音模式", 10, {8, 8, 0, -8, -6, 0, 8, 12, 14, 14}},
    {"SoftRock柔和模式", 10, {4, 4, 0, -2, -4, -6, -4, 0, 4, 10}},
};

}  // namespace

void PresetTable::build_builtins() {
    for (int i = 0; i < kBuiltinPresets; ++i) {
        PresetRecord& r = records[i];
        std::memset(&r, 0, sizeof r);
        std::string gbk;
        utf8_to_cp936(kBuiltins[i].name, gbk);
        std::memcpy(r.name, gbk.data(), gbk.size() < 63 ? gbk.size() : 63);
        r.band_count = kBuiltins[i].bands;
        for (int b = 0; b < 10; ++b) r.gains[b] = kBuiltins[i].gains[b];
        r.builtin = 1;
    }
    count = kBuiltinPresets;
}

int PresetTable::find_nth_of_band_count(int band_count, int s) const {
    if (s < 0) return -1;
    for (int i = 0; i < count; ++i)
        if (records[i].band_count == band_count && s-- == 0) return i;
    return -1;
}

std::string PresetTable::name_utf8(int i) const {
    const char* n = records[i].name;
    std::string utf8;
    if (!cp936_to_utf8(std::string_view(n, strnlen(n, sizeof records[i].name)), utf8)) utf8.clear();
    return utf8;
}

}  // namespace vemo
