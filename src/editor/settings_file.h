// quillaret.ini beside the host executable: the colour scheme, written and never read back.
#pragma once
#include <string>
#include <string_view>

#include "editor/colour_scheme.h"

namespace vemo {

std::string settings_file_path(const std::string& host_dir);

// Writes the four keys of section "Lorun音效器" (header style, border style, colour as
// 0xRRGGBB, window alpha) as decimal text in code page 936, under the file's lock.  Other
// sections and keys of the file, its line ends, a leading byte-order mark, its permissions, a
// symbolic link to it and its other hard-linked names stay.  False, and the file untouched, when
// it is not a regular file or could not be read or written.
bool write_colour_settings(const std::string& path, const ColourScheme& scheme);

// Sets key=value in section of a profile file's text (all code page 936 bytes), the way the
// Windows profile functions do: an existing key is replaced in place, a new key goes after
// the section's last entry, a new section at the end.  Every line keeps its own line end; the
// lines added end as the file's first line does (CR LF when the file has no line end yet).
std::string profile_set(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace vemo
