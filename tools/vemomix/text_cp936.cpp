#include "text_cp936.h"

#include "editor/text_codec.h"

namespace vemomix_cli {

// The library's own codec, so names mean the same bytes here as in its preset file and records.
std::optional<std::string> cp936_to_utf8(const std::string& bytes) {
    std::string out;
    if (!vemo::cp936_to_utf8(bytes, out)) return std::nullopt;
    return out;
}

std::optional<std::string> utf8_to_cp936(const std::string& text) {
    std::string out;
    if (!vemo::utf8_to_cp936(text, out)) return std::nullopt;
    return out;
}

}  // namespace vemomix_cli
