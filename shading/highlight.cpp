// The highlight model's constants, built from their bit patterns rather than
// from decimal literals; the functions that use them are inline in
// highlight.h.
#include "highlight.h"

#include <cstring>

namespace shading {
namespace {

// The bit patterns are 32 bits wide, as are float and unsigned int on every
// platform the hosts run on; a build where they are not does not compile.
typedef char FloatIsFourBytes[sizeof(float) == 4 && sizeof(unsigned int) == 4 ? 1 : -1];

float fromBits(unsigned int bits)
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
