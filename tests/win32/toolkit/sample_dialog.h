// A sample editor made of the library's own templates and every toolkit control: the editor
// frame (3000) with its tab control, caption strip and window skin in host mode, the chain
// page (3021), the equaliser page (3001), and the colour settings window (3058) with its own
// skin. The tests drive it and the screenshot program renders it.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "editor/colour_scheme.h"
#include "toolkit/base_tab_ctrl.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_list_ctrl.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"

namespace vemo::sample {

extern ColourScheme g_scheme;

class ChainPage : public CSkinDialog {
public:
    static constexpr std::array<int, 16> kCheckIds = {3070, 3072, 3073, 3080, 3079, 3076, 3069, 3071,
                                                      3074, 3078, 3075, 3077, 3081, 3084, 3085, 3087};
    ChainPage() : CSkinDialog(3021) {}
    std::array<CIconButton, 16> checks;
    std::array<int, 16> check_values{};
    CLabel title;
    CColorListCtrl list;
    CIconButton up, down, load, save, play, stop;
    int exchanges_saved = 0, exchanges_loaded = 0;
    // BN_CLICKED of each check button with the state it read at that moment.
    std::vector<std::pair<int, int>> clicks;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
};

class EqPage : public CSkinDialog {
public:
    EqPage() : CSkinDialog(3001) {}
    std::array<CColorSlider, 10> bands;
    std::array<CLabel, 10> band_labels;
    CColorSlider pregain;
    CColorComboBox presets;
    CIconButton save, remove;
    std::array<CIconButton, 6> options;  // 3069..3072, 3073, 3084
    int pregain_pos = 12;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
};

class ColourWindow : public CSkinDialog {
public:
    ColourWindow() : CSkinDialog(3058) {}
    std::array<CIconButton, 5> swatches;
    std::array<CColorSlider, 4> sliders;  // red, green, blue, alpha
    std::array<CLabel, 4> values;
    CIconButton header, border, save;
    CWindowSkin skin;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
};

class Editor : public CSkinDialog {
public:
    Editor() : CSkinDialog(3000) {}
    ~Editor() override;
    ChainPage chain;
    EqPage eq;
    CBaseTabCtrl tab;
    CLabel strip;
    CWindowSkin skin;
    HIMAGELIST images = nullptr;
    // Editor commands (12424) the window received.
    std::vector<std::pair<WPARAM, LPARAM>> commands;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
};

}  // namespace vemo::sample
