// The colour settings: the skin's colour scheme every window paints with, and the colour
// settings window that edits it live and saves it to the settings file.
#pragma once
#include "editor/backend.h"
#include "editor/colour_scheme.h"

namespace vemo {

class ColourPage {
public:
    explicit ColourPage(EditorBackend& backend) : backend_(backend) {}

    ColourScheme scheme;
    ColourWindow window{scheme};

    // The scheme's defaults and the window's initial step, as each creation of the editor starts.
    void reset();
    void toggle_window();
    // "保存": the scheme to the settings file beside the host, the window hidden.
    void save();

private:
    EditorBackend& backend_;
};

}  // namespace vemo
