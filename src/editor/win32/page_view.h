// What the editor's tab pages share: each one shows one page model in the colours of the
// scheme, and Enter and Escape do nothing on a page.
#pragma once
#include <cstddef>

#include "editor/colour_scheme.h"
#include "toolkit/skin_dialog.h"

namespace vemo {

template <typename Page>
class PageView : public CSkinDialog {
protected:
    PageView(UINT template_id, Page& page, const ColourScheme& scheme)
        : CSkinDialog(template_id), page_(page), scheme_(scheme) {}

    void OnOK() override {}
    void OnCancel() override {}

    Page& page_;
    const ColourScheme& scheme_;
    bool ready_ = false;
    bool refreshing_ = false;  // control changes made by Refresh are not the user's
};

// Index of the control in `controls` whose window is `hwnd`, or -1.
template <typename Controls>
int index_of_window(const Controls& controls, HWND hwnd) {
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].m_hWnd == hwnd) return static_cast<int>(i);
    return -1;
}

}  // namespace vemo
