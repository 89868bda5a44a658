#include "editor/editor.h"

#include <algorithm>
#include <mutex>

#include "editor/preset_file.h"
#include "engine/engine.h"

namespace vemo {

std::unique_ptr<EditorBackend> make_platform_backend();

Editor& editor() {
    static Editor* instance = new Editor(vemo::engine());
    return *instance;
}

Editor::Editor(EngineState& engine) : engine_(engine), backend_(make_platform_backend()) {
    button_set[0].caption = "载入";
    button_set[1].caption = "保存";
    button_set[2].caption = "播放";
    button_set[3].caption = "停止";
    colours.window.send_command = [this](int code, int arg) { on_colour_command(code, arg); };
    chain.switch_changed = [this](int type, bool on) { param.take_switch(type, on); };
    param.show_equaliser = [this] { select_tab(1); };
}

// ---------------------------------------------------------------- host side

void Editor::begin() {
    eq.preset_path = preset_file_path(backend_->library_dir());
    if (!exists_) {
        // The skin starts from its defaults on every creation, before any window reads them.
        colours.reset();
        editor_alpha = colour_window_alpha = 255;
        backend_->create_windows();
        exists_ = true;
        // Initial steps of both pages: the default rows; the presets, read from the file
        // only here, and the 10-band page.
        chain.set_default_rows();
        eq.load_presets();
        eq.band_count = engine_.eq.eq_band_count;
        eq.fill_combo();
        eq.layout();
    }
    hide_editor();
}

void Editor::on_engine_init(int rate, int, int show) {
    if (!exists_) return;
    chain.switches[kGraphicEq].enabled = rate_supported(rate);
    select_tab(0);
    if (show == 1) set_display(1);
    int w = 0, h = 0;
    backend_->strip_client_size(w, h);
    {
        EngineState& e = engine_;
        std::lock_guard lock(e.mutex);
        set_strip_geometry(e.levels, w, h);
    }
    eq.reset();
    param.reset_copies();
    param.refresh();
    chain.set_default_rows();
    backend_->model_changed(ModelPart::kChainPage);
    backend_->model_changed(ModelPart::kEqPage);
}

void Editor::set_display(uint8_t show) {
    if (!exists_) return;
    if (show == 1) {
        apply_button_set(false);
        chain.take_engine_switches();
        backend_->show_editor(true);
    } else {
        backend_->show_editor(false);
    }
    shown = show;
    engine_.capture_levels.store(shown == 1, std::memory_order_relaxed);
}

void Editor::set_display_mode(int32_t mode) {
    display_mode = mode;
    apply_button_set(true);
}

void Editor::set_switch(int type, bool on) {
    if (!exists_ || !is_effect_type(type)) return;
    chain.switches[type].checked = on;
    backend_->model_changed(ModelPart::kChainPage);
    param.take_switch(type, on);
}

void Editor::close() {
    if (exists_) backend_->destroy_windows();
    exists_ = false;
    colours.window.shown = false;
    shown = 0;
    engine_.capture_levels.store(false, std::memory_order_relaxed);
}

// ---------------------------------------------------------------- main window

void Editor::hide_editor() {
    if (exists_) backend_->show_editor(false);
    shown = 0;
    engine_.capture_levels.store(false, std::memory_order_relaxed);
}

void Editor::select_tab(int index) {
    if (index < 0 || index > 2) return;
    current_tab = index;
    if (index == 0) chain.take_engine_switches();
    if (index == 2) param.refresh();
    backend_->model_changed(ModelPart::kMainWindow);
}

void Editor::on_editor_command(int64_t code, int64_t arg) {
    if (code == kCmdFrame) {
        if (arg == kFrameHide) {
            hide_editor();
            colours.window.on_close();
            backend_->model_changed(ModelPart::kColours);
        } else if (arg == kFrameColourWindow || arg == kFrameSkin) {
            colours.toggle_window();
        } else if (arg == kFrameAbout) {
            select_tab(5);  // there is no tab 5: nothing changes
        }
    } else if (code == kCmdPreviewAlpha || code == kCmdApplyAlpha || code == kCmdRecolour) {
        on_colour_command(static_cast<int>(code), static_cast<int>(std::clamp<int64_t>(arg, INT32_MIN, INT32_MAX)));
    } else if (code == kCmdResetBandRanges) {
        backend_->model_changed(ModelPart::kEqPage);
    }
}

void Editor::on_colour_command(int code, int arg) {
    if (code == kCmdRecolour) {
        colours.scheme.derive();
        // Rows painted as switched off carry the old shades.
        chain.recolour_off_rows();
        backend_->model_changed(ModelPart::kColours);
        backend_->model_changed(ModelPart::kChainPage);
    } else if (code == kCmdPreviewAlpha && transparency == 1) {
        colour_window_alpha = std::clamp(arg, 0, 255);
        backend_->model_changed(ModelPart::kColours);
    } else if (code == kCmdApplyAlpha && transparency == 1) {
        editor_alpha = colours.scheme.window_alpha;
        backend_->model_changed(ModelPart::kColours);
    }
}

void Editor::apply_button_set(bool from_dispmode) {
    auto& b = button_set;
    if (display_mode <= 0) {
        b[0].visible = false;
        b[1].visible = true;
        b[1].caption = "关闭";
        b[2].visible = from_dispmode;
        b[3].visible = false;
    } else if (display_mode == 1) {
        b[0].visible = b[1].visible = b[2].visible = b[3].visible = true;
        b[0].caption = "放弃";
        b[1].caption = "确认";
    } else {
        b[0].visible = b[1].visible = true;
        b[0].caption = "载入";
        b[1].caption = "保存";
        b[2].visible = b[3].visible = false;
    }
    if (exists_) backend_->model_changed(ModelPart::kChainPage);
}

void Editor::on_bottom_button(int which) {
    if (display_mode == 1) {
        if (which == kButtonSetCancel || which == kButtonSetConfirm) hide_editor();
        backend_->notify_host(host_window, which + 1);
    } else if (which == kButtonSetConfirm) {
        hide_editor();
    }
}

}  // namespace vemo
