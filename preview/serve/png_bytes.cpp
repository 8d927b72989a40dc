// The same conversion and libpng call as the files the command line writes,
// into memory, so the page shows the very bytes a render on disk holds.
#include "png_bytes.h"

#include <png.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace preview::serve {

std::string pngBytes(const Image& image)
{
    std::vector<std::uint8_t> bytes(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        bytes[3 * i + 0] = toSrgb8(image.pixels[i].x);
        bytes[3 * i + 1] = toSrgb8(image.pixels[i].y);
        bytes[3 * i + 2] = toSrgb8(image.pixels[i].z);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    // The first call measures, the second writes.
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, bytes.data(), 0, nullptr)) {
        const std::string reason = png.message;
        png_image_free(&png);
        throw std::runtime_error("cannot encode the image: " + reason);
    }
    std::string out(size, '\0');
    const bool written = png_image_write_to_memory(&png, out.data(), &size, 0, bytes.data(), 0, nullptr) != 0;
    const std::string reason = png.message;
    png_image_free(&png);
    if (!written) throw std::runtime_error("cannot encode the image: " + reason);
    out.resize(size);
    return out;
}

}  // namespace preview::serve
