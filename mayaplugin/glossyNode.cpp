// The glossy surface material for Maya: the plug-in's entry points, the node
// type "glossy" (411681, "shader/surface") with its 71 attributes, and
// compute, which shades one point per call.
//
//   Attribute        Type    Default          Meaning
//   color            colour  (0.5, 0.5, 0.5)  base colour, lit by ambient, diffuse and translucent light
//   transparency     colour  (0, 0, 0)        scales everything but the highlight by 1 - transparency;
//                                             passed through to outTransparency
//   ambientColor     colour  (0, 0, 0)        ambient light on the base colour
//   incandescence    colour  (0, 0, 0)        light the surface gives off
//   diffuse          float   0.8              weight of the diffuse light
//   translucence     float   0                weight of the light every lamp sends through the surface
//   roughness        float   0.3              spread of the highlight: its lobe is pow(N·H, 1/roughness)
//   sharpness        float   0.2              hardness of the highlight's edge; 1 or more acts as 0.97
//   specularColor    colour  (0.5, 0.5, 0.5)  colour of the highlight
//   reflectivity     float   0.5              weight of the mirror reflection; 0 or less traces nothing
//   reflectedColor   colour  (0.5, 0.5, 0.5)  tint of the mirror reflection
//   outColor         colour  output           (1 - transparency) × lighting + highlights
//   outTransparency  colour  output           transparency
// The scalar inputs take any value; their sliders span 0 to 1. The render
// inputs (pointCamera, normalCamera, rayOrigin, rayDirection, objectId,
// raySampler, rayDepth, lightDataArray) are hidden and filled by the renderer.
//
// Conventions: all shading is single precision and each operation happens in
// the order written here, which is deliberate (results are compared bit for
// bit). rayDirection points from the viewer toward the point, lightDirection
// from the point toward the light, both in camera space; the normal is used
// as the renderer gives it. No colour is clamped.
#include "glossyNode.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatVector.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MRenderUtil.h>
#include <maya/MString.h>

#include <iostream>
#include <new>

#include "highlight.h"

const char MApiVersion[] = "200900";

MTypeId glossy::id(411681);

MObject glossy::colorR, glossy::colorG, glossy::colorB, glossy::color;
MObject glossy::transparencyR, glossy::transparencyG, glossy::transparencyB, glossy::transparency;
MObject glossy::ambientColorR, glossy::ambientColorG, glossy::ambientColorB, glossy::ambientColor;
MObject glossy::incandescenceR, glossy::incandescenceG, glossy::incandescenceB, glossy::incandescence;
MObject glossy::diffuse, glossy::translucence, glossy::roughness, glossy::sharpness;
MObject glossy::specularColorR, glossy::specularColorG, glossy::specularColorB, glossy::specularColor;
MObject glossy::reflectivity;
MObject glossy::reflectedColorR, glossy::reflectedColorG, glossy::reflectedColorB, glossy::reflectedColor;
MObject glossy::outColorR, glossy::outColorG, glossy::outColorB, glossy::outColor;
MObject glossy::outTransparencyR, glossy::outTransparencyG, glossy::outTransparencyB, glossy::outTransparency;
MObject glossy::pointCameraX, glossy::pointCameraY, glossy::pointCameraZ, glossy::pointCamera;
MObject glossy::normalCameraX, glossy::normalCameraY, glossy::normalCameraZ, glossy::normalCamera;
MObject glossy::rayOx, glossy::rayOy, glossy::rayOz, glossy::rayOrigin;
MObject glossy::rayDirectionX, glossy::rayDirectionY, glossy::rayDirectionZ, glossy::rayDirection;
MObject glossy::objectId, glossy::raySampler, glossy::rayDepth;
MObject glossy::lightDirectionX, glossy::lightDirectionY, glossy::lightDirectionZ, glossy::lightDirection;
MObject glossy::lightIntensityR, glossy::lightIntensityG, glossy::lightIntensityB, glossy::lightIntensity;
MObject glossy::lightAmbient, glossy::lightDiffuse, glossy::lightSpecular;
MObject glossy::lightShadowFraction, glossy::preShadowIntensity, glossy::lightBlindData;
MObject glossy::lightDataArray;

