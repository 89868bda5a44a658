// The equaliser preset file: list, export, import and delete, with the equaliser page's checks and texts.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "audio_file.h"
#include "cli_error.h"
#include "commands.h"
#include "editor/preset_file.h"
#include "editor/presets.h"
#include "record_json.h"
#include "text_cp936.h"

namespace vemomix_cli {
namespace {

// vemomix carries the library inside itself, so the library's module is this executable. Its real path,
// not argv[0]: a vemomix found through PATH still finds the file beside it.
std::string default_preset_file() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) throw CliError("--file", "cannot find the directory of vemomix; name the preset file");
    const std::string exe(buf, static_cast<size_t>(n));
    return vemo::preset_file_path(exe.substr(0, exe.rfind('/')));
}

struct PresetFile {
    std::string path;
    std::unique_ptr<vemo::PresetTable> table = std::make_unique<vemo::PresetTable>();
    int loaded = 0;       // user records taken into the table
    int64_t in_file = 0;  // whole records the file holds
    std::string damage;   // why the file is not (wholly) a preset file; empty when it is
};

// What went wrong with a file, in a user's words; `doing` leads a refusal of the system's.
std::string problem_text(const vemo::FileResult& r, const std::string& doing) {
    switch (r.problem) {
        case vemo::FileProblem::kNotRegular: return "not a regular file";
        case vemo::FileProblem::kLinkLoop: return "a loop of symbolic links";
        case vemo::FileProblem::kBusy:
            return "another program is changing it and held its lock for " + std::to_string(vemo::kFileLockWaitMs / 1000) +
                   " seconds; try again";
        case vemo::FileProblem::kSystem: return doing + ": " + std::strerror(r.error);
        case vemo::FileProblem::kNone: break;
    }
    return {};
}

// A change that did not happen leaves the file as it was; say so where the file was there to keep.
[[noreturn]] void write_failed(const PresetFile& pf, const vemo::FileResult& r) {
    const bool kept = r.problem == vemo::FileProblem::kSystem || r.problem == vemo::FileProblem::kBusy;
    throw CliError(pf.path, problem_text(r, "cannot write") + (kept ? "; the old file is left as it was" : ""));
}

// Any file can be named with --file: one that is not whole preset records, or holds records no page
// wrote, is someone else's (or damaged), and is never rewritten.
std::string damage_of(const std::string& bytes) {
    const vemo::PresetFileCheck c = vemo::check_preset_file(bytes);
    constexpr size_t kRecord = sizeof(vemo::PresetRecord);
    if (!c.whole())
        return "its size, " + std::to_string(bytes.size()) + " bytes, is not a whole number of " +
               std::to_string(kRecord) + "-byte preset records";
    if (c.ok()) return {};
    int32_t bands;
    std::memcpy(&bands, bytes.data() + c.first_bad * kRecord + offsetof(vemo::PresetRecord, band_count), sizeof bands);
    const std::string first = "record " + std::to_string(c.first_bad + 1) +
                              (vemo::valid_band_count(bands) ? " has a name that is not clean text"
                                                             : " has " + std::to_string(bands) + " bands, not 10, 15, 25 or 31");
    return std::to_string(c.bad) + " of its " + std::to_string(bytes.size() / kRecord) + " records " +
           (c.bad == 1 ? "is" : "are") + " not a preset (" + first + ")";
}

// The built-in presets, then the file's records, as the equaliser page builds its table.
void take(PresetFile& pf, const std::string& bytes) {
    pf.table->build_builtins();
    pf.loaded = vemo::preset_table_append(*pf.table, bytes);
    pf.in_file = static_cast<int64_t>(bytes.size() / sizeof(vemo::PresetRecord));
    pf.damage = damage_of(bytes);
}

std::string path_of(const std::string& file) { return file.empty() ? default_preset_file() : file; }

