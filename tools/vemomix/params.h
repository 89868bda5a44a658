// Parameters by name from the library's parameter table: --set, the range checks of --set and --json,
// --preset and `vemomix settings defaults`.
#pragma once
#include <string>
#include <vector>

#include "record_json.h"
#include "vemosoundmix.h"

namespace vemomix_cli {

// --set FIELD=VALUE items as the JSON object they stand for: VALUE is JSON (a number, "text", [1, 2]),
// a comma list is an array, anything else a string; FIELD[i]=VALUE sets one element of an array field,
// the rest taken from current.
Json sets_to_json(const std::vector<std::string>& sets, const EffectSettings& current);

// Refuses (naming source, field, value and range) a field that the JSON object gives and that s holds
// outside the range the table gives for this format. usage: the values came from the command line.
void check_ranges(const Json& given, const EffectSettings& s, int rate, int channels, const std::string& source,
                  bool usage);

// The equaliser preset of that name, built-in or from the preset file (empty: the default one), into
// the record, with the equaliser switched on.
void apply_preset(EffectSettings& s, const std::string& preset_file, const std::string& name);

// `vemomix settings defaults OUT.json`: the record the library starts with, every field.
int settings_defaults_command(const std::string& out_path);

}  // namespace vemomix_cli
