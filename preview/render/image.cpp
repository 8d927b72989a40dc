// Image layouts and the sRGB transfer function.
#include "image.h"

#include <algorithm>
#include <cmath>

namespace preview {

void paste(Image& target, const Image& source, int x, int y)
{
    for (int row = 0; row < source.height; ++row) std::copy_n(&source.at(0, row), source.width, &target.at(x, y + row));
}

Image sideBySide(const Image& left, const Image& right, int gap)
{
    Image result(left.width + gap + right.width, std::max(left.height, right.height));
    std::fill(result.pixels.begin(), result.pixels.end(), Vec3{0.02f, 0.02f, 0.02f});
    paste(result, left, 0, 0);
    paste(result, right, left.width + gap, 0);
    return result;
}

std::uint8_t toSrgb8(float linear)
{
    if (!(linear > 0.0f)) return 0;
    if (linear >= 1.0f) return 255;
    const float encoded = linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
    return static_cast<std::uint8_t>(std::lround(encoded * 255.0f));
}

}  // namespace preview
