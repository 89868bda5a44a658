// The small window class layer the toolkit is written on: a window object bound to an HWND
// whose virtual WindowProc dispatches to OnXxx handlers, dialogs made from templates (modeless
// or modal) and the control exchange that attaches control objects to dialog items.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <string_view>

namespace vemo {

// UI texts are written in UTF-8; windows take UTF-16.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The module whose resources (templates, bitmaps, icons, menu) the toolkit loads: the one the
// toolkit code is linked into, the DLL in the product, a test executable in the tests.
HINSTANCE resource_module();

// The message being handled on this thread, as the framework's current-message state.
const MSG& current_message();
// Makes the current-message state describe one message for as long as it lives.
class ScopedCurrentMessage {
public:
    ScopedCurrentMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    ~ScopedCurrentMessage();
    ScopedCurrentMessage(const ScopedCurrentMessage&) = delete;
    ScopedCurrentMessage& operator=(const ScopedCurrentMessage&) = delete;

private:
    MSG saved_;
};

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Binds this object to an existing window by replacing its window procedure.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, CWnd* parent);
    // Gives the window back its own procedure and unbinds; returns the window.
    HWND UnsubclassWindow();
    // Creates a window of a class registered by the toolkit (or any class) bound to this object.
    bool CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect,
                  HWND parent, UINT id_or_menu);
    bool DestroyWindow();

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    void Invalidate(bool erase = true) const {
        if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, erase);
    }
    void SetWindowText(std::string_view utf8) const;
    std::string GetWindowText() const;
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    void ModifyStyle(DWORD remove, DWORD add) const;

    // Sends the message to the procedure that was in place before this object (or to
    // DefWindowProc for windows the toolkit created itself).
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Default() for the message currently being handled.
    LRESULT Default();
    // Runs WindowProc with the current-message state describing this message.
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    // The one entry from the window procedure; dispatches to the handlers below.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // A notification the parent got from this control (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
    // WM_MEASUREITEM, WM_CTLCOLOR*, scroll messages) is offered here first; return true with
    // *result set to consume it, false to let the parent handle it as well.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

protected:
    // Handlers; each default passes the message on.
    virtual void OnPaint() { Default(); }
    virtual BOOL OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
    virtual void OnLButtonDown(UINT, POINT) { Default(); }
    virtual void OnLButtonUp(UINT, POINT) { Default(); }
    virtual void OnLButtonDblClk(UINT, POINT) { Default(); }
    virtual void OnMouseMove(UINT, POINT) { Default(); }
    virtual void OnMouseLeave() { Default(); }
    virtual void OnSetFocus(HWND) { Default(); }
    virtual void OnKillFocus(HWND) { Default(); }
    virtual void OnCancelMode() { Default(); }
    virtual void OnCaptureChanged(HWND) { Default(); }
    virtual void OnSize(UINT, int, int) { Default(); }
    virtual void OnTimer(UINT_PTR) { Default(); }
    virtual void OnDestroy() { Default(); }
    virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
    virtual BOOL OnNotify(WPARAM, NMHDR*, LRESULT*) { return FALSE; }
    virtual HBRUSH OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
    virtual void OnHScroll(UINT, UINT, HWND) { Default(); }
    virtual void OnVScroll(UINT, UINT, HWND) { Default(); }
    virtual UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    // Called after WM_NCDESTROY, when the object is no longer bound.
    virtual void PostNcDestroy() {}
    // Called once an existing window (a dialog item) has been bound to the object.
    virtual void PreSubclassWindow() {}

    WNDPROC m_pfnSuper = nullptr;  // the procedure before this object; null: DefWindowProc
    bool m_created = false;        // created by CreateEx (destroyed with the object)

private:
    friend LRESULT CALLBACK toolkit_window_proc(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK toolkit_dialog_proc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;
    void Bind(HWND hwnd);
    void Unbind();
};

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT template_id = 0) : m_nIDTemplate(template_id) {}
    ~CDialog() override;

    // Modeless: creates the dialog from its template as a child of parent (or top-level).
    bool Create(UINT template_id, HWND parent);
    bool Create(HWND parent) { return Create(m_nIDTemplate, parent); }
    // Modal: runs the dialog and returns what EndDialog was given (-1 if it could not start).
    INT_PTR DoModal(HWND parent);
    void EndDialog(INT_PTR result);
    bool IsModal() const { return m_modal; }

    // Loads the controls from the data (false) or stores the controls into the data (true).
    bool UpdateData(bool save = true);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    UINT m_nIDTemplate;

protected:
    // Runs once when the dialog is made: attaches and loads the controls.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

private:
    friend INT_PTR CALLBACK toolkit_dialog_proc(HWND, UINT, WPARAM, LPARAM);
    bool m_modal = false;
};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Control exchange: attach the control object to the dialog item once.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);
// Value exchange for check buttons (0/1), trackbar positions, edit texts and combo selections.
void DDX_Check(CDataExchange& dx, int id, int& value);
void DDX_Slider(CDataExchange& dx, int id, int& value);
void DDX_Text(CDataExchange& dx, int id, std::string& utf8);
void DDX_CBIndex(CDataExchange& dx, int id, int& index);

// Sent to every control of a skinned top-level window when that window is deactivated: child
// windows get no activation messages of their own, and a hover look must not outlive it.
UINT TopLevelInactiveMessage();

}  // namespace vemo
