// COLORREF-style colours (0x00BBGGRR) and the per-channel lighten/darken rules of the skin.
#pragma once
#include <cstdint>

namespace vemo {

using Colour = uint32_t;

// "Use the system colours" in a list cell.
constexpr Colour kSystemColour = 0xFFFFFFFFu;
constexpr Colour kDefaultMainColour = 0x00624C06u;  // R 6, G 76, B 98

constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int red_of(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int green_of(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blue_of(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr int clamp_channel(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Adds n to every channel, stopping at 255.
constexpr Colour lighten(Colour c, int n) {
    return rgb(clamp_channel(red_of(c) + n), clamp_channel(green_of(c) + n), clamp_channel(blue_of(c) + n));
}
// Takes n from every channel, stopping at 0.
constexpr Colour darken(Colour c, int n) { return lighten(c, -n); }

}  // namespace vemo
