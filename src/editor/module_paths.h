// Where the library's own file and the host executable live: the preset file sits beside the
// first, the skin settings file beside the second.
#pragma once
#include <string>

namespace vemo {

// Directory of the library's own module (no trailing separator; "." when unknown).
std::string library_module_dir();
// Directory of the host executable (no trailing separator; "." when unknown).
std::string host_executable_dir();
// The directory part of a path ("/" for a file at the root, "." for a bare name).
std::string directory_of(const std::string& path);

}  // namespace vemo
