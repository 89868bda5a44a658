#include "editor/preset_file.h"

#include <algorithm>
#include <cstring>

#include "editor/text_codec.h"

namespace vemo {

std::string path_in_dir(const std::string& dir, std::string_view name) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    std::string path = dir;
    path += kSeparator;
    path += name;
    return path;
}

std::string preset_file_path(const std::string& library_dir) { return path_in_dir(library_dir, "vemoeqset.eq"); }

namespace {

PresetRecord record_at(std::string_view bytes, size_t i) {
    PresetRecord r;
    std::memcpy(&r, bytes.data() + i * sizeof r, sizeof r);
    return r;
}

std::string_view name_of(const PresetRecord& r) { return {r.name, strnlen(r.name, sizeof r.name)}; }

// A name the equaliser page could have saved: terminated within its 64 bytes, not empty, code page
// 936 text without control characters.
bool clean_name(const PresetRecord& r) {
    const std::string_view n = name_of(r);
    std::string text;
    if (n.empty() || n.size() > static_cast<size_t>(kPresetNameMaxBytes) || !cp936_to_utf8(n, text)) return false;
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

int preset_table_append(PresetTable& table, std::string_view bytes) {
    int added = 0;
    for (size_t i = 0; !table.full() && i < bytes.size() / sizeof(PresetRecord); ++i) {
        // The file may hold any bytes: the name always ends inside its 64 bytes, and what
        // comes from the file is a user preset, so it stays deletable and is written back.
        PresetRecord r = record_at(bytes, i);
        r.name[kPresetNameMaxBytes] = '\0';
        r.builtin = 0;
        table.append(r);
        ++added;
    }
    return added;
}

int preset_file_load(PresetTable& table, const std::string& path) {
    std::string bytes;
    read_regular_file(path, bytes);
    return preset_table_append(table, bytes);
}

PresetFileCheck check_preset_file(std::string_view bytes) {
    PresetFileCheck c;
    c.size = bytes.size();
    for (size_t i = 0; c.whole() && i < bytes.size() / sizeof(PresetRecord); ++i) {
        const PresetRecord r = record_at(bytes, i);
        if (valid_band_count(r.band_count) && clean_name(r)) continue;
        if (c.bad++ == 0) c.first_bad = static_cast<int>(i);
    }
    return c;
}

std::string preset_file_bytes(const PresetTable& table) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(table.user_count()) * sizeof(PresetRecord));
    for (int i = 0; i < table.count; ++i) {
        const PresetRecord& r = table.records[i];
        if (r.builtin == 0) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return bytes;
}

FileResult preset_file_save(const PresetTable& table, const std::string& path) {
    return replace_file(path, preset_file_bytes(table));
}

PresetApplyResult preset_file_apply(const std::string& path, const std::vector<PresetEdit>& edits, int wait_ms) {
    PresetApplyResult result;
    const auto edit = [&](std::string& bytes) {
        if (!check_preset_file(bytes).ok()) {
            result.not_preset_file = true;
            return false;
        }
        std::vector<PresetRecord> records;
        for (size_t i = 0; i < bytes.size() / sizeof(PresetRecord); ++i) records.push_back(record_at(bytes, i));
        for (size_t i = 0; i < edits.size(); ++i) {
            const PresetRecord& want = edits[i].record;
            const auto same = std::find_if(records.begin(), records.end(),
                                           [&](const PresetRecord& r) { return name_of(r) == name_of(want); });
            if (edits[i].kind == PresetEdit::Kind::kRemove) {
                if (same != records.end()) records.erase(same);
            } else if (same != records.end()) {
                if (std::memcmp(&*same, &want, sizeof want) != 0) result.refused.emplace_back(i, PresetStatus::kNameExists);
            } else if (records.size() >= static_cast<size_t>(kPresetCapacity - kBuiltinPresets)) {
                result.refused.emplace_back(i, PresetStatus::kTableFull);
            } else {
                records.push_back(want);
            }
        }
        bytes.assign(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(PresetRecord));
        return true;
    };
    result.file = rewrite_file(path, edit, wait_ms).file;
    return result;
}

}  // namespace vemo
