// The sixteen effects by their EffectType number: names, chain-list texts and the
// command-line key each one is known by.  Pure data, read by every layer above.
#pragma once
#include <string_view>

namespace vemo {

enum EffectType : int {
    kGraphicEq = 1,
    kCompressor = 2,
    kPitchChanger = 3,
    kDistortion = 4,
    kOverdrive = 5,
    kAmpMod = 6,
    kEcho = 7,
    kDrift = 8,
    kPhaser = 9,
    kDenoise = 10,
    kChorus = 11,
    kReverb = 12,
    kWah = 13,
    kSuperBass = 14,
    kPhaseInvert = 15,
    kVibrato = 16,
};

constexpr int kEffectCount = 16;
// The chain walk runs at most this many rows, however many the list holds.
constexpr int kChainStages = 16;

constexpr bool is_effect_type(int t) { return t >= 1 && t <= kEffectCount; }

struct EffectInfo {
    EffectType type;
    std::string_view key;        // command-line name, e.g. "reverb"
    std::string_view name;       // English name for listings
    std::string_view list_text;  // column 1 of the chain list (UTF-8)
    std::string_view prefix;     // what the effect's record fields start with, e.g. "reverb_"
};

// Indexed by EffectType; entry 0 is empty.
extern const EffectInfo kEffects[kEffectCount + 1];

// Column 1 text of a chain row, by type (UTF-8); empty for a number that is no type.
std::string_view effect_list_text(int type);

// "Leading digits, 0 when there are none": how a row's column 0 text becomes a type.
int parse_leading_int(std::string_view text);

}  // namespace vemo
