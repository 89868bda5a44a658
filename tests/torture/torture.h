// Shared by the torture, allocation, concurrency and fuzz harnesses: a seeded generator,
// settings records inside and far outside the editor's ranges, chain orders, test signals,
// a guarded sample buffer and the response measurements used to judge recovery.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
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

enum class Kind { kInt, kFloat, kFlag };

// One parameter of one effect: where it sits and the range the editor keeps it in.
struct Field {
    int type;      // EffectType
    size_t offset; // in EffectSettings
    Kind kind;
    double lo, hi; // editor range (floats are whole tenths or whole numbers as the editor steps them)
    double step;
};

#define VEMO_FIELD(t, name, kind, lo, hi, step) Field{t, offsetof(EffectSettings, name), kind, lo, hi, step}
inline const std::vector<Field>& fields() {
    static const std::vector<Field> f = {
        VEMO_FIELD(2, comp_threshold_db, Kind::kInt, -60, 0, 1),
        VEMO_FIELD(2, comp_slope_x10, Kind::kInt, 1, 10, 1),
        VEMO_FIELD(2, comp_attack_ms, Kind::kInt, 1, 1000, 1),
        VEMO_FIELD(2, comp_release_ms, Kind::kInt, 1, 5000, 1),
        VEMO_FIELD(3, pitch_octaves, Kind::kFloat, -0.7, 0.9, 0.1),
        VEMO_FIELD(3, pitch_oversampling, Kind::kInt, 1, 8, 1),
        VEMO_FIELD(4, dist_max_step, Kind::kInt, 1, 32767, 1),
        VEMO_FIELD(4, dist_level, Kind::kInt, 1, 1024, 1),
        VEMO_FIELD(4, dist_drive, Kind::kInt, 1, 2000, 1),
        VEMO_FIELD(4, dist_low_cut_hz, Kind::kInt, 20, 2000, 1),
        VEMO_FIELD(4, dist_tone_hz, Kind::kInt, 100, 2700, 1),
        VEMO_FIELD(5, odrive_drive_ohms, Kind::kInt, 10, 5000, 1),
        VEMO_FIELD(5, odrive_lowpass_hz, Kind::kInt, 100, 2700, 1),
        VEMO_FIELD(5, odrive_lowpass_on, Kind::kInt, 0, 1, 1),
        VEMO_FIELD(6, am_depth_pct, Kind::kInt, 0, 100, 1),
        VEMO_FIELD(6, am_period_ms, Kind::kInt, 10, 5000, 1),
        VEMO_FIELD(6, am_level_db, Kind::kInt, -40, 0, 1),
        VEMO_FIELD(6, am_waveform, Kind::kInt, 0, 1, 1),
        VEMO_FIELD(7, echo_delay_s, Kind::kFloat, 0.0, 1.6, 0.1),
        VEMO_FIELD(7, echo_feedback, Kind::kFloat, 0.0, 1.0, 0.1),
        VEMO_FIELD(8, drift_feedback, Kind::kInt, 0, 204, 1),
        VEMO_FIELD(8, drift_depth, Kind::kInt, 0, 50, 1),
        VEMO_FIELD(8, drift_wet, Kind::kInt, 0, 256, 1),
        VEMO_FIELD(8, drift_dry, Kind::kInt, 0, 256, 1),
        VEMO_FIELD(8, drift_speed, Kind::kInt, 1, 100, 1),
        VEMO_FIELD(9, phaser_low_hz, Kind::kFloat, 10, 800, 1),
        VEMO_FIELD(9, phaser_high_hz, Kind::kFloat, 801, 4000, 1),
        VEMO_FIELD(9, phaser_rate, Kind::kFloat, 1, 100, 1),
        VEMO_FIELD(9, phaser_feedback, Kind::kFloat, 1, 99, 1),
        VEMO_FIELD(9, phaser_mix, Kind::kFloat, 1, 10, 1),
        VEMO_FIELD(10, denoise_open_level, Kind::kInt, 0, 1010, 10),
        VEMO_FIELD(10, denoise_hold, Kind::kInt, 0, 19200, 1),
        VEMO_FIELD(10, denoise_release, Kind::kInt, 0, 100000, 1),
        VEMO_FIELD(10, denoise_attack, Kind::kInt, 0, 100000, 1),
        VEMO_FIELD(10, denoise_close_level, Kind::kInt, 0, 1010, 10),
        VEMO_FIELD(11, chorus_depth, Kind::kInt, 0, 50, 1),
        VEMO_FIELD(11, chorus_rate, Kind::kInt, 1, 17280, 1),
        VEMO_FIELD(11, chorus_wet, Kind::kInt, 0, 256, 1),
        VEMO_FIELD(11, chorus_dry, Kind::kInt, 0, 256, 1),
        VEMO_FIELD(11, chorus_feedback, Kind::kInt, 0, 204, 1),
        VEMO_FIELD(12, reverb_tap_count, Kind::kInt, 1, 100, 1),
        VEMO_FIELD(12, reverb_room_m, Kind::kInt, 1, 50, 1),
        VEMO_FIELD(12, reverb_offset_m, Kind::kInt, 0, 100, 1),
        VEMO_FIELD(12, reverb_decay_m, Kind::kInt, 1, 1000, 1),
        VEMO_FIELD(12, reverb_feedback_m, Kind::kInt, 1, 1000, 1),
        VEMO_FIELD(12, reverb_feedback_db, Kind::kInt, -100, 0, 1),
        VEMO_FIELD(12, reverb_wet_db, Kind::kInt, -80, 0, 1),
        VEMO_FIELD(13, wah_rate, Kind::kInt, 1, 40, 1),
        VEMO_FIELD(13, wah_offset, Kind::kInt, 0, 100, 1),
        VEMO_FIELD(13, wah_depth, Kind::kInt, 0, 100, 1),
        VEMO_FIELD(13, wah_resonance, Kind::kInt, 1, 100, 1),
        VEMO_FIELD(14, bass_freq_hz, Kind::kInt, 1, 1000, 1),
        VEMO_FIELD(14, bass_gain_db, Kind::kInt, 0, 36, 1),
        VEMO_FIELD(16, vibrato_period, Kind::kInt, 1, 100, 1),
        VEMO_FIELD(16, vibrato_depth, Kind::kInt, 1, 100, 1),
    };
    return f;
}
#undef VEMO_FIELD

