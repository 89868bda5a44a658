#include "text_cp936.h"

#include <iconv.h>

#include <vector>

namespace vemomix_cli {
namespace {

bool is_ascii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::optional<std::string> convert(const char* to, const char* from, const std::string& in) {
    if (is_ascii(in)) return in;  // identical in both encodings
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::vector<char> src(in.begin(), in.end());
    std::vector<char> dst(in.size() * 4 + 16);
    char* ip = src.data();
    size_t il = src.size();
    char* op = dst.data();
    size_t ol = dst.size();
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    const bool flushed = iconv(cd, nullptr, nullptr, &op, &ol) != static_cast<size_t>(-1);
    iconv_close(cd);
    // Anything left over or substituted means the text does not survive the trip.
    if (r != 0 || il != 0 || !flushed) return std::nullopt;
    return std::string(dst.data(), op);
}

}  // namespace

std::optional<std::string> cp936_to_utf8(const std::string& bytes) { return convert("UTF-8", "CP936", bytes); }

std::optional<std::string> utf8_to_cp936(const std::string& text) { return convert("CP936", "UTF-8", text); }

}  // namespace vemomix_cli
