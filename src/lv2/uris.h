// The bundle's URIs: one base of the project's, the effect's command-line key, the layout.
#pragma once
#include <string>
#include <string_view>

#include "settings/effect_types.h"

namespace vemo::lv2 {

inline constexpr std::string_view kUriBase = "https://vemosoundmix.org/lv2/";

inline std::string plugin_uri(int type, int channels) {
    return std::string(kUriBase) + std::string(kEffects[type].key) + (channels == 1 ? "/mono" : "/stereo");
}

}  // namespace vemo::lv2
