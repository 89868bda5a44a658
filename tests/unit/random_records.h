// Settings records drawn at random: every parameter inside the editor's range, as the parameter
// table gives it, or anywhere outside it; enabled bytes and chain rows of every shape.
#pragma once
#include <bit>
#include <limits>

#include "../torture/torture.h"
#include "settings/param_table.h"

namespace vemo::torture {

// Values that break naive arithmetic: zero, signs, the ends of the 16- and 32-bit ranges, and
// far beyond the range lo..hi.
inline int32_t wild_int(Rng& rng, double lo, double hi) {
    static const int32_t special[] = {0, -1, 1, 2, -2, 32767, -32768, 32768, 65535, 65536, -65536, 100000, -100000,
                                      1 << 24, 2147483647, -2147483647 - 1, 1000000000, 7, 11, 3000, 16384};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: return static_cast<int32_t>(rng.next());
        case 2: return static_cast<int32_t>(std::clamp(hi, -1e6, 1e6)) * rng.range(2, 1000);
        default: return static_cast<int32_t>(std::clamp(lo, -1e6, 1e6)) - rng.range(1, 100000);
    }
}

inline float wild_float(Rng& rng, double lo, double hi) {
    using L = std::numeric_limits<float>;
    static const float special[] = {L::quiet_NaN(), -L::quiet_NaN(), L::infinity(), -L::infinity(), 0.0f, -0.0f,
                                    1e-40f, -1e-40f, 1e30f, -1e30f, L::max(), -L::max(), 2147483648.0f,
                                    -2147483904.0f, 65536.0f, -1.0f};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: return std::bit_cast<float>(static_cast<uint32_t>(rng.next()));
        case 2: return static_cast<float>(hi * rng.range(2, 1000));
        default: return static_cast<float>(lo - rng.range(1, 100000));
    }
}

// Every parameter of one effect at a position of its slider (valid) or, mostly, anywhere at all
// (wild).  Ranges are those of 44100 Hz stereo.
inline void effect_values(EffectSettings& s, int type, Rng& rng, bool valid) {
    for (const ParamRow& r : effect_rows(type)) {
        if (r.role != FieldRole::kParam && r.role != FieldRole::kEqualiser) continue;
        double lo, hi;
        param_value_range(r, 44100, 2, lo, hi);
        const bool wild = !valid && !rng.chance(40);
        auto value = [&] {
            return wild ? wild_int(rng, lo, hi) : param_value_at(r, rng.range(r.pos_min, r.pos_max), 44100, 2);
        };
        if (r.type == FieldType::kLevels) {
            for (int32_t& l : s.eq_band_level) l = static_cast<int32_t>(value());
        } else if (r.type == FieldType::kU8) {
            bytes_of(s)[r.offset] = static_cast<uint8_t>(wild ? rng.next() : value());
        } else if (wild) {
            r.type == FieldType::kF32 ? put(s, r.offset, wild_float(rng, lo, hi)) : put(s, r.offset, value());
        } else {
            param_write(s, r, value());
        }
    }
}

// A whole record: every effect inside its range, or every field fair game.  Enabled bytes are
// mostly 1 so the effects run; wild records also try the values that mean off.  Chain rows: up
// to 255, duplicates, and bytes that add no row (0 and 17..255).
inline EffectSettings random_record(const EffectSettings& base, Rng& rng, bool valid) {
    EffectSettings s = base;
    if (!valid && rng.chance(15)) {  // nothing but noise, all 748 bytes
        for (size_t i = 0; i < sizeof s; ++i) bytes_of(s)[i] = static_cast<uint8_t>(rng.next());
        return s;
    }
    for (int t = 1; t <= 16; ++t) effect_values(s, t, rng, valid);
    for (int t = 1; t <= 16; ++t) {
        uint8_t v = rng.chance(60) ? 1 : 0;
        if (!valid && rng.chance(10)) v = static_cast<uint8_t>(rng.next());
        set_flag(s, t, v);
    }
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    const int shape = rng.range(0, 9);
    const int rows = shape < 5 ? rng.range(1, 16) : shape < 8 ? rng.range(17, 40) : shape < 9 ? 255 : 0;
    for (int i = 0; i < rows; ++i)
        s.chain_order[i] = static_cast<uint8_t>(!rng.chance(8)    ? rng.range(1, 16)
                                                : rng.chance(50) ? 0
                                                                 : rng.range(17, 255));
    return s;
}

}  // namespace vemo::torture
