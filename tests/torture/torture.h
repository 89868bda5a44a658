// Shared by the torture, allocation, concurrency, command-line and Windows host tests: a seeded
// generator, settings records inside and far outside the editor's ranges, chain orders, test
// signals and a guarded sample buffer.
#pragma once
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <type_traits>
#include <vector>

#include "vemosoundmix.h"

namespace vemo::torture {

constexpr int kRates[4] = {11025, 22050, 44100, 48000};

// splitmix64: independent of the library's own generator, so drawing test data never
// shifts the sequence the effects see.
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed) {}
    uint64_t next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in lo..hi inclusive.
    int range(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<uint64_t>(static_cast<int64_t>(hi) - lo + 1));
    }
    bool chance(int percent) { return range(0, 99) < percent; }
    template <typename T, size_t N>
    T pick(const T (&a)[N]) { return a[next() % N]; }
};

// ------------------------------------------------------------------ record fields per effect

// One parameter of one effect: where it sits, and the range and step the editor keeps it in.
struct Field {
    int type;  // EffectType
    size_t offset;
    bool is_float;
    double lo, hi, step;
};

#define F(t, name, lo, hi, step) \
    Field{t, offsetof(EffectSettings, name), std::is_same_v<decltype(EffectSettings::name), float>, lo, hi, step}
inline const std::vector<Field>& fields() {
    static const std::vector<Field> f = {
        F(2, comp_threshold_db, -60, 0, 1), F(2, comp_slope_x10, 1, 10, 1), F(2, comp_attack_ms, 1, 1000, 1),
        F(2, comp_release_ms, 1, 5000, 1), F(3, pitch_octaves, -0.7, 0.9, 0.1), F(3, pitch_oversampling, 1, 8, 1),
        F(4, dist_max_step, 1, 32767, 1), F(4, dist_level, 1, 1024, 1), F(4, dist_drive, 1, 2000, 1),
        F(4, dist_low_cut_hz, 20, 2000, 1), F(4, dist_tone_hz, 100, 2700, 1), F(5, odrive_drive_ohms, 10, 5000, 1),
        F(5, odrive_lowpass_hz, 100, 2700, 1), F(5, odrive_lowpass_on, 0, 1, 1), F(6, am_depth_pct, 0, 100, 1),
        F(6, am_period_ms, 10, 5000, 1), F(6, am_level_db, -40, 0, 1), F(6, am_waveform, 0, 1, 1),
        F(7, echo_delay_s, 0.0, 1.6, 0.1), F(7, echo_feedback, 0.0, 1.0, 0.1), F(8, drift_feedback, 0, 204, 1),
        F(8, drift_depth, 0, 50, 1), F(8, drift_wet, 0, 256, 1), F(8, drift_dry, 0, 256, 1),
        F(8, drift_speed, 1, 100, 1), F(9, phaser_low_hz, 10, 800, 1), F(9, phaser_high_hz, 801, 4000, 1),
        F(9, phaser_rate, 1, 100, 1), F(9, phaser_feedback, 1, 99, 1), F(9, phaser_mix, 1, 10, 1),
        F(10, denoise_open_level, 0, 1010, 10), F(10, denoise_hold, 0, 19200, 1), F(10, denoise_release, 0, 100000, 1),
        F(10, denoise_attack, 0, 100000, 1), F(10, denoise_close_level, 0, 1010, 10), F(11, chorus_depth, 0, 50, 1),
        F(11, chorus_rate, 1, 17280, 1), F(11, chorus_wet, 0, 256, 1), F(11, chorus_dry, 0, 256, 1),
        F(11, chorus_feedback, 0, 204, 1), F(12, reverb_tap_count, 1, 100, 1), F(12, reverb_room_m, 1, 50, 1),
        F(12, reverb_offset_m, 0, 100, 1), F(12, reverb_decay_m, 1, 1000, 1), F(12, reverb_feedback_m, 1, 1000, 1),
        F(12, reverb_feedback_db, -100, 0, 1), F(12, reverb_wet_db, -80, 0, 1), F(13, wah_rate, 1, 40, 1),
        F(13, wah_offset, 0, 100, 1), F(13, wah_depth, 0, 100, 1), F(13, wah_resonance, 1, 100, 1),
        F(14, bass_freq_hz, 1, 1000, 1), F(14, bass_gain_db, 0, 36, 1), F(16, vibrato_period, 1, 100, 1),
        F(16, vibrato_depth, 1, 100, 1),
    };
    return f;
}
#undef F

