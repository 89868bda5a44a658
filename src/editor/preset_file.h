// The preset file vemoeqset.eq beside the library: the user presets of the table, one
// 196-byte record after the other, no header.  Also the file helpers the settings file uses.
#pragma once
#include <string>
#include <string_view>

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

// Replaces the file at path with these bytes as described for preset_file_save.
bool replace_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace vemo
