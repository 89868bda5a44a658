// Renders the sample editor (chain page and equaliser page) and the colour settings window with
// every toolkit control, a hovered button, a checked row and an open balloon tooltip, and saves
// what the screen shows as a PNG:
//   toolkit_shot <output.png>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "../wine_support.h"
#include "sample_dialog.h"

using namespace vemo;
using vemo::shot::write_png;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: toolkit_shot <output.png>\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // Two editors side by side (one per page), the colour window beside them.
    sample::Editor chain_view, eq_view;
    sample::ColourWindow colours;
    if (!chain_view.Create(3000, nullptr) || !eq_view.Create(3000, nullptr) || !colours.Create(3058, nullptr)) {
        std::fprintf(stderr, "toolkit_shot: the sample dialogs could not be made\n");
        return 1;
    }
    eq_view.tab.SelectPage(1);
    RECT a, c;
    GetWindowRect(chain_view.m_hWnd, &a);
    GetWindowRect(colours.m_hWnd, &c);
    const int w = a.right - a.left, h = a.bottom - a.top, cw = c.right - c.left, ch = c.bottom - c.top;
    const int gap = 12;
    SetWindowPos(chain_view.m_hWnd, HWND_TOPMOST, gap, gap + 24, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetWindowPos(eq_view.m_hWnd, HWND_TOPMOST, 2 * gap + w, gap + 24, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetWindowPos(colours.m_hWnd, HWND_TOPMOST, 3 * gap + 2 * w, gap + 24, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    // The colour window shows another header and border style.
    static ColourScheme other;
    other.set_main_colour(0x00084808);
    other.header_style = 3;
    other.border_style = 6;
    colours.skin.SetScheme(&other);
    pump(400);

    // A hovered button, a pressed-looking check and the balloon of another button.
    SetForegroundWindow(chain_view.m_hWnd);
    RECT up;
    GetWindowRect(chain_view.chain.up.m_hWnd, &up);
    SetCursorPos(up.left + 8, up.top + 6);
    chain_view.chain.up.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(8, 6));
    chain_view.chain.list.SendMessage(LVM_SETITEMSTATE, 6, 0);
    RECT play;
    GetWindowRect(chain_view.chain.play.m_hWnd, &play);
    chain_view.chain.play.SetTooltipText("播放选择音效的声音文件");
    chain_view.chain.play.Tooltip().Show(chain_view.chain.play.m_hWnd, POINT{play.left + 16, play.top + 4});
    pump(400);
    for (HWND hwnd : {chain_view.m_hWnd, eq_view.m_hWnd, colours.m_hWnd}) RedrawWindow(hwnd, nullptr, nullptr,
        RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump(300);

    // Copy what the screen shows.
    const int width = 4 * gap + 2 * w + cw;
    const int height = 2 * gap + 24 + (h > ch ? h : ch);
    const std::vector<uint8_t> rgb = vemo::shot::screen_rgb(0, 0, width, height);
    if (!write_png(argv[1], width, height, rgb)) {
        std::fprintf(stderr, "toolkit_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("toolkit_shot: %d x %d written to %s\n", width, height, argv[1]);
    return 0;
}
