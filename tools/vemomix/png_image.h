// 8-bit RGB pictures and their PNG encoding (libpng).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vemomix_cli {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, three bytes a pixel

    RgbImage() = default;
    RgbImage(int w, int h, uint32_t fill_colorref);
    // A Windows COLORREF, 0x00BBGGRR.
    void set(int x, int y, uint32_t colorref);
};

// The PNG file's bytes; what names the picture in the error message.
std::string encode_png(const RgbImage& image, const std::string& what);

}  // namespace vemomix_cli