// Offset of each effect's enabled byte, by EffectType (index 0 unused).
constexpr size_t kFlagOffset[17] = {
    0,
    offsetof(EffectSettings, eq_enabled),      offsetof(EffectSettings, comp_enabled),
    offsetof(EffectSettings, pitch_enabled),   offsetof(EffectSettings, dist_enabled),
    offsetof(EffectSettings, odrive_enabled),  offsetof(EffectSettings, am_enabled),
    offsetof(EffectSettings, echo_enabled),    offsetof(EffectSettings, drift_enabled),
    offsetof(EffectSettings, phaser_enabled),  offsetof(EffectSettings, denoise_enabled),
    offsetof(EffectSettings, chorus_enabled),  offsetof(EffectSettings, reverb_enabled),
    offsetof(EffectSettings, wah_enabled),     offsetof(EffectSettings, bass_enabled),
    offsetof(EffectSettings, invert_enabled),  offsetof(EffectSettings, vibrato_enabled),
};

// Where the record's three-byte reserved gaps start: bytes that no field defines.
constexpr size_t kReservedStarts[17] = {1, 197, 201, 209, 221, 237, 261, 285, 309, 333, 353, 385, 401, 425, 449, 469, 481};

inline bool reserved_byte(size_t i) {
    for (size_t start : kReservedStarts)
        if (i >= start && i < start + 3) return true;
    return false;
}

constexpr const char* kEffectNames[17] = {"",      "eq",    "compressor", "pitch",  "distortion", "overdrive",
                                          "am",    "echo",  "drift",      "phaser", "denoise",    "chorus",
                                          "reverb", "wah",  "bass",       "invert", "vibrato"};

inline uint8_t* bytes_of(EffectSettings& s) { return reinterpret_cast<uint8_t*>(&s); }

inline void put_i32(EffectSettings& s, size_t off, int32_t v) { std::memcpy(bytes_of(s) + off, &v, 4); }
inline void put_f32(EffectSettings& s, size_t off, float v) { std::memcpy(bytes_of(s) + off, &v, 4); }

inline void set_flag(EffectSettings& s, int type, uint8_t v) { bytes_of(s)[kFlagOffset[type]] = v; }

inline void set_all_flags(EffectSettings& s, uint8_t v) {
    for (int t = 1; t <= 16; ++t) set_flag(s, t, v);
}

// A chain of the given types in order, every other byte 0.
inline void set_chain(EffectSettings& s, std::initializer_list<int> types) {
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    int i = 0;
    for (int t : types) s.chain_order[i++] = static_cast<uint8_t>(t);
}

inline void set_default_chain(EffectSettings& s) {
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    for (int i = 0; i < 16; ++i) s.chain_order[i] = static_cast<uint8_t>(i + 1);
}

// The record of a freshly initialised library (parameters at their defaults, all off).
inline EffectSettings current_record() {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    return s;
}

// ------------------------------------------------------------------ random records

