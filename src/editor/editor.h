// The editor without any window: one model per page (effect chain, equaliser, effect
// parameters, colour settings), composed here with the main window's state and the steps the
// exports take.  Windows (or the headless backend) are views of these models.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "editor/backend.h"
#include "editor/chain_page.h"
#include "editor/colour_page.h"
#include "editor/eq_page.h"
#include "editor/param_page.h"

namespace vemo {

struct EngineState;

constexpr int kButtonSetCancel = 0, kButtonSetConfirm = 1, kButtonPlay = 2, kButtonStop = 3;

class Editor {
public:
    // The editor works on `engine`, which outlives it.
    explicit Editor(EngineState& engine);

    EngineState& engine() const { return engine_; }
    EditorBackend& backend() { return *backend_; }

private:
    // Before the pages, which keep references to both.
    EngineState& engine_;
    std::unique_ptr<EditorBackend> backend_;

public:
    // --- host side (the exports) ---
    bool exists() const { return exists_; }
    void begin();
    // The editor's steps of vemomix_init after the engine's (equaliser switch, tab 0, show,
    // strip, refresh of every page).
    void on_engine_init(int rate, int channels, int show);
    void set_display(uint8_t show);
    void set_display_mode(int32_t mode);
    void set_switch(int type, bool on);  // vemomix_setiir / vemomix_setecho
    void close();

    // --- the pages ---
    ColourPage colours{*backend_};
    ChainPage chain{engine_, *backend_, colours.scheme};
    EqPage eq{engine_, *backend_};
    // Tab 2, "效果参数".
    ParamPage param{engine_, *backend_, chain};

    // --- main window ---
    int32_t display_mode = 0;
    // The chain page's bottom buttons 3088..3091, which the display mode sets.
    std::array<Button, 4> button_set{};
    uint8_t shown = 0;
    int32_t host_window = 0;
    int current_tab = 0;
    uint8_t transparency = 1;
    // Alpha the editor window and the colour window show (only changed while transparency
    // is enabled).
    int editor_alpha = 255, colour_window_alpha = 255;

    void apply_button_set(bool from_dispmode);
    void on_bottom_button(int which);  // kButtonSetCancel..kButtonStop
    void hide_editor();
    // Tabs 0 "音效控制", 1 "均衡器", 2 "效果参数"; any other index changes nothing.
    void select_tab(int index);
    // Editor command message 12424: the window skin's frame actions (1333999 with lParam 1..4)
    // and the colour window's 8884..8887.
    void on_editor_command(int64_t code, int64_t arg);
    // Editor commands 8884..8886 from the colour window.
    void on_colour_command(int code, int arg);

private:
    bool exists_ = false;
};

// The process-wide editor, working on the process-wide engine.
Editor& editor();

}  // namespace vemo
