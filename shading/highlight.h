// The glossy highlight shared by both deliverables: a specular lobe
// pow(N·H, 1/roughness) pushed through a narrow smoothstep band around 0.72
// whose width sharpness sets. Pure single-precision functions; nothing is
// allocated, kept or clamped.
//
// The functions are defined here, inline, so that each deliverable's compiler
// sees them inside its own light loop and keeps what does not change from one
// light to the next out of it. The order of every floating-point operation is
// deliberate: both deliverables must produce the same bits, so sums are
// grouped exactly as written and the build keeps contractions off.
#pragma once

#include <cmath>

#include "float3.h"

namespace shading {

// Constants fixed by their bit patterns (built in highlight.cpp).
extern const float kSharpnessCeiling;      // 1.0
extern const float kSharpnessReplacement;  // 0.97: a sharpness of 1 still leaves a band
extern const float kHalfWidthScale;        // 0.18
extern const float kBandCentre;            // 0.72

// Edges of the smoothstep band for a given sharpness.
struct Band {
    Band(float lowerEdge, float upperEdge) : lower(lowerEdge), upper(upperEdge) {}

    float lower;
    float upper;
};

// The band around 0.72; a sharpness of 1 or more acts as 0.97.
inline Band highlightBand(float sharpness)
{
    float s = sharpness;
    if (s >= kSharpnessCeiling) {
        s = kSharpnessReplacement;
    }
    // No lower clamp: a negative sharpness widens the band.
    const float halfWidth = (1.0f - s) * kHalfWidthScale;
    return Band(kBandCentre - halfWidth, halfWidth + kBandCentre);
}

// The band function: 0 below `lower`, 1 above `upper`, (3 - 2t)·t² between.
inline float smoothStep(float lower, float upper, float x)
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

// Directions, named by the way they point wherever the material is shaded:
//   toViewer      unit vector from the point toward the viewer
//   toLight       unit vector from the point toward the light
//   rayDirection  the ray that reached the point, from the viewer: -toViewer
//   normal        unit shading normal, on the viewer's side
// Highlight colour that one light sample contributes; the caller adds it into
// its own sum. Roughness is not guarded: 0 or below gives whatever powf gives for the
// resulting infinite or negative exponent, identically in both hosts.
inline Float3 highlightTerm(const Float3& toViewer, const Float3& normal, const Float3& toLight,
                            const Float3& lightColor, const Float3& specularColor, float roughness, float sharpness,
                            float weight)
{
    Float3 result;

    // Only lights strictly in front of the surface; NaN fails the test too.
    const float cosL = (normal.y * toLight.y + normal.x * toLight.x) + normal.z * toLight.z;
    if (!(cosL > 0.0f)) {
        return result;
    }

    // Half vector; a zero-length one stays zero and later gives a zero lobe.
    Float3 half(toLight.x + toViewer.x, toLight.y + toViewer.y, toLight.z + toViewer.z);
    const float length = std::sqrt((half.x * half.x + half.y * half.y) + half.z * half.z);
    if (length != 0.0f) {
        const float inverse = 1.0f / length;
        half = Float3(half.x * inverse, half.y * inverse, half.z * inverse);
    }

    // The band does not depend on the lobe: worked out before the power, it
    // is ready when the power returns instead of lengthening the wait on it.
    const Band band = highlightBand(sharpness);

    const float cosH = (half.y * normal.y + half.x * normal.x) + half.z * normal.z;
    const float base = cosH > 0.0f ? cosH : 0.0f;
    const float exponent = 1.0f / roughness;
    const float lobe = std::pow(base, exponent);

    const float k = smoothStep(band.lower, band.upper, lobe);

    const float scale = k * weight;
    result.x = lightColor.x * scale * specularColor.x;
    result.y = lightColor.y * scale * specularColor.y;
    result.z = lightColor.z * scale * specularColor.z;
    return result;
}

}  // namespace shading
