#include "editor/win32/win32_backend.h"

#include "editor/editor.h"
#include "editor/module_paths.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/preset_name_dialog.h"

namespace vemo {

std::unique_ptr<EditorBackend> make_platform_backend() { return std::make_unique<Win32Backend>(); }

Win32Backend::Win32Backend() = default;

Win32Backend::~Win32Backend() = default;

void Win32Backend::create_windows() {
    if (window_) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // The backend is made inside the model's constructor, so the model is reached only now.
    auto window = std::make_unique<EditorWindow>(editor());
    if (window->Make()) window_ = std::move(window);
}

void Win32Backend::destroy_windows() {
    if (!window_) return;
    window_->DestroyAll();
    window_.reset();
}

void Win32Backend::show_editor(bool show) {
    if (window_) window_->ShowEditor(show);
}

void Win32Backend::model_changed(ModelPart part) {
    if (window_) window_->ModelChanged(part);
}

void Win32Backend::strip_client_size(int& width, int& height) {
    width = height = 0;
    if (window_) window_->StripClientSize(width, height);
}

MessageBoxAnswer Win32Backend::message_box(std::string_view text, std::string_view caption, MessageBoxKind kind) {
    HWND owner = window_ && IsWindowVisible(window_->m_hWnd) ? window_->m_hWnd : nullptr;
    const UINT type = kind == MessageBoxKind::kYesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(), type | MB_TOPMOST);
    if (kind == MessageBoxKind::kOk) return MessageBoxAnswer::kOk;
    return answer == IDYES ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
}

bool Win32Backend::preset_name_dialog(const std::function<bool(const std::string&)>& accept) {
    return run_preset_name_dialog(window_ ? window_->m_hWnd : nullptr, editor().colours.scheme, accept);
}

void Win32Backend::notify_host(int32_t host_window, int lparam) {
    // Window handles fit in 32 bits on every Windows; 0 or a stale handle reaches nobody.
    HWND hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(host_window));
    if (hwnd != nullptr && IsWindow(hwnd)) SendMessageW(hwnd, kHostNotifyMessage, kHostNotifyCode, lparam);
}

std::string Win32Backend::library_dir() { return library_module_dir(); }

std::string Win32Backend::host_dir() { return host_executable_dir(); }

}  // namespace vemo
