// What the editor model asks of the platform: its windows, message boxes, the host
// notification and file locations.  Windows supplies real windows; elsewhere the headless
// backend records what happened.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vemo {

enum class MessageBoxKind { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

// Which part of the model changed, so a view repaints only that.  kStrip stays last: views count
// by part up to it.
enum class ModelPart { kMainWindow, kChainPage, kEqPage, kParamPage, kColours, kStrip };

class EditorBackend {
public:
    virtual ~EditorBackend() = default;
    virtual void create_windows() = 0;
    virtual void destroy_windows() = 0;
    virtual void show_editor(bool show) = 0;
    virtual void model_changed(ModelPart part) = 0;
    // Client size of the caption strip in pixels.
    virtual void strip_client_size(int& width, int& height) = 0;
    virtual MessageBoxAnswer message_box(std::string_view text, std::string_view caption, MessageBoxKind kind) = 0;
    // The modal preset name dialog: each name the user confirms goes to accept, and the
    // dialog stays open until accept takes one (true) or the user gives up (false).
    virtual bool preset_name_dialog(const std::function<bool(const std::string&)>& accept) {
        (void)accept;
        return false;
    }
    // Host notification 8201 / 9999 with lparam 1..4.
    virtual void notify_host(int32_t host_window, int lparam) = 0;
    // Directory of the library's own file and of the host executable (no trailing separator).
    virtual std::string library_dir() = 0;
    virtual std::string host_dir() = 0;
};

}  // namespace vemo
