// The modal preset name dialog (template 3016) of the equaliser page's save button: the user
// types a name and confirms it; a name the page refuses keeps the dialog open.
#pragma once
#include <functional>
#include <string>
#include <utility>

#include "toolkit/icon_button.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"
#include "editor/colour_scheme.h"
#include "resources/resource_ids.h"

namespace vemo {

class PresetNameDialog : public CSkinDialog {
public:
    static constexpr int kNameId = IDC_NAME_EDIT, kConfirmId = IDC_NAME_CONFIRM, kGiveUpId = IDC_NAME_GIVE_UP;

    // accept gets each confirmed name (UTF-8); it shows the refusal itself and answers whether
    // the name was taken.
    PresetNameDialog(const ColourScheme& scheme, std::function<bool(const std::string&)> accept)
        : CSkinDialog(IDD_PRESET_NAME), scheme_(scheme), accept_(std::move(accept)) {}

    // Runs the dialog; true when a name was accepted.
    bool Run(HWND owner) { return DoModal(owner) == IDOK; }

    CIconButton confirm, give_up;
    CWindowSkin skin;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    // Enter confirms, Escape and the frame's close box give up.
    void OnOK() override { Confirm(); }

private:
    void Confirm();

    const ColourScheme& scheme_;
    std::function<bool(const std::string&)> accept_;
};

// The backend's preset name dialog: owned by the editor window (may be null).
bool run_preset_name_dialog(HWND owner, const ColourScheme& scheme,
                            const std::function<bool(const std::string&)>& accept);

}  // namespace vemo
