#include "editor/presets.h"

#include <algorithm>
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

const char* preset_status_text(PresetStatus s) {
    switch (s) {
        case PresetStatus::kOk: return "";
        case PresetStatus::kEmptyName: return "必须输入音效模式名称";
        case PresetStatus::kNameExists: return "输入音效模式名称已存在";
        case PresetStatus::kNameTooLong: return "音效模式名称太长，最多63个字节（31个汉字）";
        case PresetStatus::kNameNotCp936: return "音效模式名称含有无法保存的字符";
        case PresetStatus::kTableFull: return "音效模式已满，请先删除不用的音效模式";
        case PresetStatus::kBadBandCount: return "频段数只能是10、15、25或31";
        case PresetStatus::kNotFound: return "音效模式不存在";
        case PresetStatus::kBuiltin: return "内置音效，无法删除";
    }
    return "";
}

bool valid_band_count(int32_t n) { return n == 10 || n == 15 || n == 25 || n == 31; }

std::string PresetTable::name_utf8(int i) const {
    const char* n = records[i].name;
    std::string utf8;
    if (!cp936_to_utf8(std::string_view(n, strnlen(n, sizeof records[i].name)), utf8)) utf8.clear();
    return utf8;
}

int PresetTable::find_name(std::string_view cp936) const {
    for (int i = 0; i < count; ++i) {
        const char* n = records[i].name;
        if (std::string_view(n, strnlen(n, sizeof records[i].name)) == cp936) return i;
    }
    return -1;
}

int PresetTable::user_count() const {
    int n = 0;
    for (int i = 0; i < count; ++i) n += records[i].builtin == 0 ? 1 : 0;
    return n;
}

PresetStatus PresetTable::check_new_name(std::string_view utf8, std::string& cp936) const {
    cp936.clear();
    if (utf8.empty()) return PresetStatus::kEmptyName;
    // A NUL would cut the stored name short, so it counts as unsavable too.
    if (utf8.find('\0') != std::string_view::npos || !utf8_to_cp936(utf8, cp936)) {
        cp936.clear();
        return PresetStatus::kNameNotCp936;
    }
    if (cp936.size() > kPresetNameMaxBytes) return PresetStatus::kNameTooLong;
    if (find_name(cp936) >= 0) return PresetStatus::kNameExists;
    return PresetStatus::kOk;
}

bool PresetTable::append(const PresetRecord& r) {
    if (full()) return false;
    records[count++] = r;
    return true;
}

PresetStatus PresetTable::add(std::string_view utf8, int32_t band_count, const int32_t* gains) {
    if (full()) return PresetStatus::kTableFull;
    if (!valid_band_count(band_count)) return PresetStatus::kBadBandCount;
    std::string cp936;
    const PresetStatus s = check_new_name(utf8, cp936);
    if (s != PresetStatus::kOk) return s;
    PresetRecord r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.name, cp936.data(), cp936.size());
    r.band_count = band_count;
    std::copy(gains, gains + 31, r.gains);
    append(r);
    return PresetStatus::kOk;
}

PresetStatus PresetTable::remove_at(int i) {
    if (i < 0 || i >= count) return PresetStatus::kNotFound;
    if (records[i].builtin != 0) return PresetStatus::kBuiltin;
    std::copy(records + i + 1, records + count, records + i);
    --count;
    return PresetStatus::kOk;
}

}  // namespace vemo
