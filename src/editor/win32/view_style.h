// The looks the editor's windows share: push buttons in shades of the main colour, and the
// check buttons with their two icons over the page's background.
#pragma once
#include "toolkit/icon_button.h"

namespace vemo {

void style_push_button(CIconButton& b, COLORREF main);
void style_check_button(CIconButton& b);

}  // namespace vemo
