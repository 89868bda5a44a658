// EffectSettings <-> JSON, with the field names of the record. The reserved bytes are not part of the JSON.
#pragma once
#include <nlohmann/json.hpp>
#include <string>

#include "vemosoundmix.h"

namespace vemomix_cli {

// Keeps the fields in record order when printed.
using Json = nlohmann::ordered_json;

// Every field the record defines, by name. Floats that JSON cannot carry (infinities, NaNs) become strings,
// and a preset name that is not a clean code page 936 string becomes its 64 bytes, so nothing is lost.
Json record_to_json(const EffectSettings& s);

// base with the fields the JSON object gives replaced; source names the JSON in error messages. Fields not
// given keep base's values; arrays given shorter than the field leave the rest of eq_band_level as in
// base and the rest of chain_order / eq_preset_name at 0.
EffectSettings record_from_json(const Json& j, const EffectSettings& base, const std::string& source);

// Parses JSON text; source names it in the error message when it is malformed.
Json parse_json(const std::string& text, const std::string& source);

// One field per line, arrays on their line.
std::string format_json(const Json& j);

// A record read from a file's bytes: exactly 748 of them.
EffectSettings record_from_bytes(const std::string& bytes, const std::string& source);

// Zeroes every byte that no field defines.
void clear_reserved(EffectSettings& s);

}  // namespace vemomix_cli
