// The sky gradient and the lat-long image lookup (bilinear, wrapping in
// azimuth).
#include "environment.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "environment_file.h"

namespace preview {
namespace {

Vec3 mixColor(const Vec3& a, const Vec3& b, float t) { return a * (1.0f - t) + b * t; }

}  // namespace

Environment Environment::fromLatLongFile(const std::string& path)
{
    LatLongImage image = readLatLongImage(path);
    Environment env;
    env.width_ = image.width;
    env.height_ = image.height;
    env.texels_ = std::move(image.texels);
    return env;
}

Environment Environment::fromTexels(int width, int height, std::vector<Vec3> texels)
{
    if (width < 1 || height < 1 || texels.size() != std::size_t(width) * std::size_t(height))
        throw std::invalid_argument("an environment image needs width x height texels");
    Environment env;
    env.width_ = width;
    env.height_ = height;
    env.texels_ = std::move(texels);
    return env;
}

Vec3 Environment::texel(int x, int y) const
{
    x = ((x % width_) + width_) % width_;
    y = std::clamp(y, 0, height_ - 1);
    return texels_[static_cast<std::size_t>(y) * width_ + x];
}

Vec3 Environment::radiance(const Vec3& d) const
{
    if (texels_.empty()) {
        const Vec3 zenith{0.25f, 0.45f, 0.95f};
        const Vec3 horizon{0.95f, 0.95f, 1.0f};
        const Vec3 ground{0.30f, 0.28f, 0.26f};
        if (d.y >= 0.0f) return mixColor(horizon, zenith, std::sqrt(d.y));
        return mixColor(horizon, ground, std::min(1.0f, -d.y * 8.0f));
    }
    // Azimuth 0 at -z (straight ahead of a default camera), growing toward +x.
    const float u = std::atan2(d.x, -d.z) / (2.0f * kPi) + 0.5f;
    const float v = std::acos(std::clamp(d.y, -1.0f, 1.0f)) / kPi;
    const float fx = u * float(width_) - 0.5f;
    const float fy = v * float(height_) - 0.5f;
    const int x0 = int(std::floor(fx));
    const int y0 = int(std::floor(fy));
    const float tx = fx - float(x0);
    const float ty = fy - float(y0);
    const Vec3 top = mixColor(texel(x0, y0), texel(x0 + 1, y0), tx);
    const Vec3 bottom = mixColor(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), tx);
    return mixColor(top, bottom, ty);
}

}  // namespace preview
