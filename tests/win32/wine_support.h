// What the Wine test hosts share: letting their windows work for a while, reading a window's
// text and class, and saving what the screen shows of a window as a PNG.
#pragma once
#include <string>
#include <vector>

#include "toolkit/png_writer.h"

// Dispatches every queued message for ms (at least one round).
inline void pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

inline std::wstring window_text(HWND hwnd) {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 255);
    return buf;
}

inline std::wstring class_name(HWND hwnd) {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 63);
    return buf;
}

// settle: let the window's messages run first (not from inside a modal window's timer).
inline bool save_window_png(HWND hwnd, const std::wstring& path, bool settle = true) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (settle) pump(150);
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    return vemo::shot::write_png(path.c_str(), w, h, vemo::shot::screen_rgb(r.left, r.top, w, h));
}

// Enumeration callbacks are stdcall on 32-bit Windows, which a lambda cannot be: a function
// template carries the predicate instead.
template <typename Pred>
struct WindowSearch {
    Pred pred;
    std::vector<HWND> found;
};

template <typename Pred>
BOOL CALLBACK collect_window(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch<Pred>*>(lp);
    if (search->pred(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

// Top-level windows of this thread (where the hosts make every window) that pred accepts.
template <typename Pred>
std::vector<HWND> thread_windows(Pred pred) {
    WindowSearch<Pred> search{pred, {}};
    EnumThreadWindows(GetCurrentThreadId(), collect_window<Pred>, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first window under root, at any depth, with that control id.
inline HWND find_descendant(HWND root, int id) {
    auto has_id = [id](HWND hwnd) { return GetDlgCtrlID(hwnd) == id; };
    WindowSearch<decltype(has_id)> search{has_id, {}};
    EnumChildWindows(root, collect_window<decltype(has_id)>, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found[0];
}
