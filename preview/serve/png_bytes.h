// An image as the bytes of the 8-bit sRGB PNG file glossy-preview writes for it.
#pragma once

#include <string>

#include "image.h"

namespace preview::serve {

// Throws std::runtime_error when libpng refuses.
std::string pngBytes(const Image& image);

}  // namespace preview::serve
