// The preset file vemoeqset.eq beside the library: the user presets of the table, one
// 196-byte record after the other, no header.  Also the file helpers the settings file uses.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "editor/presets.h"

namespace vemo {

// dir + the platform's separator + name.
std::string path_in_dir(const std::string& dir, std::string_view name);
std::string preset_file_path(const std::string& library_dir);

// Appends the whole records of the file to the table, stopping when the table is full; a
// trailing partial record is ignored and a missing file adds nothing.  Returns the number
// of records added.
int preset_file_load(PresetTable& table, const std::string& path);

// Writes the user records of the table, in table order, to path.  The new contents go to a
// temporary file in the same directory that then replaces the old file in one rename, so a
// failed write (read-only directory, full disk) leaves the old file as it was.
bool preset_file_save(const PresetTable& table, const std::string& path);

// One change of the user presets, as the equaliser page made it: a put replaces the file's first
// record of the same name or else appends; a removal takes out the first record of that name.
struct PresetEdit {
    enum class Kind { kPut, kRemove } kind = Kind::kPut;
    PresetRecord record{};
};

// Every whole record of the file, however many (a trailing partial record is ignored); a missing
// file is empty.  False when the file is there but cannot be read.
bool preset_file_read_all(const std::string& path, std::vector<PresetRecord>& out);

// Applies the edits, in order, to the file as it is on disk now and writes the result back as
// preset_file_save does, so that presets another writer added since the table was read, and those
// the table had no room for, stay.  False (and the file as it was) when the file could not be read
// or written.
bool preset_file_apply(const std::string& path, const std::vector<PresetEdit>& edits);

// Replaces the file at path with these bytes as described for preset_file_save.  Where path is
// a symbolic link, its target is replaced and the link stays; an existing file keeps its
// permission bits.  Temporaries left beside it by writers that were killed are removed first.
bool replace_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace vemo
