// The Windows test host: loads vemosoundmix.dll with LoadLibrary, finds the sixteen exports by
// their undecorated names, runs the call-order checks and renders the reference cases.
//   win32_host <path of vemosoundmix.dll> <output directory>
#include <windows.h>

#include <cstdio>

#include "host_checks.h"
#include "reference.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: win32_host <vemosoundmix.dll> <output directory>\n");
        return 2;
    }
    vemo::host::Report report;
    HMODULE dll = LoadLibraryA(argv[1]);
    vemo::host::Api api;
    report.run("LoadLibrary and GetProcAddress find all sixteen exports", [&] {
        report.expect(dll != nullptr, "LoadLibrary succeeds", dll == nullptr ? long(GetLastError()) : 0, 0);
        if (dll == nullptr) return;
        const std::string missing = vemo::host::load_api(api, [dll](const char* name) {
            return reinterpret_cast<void*>(GetProcAddress(dll, name));
        });
        if (!missing.empty()) report.note("missing:" + missing);
        report.expect(missing.empty(), "every export found");
    });
    if (report.failed() == 0) {
        vemo::host::run_api_checks(api, report);
        vemo::host::render_references(api, argv[2], report);
    }
    if (dll != nullptr) FreeLibrary(dll);
    std::printf("wine: %d passed, %d failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
