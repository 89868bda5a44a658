#include "editor/preset_file.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

int preset_file_load(PresetTable& table, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return 0;
    int added = 0;
    PresetRecord r;
    while (!table.full() && std::fread(&r, sizeof r, 1, f) == 1) {
        // The file may hold any bytes: the name always ends inside its 64 bytes, and what
        // comes from the file is a user preset, so it stays deletable and is written back.
        r.name[kPresetNameMaxBytes] = '\0';
        r.builtin = 0;
        table.append(r);
        ++added;
    }
    std::fclose(f);
    return added;
}

namespace {

bool flush_to_disk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

bool rename_over(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool replace_file_atomically(const std::string& path, std::string_view bytes) {
    // One temporary name per process, so the library and a command-line tool writing the
    // same file at once never share a half-written temporary.
#ifdef _WIN32
    const std::string tmp = path + ".tmp" + std::to_string(_getpid());
#else
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
#endif
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = flush_to_disk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    ok = ok && rename_over(tmp, path);
    if (!ok) std::remove(tmp.c_str());
    return ok;
}

bool preset_file_save(const PresetTable& table, const std::string& path) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(table.user_count()) * sizeof(PresetRecord));
    for (int i = 0; i < table.count; ++i) {
        const PresetRecord& r = table.records[i];
        if (r.builtin == 0) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return replace_file_atomically(path, bytes);
}

}  // namespace vemo
