// The parameter record of the shader kova_glossy, byte for byte as the
// renderer lays it out from the declaration in kova_glossy.mi (4-byte
// alignment, no gaps). The two must change together.
//
//   parameter        type     default      meaning
//   color            color    0.5 0.5 0.5  tints diffuse, ambient and irradiance
//   ambientColor     color    0 0 0        times color, added
//   incandescence    color    0 0 0        added as it comes
//   normalOffset     vector   0 0 0        added to the shading normal, then normalised
//   diffuse          scalar   0.8          weight of the diffuse term
//   roughness        scalar   0.3          the highlight lobe's exponent is 1/roughness
//   sharpness        scalar   0.2          narrows the highlight band (1 or more acts as 0.97)
//   specularWeight   scalar   1            weight of the highlight
//   specularColor    color    0.5 0.5 0.5  tints the highlight and the reflection
//   reflectivity     scalar   0.5          reflection brightens the lit colour when > 0
//   useIrradiance    boolean  off          adds the renderer's irradiance
//   irradianceColor  color    1 1 1        tints the irradiance; black turns it off
//   light            array of light        the lights light[i_light] .. light[i_light + n_light - 1]
#pragma once

extern "C" {
#include <shader.h>
}

#include <cstddef>

struct kova_glossy_params {
    miColor color;
    miColor ambientColor;
    miColor incandescence;
    miVector normalOffset;
    miScalar diffuse;
    miScalar roughness;
    miScalar sharpness;
    miScalar specularWeight;
    miColor specularColor;
    miScalar reflectivity;
    miBoolean useIrradiance;
    miColor irradianceColor;
    miInteger i_light;
    miInteger n_light;
    miTag light[1];  // the renderer places further entries after this one
};

// The layout above, checked at compile time: a build where it does not hold
// fails here, on an array of negative size.
typedef char kova_glossy_params_layout
    [(offsetof(kova_glossy_params, color) == 0 && offsetof(kova_glossy_params, ambientColor) == 16 &&
      offsetof(kova_glossy_params, incandescence) == 32 && offsetof(kova_glossy_params, normalOffset) == 48 &&
      offsetof(kova_glossy_params, diffuse) == 60 && offsetof(kova_glossy_params, roughness) == 64 &&
      offsetof(kova_glossy_params, sharpness) == 68 && offsetof(kova_glossy_params, specularWeight) == 72 &&
      offsetof(kova_glossy_params, specularColor) == 76 && offsetof(kova_glossy_params, reflectivity) == 92 &&
      offsetof(kova_glossy_params, useIrradiance) == 96 && offsetof(kova_glossy_params, irradianceColor) == 100 &&
      offsetof(kova_glossy_params, i_light) == 116 && offsetof(kova_glossy_params, n_light) == 120 &&
      offsetof(kova_glossy_params, light) == 124 && sizeof(kova_glossy_params) == 128 && sizeof(miTag) == 4 &&
      sizeof(miBoolean) == 4 && sizeof(miInteger) == 4)
         ? 1
         : -1];
