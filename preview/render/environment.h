// What a ray sees when it leaves the scene: a sky gradient by default, or a
// latitude-longitude OpenEXR image. Directions are in world space, y up.
#pragma once

#include <string>
#include <vector>

#include "vec3.h"

namespace preview {

class Environment {
public:
    // The default sky: a bright horizon fading to blue overhead and a dim
    // ground colour below the horizon.
    Environment() = default;

    // Reads a latitude-longitude image (u = azimuth, v = polar angle from +y)
    // as readLatLongImage does, with its std::runtime_error when it cannot.
    static Environment fromLatLongFile(const std::string& path);

    // An image of width x height texels, rows top (+y) down, as
    // fromLatLongFile makes one. Throws std::invalid_argument when the
    // texels do not fill it.
    static Environment fromTexels(int width, int height, std::vector<Vec3> texels);

    // Whether this is an image rather than the sky gradient.
    bool isImage() const { return !texels_.empty(); }

    // Linear RGB radiance arriving from `direction` (unit length).
    Vec3 radiance(const Vec3& direction) const;

private:
    Vec3 texel(int x, int y) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<Vec3> texels_;
};

}  // namespace preview
