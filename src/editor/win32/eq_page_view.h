// The equaliser page (template 3001) as a view of the equaliser page's model: band-count
// buttons, the 32 band slots laid out in one or two rows, pre-gain, the two options, the preset
// combo and its save and delete buttons. Every user action goes to the model; the model's
// change notice reloads the controls.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "editor/eq_page.h"
#include "editor/win32/page_view.h"
#include "toolkit/balloon_tip.h"
#include "toolkit/color_combo_box.h"
#include "toolkit/color_slider.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "resources/resource_ids.h"

namespace vemo {

class EqPageView : public PageView<EqPage> {
public:
    static constexpr int kSlots = 32;
    static constexpr int kFrameId = IDC_EQ_BANDS;
    static constexpr std::array<int, 4> kBandButtonIds = {IDC_EQ_10_BANDS, IDC_EQ_15_BANDS, IDC_EQ_25_BANDS,
                                                           IDC_EQ_31_BANDS};
    static constexpr int kOptionId = IDC_EQ_OPTION, kLinkedId = IDC_EQ_LINKED;
    static constexpr int kComboId = IDC_EQ_PRESETS, kSaveId = IDC_EQ_SAVE, kDeleteId = IDC_EQ_DELETE;
    static constexpr int kPreampId = IDC_EQ_PREAMP, kPreampLabelId = IDC_EQ_PREAMP_LABEL;
    // "-20", "0", "+20" beside the first row, then beside the second.
    static constexpr std::array<int, 6> kScaleIds = {IDC_EQ_SCALE_LOW_1,  IDC_EQ_SCALE_MID_1, IDC_EQ_SCALE_HIGH_1,
                                                       IDC_EQ_SCALE_LOW_2, IDC_EQ_SCALE_MID_2, IDC_EQ_SCALE_HIGH_2};
    static constexpr int kBandRangeMax = 50;

    static constexpr int SliderId(int slot) { return slot == 0 ? IDC_EQ_SLIDER_0 : IDC_EQ_BANDS + 2 * slot; }
    static constexpr int LabelId(int slot) { return IDC_EQ_BANDS + 1 + 2 * slot; }

    EqPageView(EqPage& page, const ColourScheme& scheme) : PageView(IDD_EQ_PAGE, page, scheme) {}

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

private:
    void LayOut();
    void RefreshCombo();
    RECT ItemRect(int id) const;

    // The lay-out last placed on screen, so that only a new one moves windows.
    std::array<EqSlot, kSlots> placed_{};
    int placed_rows_[2] = {-1, -1};
    std::vector<std::string> shown_names_;
    CBalloonTip combo_tip_;
    // Template geometry, read once before anything moves.
    RECT frame_{}, slider_{}, label_{}, scale_{};
};

}  // namespace vemo
