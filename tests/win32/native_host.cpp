// The Linux side of the Windows comparison.
//   native_host run <libvemosoundmix.so> <output directory>   same checks and renders as the Wine host
//   native_host compare <linux directory> <wine directory>    sample-by-sample comparison of the renders
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_checks.h"
#include "reference.h"

namespace {

using namespace vemo::host;

bool read_pcm(const std::string& path, std::vector<int16_t>& out) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    int16_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, sizeof(int16_t), 4096, f)) > 0) out.insert(out.end(), chunk, chunk + n);
    std::fclose(f);
    return true;
}

int run(const char* library, const std::string& dir) {
    Report report;
    void* so = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    Api api;
    report.run("dlopen and dlsym find all sixteen exports", [&] {
        report.expect(so != nullptr, "dlopen succeeds");
        if (so == nullptr) {
            report.note(dlerror());
            return;
        }
        const std::string missing = load_api(api, [so](const char* name) { return dlsym(so, name); });
        if (!missing.empty()) report.note("missing:" + missing);
        report.expect(missing.empty(), "every export found");
    });
    if (report.failed() == 0) {
        run_api_checks(api, report);
        render_references(api, dir, report);
    }
    std::printf("native: %d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}

// One step is one unit of 16-bit PCM; the builds may differ by at most that much.
constexpr int kAllowedDifference = 1;

int compare(const std::string& linux_dir, const std::string& wine_dir) {
    Report report;
    int largest[kAllCase + 1] = {};
    bool comparable[kAllCase + 1];
    std::fill(std::begin(comparable), std::end(comparable), true);
    for (const Format& f : kFormats) {
        for (int which = 0; which <= kAllCase; ++which) {
            const std::string name = render_name(f, which);
            const std::string title = std::to_string(f.rate) + " Hz " + std::to_string(f.channels) + " ch " +
                                      (which == 0 ? std::string("input signal") : std::string(kCaseNames[which]));
            report.run(title.c_str(), [&] {
                std::vector<int16_t> a, b;
                const bool read = read_pcm(linux_dir + "/" + name, a) && read_pcm(wine_dir + "/" + name, b);
                report.expect(read, "both renders readable");
                report.expect_eq(static_cast<long long>(b.size()), static_cast<long long>(a.size()),
                                 "samples in the Wine render");
                if (!read || a.empty() || a.size() != b.size()) {
                    comparable[which] = false;
                    return;
                }
                int max_diff = 0;
                size_t differing = 0, first = a.size();
                for (size_t i = 0; i < a.size(); ++i) {
                    const int d = std::abs(int(a[i]) - int(b[i]));
                    if (d != 0 && first == a.size()) first = i;
                    differing += d != 0;
                    max_diff = std::max(max_diff, d);
                }
                largest[which] = std::max(largest[which], max_diff);
                std::string line = "max difference " + std::to_string(max_diff) + ", " + std::to_string(differing) +
                                   " of " + std::to_string(a.size()) + " samples differ";
                if (differing) line += ", first at sample " + std::to_string(first);
                report.note(line);
                // The input is generated without the C library's maths: it must match bit for bit.
                if (which == 0) report.expect_eq(max_diff, 0, "identical input");
                else report.expect(max_diff <= kAllowedDifference, "difference within one step", max_diff,
                                   kAllowedDifference);
            });
        }
    }
    std::printf("\nlargest Linux-vs-Wine difference per effect (both formats):\n");
    for (int which = 1; which <= kAllCase; ++which) {
        if (comparable[which]) std::printf("  %2d %-22s %d\n", which, kCaseNames[which], largest[which]);
        else std::printf("  %2d %-22s not comparable\n", which, kCaseNames[which]);
    }
    std::printf("compare: %d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "run") == 0) return run(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: native_host run <libvemosoundmix.so> <dir>\n"
                 "       native_host compare <linux dir> <wine dir>\n");
    return 2;
}
