// The tooltip window of the toolkit: one balloon-shaped popup per owner that shows the text of
// the control under the pointer after a short rest of the pointer.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/gdi.h"
#include "toolkit/subclass_wnd.h"

namespace vemo {

class CBalloonTip : public CWnd {
public:
    static constexpr int kCornerWidth = 12;
    static constexpr int kCornerHeight = 10;
    static constexpr int kPointerHeight = 10;
    static constexpr UINT kShowDelayMs = 500;
    static constexpr UINT kHideDelayMs = 5000;

    CBalloonTip() = default;
    ~CBalloonTip() override;

    // Registers the tool's client area with the text (again: replaces it); the window is made
    // on the first call.
    bool AddTool(HWND tool, std::string_view utf8, bool active = true);
    void Activate(HWND tool, bool active);
    // Shows the balloon of a tool at once, its pointer at the given screen point.
    bool Show(HWND tool, POINT screen);
    void Hide();

    size_t ToolCount() const { return tools_.size(); }
    std::string ToolText(HWND tool) const;
    bool IsToolActive(HWND tool) const;
    HWND ShownTool() const { return shown_; }

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC) override { return TRUE; }
    void OnTimer(UINT_PTR id) override;

private:
    // Sees the tool's mouse messages without taking them.
    class Relay : public CSubclassWnd {
    public:
        explicit Relay(CBalloonTip* tip) : tip_(tip) {}

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    private:
        CBalloonTip* tip_;
    };
    struct Tool {
        HWND hwnd;
        std::wstring text;
        bool active;
        std::unique_ptr<Relay> relay;
    };
    Tool* Find(HWND tool);
    const Tool* Find(HWND tool) const;
    void OnToolMessage(HWND tool, UINT msg);

    std::vector<Tool> tools_;
    HWND pending_ = nullptr;
    HWND shown_ = nullptr;
    std::wstring text_;
    GdiHandle font_;
};

}  // namespace vemo
