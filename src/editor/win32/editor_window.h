// The editor's windows on Windows: EditorWindow (template 3000) with its three tab pages, the
// caption strip that shows the level display, and the colour settings window. They are views
// of the editor model: they show it, and hand every user action to it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/editor.h"
#include "editor/win32/colour_window.h"
#include "editor/win32/eq_page_view.h"
#include "editor/win32/page_view.h"
#include "editor/win32/param_page_view.h"
#include "editor/strip_raster.h"
#include "toolkit/base_tab_ctrl.h"
#include "toolkit/color_list_ctrl.h"
#include "toolkit/icon_button.h"
#include "toolkit/label.h"
#include "toolkit/skin_dialog.h"
#include "toolkit/window_skin.h"
#include "resources/editor_commands.h"
#include "resources/resource_ids.h"

namespace vemo {

// Effect chain page (template 3021).
class ChainPageWnd : public PageView<ChainPage> {
public:
    // Check button of each EffectType (index 0 unused).
    static constexpr std::array<int, 17> kSwitchIds = {0,
        IDC_CHAIN_SW_EQ,     IDC_CHAIN_SW_COMP,   IDC_CHAIN_SW_PITCH,  IDC_CHAIN_SW_DIST,    IDC_CHAIN_SW_ODRIVE,
        IDC_CHAIN_SW_AM,     IDC_CHAIN_SW_ECHO,   IDC_CHAIN_SW_DRIFT,  IDC_CHAIN_SW_PHASER,  IDC_CHAIN_SW_DENOISE,
        IDC_CHAIN_SW_CHORUS, IDC_CHAIN_SW_REVERB, IDC_CHAIN_SW_WAH,    IDC_CHAIN_SW_BASS,    IDC_CHAIN_SW_INVERT,
        IDC_CHAIN_SW_VIBRATO};
    static constexpr int kListId = IDC_CHAIN_LIST;
    static constexpr int kUpId = IDC_CHAIN_UP, kDownId = IDC_CHAIN_DOWN;
    static constexpr std::array<int, 4> kBottomIds = {IDC_CHAIN_LOAD, IDC_CHAIN_SAVE, IDC_CHAIN_PLAY, IDC_CHAIN_STOP};

    // Shows the chain page of `editor`, whose button set sits at the page's bottom.
    explicit ChainPageWnd(Editor& editor)
        : PageView(IDD_CHAIN_PAGE, editor.chain, editor.colours.scheme), editor_(editor) {}

    // Switches, rows and bottom buttons as the model has them.
    void Refresh();
    void Recolour();

    std::array<CIconButton, 17> switches;
    CLabel title;
    CColorListCtrl list;
    CIconButton up, down;
    std::array<CIconButton, 4> bottom;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    BOOL OnNotify(WPARAM wp, NMHDR* nm, LRESULT* result) override;

private:
    void RefreshRows();
    void RefreshBottomButtons();
    void TakeSelection();

    Editor& editor_;
    int look_mode_ = -1;       // display mode whose icons and tooltips the bottom buttons carry
};

// The caption strip (3152): a label that shows the level raster once one has been drawn.
class StripLabel : public CLabel {
public:
    // Converts the raster to the screen's pixel order and repaints.
    void ShowLevels(const StripRaster& raster);
    // Back to the caption text.
    void ClearLevels();
    bool HasLevels() const { return !dib_.empty(); }

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC dc) override;

private:
    std::vector<uint32_t> dib_;  // 0x00RRGGBB, top-down
    int width_ = 0, height_ = 0;
};

class EditorWindow : public CSkinDialog {
public:
    static constexpr UINT kEditorCommand = kEditorCommandMessage;
    static constexpr UINT_PTR kLevelTimer = 1;
    static constexpr UINT kLevelTimerMs = 30;

    explicit EditorWindow(Editor& model);
    ~EditorWindow() override;

    // Makes the editor from its template, hidden, topmost; false when it could not.
    bool Make();
    // The colour settings window first, then the editor itself.
    void DestroyAll();
    void ShowEditor(bool show);
    void ModelChanged(ModelPart part);
    void StripClientSize(int& width, int& height) const;

    // Members in the order the editor owns them.
    EqPageView eq;
    ChainPageWnd chain;
    ParamPageView params;
    std::unique_ptr<ColourWindowView> colour;
    HIMAGELIST tab_images = nullptr;
    StripLabel strip;
    CBaseTabCtrl tab;
    CWindowSkin skin;
    bool skin_pending = true;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnNotify(WPARAM wp, NMHDR* nm, LRESULT* result) override;
    void OnTimer(UINT_PTR id) override;
    // Enter and Escape do not close the editor: only its buttons and frame do, through the model.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void Recolour();
    void ApplyAlpha();
    void DrawLevels();

    Editor& model_;
    std::unique_ptr<LevelColumns> columns_;
    StripRaster raster_;
    uint32_t drawn_serial_ = 0;
    int editor_alpha_shown_ = 255;
    // Each window is centred on the host's window the first time it is shown.
    bool editor_placed_ = false;
    bool colour_placed_ = false;
    int colour_alpha_shown_ = 255;
};

}  // namespace vemo
