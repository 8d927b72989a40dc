// Reading a latitude-longitude environment image from an OpenEXR file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vec3.h"

namespace preview {

// The most texels an environment image may have: 8192 x 8192, 768 MB of
// float colour. A larger image is refused before anything is allocated.
constexpr std::int64_t kMaxEnvironmentTexels = std::int64_t{8192} * 8192;

struct LatLongImage {
    int width = 0;
    int height = 0;
    std::vector<Vec3> texels;  // row by row from the top of the display window
};

// Reads the colour of an OpenEXR image as float, whatever type it is stored
// in: R, G and B, or a luminance Y as grey (or Y with chroma RY, BY), of the
// unlayered channels or of the only layer that has colour. Throws
// std::runtime_error with a one-line printable reason when the file cannot
// be read, holds no such colour (naming the channels it has), or promises
// more texels than kMaxEnvironmentTexels or than the file can hold. The
// display window is the whole image, the parts the data window leaves out
// black. Refused as well: a path that is not a regular file (a pipe would
// block), an envmap attribute other than latitude-longitude, and a texel
// that is NaN or infinite (named by its x and y).
LatLongImage readLatLongImage(const std::string& path);

}  // namespace preview
