// UTF-8 <-> code page 936 (GBK), for bytes that leave the process (preset names, the
// settings file).  Returns false when the text cannot be represented.
#pragma once
#include <string>
#include <string_view>

namespace vemo {

bool utf8_to_cp936(std::string_view utf8, std::string& out);
bool cp936_to_utf8(std::string_view cp936, std::string& out);

}  // namespace vemo
