// The glossy surface material as a Maya dependency-graph node: one static
// handle per attribute (named by its long name), the creator and attribute
// function handed to Maya at registration, and compute.
#pragma once

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class glossy : public MPxNode {
public:
    glossy() = default;
    ~glossy() override = default;

    // Marks every node safe for parallel evaluation.
    void postConstructor() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static MTypeId id;

    // One handle per attribute, named by its long name; glossy::initialize
    // assigns them and nothing changes them afterwards.
    // Material inputs.
    static inline MObject colorR, colorG, colorB, color;
    static inline MObject transparencyR, transparencyG, transparencyB, transparency;
    static inline MObject ambientColorR, ambientColorG, ambientColorB, ambientColor;
    static inline MObject incandescenceR, incandescenceG, incandescenceB, incandescence;
    static inline MObject diffuse, translucence, roughness, sharpness;
    static inline MObject specularColorR, specularColorG, specularColorB, specularColor;
    static inline MObject reflectivity;
    static inline MObject reflectedColorR, reflectedColorG, reflectedColorB, reflectedColor;

    // Outputs.
    static inline MObject outColorR, outColorG, outColorB, outColor;
    static inline MObject outTransparencyR, outTransparencyG, outTransparencyB, outTransparency;

    // Render inputs, filled by the renderer for each sample.
    static inline MObject pointCameraX, pointCameraY, pointCameraZ, pointCamera;
    static inline MObject normalCameraX, normalCameraY, normalCameraZ, normalCamera;
    static inline MObject rayOx, rayOy, rayOz, rayOrigin;
    static inline MObject rayDirectionX, rayDirectionY, rayDirectionZ, rayDirection;
    static inline MObject objectId, raySampler, rayDepth;

    // Light data: one array element per light.
    static inline MObject lightDirectionX, lightDirectionY, lightDirectionZ, lightDirection;
    static inline MObject lightIntensityR, lightIntensityG, lightIntensityB, lightIntensity;
    static inline MObject lightAmbient, lightDiffuse, lightSpecular;
    static inline MObject lightShadowFraction, preShadowIntensity, lightBlindData;
    static inline MObject lightDataArray;

private:
    void shadeColour(MDataBlock& block) const;
};
