#include "editor/colour_scheme.h"

#include <algorithm>

#include "editor/settings_file.h"

namespace vemo {

void ColourScheme::set_main_colour(Colour c) {
    main_colour = c & 0x00FFFFFFu;
    derive();
}

void ColourScheme::derive() {
    tab_text = darken(invert(main_colour), 34);
    caption = main_colour;
    dialog_fill = lighten(main_colour, 51);
    tab_header = lighten(main_colour, 52);
    cell_shade_1 = lighten(main_colour, 7);
    cell_shade_2 = lighten(main_colour, 14);
}

void ColourScheme::next_header_style() { header_style = header_style >= kHeaderStyles - 1 ? 0 : header_style + 1; }

void ColourScheme::next_border_style() { border_style = border_style >= kBorderStyles - 1 ? 0 : border_style + 1; }

int32_t settings_colour_value(Colour c) {
    return static_cast<int32_t>((red_of(c) << 16) | (green_of(c) << 8) | blue_of(c));
}

void ColourWindow::reset() {
    custom_colour = scheme_.main_colour;
    put_sliders(scheme_.main_colour);
    alpha_pos = std::clamp<int>(scheme_.window_alpha, kMinAlpha, kMaxAlpha);
    checked.fill(false);
    shown = false;
}

void ColourWindow::check_only(int index) {
    checked.fill(false);
    checked[static_cast<size_t>(index)] = true;
}

void ColourWindow::put_sliders(Colour c) { channel = {red_of(c), green_of(c), blue_of(c)}; }

void ColourWindow::on_shown() {
    const auto it = std::find(kPresetColours.begin(), kPresetColours.end(), scheme_.main_colour);
    if (it != kPresetColours.end()) {
        check_only(static_cast<int>(it - kPresetColours.begin()));
    } else {
        check_only(kCustomSwatch);
        custom_colour = scheme_.main_colour;
    }
    put_sliders(scheme_.main_colour);
    alpha_pos = std::clamp<int>(scheme_.window_alpha, kMinAlpha, kMaxAlpha);
    shown = true;
    send(kCmdPreviewAlpha, kMaxAlpha);
}

void ColourWindow::take_main_colour(Colour c) {
    scheme_.set_main_colour(c);
    put_sliders(scheme_.main_colour);
    send(kCmdRecolour);
}

void ColourWindow::on_swatch_clicked(int index) {
    if (index < 0 || index >= kSwatches) return;
    check_only(index);
    take_main_colour(index == kCustomSwatch ? custom_colour : kPresetColours[static_cast<size_t>(index)]);
}

void ColourWindow::on_channel_moved(int ch, int value) {
    if (ch < 0 || ch > 2) return;
    value = std::clamp(value, 0, 255);
    channel[static_cast<size_t>(ch)] = value;
    check_only(kCustomSwatch);
    // Only the custom swatch follows the drag; the skin changes when the slider is let go.
    const Colour m = scheme_.main_colour;
    custom_colour = rgb(ch == 0 ? value : red_of(m), ch == 1 ? value : green_of(m), ch == 2 ? value : blue_of(m));
}

void ColourWindow::on_channel_released() { take_main_colour(rgb(channel[0], channel[1], channel[2])); }

void ColourWindow::on_alpha_moved(int value) {
    alpha_pos = std::clamp(value, kMinAlpha, kMaxAlpha);
    send(kCmdPreviewAlpha, alpha_pos);
}

void ColourWindow::on_alpha_released() {
    scheme_.window_alpha = alpha_pos;
    send(kCmdPreviewAlpha, kMaxAlpha);
    send(kCmdApplyAlpha);
}

void ColourWindow::on_next_header() {
    scheme_.next_header_style();
    send(kCmdRecolour);
}

void ColourWindow::on_next_border() {
    scheme_.next_border_style();
    send(kCmdRecolour);
}

void ColourWindow::on_save(const std::string& settings_path) {
    // A settings file that cannot be written is not the user's error: nothing is said.
    write_colour_settings(settings_path, scheme_);
    shown = false;
    send(kCmdRecolour);
}

}  // namespace vemo
