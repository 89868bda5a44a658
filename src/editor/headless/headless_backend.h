// The editor backend where there are no windows: it keeps what a window would have shown
// and answers message boxes as the caller arranged, so every behaviour stays observable.
#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "editor/backend.h"

namespace vemo {

class HeadlessBackend : public EditorBackend {
public:
    struct MessageRecord {
        std::string text;
        std::string caption;
        MessageBoxKind kind;
    };

    void create_windows() override;
    void destroy_windows() override;
    void show_editor(bool show) override;
    void model_changed(ModelPart part) override { ++repaints[static_cast<size_t>(part)]; }
    void strip_client_size(int& width, int& height) override;
    MessageBoxAnswer message_box(std::string_view text, std::string_view caption, MessageBoxKind kind) override;
    void notify_host(int32_t host_window, int lparam) override;
    // Offers the names of typed_names in turn, removing each; none left means "放弃".
    bool preset_name_dialog(const std::function<bool(const std::string&)>& accept) override {
        ++name_dialogs;
        while (!typed_names.empty()) {
            const std::string name = typed_names.front();
            typed_names.erase(typed_names.begin());
            if (accept(name)) return true;
        }
        return false;
    }
    std::string library_dir() override;
    std::string host_dir() override;

    // Observations.
    int windows_created = 0;
    bool windows_exist = false;
    bool visible = false;
    // How often a window of each part would have been asked to repaint (a count, so a long
    // session does not grow it).
    std::array<int, static_cast<size_t>(ModelPart::kStrip) + 1> repaints{};
    std::vector<MessageRecord> messages;
    std::vector<std::pair<int32_t, int>> notifications;  // host window, lparam
    // What the preset name dialog is given, and how often it opened.
    std::vector<std::string> typed_names;
    int name_dialogs = 0;
    // What a Yes/No box answers.
    MessageBoxAnswer yes_no_answer = MessageBoxAnswer::kYes;
    // Strip size a window would measure: 276 x 26 dialog units at the default font.
    int strip_width = 414;
    int strip_height = 42;
    // Overrides for the file locations (empty: the real ones).
    std::string library_dir_override;
    std::string host_dir_override;
};

}  // namespace vemo
