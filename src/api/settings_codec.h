// Moves every value between the 748-byte EffectSettings record, the engine and the editor.
#pragma once
#include "vemosoundmix.h"

namespace vemo {

void settings_get(EffectSettings& out);
void settings_set(const EffectSettings& in);

}  // namespace vemo
