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
    glossy() {}
    virtual ~glossy() {}

    // Marks every node safe for parallel evaluation.
    virtual void postConstructor();
    virtual MStatus compute(const MPlug& plug, MDataBlock& block);

    static void* creator();
    static MStatus initialize();

    static MTypeId id;

    // One handle per attribute, named by its long name; glossy::initialize
    // assigns them and nothing changes them afterwards.
    // Material inputs.
    static MObject colorR, colorG, colorB, color;
    static MObject transparencyR, transparencyG, transparencyB, transparency;
    static MObject ambientColorR, ambientColorG, ambientColorB, ambientColor;
    static MObject incandescenceR, incandescenceG, incandescenceB, incandescence;
    static MObject diffuse, translucence, roughness, sharpness;
    static MObject specularColorR, specularColorG, specularColorB, specularColor;
    static MObject reflectivity;
    static MObject reflectedColorR, reflectedColorG, reflectedColorB, reflectedColor;

    // Outputs.
    static MObject outColorR, outColorG, outColorB, outColor;
    static MObject outTransparencyR, outTransparencyG, outTransparencyB, outTransparency;

    // Render inputs, filled by the renderer for each sample.
    static MObject pointCameraX, pointCameraY, pointCameraZ, pointCamera;
    static MObject normalCameraX, normalCameraY, normalCameraZ, normalCamera;
    static MObject rayOx, rayOy, rayOz, rayOrigin;
    static MObject rayDirectionX, rayDirectionY, rayDirectionZ, rayDirection;
    static MObject objectId, raySampler, rayDepth;

    // Light data: one array element per light.
    static MObject lightDirectionX, lightDirectionY, lightDirectionZ, lightDirection;
    static MObject lightIntensityR, lightIntensityG, lightIntensityB, lightIntensity;
    static MObject lightAmbient, lightDiffuse, lightSpecular;
    static MObject lightShadowFraction, preShadowIntensity, lightBlindData;
    static MObject lightDataArray;

private:
    void shadeColor(MDataBlock& block) const;
};
