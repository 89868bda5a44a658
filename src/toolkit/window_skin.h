// The window skin: a hook on a top-level window that replaces the system frame by its own
// caption bar, border and caption buttons, offers a popup system menu, and in host mode sends
// the frame's actions to the window as editor commands instead of acting itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "resources/editor_commands.h"
#include "resources/resource_ids.h"
#include "toolkit/gdi.h"
#include "toolkit/subclass_wnd.h"

namespace vemo {

// What the frame is drawn with; the skin's owner fills it from its own colour scheme.
struct SkinColours {
    COLORREF main_colour = 0x00624C06;
    int header_style = 2;  // 0..3
    int border_style = 0;  // 0..6
};

class CWindowSkin : public CSubclassWnd {
public:
    static constexpr int kInsetLeft = 10;
    static constexpr int kInsetTop = 33;  // the caption
    static constexpr int kInsetRight = 12;
    static constexpr int kInsetBottom = 13;
    static constexpr int kCaptionTop = 5;  // the caption band starts below the top edge
    static constexpr int kMinTrackWidth = 223;
    static constexpr int kMinTrackHeight = 78;

    // Editor command message and the code of the frame's actions in host mode.
    static constexpr UINT kEditorCommand = kEditorCommandMessage;
    static constexpr WPARAM kFrameCommand = static_cast<WPARAM>(kCmdFrame);
    static constexpr LPARAM kHide = kFrameHide;
    static constexpr LPARAM kToggleColourWindow = kFrameSkin;
    static constexpr LPARAM kAbout = kFrameAbout;

    // The popup system menu and its commands.
    static constexpr UINT kMenuId = IDM_SYSTEM;
    static constexpr UINT kCaptionIconId = IDI_CAPTION;
    enum MenuCommand : UINT {
        kMenuRestore = IDM_SYS_RESTORE,
        kMenuSize = IDM_SYS_SIZE,
        kMenuMinimise = IDM_SYS_MINIMISE,
        kMenuMaximise = IDM_SYS_MAXIMISE,
        kMenuSkin = IDM_SYS_SKIN,
        kMenuClose = IDM_SYS_CLOSE,
        kMenuAbout = IDM_SYS_ABOUT,
    };

    enum State { kNormal = 0, kMaximised = 1, kMinimised = 2 };

    CWindowSkin() = default;
    ~CWindowSkin() override;

    // Marks the skin loaded and sets its geometry; the name only tells skins apart.
    bool LoadSkin(const char* name);
    // Only when loaded: hooks the window, reads its sizing and box styles and takes the
    // system's caption buttons away.
    bool Attach(HWND hwnd);
    void SetHostMode(bool on) { m_hostMode = on ? 1 : 0; }
    // Colours, header and border style of the frame; repaints it.
    void SetColours(const SkinColours& colours);
    const SkinColours& GetColours() const { return m_colours; }
    void RepaintFrame();

    // Frame part under a point in window coordinates (HTCLOSE, HTCAPTION, ...).
    int HitTest(POINT window_pt) const;
    void Maximise();
    void Restore();
    void Minimise();

    // Opens the popup system menu at a screen point; returns once it closed.
    void ShowSystemMenu(POINT screen);
    // Carries out a system menu command (32771..32777); false for any other id.
    bool OnMenuCommand(UINT id);
    // Draws the whole frame of a window of that size into dc (window coordinates).
    void PaintFrame(HDC dc, int width, int height);

    HWND m_hSkinned = nullptr;
    bool m_bLoaded = false;
    uint8_t m_hostMode = 0;
    bool m_bSizable = false;
    bool m_bHasMinBox = false;
    bool m_bHasMaxBox = false;
    RECT m_insets{0, 0, 0, 0};
    int m_state = kNormal;
    int m_stateBeforeMinimise = kNormal;
    RECT m_normalRect{0, 0, 0, 0};
    int m_hot = HTNOWHERE;
    int m_pressed = HTNOWHERE;
    bool m_bActive = true;
    std::wstring m_caption;
    std::string m_name;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    POINT ToWindow(LPARAM screen_lp) const;
    void CloseAction();
    void PaintCaption(HDC dc, int width);
    void PaintBorder(HDC dc, int width, int height);
    void PaintBox(HDC dc, const RECT& box, int part);
    void UpdateRegion(int width, int height);
    bool OnMeasureMenu(MEASUREITEMSTRUCT* mis);
    bool OnDrawMenu(const DRAWITEMSTRUCT* dis);
    void SetHot(int hit);

    SkinColours m_colours;
    SIZE m_regionSize{-1, -1};
    int m_regionBorder = -1;
    bool m_regionMaximised = false;
    std::vector<std::wstring> m_menuTexts;  // owner-drawn items, by item data - 1
};

// Rectangles of the caption boxes in window coordinates for a window width.
RECT skin_close_box(int width);
RECT skin_min_box(int width, bool has_max_box);
RECT skin_max_box(int width);

}  // namespace vemo
