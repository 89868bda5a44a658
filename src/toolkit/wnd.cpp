#include "toolkit/wnd.h"

namespace vemo {

namespace {

// The object bound to a window, and the procedure it replaced: kept on the window itself so
// that a window whose object went away can still reach its own procedure.
constexpr wchar_t kObjectProp[] = L"vemo.toolkit.object";
constexpr wchar_t kSuperProp[] = L"vemo.toolkit.super";

thread_local MSG t_current{};

POINT point_of(LPARAM lp) { return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }

}  // namespace

LRESULT CALLBACK toolkit_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK toolkit_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

HINSTANCE resource_module() {
    static HMODULE module = [] {
        HMODULE m = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&toolkit_window_proc), &m);
        return m;
    }();
    return module;
}

const MSG& current_message() { return t_current; }

ScopedCurrentMessage::ScopedCurrentMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) : saved_(t_current) {
    t_current.hwnd = hwnd;
    t_current.message = msg;
    t_current.wParam = wp;
    t_current.lParam = lp;
}

ScopedCurrentMessage::~ScopedCurrentMessage() { t_current = saved_; }

// ----------------------------------------------------------------------------- CWnd

LRESULT CALLBACK toolkit_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd == nullptr && msg == WM_NCCREATE) {
        // A window of the toolkit's own class, created by CWnd::CreateEx.
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (wnd != nullptr) {
            wnd->m_pfnSuper = nullptr;
            wnd->m_hWnd = hwnd;
            SetPropW(hwnd, kObjectProp, wnd);
        }
    }
    if (wnd == nullptr) {
        auto super = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kSuperProp));
        if (msg == WM_NCDESTROY) RemovePropW(hwnd, kSuperProp);
        return super ? CallWindowProcW(super, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = 0;
    try {
        result = wnd->Dispatch(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind into the system's message loop.
        result = wnd->DefWindowProc(msg, wp, lp);
    }
    if (msg == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
        wnd->Unbind();
        wnd->PostNcDestroy();
    }
    return result;
}

CWnd::~CWnd() {
    if (m_hWnd == nullptr) return;
    if (m_created) {
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr) Unbind();
    } else {
        Unbind();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProp)) : nullptr;
}

void CWnd::Bind(HWND hwnd) {
    m_hWnd = hwnd;
    SetPropW(hwnd, kObjectProp, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&toolkit_window_proc)));
    if (m_pfnSuper == &toolkit_window_proc) {
        // The window was bound before and its object left without unhooking: take over its chain.
        m_pfnSuper = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kSuperProp));
    }
    SetPropW(hwnd, kSuperProp, reinterpret_cast<HANDLE>(m_pfnSuper));
}

void CWnd::Unbind() {
    HWND hwnd = m_hWnd;
    if (hwnd == nullptr) return;
    RemovePropW(hwnd, kObjectProp);
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (current == &toolkit_window_proc && m_pfnSuper != nullptr) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        RemovePropW(hwnd, kSuperProp);
    }
    // Otherwise someone hooked the window after us; the shared procedure stays in their chain
    // and forwards through the saved procedure on the window.
    m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd != nullptr || hwnd == nullptr || !IsWindow(hwnd) || FromHandlePermanent(hwnd) != nullptr) return false;
    Bind(hwnd);
    PreSubclassWindow();
    return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    return parent != nullptr && SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    Unbind();
    return hwnd;
}

namespace {
const wchar_t* toolkit_class() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &toolkit_window_proc;
        wc.hInstance = resource_module();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = L"VemoToolkitWnd";
        return RegisterClassExW(&wc);
    }();
    return atom ? L"VemoToolkitWnd" : nullptr;
}
}  // namespace

bool CWnd::CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect,
                    HWND parent, UINT id_or_menu) {
    if (m_hWnd != nullptr) return false;
    const wchar_t* cls = class_name ? class_name : toolkit_class();
    HWND hwnd = CreateWindowExW(ex_style, cls, title, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id_or_menu)), resource_module(),
                                class_name ? nullptr : this);
    if (hwnd == nullptr) return false;
    if (class_name != nullptr && !SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    m_created = true;
    return true;
}

bool CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd) != FALSE;
}

void CWnd::SetWindowText(std::string_view utf8) const { ::SetWindowTextW(m_hWnd, widen(utf8).c_str()); }

