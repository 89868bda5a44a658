#include "toolkit/subclass_wnd.h"

#include <map>
#include <mutex>

namespace vemo {

namespace {

struct Chain {
    CSubclassWnd* head = nullptr;  // null: every hook left, but another subclass sits above us
    WNDPROC saved = nullptr;
};

// Window handle to its chain. The lock covers lookups and edits only, never a message.
std::mutex g_chains_lock;
std::map<HWND, Chain> g_chains;

}  // namespace

LRESULT CALLBACK hook_chain_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Chain chain;
    {
        std::lock_guard<std::mutex> lock(g_chains_lock);
        auto it = g_chains.find(hwnd);
        if (it != g_chains.end()) chain = it->second;
        if (msg == WM_NCDESTROY && it != g_chains.end()) {
            for (CSubclassWnd* h = chain.head; h != nullptr;) {
                CSubclassWnd* next = h->m_pNext;
                h->m_hWnd = nullptr;
                h->m_pNext = nullptr;
                h = next;
            }
            g_chains.erase(it);
        }
    }
    ScopedCurrentMessage current(hwnd, msg, wp, lp);
    if (chain.saved == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY || chain.head == nullptr) return CallWindowProcW(chain.saved, hwnd, msg, wp, lp);
    try {
        return chain.head->WindowProc(msg, wp, lp);
    } catch (...) {
        return CallWindowProcW(chain.saved, hwnd, msg, wp, lp);
    }
}

WNDPROC CSubclassWnd::SharedProc() { return &hook_chain_proc; }

CSubclassWnd::~CSubclassWnd() { Unhook(this); }

bool CSubclassWnd::HookWindow(HWND hwnd) {
    if (hwnd == nullptr) {
        Unhook(this);
        return true;
    }
    return Hook(hwnd, this);
}

bool CSubclassWnd::Hook(HWND hwnd, CSubclassWnd* hook) {
    if (hook == nullptr || hook->m_hWnd != nullptr || hwnd == nullptr || !IsWindow(hwnd)) return false;
    std::lock_guard<std::mutex> lock(g_chains_lock);
    auto it = g_chains.find(hwnd);
    if (it != g_chains.end()) {
        hook->m_pNext = it->second.head;
        hook->m_pOldWndProc = it->second.saved;
        it->second.head = hook;
    } else {
        const auto old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hook_chain_proc)));
        g_chains[hwnd] = Chain{hook, old};
        hook->m_pNext = nullptr;
        hook->m_pOldWndProc = old;
    }
    hook->m_hWnd = hwnd;
    return true;
}

void CSubclassWnd::Unhook(CSubclassWnd* hook) {
    if (hook == nullptr || hook->m_hWnd == nullptr) return;
    std::lock_guard<std::mutex> lock(g_chains_lock);
    HWND hwnd = hook->m_hWnd;
    auto it = g_chains.find(hwnd);
    if (it != g_chains.end()) {
        Chain& chain = it->second;
        if (chain.head == hook) {
            chain.head = hook->m_pNext;
            if (chain.head == nullptr &&
                reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &hook_chain_proc) {
                SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.saved));
                g_chains.erase(it);
            }
            // With someone else's procedure above ours the entry stays, passing messages through.
        } else {
            for (CSubclassWnd* h = chain.head; h != nullptr; h = h->m_pNext) {
                if (h->m_pNext == hook) {
                    h->m_pNext = hook->m_pNext;
                    break;
                }
            }
        }
    }
    hook->m_hWnd = nullptr;
    hook->m_pNext = nullptr;
}

CSubclassWnd* CSubclassWnd::FirstHook(HWND hwnd) {
    std::lock_guard<std::mutex> lock(g_chains_lock);
    auto it = g_chains.find(hwnd);
    return it == g_chains.end() ? nullptr : it->second.head;
}

LRESULT CSubclassWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return CallNext(msg, wp, lp); }

LRESULT CSubclassWnd::Default() {
    const MSG& m = current_message();
    return CallNext(m.message, m.wParam, m.lParam);
}

LRESULT CSubclassWnd::CallNext(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = m_hWnd ? m_hWnd : current_message().hwnd;
    if (m_pNext != nullptr) return m_pNext->WindowProc(msg, wp, lp);
    if (m_pOldWndProc != nullptr) return CallWindowProcW(m_pOldWndProc, hwnd, msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vemo
