// Text in settings records is code page 936 (GBK); JSON text is UTF-8.
#pragma once
#include <optional>
#include <string>

namespace vemomix_cli {

// Both return nothing when the text has a byte sequence the other side cannot represent.
std::optional<std::string> cp936_to_utf8(const std::string& bytes);
std::optional<std::string> utf8_to_cp936(const std::string& text);

}  // namespace vemomix_cli
