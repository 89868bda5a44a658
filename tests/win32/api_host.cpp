// The hosts that drive the library through its export table alone, built from this one file:
//   win32_host <vemosoundmix.dll> <dir>               under Wine: LoadLibrary and GetProcAddress
//   native_host run <libvemosoundmix.so> <dir>         on Linux: dlopen and dlsym
//   native_host compare <linux dir> <wine dir>         sample-by-sample comparison of the renders
// Both run the call-order checks and write the reference renders (reference.h).
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_checks.h"
#include "reference.h"

using namespace vemo::host;

namespace {

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
        run_api_checks(api, report);
        render_references(api, dir, report);  // after the same calls on both hosts: some state outlives init
#ifdef _WIN32
        report.run("vemomix_begin makes the editor window from the DLL's own templates", [&] {
            api.begin();
            report.expect(FindWindowW(nullptr, L"广告音乐输出效果调整") != nullptr,
                          "a window captioned 广告音乐输出效果调整");
            api.close();
        });
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
    if (argc == 3) return run("wine", argv[1], argv[2]);
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
