// The highlight of one light sample written out step by step for the
// benchmarks' floors, so that the compiler sees every operation in the
// floor's own loop. Same operations in the same order as the shading core:
// the benchmarks check that both give the same bits before timing them.
#pragma once

#include <cmath>

#include "float3.h"

namespace bench {

using shading::Float3;

// Adds the highlight colour of one sample to `sum`. V, N and L as the
// shading core takes them (toward the viewer, unit normal, toward the light).
inline void addHighlight(const Float3& V, const Float3& N, const Float3& L, const Float3& lightColor,
                         const Float3& specularColor, float roughness, float sharpness, float weight, Float3& sum)
{
    const float cosL = (N.y * L.y + N.x * L.x) + N.z * L.z;
    float scale = 0.0f;
    if (cosL > 0.0f) {
        Float3 H{L.x + V.x, L.y + V.y, L.z + V.z};
        const float length = std::sqrt((H.x * H.x + H.y * H.y) + H.z * H.z);
        if (length != 0.0f) {
            const float inverse = 1.0f / length;
            H.x *= inverse;
            H.y *= inverse;
            H.z *= inverse;
        }
        const float s = sharpness >= 1.0f ? 0.97f : sharpness;
        const float halfWidth = (1.0f - s) * 0.18f;
        const float cosH = (H.y * N.y + H.x * N.x) + H.z * N.z;
        const float lobe = std::pow(cosH > 0.0f ? cosH : 0.0f, 1.0f / roughness);
        const float upper = halfWidth + 0.72f;
        const float lower = 0.72f - halfWidth;
        float k = 1.0f;
        if (lobe < lower) {
            k = 0.0f;
        } else if (!(lobe > upper)) {
            const float t = (lobe - lower) / (upper - lower);
            k = (3.0f - 2.0f * t) * t * t;
        }
        scale = k * weight;
    }
    // A light from behind adds black: three additions of zero.
    sum.x += lightColor.x * scale * specularColor.x;
    sum.y += lightColor.y * scale * specularColor.y;
    sum.z += lightColor.z * scale * specularColor.z;
}

}  // namespace bench
