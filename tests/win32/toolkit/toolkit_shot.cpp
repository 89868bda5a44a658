// Renders the sample editor (chain page and equaliser page) and the colour settings window with
// every toolkit control, a hovered button, a checked row and an open balloon tooltip, and saves
// what the screen shows as a PNG:
//   toolkit_shot <output.png>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "sample_dialog.h"

using namespace vemo;

namespace {

void pump_for(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

// ---------------------------------------------------------------------------- a plain PNG writer
uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(body.data(), body.size()));
}

// RGB rows, stored (uncompressed) deflate blocks: no library needed.
bool write_png(const char* path, int w, int h, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + static_cast<ptrdiff_t>(y) * w * 3, rgb.begin() + static_cast<ptrdiff_t>(y + 1) * w * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at), raw.begin() + static_cast<ptrdiff_t>(at + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

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
    pump_for(400);

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
    pump_for(400);
    for (HWND hwnd : {chain_view.m_hWnd, eq_view.m_hWnd, colours.m_hWnd}) RedrawWindow(hwnd, nullptr, nullptr,
        RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump_for(300);

    // Copy what the screen shows.
    const int width = 4 * gap + 2 * w + cw;
    const int height = 2 * gap + 24 + (h > ch ? h : ch);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    const auto* px = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3] = px[i * 4 + 2];
        rgb[i * 3 + 1] = px[i * 4 + 1];
        rgb[i * 3 + 2] = px[i * 4];
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (!write_png(argv[1], width, height, rgb)) {
        std::fprintf(stderr, "toolkit_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("toolkit_shot: %d x %d written to %s\n", width, height, argv[1]);
    return 0;
}
