// Creates the compound through which the renderer hands a shading node its
// lights: eight children in a fixed order, normally made an array.
#pragma once

#include "MFnAttribute.h"
#include "MString.h"

class MFnLightDataAttribute : public MFnAttribute {
public:
    MFnLightDataAttribute() {}

    MObject create(const MString& fullName, const MString& briefName, const MObject& direction,
                   const MObject& intensity, const MObject& ambient, const MObject& diffuse, const MObject& specular,
                   const MObject& shadowFraction, const MObject& preShadowIntensity, const MObject& blindData,
                   MStatus* ReturnStatus = 0);

    // The value a new element of the compound (or of its array) starts with.
    MStatus setDefault(float dirX, float dirY, float dirZ, float intR, float intG, float intB, bool ambient,
                       bool diffuse, bool specular, float shadowFraction, float preShadowIntensity, void* blindData);
};
