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

Float3 highlightTerm(const Float3& toViewer, const Float3& normal, const Float3& toLight, const Float3& lightColour,
                     const Float3& specularColor, float roughness, float sharpness, float weight)
{
    Float3 result;

    // Only lights strictly in front of the surface; NaN fails the test too.
    const float cosL = (normal.y * toLight.y + normal.x * toLight.x) + normal.z * toLight.z;
    if (!(cosL > 0.0f)) {
        return result;
    }

    // Half vector; a zero-length one stays zero and later gives a zero lobe.
    Float3 half{toLight.x + toViewer.x, toLight.y + toViewer.y, toLight.z + toViewer.z};
    const float length = std::sqrt((half.x * half.x + half.y * half.y) + half.z * half.z);
    if (length != 0.0f) {
        const float inverse = 1.0f / length;
        half = {half.x * inverse, half.y * inverse, half.z * inverse};
    }

    const float cosH = (half.y * normal.y + half.x * normal.x) + half.z * normal.z;
    const float base = cosH > 0.0f ? cosH : 0.0f;
    const float exponent = 1.0f / roughness;
    const float lobe = std::pow(base, exponent);

    const Band band = highlightBand(sharpness);
    const float k = smoothStep(band.lower, band.upper, lobe);

    const float scale = k * weight;
    result.x = lightColour.x * scale * specularColor.x;
    result.y = lightColour.y * scale * specularColor.y;
    result.z = lightColour.z * scale * specularColor.z;
    return result;
}

}  // namespace shading
