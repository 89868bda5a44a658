#include "png_image.h"

#include <png.h>

#include "cli_error.h"

namespace vemomix_cli {

RgbImage::RgbImage(int w, int h, uint32_t fill_colorref) : width(w), height(h) {
    rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set(x, y, fill_colorref);
}

void RgbImage::set(int x, int y, uint32_t c) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    p[0] = static_cast<uint8_t>(c & 0xFF);
    p[1] = static_cast<uint8_t>((c >> 8) & 0xFF);
    p[2] = static_cast<uint8_t>((c >> 16) & 0xFF);
}

std::string encode_png(const RgbImage& image, const std::string& what) {
    // libpng's simplified writer: it reports errors in the image record instead of jumping out of C++ frames.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.rgb.data(), 0, nullptr))
        throw CliError(what, std::string("cannot encode PNG: ") + png.message);
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgb.data(), 0, nullptr))
        throw CliError(what, std::string("cannot encode PNG: ") + png.message);
    bytes.resize(size);
    return bytes;
}

}  // namespace vemomix_cli
