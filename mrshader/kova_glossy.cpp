// The shader kova_glossy and its version function: per light, the averaged
// diffuse and banded highlight of its samples; a reflection (or the
// environment) that brightens what the lights gave; ambient and incandescence;
// optionally the renderer's irradiance; an opaque result.
//
// All arithmetic is single precision and the order of every operation below
// is deliberate: the highlight must match the other host's bit for bit, so
// sums are grouped exactly as written. Directions are named by the way they
// point, as highlight.h states. No colour is clamped.
extern "C" {
#include <shader.h>
}

#include <cmath>

#include "evaluate.h"
#include "glossy_export.h"
#include "highlight.h"
#include "kova_glossy_params.h"
#include "pi.h"

namespace {

using shading::kPi;

shading::Float3 toFloat3(const miVector& v) { return shading::Float3(v.x, v.y, v.z); }
shading::Float3 toFloat3(const miColor& c) { return shading::Float3(c.r, c.g, c.b); }

}  // namespace

extern "C" GLOSSY_EXPORT int kova_glossy_version(void) { return 1; }

extern "C" GLOSSY_EXPORT miBoolean kova_glossy(miColor* result, miState* state, kova_glossy_params* params)
{
    // Parameters, once each and in this order; the four colours and the light
    // array are read through the address the evaluation gives.
    const miColor& color = evaluated(state, params->color);
    const miColor& ambientColor = evaluated(state, params->ambientColor);
    const miColor& incandescence = evaluated(state, params->incandescence);
    const miColor& specularColor = evaluated(state, params->specularColor);
    const miScalar roughness = evaluated(state, params->roughness);
    const miVector normalOffset = evaluated(state, params->normalOffset);
    const miBoolean useIrradiance = evaluated(state, params->useIrradiance);
    const miScalar diffuse = evaluated(state, params->diffuse);
    const miScalar sharpness = evaluated(state, params->sharpness);
    const miScalar specularWeight = evaluated(state, params->specularWeight);
    const miInteger lightCount = evaluated(state, params->n_light);
    const miInteger firstLight = evaluated(state, params->i_light);
    const miTag* const lights = evaluated(state, params->light);

    // An exactly black irradiance colour turns the irradiance off.
    bool irradiance = useIrradiance != miFALSE;
    miColor irradianceColor = {0.0f, 0.0f, 0.0f, 0.0f};
    if (irradiance) {
        irradianceColor = evaluated(state, params->irradianceColor);
        irradiance = !(irradianceColor.r == 0.0f && irradianceColor.g == 0.0f && irradianceColor.b == 0.0f);
    }

    // The shading normal with its offset, normalised; a zero sum stays zero.
    miVector normal = {state->normal.x + normalOffset.x, state->normal.y + normalOffset.y,
                       state->normal.z + normalOffset.z};
    const float length = std::sqrt((normal.y * normal.y + normal.x * normal.x) + normal.z * normal.z);
    if (length != 0.0f) {
        const float inverse = 1.0f / length;
        normal.x = normal.x * inverse;
        normal.y = normal.y * inverse;
        normal.z = normal.z * inverse;
    }

    // One copy of the state per call: every renderer call sees this normal.
    miState copy = *state;
    copy.normal = normal;

    // The light sample and the traced colour share their storage, and so do
    // the direction toward the light and the reflection direction.
    miColor lightColor = {0.0f, 0.0f, 0.0f, 0.0f};
    miColor& tracedColor = lightColor;
    miVector toLight = {0.0f, 0.0f, 0.0f};
    miVector& reflectionDirection = toLight;
    miScalar cosine = 0.0f;

    // The given state is never written, so its ray is the same for every sample.
    const miVector& rayDirection = state->dir;
    const shading::Float3 toViewer(-rayDirection.x, -rayDirection.y, -rayDirection.z);
    for (miInteger light = 0; light < lightCount; ++light) {
        const miTag tag = lights[firstLight + light];
        int samples = 0;
        shading::Float3 sum;
        while (mi_sample_light(&lightColor, &toLight, &cosine, &copy, tag, &samples)) {
            // The renderer's cosine is replaced by one against our normal.
            const float cosL = (toLight.y * normal.y + toLight.x * normal.x) + toLight.z * normal.z;
            if (cosL > 0.0f) {
                const float diffuseWeight = cosL * diffuse;
                sum.x += lightColor.r * diffuseWeight * color.r;
                sum.y += lightColor.g * diffuseWeight * color.g;
                sum.z += lightColor.b * diffuseWeight * color.b;
            }
            // A sample from behind still counts; the highlight gates itself.
            const shading::Float3 highlight =
                shading::highlightTerm(toViewer, toFloat3(normal), toFloat3(toLight), toFloat3(lightColor),
                                       toFloat3(specularColor), roughness, sharpness, specularWeight);
            sum.x += highlight.x;
            sum.y += highlight.y;
            sum.z += highlight.z;
        }
        if (samples > 0) {
            const float count = static_cast<float>(samples);
            result->r += sum.x / count;
            result->g += sum.y / count;
            result->b += sum.z / count;
        }
    }

    // The reflection scales what the result holds; black stays black.
    const miScalar reflectivity = evaluated(state, params->reflectivity);
    if (reflectivity > 0.0f) {
        mi_reflection_dir(&reflectionDirection, &copy);
        const bool found = mi_trace_reflection(&tracedColor, &copy, &reflectionDirection) != miFALSE ||
                           mi_trace_environment(&tracedColor, &copy, &reflectionDirection) != miFALSE;
        if (found) {
            result->r = result->r + result->r * reflectivity * tracedColor.r * specularColor.r;
            result->g = result->g + result->g * reflectivity * tracedColor.g * specularColor.g;
            result->b = result->b + result->b * reflectivity * tracedColor.b * specularColor.b;
        }
    }

    result->r += ambientColor.r * color.r;
    result->g += ambientColor.g * color.g;
    result->b += ambientColor.b * color.b;
    result->r += incandescence.r;
    result->g += incandescence.g;
    result->b += incandescence.b;
    result->a = 1.0f;

    // Irradiance the renderer could not give adds nothing: the colour storage
    // would still hold the last light sample or reflection.
    if (irradiance) {
        // A reflection or environment trace that found something has copied
        // its hit's label, point, normal, dist and motion into the copy; the
        // irradiance is wanted here, at the shaded point with our normal.
        copy.label = state->label;
        copy.point = state->point;
        copy.normal = normal;
        copy.dist = state->dist;
        copy.motion = state->motion;
        if (mi_compute_irradiance(&tracedColor, &copy) != miFALSE) {
            result->r += tracedColor.r * color.r * irradianceColor.r / kPi;
            result->g += tracedColor.g * color.g * irradianceColor.g / kPi;
            result->b += tracedColor.b * color.b * irradianceColor.b / kPi;
        }
        result->a = 1.0f;
    }
    return miTRUE;
}
