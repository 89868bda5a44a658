#include "editor/preset_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
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

long long own_pid() {
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

bool process_gone(long long pid) {
#ifdef _WIN32
    if (pid > 0xFFFFFFFFLL) return false;
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (h == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    CloseHandle(h);
    return gone;
#else
    // A number no process id can be is no writer's (and not ours to judge).
    return pid <= 0x7FFFFFFF && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

// The temporary a writer of `path` uses: the name, ".tmp" and the writer's process id.
std::string temporary_of(const std::string& path, long long pid) { return path + ".tmp" + std::to_string(pid); }

// A writer killed between creating its temporary and the rename leaves the temporary behind;
// each write removes those whose process has ended, so they cannot pile up.
void remove_stale_temporaries(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    const std::string prefix = target.filename().string() + ".tmp";
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        long long pid = 0;
        bool digits = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            digits = digits && name[i] >= '0' && name[i] <= '9';
            pid = pid * 10 + (name[i] - '0');
        }
        std::error_code type_ec;
        if (digits && pid > 0 && pid != own_pid() && it->is_regular_file(type_ec) && process_gone(pid))
            fs::remove(it->path(), type_ec);
    }
}

#ifndef _WIN32
// The file a write of `path` replaces: symbolic links followed to their end, so that the link
// stays a link (a chain that does not end within 40 links is written as it stands).
std::string link_target(const std::string& path) {
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string to(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = readlink(at.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<size_t>(n) >= to.size()) return at;
        to.resize(static_cast<size_t>(n));
        if (to.front() != '/') {
            const size_t slash = at.rfind('/');
            if (slash != std::string::npos) to = at.substr(0, slash + 1) + to;
        }
        at = to;
    }
    return path;
}
#endif

bool rename_over(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool replace_file_atomically(const std::string& file, std::string_view bytes) {
#ifdef _WIN32
    const std::string& path = file;
#else
    const std::string path = link_target(file);
#endif
    remove_stale_temporaries(path);
    // One temporary name per process, so the library and a command-line tool writing the
    // same file at once never share a half-written temporary.
    const std::string tmp = temporary_of(path, own_pid());
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = true;
#ifndef _WIN32
    // The new file takes the old one's permissions (a private file stays private) and, where
    // this process may give them, its owner and group.
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        ok = fchmod(fileno(f), old.st_mode & 07777) == 0;
        if (fchown(fileno(f), old.st_uid, old.st_gid) != 0) {
        }
    }
#endif
    ok = ok && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    ok = flush_to_disk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    ok = ok && rename_over(tmp, path);
    if (!ok) std::remove(tmp.c_str());
    return ok;
}

bool preset_file_read_all(const std::string& path, std::vector<PresetRecord>& out) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return errno == ENOENT;
    PresetRecord r;
    while (std::fread(&r, sizeof r, 1, f) == 1) out.push_back(r);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool preset_file_apply(const std::string& path, const std::vector<PresetEdit>& edits) {
    std::vector<PresetRecord> records;
    if (!preset_file_read_all(path, records)) return false;
    const auto name_of = [](const PresetRecord& r) { return std::string_view(r.name, strnlen(r.name, sizeof r.name)); };
    for (const PresetEdit& e : edits) {
        auto same = records.begin();
        while (same != records.end() && name_of(*same) != name_of(e.record)) ++same;
        if (e.kind == PresetEdit::Kind::kRemove) {
            if (same != records.end()) records.erase(same);
        } else if (same != records.end()) {
            *same = e.record;
        } else {
            records.push_back(e.record);
        }
    }
    std::string bytes;
    bytes.reserve(records.size() * sizeof(PresetRecord));
    for (const PresetRecord& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    return replace_file_atomically(path, bytes);
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
