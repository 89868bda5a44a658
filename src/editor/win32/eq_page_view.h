// The equaliser page (template 3001) as a view of the editor model's equaliser page: band-count
// buttons, the 32 band slots laid out in one or two rows, pre-gain, the two options, the preset
// combo and its save and delete buttons. Every user action goes to the model; the model's
// change notice reloads the controls.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "toolkit/balloon_tip.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"

namespace vemo {

class EqPageView : public CSkinDialog {
public:
    static constexpr int kSlots = 32;
    static constexpr int kFrameId = 3003;
    static constexpr std::array<int, 4> kBandButtonIds = {3069, 3070, 3071, 3072};
    static constexpr int kOptionId = 3073, kLinkedId = 3084;
    static constexpr int kComboId = 3081, kSaveId = 3082, kDeleteId = 3083;
    static constexpr int kPreampId = 3087, kPreampLabelId = 3095;
    // "-20", "0", "+20" beside the first row, then beside the second.
    static constexpr std::array<int, 6> kScaleIds = {3075, 3076, 3077, 3078, 3079, 3080};
    static constexpr int kBandRangeMax = 50;

    static constexpr int SliderId(int slot) { return slot == 0 ? 3068 : 3003 + 2 * slot; }
    static constexpr int LabelId(int slot) { return 3004 + 2 * slot; }

    explicit EqPageView(Editor& model) : CSkinDialog(3001), model_(model) {}

    // Loads every control from the model; lays the slots out again when the model's lay-out
    // changed since the last time.
    void Refresh();
    // Colours of every control from the scheme, and the band sliders' range back to 0..50.
    void Recolour();
    // Editor command 8887: every band slider's range to 0..50.
    void ResetBandRanges();

    std::array<CColorSlider, kSlots> sliders;
    std::array<CLabel, kSlots> labels;
    std::array<CIconButton, 4> band_buttons;
    CIconButton option, linked, save, remove;
    CColorComboBox presets;
    CColorSlider preamp;
    CLabel preamp_label;
    std::array<CLabel, 6> scales;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    void OnVScroll(UINT code, UINT pos, HWND bar) override;
    void OnHScroll(UINT code, UINT pos, HWND bar) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    void LayOut();
    void RefreshCombo();
    RECT ItemRect(int id) const;

    Editor& model_;
    bool ready_ = false;
    bool refreshing_ = false;  // control changes made by Refresh are not the user's
    // The lay-out last placed on screen, so that only a new one moves windows.
    std::array<EqSlot, kSlots> placed_{};
    int placed_rows_[2] = {-1, -1};
    std::vector<std::string> shown_names_;
    CBalloonTip combo_tip_;
    // Template geometry, read once before anything moves.
    RECT frame_{}, slider_{}, label_{}, scale_{};
};

}  // namespace vemo