// Puts one field at a random value inside the editor's range.
inline void valid_value(EffectSettings& s, const Field& f, Rng& rng) {
    const int steps = static_cast<int>(std::lround((f.hi - f.lo) / f.step));
    const double v = f.lo + rng.range(0, steps) * f.step;
    if (f.kind == Kind::kFloat)
        put_f32(s, f.offset, static_cast<float>(v));
    else
        put_i32(s, f.offset, static_cast<int32_t>(std::lround(v)));
}

// Values that break naive arithmetic: zero, signs, the ends of the 16- and 32-bit ranges.
inline int32_t wild_int(Rng& rng, const Field& f) {
    static const int32_t special[] = {0,      -1,     1,          2,          -2,         32767,
                                      -32768, 32768,  65535,      65536,      -65536,     100000,
                                      -100000, 1 << 24, 2147483647, -2147483647 - 1, 1000000000};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: return static_cast<int32_t>(rng.next());
        case 2: return static_cast<int32_t>(std::lround(f.hi)) * rng.range(2, 1000);
        default: return static_cast<int32_t>(std::lround(f.lo)) - rng.range(1, 100000);
    }
}

inline float wild_float(Rng& rng, const Field& f) {
    static const float special[] = {std::numeric_limits<float>::quiet_NaN(),
                                    -std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    0.0f, -0.0f, 1e-40f, -1e-40f, 1e30f, -1e30f,
                                    std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                                    2147483648.0f, -2147483904.0f, 65536.0f, -1.0f};
    switch (rng.range(0, 3)) {
        case 0: return rng.pick(special);
        case 1: {
            const uint32_t bits = static_cast<uint32_t>(rng.next());
            float v;
            std::memcpy(&v, &bits, 4);
            return v;
        }
        case 2: return static_cast<float>(f.hi * rng.range(2, 1000));
        default: return static_cast<float>(f.lo - rng.range(1, 100000));
    }
}

inline void wild_value(EffectSettings& s, const Field& f, Rng& rng) {
    if (f.kind == Kind::kFloat)
        put_f32(s, f.offset, wild_float(rng, f));
    else
        put_i32(s, f.offset, wild_int(rng, f));
}

// Pitch frame sizes: powers of two the transform supports, and sizes that are not.
inline int32_t pitch_frame(Rng& rng, bool valid) {
    static const int32_t good[] = {256, 512, 1024, 2048, 4096, 8192};
    static const int32_t bad[] = {0, -1, 1, 3, 1000, 8191, 16384, 65536, -2147483647 - 1, 2147483647};
    return valid ? rng.pick(good) : rng.pick(bad);
}

// Equaliser block: band count, levels, option and pre-gain.
inline void eq_values(EffectSettings& s, Rng& rng, bool valid) {
    static const int32_t counts[] = {10, 15, 25, 31};
    static const int32_t bad_counts[] = {0, -1, 7, 11, 32, 1000, -2147483647 - 1, 2147483647};
    s.eq_band_count = valid ? rng.pick(counts) : rng.pick(bad_counts);
    const Field band{1, 0, Kind::kInt, -20, 20, 1};
    for (int32_t& level : s.eq_band_level) level = valid ? rng.range(-20, 20) : wild_int(rng, band);
    s.eq_extra_filter = valid ? static_cast<uint8_t>(rng.range(0, 1)) : static_cast<uint8_t>(rng.next());
    s.eq_preamp_pos = valid ? rng.range(0, 24) : wild_int(rng, Field{1, 0, Kind::kInt, 0, 24, 1});
}

// Every parameter of one effect inside (valid) or anywhere outside (wild) the editor's range.
inline void effect_values(EffectSettings& s, int type, Rng& rng, bool valid) {
    if (type == 1) eq_values(s, rng, valid);
    if (type == 3) s.pitch_frame_size = pitch_frame(rng, valid || rng.chance(50));
    for (const Field& f : fields()) {
        if (f.type != type) continue;
        if (valid || rng.chance(40))
            valid_value(s, f, rng);
        else
            wild_value(s, f, rng);
    }
}

// Enabled bytes: mostly 1 so the effects run; wild records also try the values that mean off.
inline void random_flags(EffectSettings& s, Rng& rng, bool valid, int on_percent) {
    for (int t = 1; t <= 16; ++t) {
        uint8_t v = rng.chance(on_percent) ? 1 : 0;
        if (!valid && rng.chance(10)) v = static_cast<uint8_t>(rng.next());
        set_flag(s, t, v);
    }
}

