// smoothStep and highlightTerm on arbitrary floats (NaN, infinities,
// denormals, negative zero): no trap, no undefined behaviour, and the same
// bits on a second call.
#include "highlight.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input.h"

namespace {

shading::Float3 nextFloat3(fuzz::Input& in)
{
    const float x = in.nextFloat();
    const float y = in.nextFloat();
    return {x, y, in.nextFloat()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const float lower = in.nextFloat();
    const float upper = in.nextFloat();
    const float x = in.nextFloat();
    if (!fuzz::sameBits(shading::smoothStep(lower, upper, x), shading::smoothStep(lower, upper, x))) {
        std::abort();
    }

    const shading::Float3 V = nextFloat3(in);
    const shading::Float3 N = nextFloat3(in);
    const shading::Float3 L = nextFloat3(in);
    const shading::Float3 light = nextFloat3(in);
    const shading::Float3 specular = nextFloat3(in);
    const float roughness = in.nextFloat();
    const float sharpness = in.nextFloat();
    const float weight = in.nextFloat();
    const shading::Float3 first = shading::highlightTerm(V, N, L, light, specular, roughness, sharpness, weight);
    const shading::Float3 second = shading::highlightTerm(V, N, L, light, specular, roughness, sharpness, weight);
    if (!fuzz::sameBits(first, second)) {
        std::abort();
    }
    return 0;
}
