// The sixteen exports as a table of function pointers, filled by name from a loaded module
// (GetProcAddress on Windows, dlsym elsewhere), so both hosts drive the library the same way.
#pragma once
#include <string>

#include "vemosoundmix.h"

#define VEMO_API_FUNCTIONS(X)                                                                         \
    X(begin) X(init) X(change) X(set) X(get) X(setiir) X(setecho) X(setlevel) X(setdisp) X(datarefresh) \
        X(get_dispstatus) X(set_dispmode) X(set_mainwnd) X(set_wintran) X(get_wintran) X(close)

namespace vemo::host {

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

}  // namespace vemo::host
