// The editor backend of the Windows DLL: the real editor windows, message boxes and the host
// notification.
#pragma once
#include <memory>

#include "editor/backend.h"

namespace vemo {

class EditorWindow;

class Win32Backend : public EditorBackend {
public:
    Win32Backend();
    ~Win32Backend() override;

    void create_windows() override;
    void destroy_windows() override;
    void show_editor(bool show) override;
    void model_changed(ModelPart part) override;
    void strip_client_size(int& width, int& height) override;
    MessageBoxAnswer message_box(std::string_view text, std::string_view caption, MessageBoxKind kind) override;
    bool preset_name_dialog(const std::function<bool(const std::string&)>& accept) override;
    void notify_host(int32_t host_window, int lparam) override;
    std::string library_dir() override;
    std::string host_dir() override;

    EditorWindow* window() const { return window_.get(); }

private:
    std::unique_ptr<EditorWindow> window_;
};

}  // namespace vemo
