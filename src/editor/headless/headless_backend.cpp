#include "editor/headless/headless_backend.h"

#include <memory>

#include "editor/module_paths.h"
#include "resources/editor_commands.h"

#ifdef _WIN32
#include <windows.h>
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
    if (hwnd != nullptr && IsWindow(hwnd)) SendMessageW(hwnd, kHostNotifyMessage, kHostNotifyCode, lparam);
#endif
}

std::string HeadlessBackend::library_dir() {
    return library_dir_override.empty() ? library_module_dir() : library_dir_override;
}

std::string HeadlessBackend::host_dir() { return host_dir_override.empty() ? host_executable_dir() : host_dir_override; }

}  // namespace vemo
