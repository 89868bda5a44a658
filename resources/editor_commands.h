// The editor's command message and its codes: what the window skin, the colour window and the
// editor model send each other.  Numbers only, so every layer that sends or reads them can include it.
#pragma once
#include <cstdint>

namespace vemo {

// Message number of the editor commands: wParam the code, lParam its argument.
constexpr unsigned kEditorCommandMessage = 12424;

// The window skin's frame actions in host mode, with lParam:
constexpr int64_t kCmdFrame = 1333999;
constexpr int64_t kFrameHide = 1;               // close box, system menu "关闭窗口"
constexpr int64_t kFrameColourWindow = 2;       // toggles the colour settings window
constexpr int64_t kFrameAbout = 3;              // system menu "关于": asks for tab 5
constexpr int64_t kFrameSkin = 4;               // system menu "窗口换肤": toggles the colour window

// From the colour settings window.
constexpr int kCmdPreviewAlpha = 8884;  // lParam: alpha for the colour window itself
constexpr int kCmdApplyAlpha = 8885;    // the editor takes the stored window alpha
constexpr int kCmdRecolour = 8886;      // re-colour everything from the scheme
constexpr int kCmdResetBandRanges = 8887;  // every equaliser band slider back to 0..50

// Host notification: message 8201 to the host window, wParam 9999, lParam 1..4.
constexpr unsigned kHostNotifyMessage = 8201;
constexpr int kHostNotifyCode = 9999;

}  // namespace vemo
