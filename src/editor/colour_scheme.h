// The skin's colour scheme (one main colour and the colours derived from it, header and
// border style, window alpha) and the colour settings window's model, which edits it live.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/colours.h"
#include "resources/editor_commands.h"

namespace vemo {

constexpr int kHeaderStyles = 4;   // 0..3
constexpr int kBorderStyles = 7;   // 0..6
constexpr int kMinAlpha = 120;
constexpr int kMaxAlpha = 255;

struct ColourScheme {
    Colour main_colour = kDefaultMainColour;
    int32_t header_style = 2;
    int32_t border_style = 0;
    int32_t window_alpha = 255;

    // Derived from the main colour by derive().
    Colour tab_text = 0;      // inverted, then darkened by 34
    Colour caption = 0;       // caption strip background: the main colour itself
    Colour dialog_fill = 0;   // skinned dialogs without a bitmap: lightened by 51
    Colour tab_header = 0;    // tab control and list header: lightened by 52
    Colour cell_shade_1 = 0;  // disabled chain rows, column 1: lightened by 7
    Colour cell_shade_2 = 0;  // disabled chain rows, column 2: lightened by 14

    ColourScheme() { derive(); }
    void set_main_colour(Colour c);
    void derive();
    void next_header_style();
    void next_border_style();
};

constexpr Colour invert(Colour c) { return rgb(255 - red_of(c), 255 - green_of(c), 255 - blue_of(c)); }

// Texts the editor places read at least 4.5:1 against what they are drawn on, by the relative
// luminance and contrast ratio of WCAG 2.
constexpr double kMinTextContrast = 4.5;
double luminance(Colour c);
double contrast(Colour a, Colour b);
// `preferred` where it reads on `bg`, else black or white, whichever reads better (one of the
// two always reaches 4.5:1).
Colour readable_on(Colour bg, Colour preferred);

// The ground and texts of the parameter and equaliser pages for a scheme.
struct PageColours {
    Colour plate;       // behind the rows and bands: the main colour dimmed until red reads on it
    Colour label;       // row labels, the equaliser's scales
    Colour value;       // value texts
    Colour outside;     // a value the slider cannot show
    Colour heading;     // the page heading, on the main colour
    Colour chooser;     // combo box texts, on the main colour
    Colour light_chip;  // behind a band label that needs a light ground (the blue family)
};
PageColours page_colours(const ColourScheme& s);
// What a band label of colour `text` (the equaliser's own colours) is drawn on.
Colour band_label_ground(const PageColours& p, Colour text);

// The main colour as the settings file stores it: 0xRRGGBB, the reverse of a COLORREF.
int32_t settings_colour_value(Colour c);

// Colour settings window (template 3058) without the window: five swatches, the custom
// colour's channel sliders, the alpha slider, the style buttons.
class ColourWindow {
public:
    static constexpr int kSwatches = 5;  // four presets, then the custom swatch
    static constexpr int kCustomSwatch = 4;
    static constexpr std::array<Colour, 4> kPresetColours = {0x00383808u, 0x00084808u, 0x00083848u, 0x00480808u};

    explicit ColourWindow(ColourScheme& scheme) : scheme_(scheme) { reset(); }

    // The window's initial step: sliders at the scheme's values, custom swatch = main colour.
    void reset();
    // Window shown: check the swatch of the main colour (else the custom one, which takes it).
    void on_shown();
    void on_swatch_clicked(int index);
    // channel 0 red, 1 green, 2 blue; value kept inside 0..255 like the slider keeps it.
    void on_channel_moved(int channel, int value);
    void on_channel_released();
    void on_alpha_moved(int value);
    void on_alpha_released();
    void on_next_header();
    void on_next_border();
    // "保存": writes the settings file at path (a failure is ignored), hides the window.
    void on_save(const std::string& settings_path);
    void on_close() { shown = false; }

    // Editor command sink (code, argument); unset means nobody listens.
    std::function<void(int, int)> send_command;

    std::array<bool, kSwatches> checked{};
    Colour custom_colour = kDefaultMainColour;
    std::array<int, 3> channel{};  // slider positions r, g, b
    int alpha_pos = 255;
    bool shown = false;

private:
    void send(int code, int arg = 0) const {
        if (send_command) send_command(code, arg);
    }
    void check_only(int index);
    void put_sliders(Colour c);
    void take_main_colour(Colour c);
    ColourScheme& scheme_;
};

}  // namespace vemo
