// The glossy highlight shared by both deliverables: a specular lobe
// pow(N·H, 1/roughness) pushed through a narrow smoothstep band around 0.72
// whose width sharpness sets. Pure single-precision functions; nothing is
// allocated, kept or clamped.
#pragma once

#include "float3.h"

namespace shading {

// Edges of the smoothstep band for a given sharpness.
struct Band {
    float lower = 0.0f;
    float upper = 0.0f;
};

// The band around 0.72; a sharpness of 1 or more acts as 0.97.
Band highlightBand(float sharpness);

// The band function: 0 below `lower`, 1 above `upper`, (3 - 2t)·t² between.
float smoothStep(float lower, float upper, float x);

// Directions, named by the way they point wherever the material is shaded:
//   toViewer      unit vector from the point toward the viewer
//   toLight       unit vector from the point toward the light
//   rayDirection  the ray that reached the point, from the viewer: -toViewer
//   normal        unit shading normal, on the viewer's side
// Highlight colour that one light sample contributes; the caller adds it into
// its own sum. Roughness is not guarded: 0 or below gives whatever powf gives
// for the resulting infinite or negative exponent, identically in both hosts.
Float3 highlightTerm(const Float3& toViewer, const Float3& normal, const Float3& toLight, const Float3& lightColour,
                     const Float3& specularColor, float roughness, float sharpness, float weight);

}  // namespace shading
