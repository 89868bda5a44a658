// The hosts that drive the library through its export table alone, built from this one file:
//   win32_host <vemosoundmix.dll> <dir>               under Wine: LoadLibrary and GetProcAddress; counts
//                                                      as "wine" (x86_64) or "wine32" (i686)
//   native_host run <libvemosoundmix.so> <dir>         on Linux: dlopen and dlsym
//   native_host compare <linux dir> <wine dir>         sample-by-sample comparison of the renders
// Both write the reference renders; win32_host then shows the
// editor through the exports and saves <dir>/editor.png.
#ifdef _WIN32
#include "wine_support.h"
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../torture/torture.h"
#include "report.h"
#include "vemosoundmix.h"

using namespace vemo;
using host::named;
using host::nums;
using host::Report;

namespace {

// ------------------------------------------------------------------ the exports by name
// The sixteen exports as a table of function pointers, filled by name from a loaded module
// (GetProcAddress on Windows, dlsym elsewhere), so both hosts drive the library the same way.
#define VEMO_API_FUNCTIONS(X)                                                                         \
    X(begin) X(init) X(change) X(set) X(get) X(setiir) X(setecho) X(setlevel) X(setdisp) X(datarefresh) \
        X(get_dispstatus) X(set_dispmode) X(set_mainwnd) X(set_wintran) X(get_wintran) X(close)

struct Api {
// decltype keeps the header's calling convention in every pointer type.
#define VEMO_API_MEMBER(name) decltype(&::vemomix_##name) name = nullptr;
    VEMO_API_FUNCTIONS(VEMO_API_MEMBER)
#undef VEMO_API_MEMBER
};

// Looks every export up with lookup(const char*) -> void*; returns the names that are missing.
template <typename Lookup>
std::string load_api(Api& api, Lookup&& lookup) {
    std::string missing;
#define VEMO_API_LOAD(name)                                                             \
    api.name = reinterpret_cast<decltype(api.name)>(lookup("vemomix_" #name));          \
    if (api.name == nullptr) missing += " vemomix_" #name;
    VEMO_API_FUNCTIONS(VEMO_API_LOAD)
#undef VEMO_API_LOAD
    return missing;
}

// ------------------------------------------------------------------ reference renders
// What the exports do in what order is the native tests' (tests/unit/test_exports.cpp and
// test_settings.cpp); here the export table drives the same renders on both platforms.

// The enabled byte of an EffectType (1..16) inside a record.
inline uint8_t& enabled_byte(EffectSettings& s, int type) { return torture::bytes_of(s)[torture::kFlagOffset[type]]; }

inline EffectSettings current(const Api& api) {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    api.get(&s);
    return s;
}

inline void start(const Api& api, int rate, int channels) {
    api.close();
    api.set_dispmode(0);
    api.begin();
    api.init(rate, channels, 0);
}

// Reference signals and the renders made from them: each effect alone, and all of them, at two
// formats. The Wine host and the native host write the same files; the native host compares them.

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
    const double t = x * 6.283185307179586, t2 = t * t;
    double r = 0;
    for (double c : {1.0 / 6227020800.0, -1.0 / 39916800.0, 1.0 / 362880.0, -1.0 / 5040.0, 1.0 / 120.0, -1.0 / 6.0, 1.0})
        r = r * t2 + c;
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

// ------------------------------------------------------------------ the editor through the exports
#ifdef _WIN32
// The first window below top (at any depth) with that control id; null when there is none.
HWND descendant(HWND top, int id) {
    for (HWND c = GetWindow(top, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == id) return c;
        if (HWND d = descendant(c, id)) return d;
    }
    return nullptr;
}

// The editor as a host sees it: made hidden by begin from the dialog templates the DLL carries,
// shown by init, its chain page filled, and photographed to <dir>/editor.png.
void editor_checks(const Api& api, const std::string& dir, Report& report) {
    report.run("the editor from the DLL's own templates: made by begin, shown by init, photographed", [&] {
        api.set_dispmode(1);
        api.begin();
        HWND editor = FindWindowW(nullptr, L"广告音乐输出效果调整");
        if (!report.expect(editor != nullptr, "a window captioned 广告音乐输出效果调整")) return api.close();
        report.expect(!visible(editor), "hidden after begin");
        api.init(44100, 2, 1);
        pump(300);
        report.eq(nums(visible(editor), api.get_dispstatus()), nums(1, 1), "visible, shown flag after init with show 1");
        // 音效控制, 均衡器 and 效果参数.
        report.eq(SendMessageW(descendant(editor, 3000), TCM_GETITEMCOUNT, 0, 0), 3, "tabs");
        // The chain page: its title line, a switch, and the sixteen rows of the chain list.
        HWND title = descendant(editor, 3006), page = GetParent(title);
        report.eq(text_of(title), "输出音频效果从上到下顺序调整", "chain page title line");
        report.eq(text_of(GetDlgItem(page, 3069)), "回响效果器", "switch 3069 of the chain page");
        report.eq(SendMessageW(GetDlgItem(page, 3086), LVM_GETITEMCOUNT, 0, 0), 16, "chain list rows");
        report.expect(visible(page), "chain page visible");
        report.expect(save_window_png(editor, dir + "\\editor.png"), "screenshot editor.png written");
        api.close();
        pump(50);
        report.expect(!IsWindow(editor) && api.get_dispstatus() == 0, "window gone and shown flag 0 after close");
    });
}
#endif

// ------------------------------------------------------------------ the hosts

int run(const char* label, const char* library, const std::string& dir) {
    Report report;
    Api api;
#ifdef _WIN32
    HMODULE module = LoadLibraryA(library);
    const std::string error = module ? "" : named("LoadLibrary error ", GetLastError());
    auto lookup = [module](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); };
#else
    void* module = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    const std::string error = module ? "" : dlerror();
    auto lookup = [module](const char* name) { return dlsym(module, name); };
#endif
    report.run("the library loads and all sixteen exports are found by name", [&] {
        if (!report.expect(module != nullptr, "the library loads: " + error)) return;
        report.eq(load_api(api, lookup), "", "missing exports");
    });
    if (report.failed() == 0) {
        render_references(api, dir, report);
#ifdef _WIN32
        // Through qemu-i386 Wine's desktop process does not always survive to show a window; the
        // suite then says the editor part was not run (scripts/test-wine32-hosts shows it there).
        if (std::getenv("VEMO_HOST_NO_EDITOR") == nullptr) editor_checks(api, dir, report);
#endif
    }
    return report.finish(label);
}

#ifndef _WIN32
std::vector<int16_t> read_pcm(const std::string& path) {
    std::vector<int16_t> out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    int16_t chunk[4096];
    for (size_t n; f && (n = std::fread(chunk, sizeof(int16_t), 4096, f)) > 0;) out.insert(out.end(), chunk, chunk + n);
    if (f) std::fclose(f);
    return out;
}

// The builds may differ by at most one step of 16-bit PCM; the input, generated without the C
// library's maths, must match bit for bit. Prints the largest difference of each effect.
int compare(const std::string& linux_dir, const std::string& wine_dir) {
    Report report;
    std::vector<int> largest(kAllCase + 1, 0);  // -1: not comparable
    for (const Format& f : kFormats) {
        for (int which = 0; which <= kAllCase; ++which) {
            const std::string name = render_name(f, which), label = which == 0 ? "input signal" : kCaseNames[which];
            report.run(std::to_string(f.rate) + named(" Hz ", f.channels) + " ch " + label, [&] {
                const std::vector<int16_t> a = read_pcm(linux_dir + "/" + name), b = read_pcm(wine_dir + "/" + name);
                if (!report.expect(!a.empty() && a.size() == b.size(), named("two renders of the same length, not ", a.size()) +
                                                                           named(" and ", b.size())))
                    return void(largest[which] = -1);
                int max_diff = 0;
                size_t differing = 0, first = a.size();
                for (size_t i = 0; i < a.size(); ++i) {
                    const int d = std::abs(int(a[i]) - int(b[i]));
                    if (d != 0 && differing++ == 0) first = i;
                    max_diff = std::max(max_diff, d);
                }
                if (largest[which] >= 0) largest[which] = std::max(largest[which], max_diff);
                report.note(named("max difference ", max_diff) + named(", ", differing) + named(" of ", a.size()) +
                            " samples differ" + (differing ? named(", first at sample ", first) : ""));
                report.expect(max_diff <= (which == 0 ? 0 : 1), which == 0 ? "identical input" : "difference within one step");
            });
        }
    }
    std::printf("\nlargest Linux-vs-Wine difference per effect (both formats):\n");
    for (int which = 1; which <= kAllCase; ++which)
        std::printf("  %2d %-22s %s\n", which, kCaseNames[which],
                    largest[which] < 0 ? "not comparable" : std::to_string(largest[which]).c_str());
    return report.finish("compare");
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    if (argc == 3) return run(sizeof(void*) == 4 ? "wine32" : "wine", argv[1], argv[2]);
    std::fprintf(stderr, "usage: win32_host <vemosoundmix.dll> <output directory>\n");
#else
    if (argc == 4 && std::strcmp(argv[1], "run") == 0) return run("native", argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
    std::fprintf(
        stderr,
        "usage: native_host run <libvemosoundmix.so> <dir>\n       native_host compare <linux dir> <wine dir>\n");
#endif
    return 2;
}