// Offset of each effect's enabled byte, by EffectType (index 0 unused).
#define O(effect) offsetof(EffectSettings, effect##_enabled)
constexpr size_t kFlagOffset[17] = {0,         O(eq),     O(comp),    O(pitch),  O(dist),   O(odrive),
                                    O(am),     O(echo),   O(drift),   O(phaser), O(denoise), O(chorus),
                                    O(reverb), O(wah),    O(bass),    O(invert), O(vibrato)};
#undef O

// Where the record's three-byte reserved gaps start: bytes that no field defines.
constexpr size_t kReservedStarts[17] = {
    1, 197, 201, 209, 221, 237, 261, 285, 309, 333, 353, 385, 401, 425, 449, 469, 481};

inline bool reserved_byte(size_t i) {
    for (size_t start : kReservedStarts)
        if (i >= start && i < start + 3) return true;
    return false;
}

constexpr const char* kEffectNames[17] = {"",      "eq",     "compressor", "pitch",  "distortion", "overdrive",
                                          "am",    "echo",   "drift",      "phaser", "denoise",    "chorus",
                                          "reverb", "wah",   "bass",       "invert", "vibrato"};

inline uint8_t* bytes_of(EffectSettings& s) { return reinterpret_cast<uint8_t*>(&s); }

template <typename T>
void put(EffectSettings& s, size_t off, T v) { std::memcpy(bytes_of(s) + off, &v, 4); }

inline void set_flag(EffectSettings& s, int type, uint8_t v) { bytes_of(s)[kFlagOffset[type]] = v; }
inline void set_all_flags(EffectSettings& s, uint8_t v) { for (int t = 1; t <= 16; ++t) set_flag(s, t, v); }

// A chain of the given types in order, every other byte 0.
inline void set_chain(EffectSettings& s, std::initializer_list<int> types) {
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    int i = 0;
    for (int t : types) s.chain_order[i++] = static_cast<uint8_t>(t);
}
inline void set_default_chain(EffectSettings& s) {
    set_chain(s, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
}

// The record of the running library (after init: parameters at their defaults, all off).
inline EffectSettings current_record() {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    return s;
}

// A record with every effect on in the default order.
inline EffectSettings all_on(EffectSettings s) {
    set_all_flags(s, 1);
    set_default_chain(s);
    return s;
}

// ------------------------------------------------------------------ random records

// Values that break naive arithmetic: zero, signs, the ends of the 16- and 32-bit ranges.
inline int32_t wild_int(Rng& rng, const Field& f) {
    static const int32_t special[] = {0, -1, 1, 2, -2, 32767, -32768, 32768, 65535, 65536, -65536, 100000, -100000,
                                      1 << 24, 2147483647, -2147483647 - 1, 1000000000};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: return static_cast<int32_t>(rng.next());
        case 2: return static_cast<int32_t>(std::lround(f.hi)) * rng.range(2, 1000);
        default: return static_cast<int32_t>(std::lround(f.lo)) - rng.range(1, 100000);
    }
}

inline float wild_float(Rng& rng, const Field& f) {
    using L = std::numeric_limits<float>;
    static const float special[] = {L::quiet_NaN(), -L::quiet_NaN(), L::infinity(), -L::infinity(), 0.0f, -0.0f,
                                    1e-40f, -1e-40f, 1e30f, -1e30f, L::max(), -L::max(), 2147483648.0f,
                                    -2147483904.0f, 65536.0f, -1.0f};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: return std::bit_cast<float>(static_cast<uint32_t>(rng.next()));
        case 2: return static_cast<float>(f.hi * rng.range(2, 1000));
        default: return static_cast<float>(f.lo - rng.range(1, 100000));
    }
}

