#include "editor/headless/headless_backend.h"

#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace vemo {

#ifndef VEMO_WIN32_EDITOR
std::unique_ptr<EditorBackend> make_platform_backend() { return std::make_unique<HeadlessBackend>(); }
#endif

void HeadlessBackend::create_windows() {
    ++windows_created;
    windows_exist = true;
}

void HeadlessBackend::destroy_windows() {
    windows_exist = false;
    visible = false;
}

void HeadlessBackend::show_editor(bool show) { visible = windows_exist && show; }

void HeadlessBackend::strip_client_size(int& width, int& height) {
    width = strip_width;
    height = strip_height;
}

MessageBoxAnswer HeadlessBackend::message_box(std::string_view text, std::string_view caption, MessageBoxKind kind) {
    messages.push_back({std::string(text), std::string(caption), kind});
    return kind == MessageBoxKind::kYesNo ? yes_no_answer : MessageBoxAnswer::kOk;
}

void HeadlessBackend::notify_host(int32_t host_window, int lparam) {
    notifications.emplace_back(host_window, lparam);
#ifdef _WIN32
    HWND hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(host_window));
    if (hwnd != nullptr && IsWindow(hwnd)) SendMessageW(hwnd, 8201, 9999, lparam);
#endif
}

namespace {
std::string dir_of(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}
}  // namespace

std::string HeadlessBackend::library_dir() {
    if (!library_dir_override.empty()) return library_dir_override;
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&make_platform_backend), &self);
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(self, buf, MAX_PATH);
    return dir_of(buf);
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&make_platform_backend), &info) != 0 && info.dli_fname != nullptr)
        return dir_of(info.dli_fname);
    return ".";
#endif
}

std::string HeadlessBackend::host_dir() {
    if (!host_dir_override.empty()) return host_dir_override;
#ifdef _WIN32
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return dir_of(buf);
#else
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? dir_of(std::string(buf, static_cast<size_t>(n))) : std::string(".");
#endif
}

}  // namespace vemo