void load(PresetFile& pf, const std::string& file) {
    pf.path = path_of(file);
    std::string bytes;
    if (const vemo::FileResult r = vemo::read_regular_file(pf.path, bytes); !r.ok())
        throw CliError(pf.path, problem_text(r, "cannot read"));
    take(pf, bytes);
}

// Before a change is even considered: a file that is not a preset file is not the user's presets.
void check_writable(const PresetFile& pf) {
    if (!pf.damage.empty())
        throw CliError(pf.path, "not a preset file, or damaged: " + pf.damage + "; it is left as it is");
}

// A change goes through the library's own read-modify-write of the file, under the file's lock, so
// that what it writes back is the file as it is under the lock, changed by `edit` alone.
void change(const std::string& file, const std::function<void(PresetFile&)>& edit) {
    PresetFile pf;
    pf.path = path_of(file);
    const vemo::RewriteResult r = vemo::rewrite_file(pf.path, [&](std::string& bytes) {
        take(pf, bytes);
        check_writable(pf);
        edit(pf);
        // Rewriting a file the table could not take whole would drop the presets past the table's end.
        if (pf.in_file > pf.loaded)
            throw CliError(pf.path, "holds " + std::to_string(pf.in_file) + " presets, more than the " +
                                        std::to_string(vemo::kPresetCapacity - vemo::kBuiltinPresets) +
                                        " the table takes; it is left as it is");
        bytes = vemo::preset_file_bytes(*pf.table);
        return true;
    });
    if (r.failed == vemo::RewriteResult::Step::kRead) throw CliError(pf.path, problem_text(r.file, "cannot read"));
    if (!r.file.ok()) write_failed(pf, r.file);
}

// A refusal with the equaliser page's own text, quoted, and what it means.
[[noreturn]] void refuse(const std::string& name, vemo::PresetStatus s) {
    const char* meaning = "";
    switch (s) {
        case vemo::PresetStatus::kEmptyName: meaning = "the name is empty"; break;
        case vemo::PresetStatus::kNameExists: meaning = "a preset of that name exists"; break;
        case vemo::PresetStatus::kNameTooLong: meaning = "the name is longer than 63 bytes in code page 936"; break;
        case vemo::PresetStatus::kNameNotCp936: meaning = "the name has characters code page 936 cannot store"; break;
        case vemo::PresetStatus::kTableFull: meaning = "the table holds 255 presets"; break;
        case vemo::PresetStatus::kBadBandCount: meaning = "band counts are 10, 15, 25 or 31"; break;
        case vemo::PresetStatus::kNotFound: meaning = "no preset has that name"; break;
        case vemo::PresetStatus::kBuiltin: meaning = "built-in presets cannot be deleted"; break;
        case vemo::PresetStatus::kOk: break;
    }
    throw CliError("preset \"" + name + "\"", "\"" + std::string(vemo::preset_status_text(s)) + "\" (" + meaning + ")");
}

std::string_view name_bytes(const vemo::PresetRecord& r) { return {r.name, strnlen(r.name, sizeof r.name)}; }

