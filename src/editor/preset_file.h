// The preset file vemoeqset.eq beside the library: the user presets of the table, one
// 196-byte record after the other, no header.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/durable_file.h"
#include "editor/presets.h"

namespace vemo {

// dir + the platform's separator + name.
std::string path_in_dir(const std::string& dir, std::string_view name);
std::string preset_file_path(const std::string& library_dir);

// Appends the whole records of a preset file's bytes to the table, stopping when the table is
// full; a trailing partial record is ignored.  Returns the number of records added.
int preset_table_append(PresetTable& table, std::string_view bytes);
// The same from the file at path; a missing file, or anything but a regular file, adds nothing.
int preset_file_load(PresetTable& table, const std::string& path);

// Whether bytes are a preset file that may be rewritten: whole records only, each one a page
// could have written (a band count of 10, 15, 25 or 31, a name that is not empty, ends within
// its 64 bytes and is clean code page 936 text).  Anything else is someone else's file, or
// damaged, and stays as it is.
struct PresetFileCheck {
    size_t size = 0;
    int bad = 0;         // records that are not presets
    int first_bad = -1;  // index of the first of them
    bool whole() const { return size % sizeof(PresetRecord) == 0; }
    bool ok() const { return whole() && bad == 0; }
};
PresetFileCheck check_preset_file(std::string_view bytes);

// Writes the user records of the table, in table order, to path through replace_file: a failed
// write (read-only directory, full disk) leaves the old file as it was.  The caller holds the
// file's lock from the read the table came from to here.
FileResult preset_file_save(const PresetTable& table, const std::string& path);
// What preset_file_save writes: the user records of the table, in table order.
std::string preset_file_bytes(const PresetTable& table);

// One change of the user presets, as the equaliser page made it: a put appends its record, a
// removal takes out the first record of that name.
struct PresetEdit {
    enum class Kind { kPut, kRemove } kind = Kind::kPut;
    PresetRecord record{};
};

struct PresetApplyResult {
    FileResult file;               // the lock, the read or the write failed
    bool not_preset_file = false;  // the file fails check_preset_file and was left as it is
    // Puts that were left out, by index: the name is another record's (another writer saved it
    // meanwhile: kNameExists) or the file already holds all the table takes (kTableFull).
    std::vector<std::pair<size_t, PresetStatus>> refused;
    bool written() const { return file.ok() && !not_preset_file; }
};

// Through rewrite_file, applies the edits in order to the file as it is on disk under its lock, and
// replaces it with the result: presets other writers added meanwhile, and those the table had no
// room for, stay.  A put of a record the file already holds byte for byte is a retry and adds
// nothing.  Nothing is written unless the file passes check_preset_file.
PresetApplyResult preset_file_apply(const std::string& path, const std::vector<PresetEdit>& edits,
                                    int wait_ms = kFileLockWaitMs);

}  // namespace vemo
