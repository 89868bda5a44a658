// The sixteen effects by the short names the command line uses, and their switches in the record.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/effect_types.h"
#include "vemosoundmix.h"

namespace vemomix_cli {

using vemo::kEffectCount;

// Short name of an EffectType 1..16 ("eq", "compressor", ...).
const char* effect_name(int type);
// EffectType of a short name, or of its decimal number; 0 when it is neither.
int effect_type(const std::string& name_or_number);
// The record's enabled byte of an EffectType 1..16.
uint8_t& enabled_flag(EffectSettings& s, int type);
uint8_t enabled_flag(const EffectSettings& s, int type);

// --chain: rows as types (numbers or names); replaces every chain byte of the record.
void apply_chain(EffectSettings& s, const std::vector<std::string>& rows);
// --enable: switches the named effects on.
void apply_enable(EffectSettings& s, const std::vector<std::string>& names);

// Types that the chain walk runs: the first 16 rows that the chain bytes make, in order.
std::vector<int> running_rows(const EffectSettings& s);
// "eq > compressor > echo" for a list of types.
std::string describe_chain(const std::vector<int>& types);

}  // namespace vemomix_cli
