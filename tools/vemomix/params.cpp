#include "params.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio_file.h"
#include "cli_error.h"
#include "commands.h"
#include "effect_names.h"
#include "host.h"
#include "settings/param_table.h"

namespace vemomix_cli {
namespace {

// Float fields with the digits a float has (0.6, not 0.600000024), everything else exactly.
std::string number(double v, const vemo::ParamRow& row) {
    char buf[32];
    std::snprintf(buf, sizeof buf, row.type == vemo::FieldType::kF32 ? "%.7g" : "%.10g", v);
    return buf;
}

// "0..1.6 s", "1..10 (x 0.1)", "10, 15, 25 or 31 bands" for this format, as `vemomix effects` words them.
std::string range_text(const vemo::ParamRow& row, int rate, int channels) {
    std::string text;
    if (row.law == vemo::SliderLaw::kBandCount) {
        text = "10, 15, 25 or 31";
    } else {
        double lo, hi;
        vemo::param_value_range(row, rate, channels, lo, hi);
        text.append(number(lo, row)).append("..").append(number(hi, row));
    }
    // Units that are a scale ("0.1", "1/256") read as a factor.
    const bool scale = !row.unit.empty() && row.unit[0] >= '0' && row.unit[0] <= '9';
    if (scale) text.append(" (x ").append(row.unit).append(")");
    else if (!row.unit.empty()) text.append(" ").append(row.unit);
    if (row.law == vemo::SliderLaw::kPowerOfTwo) text.append(", powers of two");
    return text;
}

[[noreturn]] void out_of_range(const std::string& source, const vemo::ParamRow& row, const std::string& field, double v,
                               const std::string& range, bool usage) {
    const std::string problem =
        field + " " + number(v, row) + " is outside its range, " + range + " (--force applies it as given)";
    if (usage) throw UsageError(source, problem);
    throw CliError(source, problem);
}

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// VALUE of --set as JSON: itself when it parses, an array when it is a comma list, else a string.
Json set_value(const std::string& text) {
    const Json v = Json::parse(text, nullptr, false);
    if (!v.is_discarded()) return v;
    if (text.find(',') != std::string::npos) {
        const Json list = Json::parse("[" + text + "]", nullptr, false);
        if (!list.is_discarded()) return list;
    }
    return text;
}

}  // namespace

Json sets_to_json(const std::vector<std::string>& sets, const EffectSettings& current) {
    Json j = Json::object();
    const Json now = record_to_json(current);
    for (const std::string& item : sets) {
        const size_t eq = item.find('=');
        if (eq == std::string::npos) throw UsageError("--set", "\"" + item + "\" is not FIELD=VALUE");
        std::string field = trim(item.substr(0, eq));
        const Json value = set_value(trim(item.substr(eq + 1)));
        const size_t open = field.find('[');
        if (open != std::string::npos && field.back() == ']') {
            const std::string index_text = field.substr(open + 1, field.size() - open - 2);
            field.resize(open);
            if (!now.contains(field) || !now[field].is_array())
                throw UsageError("--set", field + " is not an array field (vemomix effects lists the fields)");
            Json& array = j.contains(field) ? j[field] : (j[field] = now[field]);
            const bool digits = !index_text.empty() && index_text.find_first_not_of("0123456789") == std::string::npos;
            const size_t index = digits && index_text.size() < 6 ? std::stoul(index_text) : SIZE_MAX;
            const size_t limit = field == "eq_band_level" ? 31 : 255;
            if (index >= limit)
                throw UsageError("--set", field + "[" + index_text + "]: the index runs from 0 to " +
                                              std::to_string(limit - 1));
            while (array.size() <= index) array.push_back(0);
            array[index] = value;
            continue;
        }
        if (!now.contains(field))
            throw UsageError("--set", "no field is called \"" + field + "\" (vemomix effects lists them)");
        j[field] = value;
    }
    return j;
}

void check_ranges(const Json& given, const EffectSettings& s, int rate, int channels, const std::string& source,
                  bool usage) {
    for (const auto& [field, value] : given.items()) {
        const vemo::ParamRow* row = vemo::find_param(field);
        if (!row) continue;
        switch (row->type) {
            case vemo::FieldType::kU8:
            case vemo::FieldType::kI32:
            case vemo::FieldType::kF32: {
                const double v = vemo::param_read(s, *row);
                if (!vemo::param_in_range(*row, v, rate, channels))
                    out_of_range(source, *row, field, v, range_text(*row, rate, channels), usage);
                break;
            }
            case vemo::FieldType::kLevels:
                for (size_t i = 0; i < value.size() && i < 31; ++i)
                    if (!vemo::param_in_range(*row, s.eq_band_level[i], rate, channels))
                        out_of_range(source, *row, field + "[" + std::to_string(i) + "]", s.eq_band_level[i],
                                     range_text(*row, rate, channels), usage);
                break;
            case vemo::FieldType::kChain:
                for (size_t i = 0; i < value.size() && i < sizeof s.chain_order; ++i)
                    if (s.chain_order[i] > vemo::kEffectCount)
                        out_of_range(source, *row, field + "[" + std::to_string(i) + "]", s.chain_order[i],
                                     "0..16 (0 ends the chain)", usage);
                break;
            case vemo::FieldType::kText: break;
        }
    }
}

void apply_preset(EffectSettings& s, const std::string& preset_file, const std::string& name) {
    const vemo::PresetRecord r = find_preset(preset_file, name);
    s.eq_band_count = r.band_count;
    std::memcpy(s.eq_band_level, r.gains, sizeof s.eq_band_level);
    std::memset(s.eq_preset_name, 0, sizeof s.eq_preset_name);
    std::memcpy(s.eq_preset_name, r.name, strnlen(r.name, sizeof r.name));
    s.eq_preset_builtin = r.builtin;
    s.eq_enabled = 1;
}

int settings_defaults_command(const std::string& out_path) {
    write_file(out_path, format_json(record_to_json(default_record())));
    return 0;
}

}  // namespace vemomix_cli
