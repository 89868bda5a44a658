#include "editor/win32/preset_name_dialog.h"

#include "editor/win32/view_style.h"

namespace vemo {

void PresetNameDialog::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, kConfirmId, confirm);
    DDX_Control(dx, kGiveUpId, give_up);
}

BOOL PresetNameDialog::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    SetClientDrag(false);
    SetFillColor(scheme_.dialog_fill, false);
    for (CIconButton* b : {&confirm, &give_up}) style_push_button(*b, scheme_.main_colour);
    confirm.SetIcon(IDI_CONFIRM);
    give_up.SetIcon(IDI_CLOSE);
    confirm.SetTooltipText("保存");
    give_up.SetTooltipText("返回");
    SetWindowTextW(GetDlgItem(kNameId), L"");
    skin.LoadSkin("a");
    skin.SetColours(skin_colours(scheme_));
    skin.Attach(m_hWnd);
    // Centred over the editor, and in front of it: the editor itself is topmost.
    RECT me{}, over{};
    GetWindowRect(m_hWnd, &me);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner == nullptr || !GetWindowRect(owner, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    const int x = (over.left + over.right - (me.right - me.left)) / 2;
    const int y = (over.top + over.bottom - (me.bottom - me.top)) / 2;
    SetWindowPos(m_hWnd, HWND_TOPMOST, x, y, 0, 0, SWP_FRAMECHANGED | SWP_NOSIZE);
    ::SetFocus(GetDlgItem(kNameId));
    return FALSE;  // the focus is set
}

void PresetNameDialog::Confirm() {
    std::string name;
    CDataExchange dx(this, true);
    DDX_Text(dx, kNameId, name);
    // A refused name was told to the user; the dialog stays for another try.
    if (accept_ && accept_(name))
        EndDialog(IDOK);
    else
        ::SetFocus(GetDlgItem(kNameId));
}

BOOL PresetNameDialog::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == kConfirmId) {
            Confirm();
            return TRUE;
        }
        if (LOWORD(wp) == kGiveUpId) {
            OnCancel();
            return TRUE;
        }
    }
    return CSkinDialog::OnCommand(wp, lp);
}

bool run_preset_name_dialog(HWND owner, const ColourScheme& scheme,
                            const std::function<bool(const std::string&)>& accept) {
    PresetNameDialog dialog(scheme, accept);
    return dialog.Run(owner);
}

}  // namespace vemo
