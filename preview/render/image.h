// A linear RGB float image and the few layouts the preview makes of images:
// two side by side, and balls pasted into a contact sheet.
#pragma once

#include <cstdint>
#include <vector>

#include "vec3.h"

namespace preview {

struct Image {
    Image() = default;
    Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}

    Vec3& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Vec3& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    int width = 0;
    int height = 0;
    std::vector<Vec3> pixels;
};

// Copies `source` into `target` with its top-left corner at (x, y).
void paste(Image& target, const Image& source, int x, int y);

// `left` and `right` next to each other, `gap` pixels of dark grey between.
Image sideBySide(const Image& left, const Image& right, int gap);

// Linear value to an 8-bit sRGB code: clamped to [0, 1] only here, at the
// last step, so the float images keep every value; NaN becomes 0.
std::uint8_t toSrgb8(float linear);

}  // namespace preview
