// splitmix64: a tiny generator whose every seed gives a well-mixed stream, so
// neighbouring pixels do not share patterns.
#include "sampler.h"

namespace preview {
namespace {

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

Sampler::Sampler(int x, int y, int sample, int samples)
    : pixel_(mix((static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) ^ static_cast<std::uint32_t>(y))),
      state_(pixel_ ^ mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(sample)) + 0x9E3779B97F4A7C15ull)),
      sample_(sample),
      grid_(1)
{
    while ((grid_ + 1) * (grid_ + 1) <= samples) ++grid_;
}

void Sampler::stratified(int part, float& u, float& v)
{
    // Both numbers from one draw: 24 bits each fill a float's mantissa.
    state_ += 0x9E3779B97F4A7C15ull;
    const std::uint64_t bits = mix(state_);
    const float du = static_cast<float>(bits >> 40) * 0x1.0p-24f;
    const float dv = static_cast<float>((bits >> 16) & 0xFFFFFFull) * 0x1.0p-24f;
    const int cells = grid_ * grid_;
    if (sample_ < 0 || sample_ >= cells) {
        u = du;
        v = dv;
        return;
    }
    // Each part (an area light's cell) turns the pixel's cells by its own
    // amount, so that a few of the pixel's samples (those that hit the ball,
    // say) still fall in different places of different parts.
    const int cell = int((std::uint64_t(sample_) + std::uint64_t(part) * 11u + pixel_) % std::uint64_t(cells));
    u = (float(cell % grid_) + du) / float(grid_);
    v = (float(cell / grid_) + dv) / float(grid_);
}

float Sampler::next()
{
    state_ += 0x9E3779B97F4A7C15ull;
    // The top 24 bits fill a float's mantissa exactly, so the result stays below 1.
    return static_cast<float>(mix(state_) >> 40) * 0x1.0p-24f;
}

}  // namespace preview