namespace {

const char* const kVendor = "glossy";
const char* const kClassification = "shader/surface";
// Refreshes the create-render-node window, when it is open, for our classification.
const char* const kRefreshPrefix = "if( `window -exists createRenderNodeWindow` )  {refreshCreateRenderNodeWindow(\"";
const char* const kRefreshSuffix = "\");}\n";

MStatus refreshCreateRenderNodeWindow()
{
    MString command(kRefreshPrefix);
    command += MString(kClassification);
    command += kRefreshSuffix;
    return MGlobal::executeCommand(command, false, false);
}

shading::Float3 toFloat3(const MFloatVector& v) { return {v.x, v.y, v.z}; }

}  // namespace

// A failed call whose failure set-up reports: a header naming this source
// line, then the status's own description. Set-up then goes on.
#define REPORT_API_ERROR(status)                                                                     \
    if ((status) != MS::kSuccess) {                                                                  \
        std::cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << std::endl; \
        (status).perror("");                                                                         \
    }

PLUGIN_EXPORT MStatus initializePlugin(MObject obj)
{
    const MString classification(kClassification);
    MFnPlugin plugin(obj, kVendor, "1.0", "Any");
    const MStatus status = plugin.registerNode("glossy", glossy::id, glossy::creator, glossy::initialize,
                                               MPxNode::kDependNode, &classification);
    // A refused registration must not pass for a loaded plug-in.
    if (!status) status.perror("registerNode");
    refreshCreateRenderNodeWindow();
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj)
{
    MFnPlugin plugin(obj);
    const MStatus status = plugin.deregisterNode(glossy::id);
    if (!status) status.perror("deregisterNode");
    refreshCreateRenderNodeWindow();
    return status;
}

void* glossy::creator() { return new (std::nothrow) glossy; }

void glossy::postConstructor() { setMPSafe(true); }

namespace {

// The calls each colour input gets, in this order.
void makeColourInput(MFnNumericAttribute& fn, float r, float g, float b)
{
    fn.setKeyable(true);
    fn.setStorable(true);
    fn.setDefault(r, g, b);
    fn.setUsedAsColor(true);
}

void makeScalarInput(MFnNumericAttribute& fn, float value)
{
    fn.setKeyable(true);
    fn.setStorable(true);
    fn.setDefault(value);
    fn.setSoftMin(0.0);
    fn.setSoftMax(1.0);
}

// Outputs can be read and connected from, never set.
void makeOutput(MFnNumericAttribute& fn)
{
    fn.setHidden(false);
    fn.setReadable(true);
    fn.setWritable(false);
}

void makeCameraInput(MFnNumericAttribute& fn)
{
    fn.setStorable(false);
    fn.setDefault(1.0f, 1.0f, 1.0f);
    fn.setHidden(true);
}

// The ray inputs are hidden, not saved, and cannot be connection sources.
void makeRayInput(MFnNumericAttribute& fn)
{
    MStatus stat = fn.setStorable(false);
    REPORT_API_ERROR(stat);
    stat = fn.setHidden(true);
    REPORT_API_ERROR(stat);
    stat = fn.setReadable(false);
    REPORT_API_ERROR(stat);
}

// Light data is hidden, not saved, and written only by the renderer.
void makeLightInput(MFnNumericAttribute& fn)
{
    MStatus stat = fn.setStorable(false);
    REPORT_API_ERROR(stat);
    stat = fn.setHidden(true);
    REPORT_API_ERROR(stat);
    stat = fn.setReadable(true);
    REPORT_API_ERROR(stat);
    stat = fn.setWritable(false);
    REPORT_API_ERROR(stat);
}

MObject makeFloat(MFnNumericAttribute& fn, const char* longName, const char* shortName, double value)
{
    return fn.create(longName, shortName, MFnNumericData::kFloat, value);
}

}  // namespace

