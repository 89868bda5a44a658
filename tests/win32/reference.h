// Reference signals and the renders made from them: each effect alone, and all of them, at two
// formats. The Wine host and the native host write the same files; the native host compares them.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host_checks.h"

namespace vemo::host {

struct Format {
    int rate, channels;
};
inline constexpr Format kFormats[] = {{44100, 2}, {22050, 1}};

// Cases 1..16 run that EffectType alone; kAllCase runs every effect in the default chain.
inline constexpr int kAllCase = 17;
inline const char* const kCaseNames[] = {"",        "graphic equaliser", "compressor",      "pitch changer",
                                         "distortion", "overdrive",      "amplitude modulation", "echo",
                                         "drift",   "phaser",            "noise reduction", "chorus",
                                         "reverberation", "wah-wah",     "super bass",      "phase inversion",
                                         "vibrato", "all sixteen"};

inline std::string render_name(const Format& f, int which) {
    return std::to_string(f.rate) + named("_", f.channels) + "_" +
           (which == 0 ? std::string("input") : std::to_string(which)) + ".pcm";
}

// sin(2*pi*p) for p in [0, 1) from additions and multiplications only, so every IEEE-754
// platform produces the same bits (the C library's sin may differ in the last place).
inline double cycle_sin(double p) {
    double x = p < 0.5 ? p : p - 1.0;
    if (x > 0.25) x = 0.5 - x;
    else if (x < -0.25) x = -0.5 - x;
    const double t = x * 6.283185307179586;
    const double t2 = t * t;
    double r = 1.0 / 6227020800.0;
    r = r * t2 - 1.0 / 39916800.0;
    r = r * t2 + 1.0 / 362880.0;
    r = r * t2 - 1.0 / 5040.0;
    r = r * t2 + 1.0 / 120.0;
    r = r * t2 - 1.0 / 6.0;
    r = r * t2 + 1.0;
    return r * t;
}

inline int16_t to_sample(double v) {
    const double r = std::floor(v + 0.5);
    return static_cast<int16_t>(r > 32767.0 ? 32767.0 : r < -32768.0 ? -32768.0 : r);
}

// 1.6 s: a linear sweep from 30 Hz to 0.45 of the rate, noise under two tones, silence, a
// clipped full-scale burst, near-silent noise (for the gate) and a silent tail.
inline std::vector<int16_t> reference_signal(const Format& f) {
    const int frames = f.rate * 16 / 10;
    std::vector<int16_t> out(static_cast<size_t>(frames) * static_cast<size_t>(f.channels));
    uint32_t seed = 0x2545F491u;
    auto noise = [&seed] {  // xorshift32 in [-1, 1)
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return static_cast<double>(seed) / 2147483648.0 - 1.0;
    };
    const double rate = f.rate;
    auto advance = [rate](double& phase, double hz) { phase += hz / rate, phase -= std::floor(phase); };
    const int sweep_end = f.rate * 6 / 10, noise_end = f.rate * 9 / 10, silence_end = f.rate * 11 / 10,
              burst_end = f.rate * 12 / 10, hiss_end = f.rate * 135 / 100;
    double phase = 0, tone_a = 0, tone_b = 0;
    for (int i = 0; i < frames; ++i) {
        double l = 0, r = 0;
        if (i < sweep_end) {
            const double hz = 30.0 + (0.45 * rate - 30.0) * i / sweep_end;
            l = 16000.0 * cycle_sin(phase);
            r = 9000.0 * cycle_sin(phase + 0.25 - std::floor(phase + 0.25));
            advance(phase, hz);
        } else if (i < noise_end) {
            l = 6000.0 * noise() + 8000.0 * cycle_sin(tone_a);
            r = 6000.0 * noise() + 8000.0 * cycle_sin(tone_b);
            advance(tone_a, 440.0);
            advance(tone_b, 660.0);
        } else if (i < silence_end) {
        } else if (i < burst_end) {
            l = 52000.0 * cycle_sin(tone_a);
            r = -l;
            advance(tone_a, 100.0);
        } else if (i < hiss_end) {
            l = 4.0 * noise();
            r = 4.0 * noise();
        }
        const size_t at = static_cast<size_t>(i) * static_cast<size_t>(f.channels);
        out[at] = to_sample(l);
        if (f.channels == 2) out[at + 1] = to_sample(r);
    }
    return out;
}

inline bool write_pcm(const std::string& path, const std::vector<int16_t>& pcm) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(pcm.data(), sizeof(int16_t), pcm.size(), f) == pcm.size();
    return std::fclose(f) == 0 && ok;
}

// Runs one case on a fresh init: the defaults of that format, the chain 1..16, the case's
// effects switched on (the equaliser with a shaped curve), fed in blocks of varied sizes,
// including one above 4096 frames and one of a single frame.
inline std::vector<int16_t> render_case(const Api& api, const Format& f, int which, std::vector<int16_t> pcm) {
    start(api, f.rate, f.channels);
    EffectSettings s = current(api);
    torture::set_default_chain(s);
    for (int t = 1; t <= 16; ++t) enabled_byte(s, t) = (which == t || which == kAllCase) ? 1 : 0;
    const int levels[10] = {12, 8, 4, -6, -10, 0, 6, -4, 10, 16};
    for (int b = 0; b < 10; ++b) s.eq_band_level[b] = levels[b];
    s.eq_preamp_pos = 10;
    api.set(s);

    static const int kBlocks[] = {1024, 4096, 333, 1, 5000, 2048, 777, 4095};
    const size_t total = pcm.size() / static_cast<size_t>(f.channels);
    size_t done = 0;
    for (size_t k = 0; done < total; ++k) {
        const size_t n = std::min<size_t>(static_cast<size_t>(kBlocks[k % 8]), total - done);
        api.change(pcm.data() + done * static_cast<size_t>(f.channels), static_cast<int32_t>(n * f.channels * 2));
        done += n;
    }
    api.close();
    return pcm;
}

// Writes <dir>/<rate>_<channels>_input.pcm and one file per case.
inline void render_references(const Api& api, const std::string& dir, Report& report) {
    report.run("render the reference cases", [&] {
        for (const Format& f : kFormats) {
            const std::vector<int16_t> input = reference_signal(f);
            report.expect(write_pcm(dir + "/" + render_name(f, 0), input), render_name(f, 0) + " written");
            for (int which = 1; which <= kAllCase; ++which)
                report.expect(write_pcm(dir + "/" + render_name(f, which), render_case(api, f, which, input)),
                              render_name(f, which) + " written");
        }
    });
}

}  // namespace vemo::host