// Chain rows: up to 255, duplicates, and bytes that add no row (0 and 17..255).
inline void random_chain(EffectSettings& s, Rng& rng) {
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    const int shape = rng.range(0, 9);
    int rows = shape < 5 ? rng.range(1, 16) : shape < 8 ? rng.range(17, 40) : shape < 9 ? 255 : 0;
    for (int i = 0; i < rows; ++i) {
        uint8_t b = static_cast<uint8_t>(rng.range(1, 16));
        if (rng.chance(8)) b = static_cast<uint8_t>(rng.chance(50) ? 0 : rng.range(17, 255));
        s.chain_order[i] = b;
    }
}

// A whole record: every effect inside its range, or every field fair game.
inline EffectSettings random_record(const EffectSettings& base, Rng& rng, bool valid) {
    EffectSettings s = base;
    if (!valid && rng.chance(15)) {
        // Nothing but noise, all 748 bytes.
        for (size_t i = 0; i < sizeof s; ++i) bytes_of(s)[i] = static_cast<uint8_t>(rng.next());
        return s;
    }
    for (int t = 1; t <= 16; ++t) effect_values(s, t, rng, valid);
    random_flags(s, rng, valid, 60);
    random_chain(s, rng);
    return s;
}

// ------------------------------------------------------------------ signals

enum class Signal { kSilence, kDc, kSquare, kImpulses, kTiny, kNoise, kSine, kCount };

inline const char* signal_name(Signal s) {
    static const char* n[] = {"silence", "dc", "square", "impulses", "tiny", "noise", "sine"};
    return n[static_cast<int>(s)];
}

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
                v = static_cast<int>(std::lround(12000.0 * std::sin(6.283185307179586 * 440.0 * static_cast<double>(frame) / 44100.0)));
                break;
            case Signal::kCount: break;
        }
        out[i] = static_cast<int16_t>(v);
    }
    phase += n / static_cast<size_t>(channels);
}

// ------------------------------------------------------------------ guarded buffer

// Samples with canary zones on both sides, so a write outside the buffer is seen.
class GuardedBuffer {
public:
    static constexpr size_t kGuard = 64;  // samples each side
    static constexpr int16_t kCanary = 0x5A3C;

    explicit GuardedBuffer(size_t samples) : data_(samples + 2 * kGuard + 1, kCanary), samples_(samples) {}
    int16_t* samples() { return data_.data() + kGuard; }
    size_t size() const { return samples_; }

    // True when both canary zones (and the sample slot after the buffer) are intact.
    bool guards_intact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (data_[i] != kCanary || data_[kGuard + samples_ + i] != kCanary) return false;
        return true;
    }

private:
    std::vector<int16_t> data_;
    size_t samples_;
};

// ------------------------------------------------------------------ hashing and measures

inline uint64_t fnv1a(const void* p, size_t n, uint64_t h = 0xCBF29CE484222325ull) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
    return h;
}

struct Response {
    double rms = 0;     // of the steady part of the programme
    int tail_peak = 0;  // largest magnitude at the end of the silence that follows it
};

// Plays moderate noise for `tone_buffers` buffers, then silence; measures the second half of
// the noise and the last quarter of the silence.  Broadband input keeps the level steady
// through sweeps and random reflection taps, which a single tone would not.
inline Response measure_response(int channels, int tone_buffers = 10, int silent_buffers = 12) {
    const int frames = 2048;
    std::vector<int16_t> buf(static_cast<size_t>(frames) * channels);
    Rng rng(7);
    double sum = 0;
    size_t count = 0;
    Response r;
    for (int b = 0; b < tone_buffers + silent_buffers; ++b) {
        const bool tone = b < tone_buffers;
        for (int16_t& v : buf) v = tone ? static_cast<int16_t>(rng.range(-8000, 8000)) : 0;
        vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
        if (tone && b >= tone_buffers / 2) {
            for (int16_t v : buf) sum += static_cast<double>(v) * v;
            count += buf.size();
        }
        if (!tone && b >= tone_buffers + silent_buffers * 3 / 4)
            for (int16_t v : buf) r.tail_peak = std::max(r.tail_peak, std::abs(static_cast<int>(v)));
    }
    r.rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0;
    return r;
}

// A recovered engine answers like a fresh one: the programme comes through at about the same
// level (not stuck at silence or full scale) and the silence after it dies down about as far.
inline bool responses_match(const Response& fresh, const Response& got) {
    const bool level_ok = (fresh.rms < 50 && got.rms < 50) ||
                          (got.rms >= fresh.rms * 0.5 && got.rms <= fresh.rms * 2.0 + 50);
    const bool tail_ok = got.tail_peak <= std::max(3 * fresh.tail_peak, 128);
    return level_ok && tail_ok;
}

}  // namespace vemo::torture
