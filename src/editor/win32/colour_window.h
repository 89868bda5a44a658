// The colour settings window (template 3058) as a view of the colour settings' model:
// five swatches, the custom colour's channel sliders, header and border style buttons, the
// window alpha slider and "保存". It has its own window skin, whose close box hides it.
#pragma once
#include <array>
#include <functional>

#include "editor/colour_page.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"
#include "resources/resource_ids.h"

namespace vemo {

// A slider that says when it lets the mouse go: the end of a drag or of a click on its channel.
class CaptureSlider : public CColorSlider {
public:
    std::function<void()> on_release;

protected:
    void OnCaptureChanged(HWND) override {
        Default();
        if (on_release) on_release();
    }
};

class ColourWindowView : public CSkinDialog {
public:
    static constexpr std::array<int, 5> kSwatchIds = {IDC_COLOUR_SWATCH_1, IDC_COLOUR_SWATCH_2, IDC_COLOUR_SWATCH_3,
                                                          IDC_COLOUR_SWATCH_4, IDC_COLOUR_CUSTOM};
    // Red, green, blue, then the window alpha; each with its value label.
    static constexpr std::array<int, 4> kSliderIds = {IDC_COLOUR_RED, IDC_COLOUR_GREEN, IDC_COLOUR_BLUE, IDC_COLOUR_ALPHA};
    static constexpr std::array<int, 4> kValueIds = {IDC_COLOUR_RED_VALUE, IDC_COLOUR_GREEN_VALUE, IDC_COLOUR_BLUE_VALUE,
                                                         IDC_COLOUR_ALPHA_VALUE};
    static constexpr std::array<COLORREF, 4> kValueColours = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FF00FF};
    static constexpr int kAlphaSlider = 3;
    static constexpr int kHeaderId = IDC_COLOUR_HEADER, kBorderId = IDC_COLOUR_BORDER, kSaveId = IDC_COLOUR_SAVE;

    explicit ColourWindowView(ColourPage& colours) : CSkinDialog(IDD_COLOUR_WINDOW), colours_(colours) {}

    // Swatch checks and colours, slider positions and value labels as the model has them.
    void Refresh();
    // Colours of the window, its controls and its frame from the scheme; ranges set again.
    void Recolour();

    std::array<CIconButton, 5> swatches;
    std::array<CaptureSlider, 4> sliders;
    std::array<CLabel, 4> values;
    CIconButton header, border, save;
    CWindowSkin skin;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    void OnHScroll(UINT code, UINT pos, HWND bar) override;
    void OnOK() override {}
    // The close box and Escape hide the window and write nothing.
    void OnCancel() override;

private:
    void ShowValue(int slider, int value);
    void ShowSwatches();
    void Released(int slider);

    ColourPage& colours_;
    bool ready_ = false;
    bool refreshing_ = false;
};

}  // namespace vemo
