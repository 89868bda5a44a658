#include "editor/colour_page.h"

#include "editor/settings_file.h"

namespace vemo {

void ColourPage::reset() {
    // Nothing is read back: the skin starts from its defaults.
    scheme = ColourScheme{};
    window.reset();
}

void ColourPage::toggle_window() {
    if (window.shown)
        window.on_close();
    else
        window.on_shown();
    backend_.model_changed(ModelPart::kColours);
}

void ColourPage::save() {
    window.on_save(settings_file_path(backend_.host_dir()));
    backend_.model_changed(ModelPart::kColours);
}

}  // namespace vemo
