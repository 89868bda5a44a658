// Hooks into a window's message stream without owning the window: any number of hooks per
// window, added and removed in any order; the window's destruction removes them all.
#pragma once
#include "toolkit/wnd.h"

namespace vemo {

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Adds this hook at the head of the window's chain (null: unhook). False when it cannot.
    bool HookWindow(HWND hwnd);
    bool IsHooked() const { return m_hWnd != nullptr; }

    // The process-wide chain.
    static bool Hook(HWND hwnd, CSubclassWnd* hook);
    static void Unhook(CSubclassWnd* hook);
    static CSubclassWnd* FirstHook(HWND hwnd);
    // The one procedure that every hooked window gets.
    static WNDPROC SharedProc();

    HWND m_hWnd = nullptr;
    CSubclassWnd* m_pNext = nullptr;
    WNDPROC m_pOldWndProc = nullptr;  // the window procedure from before the chain

protected:
    // Each hook sees the message first and passes what it does not consume on with Default().
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default();
    LRESULT CallNext(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend LRESULT CALLBACK hook_chain_proc(HWND, UINT, WPARAM, LPARAM);
};

}  // namespace vemo
