// The highlight model. The order of every floating-point operation below is
// deliberate: both deliverables must produce the same bits, so sums are
// grouped exactly as written and the build keeps contractions off.
#include "highlight.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace shading {
namespace {

// Constants fixed by their bit patterns, not by decimal literals.
float fromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const float kSharpnessCeiling = fromBits(0x3F800000u);      // 1.0
const float kSharpnessReplacement = fromBits(0x3F7851ECu);  // 0.97: a sharpness of 1 still leaves a band
const float kHalfWidthScale = fromBits(0x3E3851ECu);        // 0.18
const float kBandCentre = fromBits(0x3F3851ECu);            // 0.72

}  // namespace

Band highlightBand(float sharpness)
{
    float s = sharpness;
    if (s >= kSharpnessCeiling) {
        s = kSharpnessReplacement;
    }
    // No lower clamp: a negative sharpness widens the band.
    const float halfWidth = (1.0f - s) * kHalfWidthScale;
    return {kBandCentre - halfWidth, halfWidth + kBandCentre};
}

float smoothStep(float lower, float upper, float x)
{
    if (x < lower) {
        return 0.0f;
    }
    if (x > upper) {
        return 1.0f;
    }
    // A band whose edges are the same float is a step; a lobe exactly on it
    // counts as reaching the upper edge instead of forming 0/0 = NaN.
    if (upper == lower && x == upper) {
        return 1.0f;
    }
    const float t = (x - lower) / (upper - lower);
    return (3.0f - 2.0f * t) * t * t;
}

Float3 highlightTerm(const Float3& V, const Float3& N, const Float3& L, const Float3& lightColour,
                     const Float3& specularColour, float roughness, float sharpness, float weight)
{
    Float3 result;

    // Only lights strictly in front of the surface; NaN fails the test too.
    const float cosL = (N.y * L.y + N.x * L.x) + N.z * L.z;
    if (!(cosL > 0.0f)) {
        return result;
    }

    // Half vector; a zero-length one stays zero and later gives a zero lobe.
    Float3 H{L.x + V.x, L.y + V.y, L.z + V.z};
    const float length = std::sqrt((H.x * H.x + H.y * H.y) + H.z * H.z);
    if (length != 0.0f) {
        const float inverse = 1.0f / length;
        H = {H.x * inverse, H.y * inverse, H.z * inverse};
    }

    const float cosH = (H.y * N.y + H.x * N.x) + H.z * N.z;
    const float base = cosH > 0.0f ? cosH : 0.0f;
    const float exponent = 1.0f / roughness;
    const float lobe = std::pow(base, exponent);

    const Band band = highlightBand(sharpness);
    const float k = smoothStep(band.lower, band.upper, lobe);

    const float scale = k * weight;
    result.x = lightColour.x * scale * specularColour.x;
    result.y = lightColour.y * scale * specularColour.y;
    result.z = lightColour.z * scale * specularColour.z;
    return result;
}

}  // namespace shading