// UTF-8 for the terminal; bytes that are not code page 936 text, and control characters, as \xNN.
std::string printable_name(const vemo::PresetRecord& r) {
    const std::string_view bytes = name_bytes(r);
    const auto text = cp936_to_utf8(std::string(bytes));
    std::string out;
    char hex[8];
    for (unsigned char c : text ? std::string_view(*text) : bytes) {
        if (c < 0x20 || c == 0x7F || (!text && c >= 0x80)) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int find_named(const PresetFile& pf, const std::string& name) {
    const auto bytes = utf8_to_cp936(name);
    const int i = bytes ? pf.table->find_name(*bytes) : -1;
    if (i < 0) refuse(name, vemo::PresetStatus::kNotFound);
    return i;
}

int used_bands(const vemo::PresetRecord& r) { return std::clamp(r.band_count, 0, 31); }

}  // namespace

vemo::PresetRecord find_preset(const std::string& file, const std::string& name) {
    PresetFile pf;
    load(pf, file);
    return pf.table->records[find_named(pf, name)];
}

int presets_list_command(const std::string& file) {
    PresetFile pf;
    load(pf, file);
    const vemo::PresetTable& t = *pf.table;
    if (!pf.damage.empty())
        std::fprintf(stderr, "vemomix: warning: %s: not a preset file, or damaged: %s; what it holds is listed as "
                     "the library would load it\n", pf.path.c_str(), pf.damage.c_str());
    std::printf("%s: %d user preset%s\n", pf.path.c_str(), pf.loaded, pf.loaded == 1 ? "" : "s");
    // Code page 936 spends two bytes on each wide character, so its length is the width on a terminal.
    size_t width = 0;
    for (int i = 0; i < t.count; ++i) width = std::max(width, name_bytes(t.records[i]).size());
    for (int i = 0; i < t.count; ++i) {
        const vemo::PresetRecord& r = t.records[i];
        std::string line = printable_name(r);
        line.append(width - std::min(width, name_bytes(r).size()) + 2, ' ');
        char fixed[48];
        std::snprintf(fixed, sizeof fixed, "%2d bands  %-8s ", r.band_count, r.builtin ? "built-in" : "user");
        line += fixed;
        for (int b = 0; b < used_bands(r); ++b) line += ' ' + std::to_string(r.gains[b]);
        std::printf("%s\n", line.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int presets_export_command(const std::string& file, const std::string& name, const std::string& out_path) {
    PresetFile pf;
    load(pf, file);
    const vemo::PresetRecord& r = pf.table->records[find_named(pf, name)];
    Json j = Json::object();
    j["name"] = name;
    j["band_count"] = r.band_count;
    j["gains"] = std::vector<int32_t>(std::begin(r.gains), std::end(r.gains));
    write_file(out_path, format_json(j));
    return 0;
}

int presets_import_command(const std::string& file, const std::string& in_path) {
    const Json j = parse_json(read_file(in_path), in_path);
    if (!j.is_object()) throw CliError(in_path, "expected an object with name, band_count and gains");
    for (const auto& [key, value] : j.items())
        if (key != "name" && key != "band_count" && key != "gains") throw CliError(in_path, "unknown field " + key);
    const auto int32_at = [&](const Json& v, const std::string& what) {
        if (!v.is_number_integer() || v.get<int64_t>() < std::numeric_limits<int32_t>::min() ||
            v.get<int64_t>() > std::numeric_limits<int32_t>::max())
            throw CliError(in_path, what + " must be a 32-bit integer");
        return static_cast<int32_t>(v.get<int64_t>());
    };
    if (!j.contains("name") || !j["name"].is_string()) throw CliError(in_path, "name must be a string");
    if (!j.contains("band_count")) throw CliError(in_path, "band_count is missing");
    const std::string name = j["name"].get<std::string>();
    const int32_t bands = int32_at(j["band_count"], "band_count");
    // Slots the JSON leaves out are 0 dB, as a saved preset's unused slots may be.
    int32_t gains[31] = {};
    if (j.contains("gains")) {
        const Json& g = j["gains"];
        if (!g.is_array() || g.size() > 31) throw CliError(in_path, "gains must be an array of at most 31 levels");
        for (size_t b = 0; b < g.size(); ++b) gains[b] = int32_at(g[b], "gains[" + std::to_string(b) + "]");
    }

    change(file, [&](PresetFile& pf) {
        const vemo::PresetStatus s = pf.table->add(name, bands, gains);
        if (s != vemo::PresetStatus::kOk) refuse(name, s);
    });
    return 0;
}

int presets_delete_command(const std::string& file, const std::string& name) {
    change(file, [&](PresetFile& pf) {
        const vemo::PresetStatus s = pf.table->remove_at(find_named(pf, name));
        if (s != vemo::PresetStatus::kOk) refuse(name, s);
    });
    return 0;
}

}  // namespace vemomix_cli
