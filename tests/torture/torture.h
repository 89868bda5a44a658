// Shared by the torture, allocation, concurrency, command-line and Windows host tests: a seeded
// generator, the record's flags and reserved bytes, chain orders, test signals and a guarded
// sample buffer.  Random records are in tests/unit/random_records.h.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
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

}  // namespace vemo::torture
