#include "editor/colour_scheme.h"

#include <algorithm>
#include <cmath>

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

namespace {

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Colour scaled(Colour c, double k) {
    auto ch = [k](int v) { return static_cast<int>(v * k); };
    return rgb(ch(red_of(c)), ch(green_of(c)), ch(blue_of(c)));
}

// Pure red (the equaliser's 4000..8000 Hz labels) reads 4.5:1 on grounds up to a luminance of
// 0.0084; smoothing takes some of a glyph's colour, so the plate stays well below that.
constexpr double kPlateLuminance = 0.003;

}  // namespace

double luminance(Colour c) {
    return 0.2126 * linear(red_of(c)) + 0.7152 * linear(green_of(c)) + 0.0722 * linear(blue_of(c));
}

double contrast(Colour a, Colour b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour readable_on(Colour bg, Colour preferred) {
    if (contrast(preferred, bg) >= kMinTextContrast) return preferred;
    const Colour white = rgb(255, 255, 255), black = 0;
    return contrast(white, bg) >= contrast(black, bg) ? white : black;
}

PageColours page_colours(const ColourScheme& s) {
    PageColours p{};
    // The main colour's hue, dimmed step by step until dark enough.
    double k = 1.0;
    p.plate = s.main_colour & 0x00FFFFFFu;
    while (luminance(p.plate) > kPlateLuminance && k > 0) p.plate = scaled(s.main_colour, k -= 0.02);
    if (luminance(p.plate) > kPlateLuminance) p.plate = 0;
    p.label = readable_on(p.plate, rgb(0xE8, 0xEC, 0xF0));
    p.value = readable_on(p.plate, rgb(0xFF, 0xFF, 0x80));
    p.outside = readable_on(p.plate, rgb(0xFF, 0x90, 0x60));
    p.heading = readable_on(s.main_colour, 0);
    p.chooser = readable_on(s.main_colour, rgb(0xFF, 0xFF, 0x00));
    p.light_chip = rgb(0xE6, 0xEC, 0xF4);
    return p;
}

Colour band_label_ground(const PageColours& p, Colour text) {
    Colour best = p.plate;
    for (const Colour ground : {p.light_chip, rgb(255, 255, 255), Colour{0}})
        if (contrast(text, best) < kMinTextContrast && contrast(text, ground) > contrast(text, best)) best = ground;
    return best;
}

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