std::string CWnd::GetWindowText() const {
    const int n = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(m_hWnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return narrow(text);
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) const {
    const DWORD style = GetStyle();
    const DWORD next = (style & ~remove) | add;
    if (next != style) SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(next));
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_hWnd == nullptr) return 0;
    return m_pfnSuper ? CallWindowProcW(m_pfnSuper, m_hWnd, msg, wp, lp) : ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
    const MSG& m = t_current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    ScopedCurrentMessage current(m_hWnd, msg, wp, lp);
    return WindowProc(msg, wp, lp);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Notifications of a control go to its own object first.
    auto reflect = [&](HWND child, LRESULT* result) {
        CWnd* c = FromHandlePermanent(child);
        return c != nullptr && c != this && c->OnChildNotify(msg, wp, lp, result);
    };
    LRESULT result = 0;
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wp), point_of(lp)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wp), point_of(lp)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wp), point_of(lp)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), point_of(lp)); return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_SETFOCUS: OnSetFocus(reinterpret_cast<HWND>(wp)); return 0;
    case WM_KILLFOCUS: OnKillFocus(reinterpret_cast<HWND>(wp)); return 0;
    case WM_CANCELMODE: OnCancelMode(); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return 0;
    case WM_SIZE: OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp)); return 0;
    case WM_TIMER: OnTimer(wp); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode();
    case WM_COMMAND:
        if (lp != 0 && reflect(reinterpret_cast<HWND>(lp), &result)) return result;
        if (OnCommand(wp, lp)) return 0;
        return Default();
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        if (nm != nullptr && reflect(nm->hwndFrom, &result)) return result;
        if (nm != nullptr && OnNotify(wp, nm, &result)) return result;
        return Default();
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis != nullptr && dis->CtlType != ODT_MENU && reflect(dis->hwndItem, &result)) return result;
        return Default();
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis != nullptr && mis->CtlType != ODT_MENU &&
            reflect(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID)), &result))
            return result;
        return Default();
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        if (reflect(reinterpret_cast<HWND>(lp), &result)) return result;
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg - WM_CTLCOLORMSGBOX));
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wp), m_hWnd, CTLCOLOR_DLG));
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lp != 0 && reflect(reinterpret_cast<HWND>(lp), &result)) return result;
        if (msg == WM_HSCROLL)
            OnHScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        else
            OnVScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    default: return Default();
    }
}

// ----------------------------------------------------------------------------- CDialog

INT_PTR CALLBACK toolkit_dialog_proc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;  // the bound object saw the message already
    auto* dialog = reinterpret_cast<CDialog*>(lp);
    if (dialog == nullptr || dialog->m_hWnd != nullptr) return TRUE;
    dialog->Bind(hwnd);
    try {
        return dialog->Dispatch(WM_INITDIALOG, 0, lp);
    } catch (...) {
        return TRUE;
    }
}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        if (m_modal) ::EndDialog(m_hWnd, IDCANCEL);
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr) Unbind();
    }
}

bool CDialog::Create(UINT template_id, HWND parent) {
    if (m_hWnd != nullptr) return false;
    m_nIDTemplate = template_id;
    m_modal = false;
    HWND hwnd = CreateDialogParamW(resource_module(), MAKEINTRESOURCEW(template_id), parent, &toolkit_dialog_proc,
                                   reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && m_hWnd == hwnd;
}

INT_PTR CDialog::DoModal(HWND parent) {
    if (m_hWnd != nullptr) return -1;
    m_modal = true;
    const INT_PTR result = DialogBoxParamW(resource_module(), MAKEINTRESOURCEW(m_nIDTemplate), parent,
                                           &toolkit_dialog_proc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd == nullptr) return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog ends by being hidden, not destroyed
}

bool CDialog::UpdateData(bool save) {
    if (m_hWnd == nullptr) return false;
    CDataExchange dx(this, save);
    DoDataExchange(dx);
    return true;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(msg, wp, lp);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wp, LPARAM) {
    if (HIWORD(wp) != BN_CLICKED && HIWORD(wp) != 0) return FALSE;
    switch (LOWORD(wp)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
    }
}

// ----------------------------------------------------------------------------- control exchange

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.SubclassDlgItem(id, dx.m_pDlgWnd);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
    HWND item = dx.m_pDlgWnd->GetDlgItem(id);
    if (item == nullptr) return;
    if (dx.m_bSaveAndValidate)
        value = SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        SendMessageW(item, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Slider(CDataExchange& dx, int id, int& value) {
    HWND item = dx.m_pDlgWnd->GetDlgItem(id);
    if (item == nullptr) return;
    if (dx.m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(item, TBM_GETPOS, 0, 0));
    else
        SendMessageW(item, TBM_SETPOS, TRUE, value);
}

void DDX_Text(CDataExchange& dx, int id, std::string& utf8) {
    HWND item = dx.m_pDlgWnd->GetDlgItem(id);
    if (item == nullptr) return;
    if (dx.m_bSaveAndValidate) {
        const int n = GetWindowTextLengthW(item);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        const int got = GetWindowTextW(item, text.data(), n + 1);
        text.resize(static_cast<size_t>(got > 0 ? got : 0));
        utf8 = narrow(text);
    } else {
        SetWindowTextW(item, widen(utf8).c_str());
    }
}

void DDX_CBIndex(CDataExchange& dx, int id, int& index) {
    HWND item = dx.m_pDlgWnd->GetDlgItem(id);
    if (item == nullptr) return;
    if (dx.m_bSaveAndValidate)
        index = static_cast<int>(SendMessageW(item, CB_GETCURSEL, 0, 0));
    else
        SendMessageW(item, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

UINT TopLevelInactiveMessage() {
    static const UINT message = RegisterWindowMessageW(L"vemosoundmix.TopLevelInactive");
    return message;
}

}  // namespace vemo