MStatus glossy::initialize()
{
    MFnNumericAttribute nAttr;
    MFnLightDataAttribute lAttr;
    MStatus stat;

    // Material inputs: keyable, saved with the scene.
    colorR = makeFloat(nAttr, "colorR", "cr", 0.5);
    colorG = makeFloat(nAttr, "colorG", "cg", 0.5);
    colorB = makeFloat(nAttr, "colorB", "cb", 0.5);
    color = nAttr.create("color", "c", colorR, colorG, colorB);
    makeColourInput(nAttr, 0.5f, 0.5f, 0.5f);

    transparencyR = makeFloat(nAttr, "transparencyR", "itr", 0.0);
    transparencyG = makeFloat(nAttr, "transparencyG", "itg", 0.0);
    transparencyB = makeFloat(nAttr, "transparencyB", "itb", 0.0);
    transparency = nAttr.create("transparency", "it", transparencyR, transparencyG, transparencyB);
    makeColourInput(nAttr, 0.0f, 0.0f, 0.0f);

    ambientColorR = makeFloat(nAttr, "ambientColorR", "ambCR", 0.0);
    ambientColorG = makeFloat(nAttr, "ambientColorG", "ambCG", 0.0);
    ambientColorB = makeFloat(nAttr, "ambientColorB", "ambCB", 0.0);
    ambientColor = nAttr.create("ambientColor", "ambC", ambientColorR, ambientColorG, ambientColorB);
    makeColourInput(nAttr, 0.0f, 0.0f, 0.0f);

    incandescenceR = makeFloat(nAttr, "incandescenceR", "ir", 0.0);
    incandescenceG = makeFloat(nAttr, "incandescenceG", "ig", 0.0);
    incandescenceB = makeFloat(nAttr, "incandescenceB", "ib", 0.0);
    incandescence = nAttr.create("incandescence", "ic", incandescenceR, incandescenceG, incandescenceB);
    makeColourInput(nAttr, 0.0f, 0.0f, 0.0f);

    diffuse = makeFloat(nAttr, "diffuse", "dfl", 0.0);
    makeScalarInput(nAttr, 0.8f);
    translucence = makeFloat(nAttr, "translucence", "tsl", 0.0);
    makeScalarInput(nAttr, 0.0f);
    roughness = makeFloat(nAttr, "roughness", "rghn", 0.0);
    makeScalarInput(nAttr, 0.3f);
    sharpness = makeFloat(nAttr, "sharpness", "shp", 0.0);
    makeScalarInput(nAttr, 0.2f);

    specularColorR = makeFloat(nAttr, "specularColorR", "spcr", 0.5);
    specularColorG = makeFloat(nAttr, "specularColorG", "spcg", 0.5);
    specularColorB = makeFloat(nAttr, "specularColorB", "spcb", 0.5);
    specularColor = nAttr.create("specularColor", "spc", specularColorR, specularColorG, specularColorB);
    makeColourInput(nAttr, 0.5f, 0.5f, 0.5f);

    reflectivity = makeFloat(nAttr, "reflectivity", "rfly", 0.0);
    makeScalarInput(nAttr, 0.5f);

    reflectedColorR = makeFloat(nAttr, "reflectedColorR", "rcr", 0.5);
    reflectedColorG = makeFloat(nAttr, "reflectedColorG", "rcg", 0.5);
    reflectedColorB = makeFloat(nAttr, "reflectedColorB", "rcb", 0.5);
    reflectedColor = nAttr.create("reflectedColor", "rc", reflectedColorR, reflectedColorG, reflectedColorB);
    makeColourInput(nAttr, 0.5f, 0.5f, 0.5f);

    // Outputs, written only by compute.
    outColorR = makeFloat(nAttr, "outColorR", "ocr", 0.0);
    outColorG = makeFloat(nAttr, "outColorG", "ocg", 0.0);
    outColorB = makeFloat(nAttr, "outColorB", "ocb", 0.0);
    outColor = nAttr.create("outColor", "oc", outColorR, outColorG, outColorB);
    makeOutput(nAttr);

    outTransparencyR = makeFloat(nAttr, "outTransparencyR", "otr", 0.0);
    outTransparencyG = makeFloat(nAttr, "outTransparencyG", "otg", 0.0);
    outTransparencyB = makeFloat(nAttr, "outTransparencyB", "otb", 0.0);
    outTransparency = nAttr.create("outTransparency", "ot", outTransparencyR, outTransparencyG, outTransparencyB);
    makeOutput(nAttr);

    // Render inputs: hidden, not saved.
    pointCameraX = makeFloat(nAttr, "pointCameraX", "px", 1.0);
    pointCameraY = makeFloat(nAttr, "pointCameraY", "py", 1.0);
    pointCameraZ = makeFloat(nAttr, "pointCameraZ", "pz", 1.0);
    pointCamera = nAttr.create("pointCamera", "pc", pointCameraX, pointCameraY, pointCameraZ);
    makeCameraInput(nAttr);

    normalCameraX = makeFloat(nAttr, "normalCameraX", "nx", 1.0);
    normalCameraY = makeFloat(nAttr, "normalCameraY", "ny", 1.0);
    normalCameraZ = makeFloat(nAttr, "normalCameraZ", "nz", 1.0);
    normalCamera = nAttr.create("normalCamera", "n", normalCameraX, normalCameraY, normalCameraZ);
    makeCameraInput(nAttr);

    rayOx = makeFloat(nAttr, "rayOx", "rxo", 0.0);
    rayOy = makeFloat(nAttr, "rayOy", "ryo", 0.0);
    rayOz = makeFloat(nAttr, "rayOz", "rzo", 0.0);
    rayOrigin = nAttr.create("rayOrigin", "rog", rayOx, rayOy, rayOz);
    makeRayInput(nAttr);

    rayDirectionX = makeFloat(nAttr, "rayDirectionX", "rdx", 1.0);
    rayDirectionY = makeFloat(nAttr, "rayDirectionY", "rdy", 0.0);
    rayDirectionZ = makeFloat(nAttr, "rayDirectionZ", "rdz", 0.0);
    rayDirection = nAttr.create("rayDirection", "rad", rayDirectionX, rayDirectionY, rayDirectionZ);
    makeRayInput(nAttr);

    objectId = nAttr.createAddr("objectId", "oi");
    makeRayInput(nAttr);

    raySampler = nAttr.createAddr("raySampler", "rtr");
    makeRayInput(nAttr);

    rayDepth = nAttr.create("rayDepth", "rd", MFnNumericData::kShort, 0.0);
    makeRayInput(nAttr);

    // Light data: hidden, not saved, filled by the renderer per light.
    lightDirectionX = nAttr.create("lightDirectionX", "ldx", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightDirectionY = nAttr.create("lightDirectionY", "ldy", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightDirectionZ = nAttr.create("lightDirectionZ", "ldz", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightDirection = nAttr.create("lightDirection", "ld", lightDirectionX, lightDirectionY, lightDirectionZ, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f, 1.0f, 1.0f);
    REPORT_API_ERROR(stat);

    lightIntensityR = nAttr.create("lightIntensityR", "lir", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightIntensityG = nAttr.create("lightIntensityG", "lig", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightIntensityB = nAttr.create("lightIntensityB", "lib", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightIntensity = nAttr.create("lightIntensity", "li", lightIntensityR, lightIntensityG, lightIntensityB, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f, 1.0f, 1.0f);
    REPORT_API_ERROR(stat);

    lightAmbient = nAttr.create("lightAmbient", "la", MFnNumericData::kBoolean, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(true);
    REPORT_API_ERROR(stat);

    lightDiffuse = nAttr.create("lightDiffuse", "ldf", MFnNumericData::kBoolean, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(true);
    REPORT_API_ERROR(stat);

    lightSpecular = nAttr.create("lightSpecular", "ls", MFnNumericData::kBoolean, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(false);
    REPORT_API_ERROR(stat);

    lightShadowFraction = nAttr.create("lightShadowFraction", "lsf", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    preShadowIntensity = nAttr.create("preShadowIntensity", "psi", MFnNumericData::kFloat, 0.0, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);
    stat = nAttr.setDefault(1.0f);
    REPORT_API_ERROR(stat);

    lightBlindData = nAttr.createAddr("lightBlindData", "lbld", nullptr, &stat);
    REPORT_API_ERROR(stat);
    makeLightInput(nAttr);

    lightDataArray = lAttr.create("lightDataArray", "ltd", lightDirection, lightIntensity, lightAmbient, lightDiffuse,
                                  lightSpecular, lightShadowFraction, preShadowIntensity, lightBlindData, &stat);
    REPORT_API_ERROR(stat);
    stat = lAttr.setArray(true);
    REPORT_API_ERROR(stat);
    stat = lAttr.setStorable(false);
    REPORT_API_ERROR(stat);
    stat = lAttr.setHidden(true);
    REPORT_API_ERROR(stat);
    // A new light starts dark, lit ambient and diffuse, unshadowed.
    stat = lAttr.setDefault(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true, true, false, 1.0f, 1.0f, nullptr);
    REPORT_API_ERROR(stat);

    // The node type's attributes; children come with their compounds.
    addAttribute(color);
    addAttribute(transparency);
    addAttribute(ambientColor);
    addAttribute(incandescence);
    addAttribute(diffuse);
    addAttribute(translucence);
    addAttribute(roughness);
    addAttribute(sharpness);
    addAttribute(specularColor);
    addAttribute(reflectivity);
    addAttribute(reflectedColor);
    addAttribute(outColor);
    addAttribute(outTransparency);
    addAttribute(rayDirection);
    addAttribute(pointCamera);
    addAttribute(normalCamera);
    addAttribute(lightDirection);
    addAttribute(lightIntensity);
    addAttribute(lightAmbient);
    addAttribute(lightDiffuse);
    addAttribute(lightSpecular);
    addAttribute(lightShadowFraction);
    addAttribute(preShadowIntensity);
    addAttribute(lightBlindData);
    addAttribute(lightDataArray);
    addAttribute(rayOrigin);
    addAttribute(objectId);
    addAttribute(raySampler);
    addAttribute(rayDepth);

    // Every input affects outColor; only transparency affects outTransparency.
    attributeAffects(colorR, outColor);
    attributeAffects(colorG, outColor);
    attributeAffects(colorB, outColor);
    attributeAffects(color, outColor);
    attributeAffects(transparencyR, outTransparency);
    attributeAffects(transparencyG, outTransparency);
    attributeAffects(transparencyB, outTransparency);
    attributeAffects(ambientColorR, outColor);
    attributeAffects(ambientColorG, outColor);
    attributeAffects(ambientColorB, outColor);
    attributeAffects(ambientColor, outColor);
    attributeAffects(transparency, outTransparency);
    attributeAffects(transparencyR, outColor);
    attributeAffects(transparencyG, outColor);
    attributeAffects(transparencyB, outColor);
    attributeAffects(transparency, outColor);
    attributeAffects(incandescenceR, outColor);
    attributeAffects(incandescenceG, outColor);
    attributeAffects(incandescenceB, outColor);
    attributeAffects(incandescence, outColor);
    attributeAffects(diffuse, outColor);
    attributeAffects(translucence, outColor);
    attributeAffects(roughness, outColor);
    attributeAffects(sharpness, outColor);
    attributeAffects(specularColorR, outColor);
    attributeAffects(specularColorG, outColor);
    attributeAffects(specularColorB, outColor);
    attributeAffects(specularColor, outColor);
    attributeAffects(reflectivity, outColor);
    attributeAffects(reflectedColorR, outColor);
    attributeAffects(reflectedColorG, outColor);
    attributeAffects(reflectedColorB, outColor);
    attributeAffects(reflectedColor, outColor);
    attributeAffects(lightIntensityR, outColor);
    attributeAffects(lightIntensityB, outColor);
    attributeAffects(lightIntensityG, outColor);
    attributeAffects(lightIntensity, outColor);
    attributeAffects(rayDirectionX, outColor);
    attributeAffects(rayDirectionY, outColor);
    attributeAffects(rayDirectionZ, outColor);
    attributeAffects(rayDirection, outColor);
    attributeAffects(pointCamera, outColor);
    attributeAffects(pointCameraX, outColor);
    attributeAffects(pointCameraY, outColor);
    attributeAffects(pointCameraZ, outColor);
    attributeAffects(normalCameraX, outColor);
    attributeAffects(normalCameraY, outColor);
    attributeAffects(normalCameraZ, outColor);
    attributeAffects(normalCamera, outColor);
    attributeAffects(lightDirectionX, outColor);
    attributeAffects(lightDirectionY, outColor);
    attributeAffects(lightDirectionZ, outColor);
    attributeAffects(lightDirection, outColor);
    attributeAffects(lightAmbient, outColor);
    attributeAffects(lightSpecular, outColor);
    attributeAffects(lightDiffuse, outColor);
    attributeAffects(lightShadowFraction, outColor);
    attributeAffects(preShadowIntensity, outColor);
    attributeAffects(lightBlindData, outColor);
    attributeAffects(lightDataArray, outColor);
    attributeAffects(rayOx, outColor);
    attributeAffects(rayOy, outColor);
    attributeAffects(rayOz, outColor);
    attributeAffects(rayOrigin, outColor);
    attributeAffects(objectId, outColor);
    attributeAffects(raySampler, outColor);
    attributeAffects(rayDepth, outColor);

    return MS::kSuccess;
}

MStatus glossy::compute(const MPlug& plug, MDataBlock& block)
{
    if (plug == outColor || plug == outColorR || plug == outColorG || plug == outColorB) {
        shadeColour(block);
        return MS::kSuccess;
    }
    if (plug == outTransparency || plug == outTransparencyR || plug == outTransparencyG || plug == outTransparencyB) {
        // A single channel's request writes and cleans the whole triple.
        const MFloatVector T = block.inputValue(transparency).asFloatVector();
        MDataHandle out = block.outputValue(outTransparency);
        out.asFloatVector() = T;
        out.setClean();
        return MS::kSuccess;
    }
    return MS::kUnknownParameter;
}

void glossy::shadeColour(MDataBlock& block) const
{
    MFloatVector Sa(0.0f, 0.0f, 0.0f);  // ambient light from the lights
    MFloatVector Sd(0.0f, 0.0f, 0.0f);  // diffuse light
    MFloatVector Ss(0.0f, 0.0f, 0.0f);  // highlights, added after the transparency scaling
    MFloatVector St(0.0f, 0.0f, 0.0f);  // translucent light
    MFloatVector Rf(0.0f, 0.0f, 0.0f);  // mirror reflection
    MFloatVector Am(0.0f, 0.0f, 0.0f);  // ambient colour

    const MFloatVector V = block.inputValue(rayDirection).asFloatVector();
    const MFloatVector P = block.inputValue(pointCamera).asFloatVector();
    const MFloatVector N = block.inputValue(normalCamera).asFloatVector();
    const MFloatVector Cb = block.inputValue(color).asFloatVector();
    const MFloatVector Ca = block.inputValue(ambientColor).asFloatVector();
    const MFloatVector Ci = block.inputValue(incandescence).asFloatVector();
    const MFloatVector Cs = block.inputValue(specularColor).asFloatVector();
    const MFloatVector Cr = block.inputValue(reflectedColor).asFloatVector();
    const float kd = block.inputValue(diffuse).asFloat();
    const float kt = block.inputValue(translucence).asFloat();
    const float ro = block.inputValue(roughness).asFloat();
    const float sh = block.inputValue(sharpness).asFloat();
    const float kr = block.inputValue(reflectivity).asFloat();

    MArrayDataHandle lights = block.inputArrayValue(lightDataArray);
    const unsigned int n = lights.elementCount();
    const shading::Float3 toViewer = toFloat3(-V);
    for (unsigned int i = 0; i < n; ++i) {
        MDataHandle light = lights.inputValue();
        const MFloatVector I = light.child(lightIntensity).asFloatVector();
        const MFloatVector L = light.child(lightDirection).asFloatVector();

        if (light.child(lightAmbient).asBool()) {
            Sa += MFloatVector(I.x * Cb.x, I.y * Cb.y, I.z * Cb.z);
        }
        if (light.child(lightDiffuse).asBool()) {
            // Only lights strictly in front of the surface.
            const float d = L * N;
            if (d > 0.0f) {
                const float dkd = d * kd;
                Sd += MFloatVector((dkd * I.x) * Cb.x, (dkd * I.y) * Cb.y, (dkd * I.z) * Cb.z);
            }
        }
        if (light.child(lightSpecular).asBool()) {
            const shading::Float3 h =
                shading::highlightTerm(toViewer, toFloat3(N), toFloat3(L), toFloat3(I), toFloat3(Cs), ro, sh, 1.0f);
            Ss += MFloatVector(h.x, h.y, h.z);
        }
        // Translucence comes from every light, whatever its flags or side.
        St += MFloatVector((I.x * Cb.x) * kt, (I.y * Cb.y) * kt, (I.z * Cb.z) * kt);

        if (!lights.next()) break;
    }

    if (kr > 0.0f) {
        const MFloatVector V2 = block.inputValue(rayDirection).asFloatVector();
        const void* sampler = block.inputValue(raySampler).asAddr();
        const short depth = block.inputValue(rayDepth).asShort();
        const void* object = block.inputValue(objectId).asAddr();
        MFloatVector rho(0.0f, 0.0f, 0.0f);
        MFloatVector scratchTransparency(0.0f, 0.0f, 0.0f);

        // The mirror image of the incoming direction about N.
        const MFloatVector W = -V2;
        const float d = W * N;
        MFloatVector R = (2 * N) * d - W;
        R.normalize();

        // Reflections are traced from primary samples only, one bounce deep.
        if (depth == 0) {
            MRenderUtil::raytrace(P, R, object, sampler, depth, rho, scratchTransparency, true);
        }
        Rf = MFloatVector((rho.x * kr) * Cr.x, (rho.y * kr) * Cr.y, (rho.z * kr) * Cr.z);
    }

    Am = MFloatVector(Ca.x * Cb.x, Ca.y * Cb.y, Ca.z * Cb.z);

    MFloatVector U = Sa + ((((Sd + Am) + Ci) + St) + Rf);
    const MFloatVector T = block.inputValue(transparency).asFloatVector();
    U = MFloatVector((1.0f - T.x) * U.x, (1.0f - T.y) * U.y, (1.0f - T.z) * U.z);
    // Transparency leaves the highlights whole.
    const MFloatVector out = U + Ss;

    MDataHandle outHandle = block.outputValue(outColor);
    outHandle.asFloatVector() = out;
    outHandle.setClean();
}