// Every parameter of one effect inside (valid) or anywhere outside (wild) the editor's range.  The
// equaliser's band counts, and pitch frame sizes: those the transform supports, and others.
inline void effect_values(EffectSettings& s, int type, Rng& rng, bool valid) {
    static const int32_t counts[] = {10, 15, 25, 31}, bad_counts[] = {0, -1, 7, 11, 32, 1000, INT32_MIN, INT32_MAX};
    static const int32_t frames[] = {256, 512, 1024, 2048, 4096, 8192};
    static const int32_t bad_frames[] = {0, -1, 1, 3, 1000, 8191, 16384, 65536, INT32_MIN, INT32_MAX};
    if (type == 1) {
        s.eq_band_count = valid ? rng.pick(counts) : rng.pick(bad_counts);
        const Field level{1, 0, false, -20, 20, 1};
        for (int32_t& l : s.eq_band_level) l = valid ? rng.range(-20, 20) : wild_int(rng, level);
        s.eq_extra_filter = static_cast<uint8_t>(valid ? rng.range(0, 1) : static_cast<int>(rng.next() & 0xFF));
        s.eq_preamp_pos = valid ? rng.range(0, 24) : wild_int(rng, Field{1, 0, false, 0, 24, 1});
    }
    if (type == 3) s.pitch_frame_size = valid || rng.chance(50) ? rng.pick(frames) : rng.pick(bad_frames);
    for (const Field& f : fields()) {
        if (f.type != type) continue;
        if (!valid && !rng.chance(40)) {
            f.is_float ? put(s, f.offset, wild_float(rng, f)) : put(s, f.offset, wild_int(rng, f));
            continue;
        }
        const double v = f.lo + rng.range(0, static_cast<int>(std::lround((f.hi - f.lo) / f.step))) * f.step;
        f.is_float ? put(s, f.offset, static_cast<float>(v)) : put(s, f.offset, static_cast<int32_t>(std::lround(v)));
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

// ------------------------------------------------------------------ signals and buffers

enum class Signal { kSilence, kDc, kSquare, kImpulses, kTiny, kNoise, kSine, kCount };

// Fills n interleaved samples. phase carries the waveform over from buffer to buffer.
inline void fill_signal(int16_t* out, size_t n, int channels, Signal kind, Rng& rng, uint64_t& phase) {
    for (size_t i = 0; i < n; ++i) {
        const uint64_t frame = phase + i / static_cast<size_t>(channels);
        int v = 0;
        switch (kind) {
            case Signal::kSilence: v = 0; break;
            case Signal::kDc: v = 32767; break;
            case Signal::kSquare: v = (frame / 50) % 2 ? 32767 : -32768; break;
            case Signal::kImpulses: v = frame % 997 == 0 ? 32767 : (frame % 997 == 498 ? -32768 : 0); break;
            case Signal::kTiny: v = rng.range(-1, 1); break;  // drives filter memories into the denormal range
            case Signal::kNoise: v = static_cast<int16_t>(rng.next()); break;
            case Signal::kSine:
                v = static_cast<int>(std::lround(12000.0 * std::sin(6.283185307179586 * 440.0 * frame / 44100.0)));
                break;
            case Signal::kCount: break;
        }
        out[i] = static_cast<int16_t>(v);
    }
    phase += n / static_cast<size_t>(channels);
}

// Samples with canary zones of kGuard samples on both sides (and one more slot after the buffer),
// so a write outside the buffer is seen.
struct GuardedBuffer {
    static constexpr size_t kGuard = 64;
    static constexpr int16_t kCanary = 0x5A3C;
    explicit GuardedBuffer(size_t n) : data(n + 2 * kGuard + 1, kCanary), size(n) {}
    int16_t* samples() { return data.data() + kGuard; }
    bool guards_intact() const {
        return std::all_of(data.begin(), data.begin() + kGuard, [](int16_t v) { return v == kCanary; }) &&
               std::all_of(data.end() - kGuard - 1, data.end(), [](int16_t v) { return v == kCanary; });
    }
    std::vector<int16_t> data;
    size_t size;
};

inline uint64_t fnv1a(const void* p, size_t n, uint64_t h = 0xCBF29CE484222325ull) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
    return h;
}

}  // namespace vemo::torture
