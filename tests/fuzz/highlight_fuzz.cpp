// smoothStep and highlightTerm on arbitrary floats (NaN, infinities,
// denormals, negative zero): no trap, no undefined behaviour, and the same
// bits on a second call.
#include "highlight.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Reads floats from the input, zero once it runs out.
class FloatReader {
public:
    FloatReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    float next()
    {
        float value = 0.0f;
        if (offset_ + sizeof value <= size_) {
            std::memcpy(&value, data_ + offset_, sizeof value);
            offset_ += sizeof value;
        }
        return value;
    }

    shading::Float3 next3()
    {
        const float x = next();
        const float y = next();
        return {x, y, next()};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const shading::Float3& a, const shading::Float3& b)
{
    return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FloatReader in(data, size);
    const float lower = in.next();
    const float upper = in.next();
    const float x = in.next();
    if (!sameBits(shading::smoothStep(lower, upper, x), shading::smoothStep(lower, upper, x))) {
        std::abort();
    }

    const shading::Float3 V = in.next3();
    const shading::Float3 N = in.next3();
    const shading::Float3 L = in.next3();
    const shading::Float3 light = in.next3();
    const shading::Float3 specular = in.next3();
    const float roughness = in.next();
    const float sharpness = in.next();
    const float weight = in.next();
    const shading::Float3 first =
        shading::highlightTerm(V, N, L, light, specular, roughness, sharpness, weight);
    const shading::Float3 second =
        shading::highlightTerm(V, N, L, light, specular, roughness, sharpness, weight);
    if (!sameBits(first, second)) {
        std::abort();
    }
    return 0;
}
