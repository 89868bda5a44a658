#include "effect_names.h"

#include <cctype>
#include <cstddef>
#include <cstring>

#include "cli_error.h"
#include "settings/param_table.h"

namespace vemomix_cli {
namespace {

// The byte of an effect's switch: the first of its rows.
size_t flag_offset(int type) { return vemo::effect_rows(type)[0].offset; }

// The chain walk reads this many rows and no more.
constexpr size_t kRowsRun = 16;

std::string known_names() {
    std::string all;
    for (int t = 1; t <= kEffectCount; ++t) all += (all.empty() ? "" : ", ") + std::string(vemo::kEffects[t].key);
    return all;
}

}  // namespace

const char* effect_name(int type) { return type >= 1 && type <= kEffectCount ? vemo::kEffects[type].key.data() : "?"; }

int effect_type(const std::string& given) {
    // Names in any case.
    std::string s;
    for (char c : given) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int t = 1; t <= kEffectCount; ++t)
        if (s == vemo::kEffects[t].key) return t;
    if (s.empty() || s.size() > 2 || s.find_first_not_of("0123456789") != std::string::npos) return 0;
    const int n = std::stoi(s);
    return n >= 1 && n <= kEffectCount ? n : 0;
}

uint8_t& enabled_flag(EffectSettings& s, int type) {
    return reinterpret_cast<uint8_t*>(&s)[flag_offset(type)];
}

uint8_t enabled_flag(const EffectSettings& s, int type) {
    return reinterpret_cast<const uint8_t*>(&s)[flag_offset(type)];
}

void apply_chain(EffectSettings& s, const std::vector<std::string>& rows) {
    if (rows.size() > sizeof s.chain_order)
        throw UsageError("--chain", "at most " + std::to_string(sizeof s.chain_order) + " rows");
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int t = effect_type(rows[i]);
        if (t == 0)
            throw UsageError("--chain", "\"" + rows[i] + "\" is not an effect (1..16 or one of: " + known_names() + ")");
        s.chain_order[i] = static_cast<uint8_t>(t);
    }
}

void apply_enable(EffectSettings& s, const std::vector<std::string>& names) {
    for (const auto& n : names) {
        const int t = effect_type(n);
        if (t == 0) throw UsageError("--enable", "\"" + n + "\" is not an effect (one of: " + known_names() + ")");
        enabled_flag(s, t) = 1;
    }
}

std::vector<int> running_rows(const EffectSettings& s) {
    // Bytes 0 and above 16 make no row; the list takes every other byte in order.
    std::vector<int> out;
    for (const uint8_t t : s.chain_order) {
        if (t >= 1 && t <= kEffectCount) out.push_back(t);
        if (out.size() == kRowsRun) break;
    }
    return out;
}

std::string describe_chain(const std::vector<int>& types) {
    std::string out;
    for (int t : types) out += (out.empty() ? "" : " > ") + std::string(effect_name(t));
    return out.empty() ? "(empty)" : out;
}

}  // namespace vemomix_cli
