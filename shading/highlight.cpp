// The highlight model's constants, built from their bit patterns rather than
// from decimal literals; the functions that use them are inline in
// highlight.h.
#include "highlight.h"

#include <cstdint>
#include <cstring>

namespace shading {
namespace {

float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

const float kSharpnessCeiling = fromBits(0x3F800000u);
const float kSharpnessReplacement = fromBits(0x3F7851ECu);
const float kHalfWidthScale = fromBits(0x3E3851ECu);
const float kBandCentre = fromBits(0x3F3851ECu);

}  // namespace shading
