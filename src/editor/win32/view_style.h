// The looks the editor's windows share: push buttons in shades of the main colour, and the
// check buttons with their two icons over the page's background.
#pragma once
#include "editor/colour_scheme.h"
#include "toolkit/icon_button.h"
#include "toolkit/window_skin.h"
#include "resources/resource_ids.h"

namespace vemo {

void style_push_button(CIconButton& b, COLORREF main);
void style_check_button(CIconButton& b);
// The frame colours a window skin takes from the scheme.
SkinColours skin_colours(const ColourScheme& s);

}  // namespace vemo
