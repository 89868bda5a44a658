// The effect parameter page (template IDD_PARAM_PAGE) as a view of the parameter
// page's model: the effect chooser, the effect's switch, "缺省", and PARAM_PAGE_ROWS generic rows of
// label, coloured slider and value (or a check box for an on/off value), which the view fills
// from the table row each one shows; a page without parameters shows a note instead.
#pragma once
#include <array>

#include "editor/param_page.h"
#include "editor/win32/page_view.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/window_skin.h"
#include "resources/resource_ids.h"

namespace vemo {

class ParamPageView : public PageView<ParamPage> {
public:
    static constexpr int kRows = PARAM_PAGE_ROWS;
    static constexpr int LabelId(int row) { return IDC_PARAM_ROWS + 3 * row; }
    static constexpr int SliderId(int row) { return IDC_PARAM_ROWS + 3 * row + 1; }
    static constexpr int ValueId(int row) { return IDC_PARAM_ROWS + 3 * row + 2; }
    static constexpr int CheckId(int row) { return IDC_PARAM_CHECKS + row; }

    ParamPageView(ParamPage& page, const ColourScheme& scheme) : PageView(IDD_PARAM_PAGE, page, scheme) {}

    // Loads every control from the model: the chosen effect, its rows, their positions and texts.
    void Refresh();
    void Recolour();

    CLabel heading, note;
    CColorComboBox chooser;
    CIconButton on_switch, defaults;
    std::array<CLabel, kRows> labels;
    std::array<CColorSlider, kRows> sliders;
    std::array<CLabel, kRows> values;
    std::array<CIconButton, kRows> checks;  // on/off values

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    void OnHScroll(UINT code, UINT pos, HWND bar) override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    // What each row was last set up for, so that ranges are only set when the row changes.
    std::array<const ParamRow*, kRows> shown_rows_{};
};

}  // namespace vemo
