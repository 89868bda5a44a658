#include "editor/module_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace vemo {

std::string directory_of(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut == 0 ? 1 : cut);
}

std::string library_module_dir() {
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&library_module_dir), &self);
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(self, buf, MAX_PATH);
    return directory_of(buf);
#else
    // Linked into an executable, dladdr names the program as it was started (argv[0]), which
    // is a bare name when found through PATH: then the executable's own path is the answer.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_module_dir), &info) == 0 || info.dli_fname == nullptr ||
        std::string(info.dli_fname).find('/') == std::string::npos)
        return host_executable_dir();
    char resolved[PATH_MAX] = {};
    return directory_of(realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname);
#endif
}

std::string host_executable_dir() {
#ifdef _WIN32
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return directory_of(buf);
#else
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? directory_of(std::string(buf, static_cast<size_t>(n))) : std::string(".");
#endif
}

}  // namespace vemo
