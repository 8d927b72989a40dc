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
// bit). Directions are in camera space and named by the way they point, as
// highlight.h states; the normal is used as the renderer gives it. No colour
// is clamped.
#include "glossyNode.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatVector.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MRenderUtil.h>
#include <maya/MString.h>

#include <cstddef>
#include <iostream>
#include <new>

#include "glossy_export.h"
#include "highlight.h"

// The one source of the module that includes MFnPlugin.h without
// MNoVersionString: the header defines the API version record here, and the
// record is marked exported like the entry points.
GLOSSY_EXPORTS_BEGIN
#include <maya/MFnPlugin.h>
GLOSSY_EXPORTS_END

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

shading::Float3 toFloat3(const MFloatVector& v) { return shading::Float3(v.x, v.y, v.z); }

}  // namespace

// A failed call whose failure set-up reports: a header naming this source
// line, then the status's own description. Set-up then goes on.
#define REPORT_API_ERROR(status)                                                                     \
    if ((status) != MS::kSuccess) {                                                                  \
        std::cerr << "\nAPI error detected in " << __FILE__ << " at line " << __LINE__ << std::endl; \
        (status).perror("");                                                                         \
    }

extern "C" GLOSSY_EXPORT MStatus initializePlugin(MObject obj)
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

extern "C" GLOSSY_EXPORT MStatus uninitializePlugin(MObject obj)
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

// An attribute's calls after creation, each a flag setter and its value; a
// step without a setter sets the row's default, in the form its kind takes.
typedef MStatus (MFnAttribute::*Setter)(bool);
struct Step {
    Setter set;
    bool on;
};
struct Calls {
    int count;
    Step steps[5];
};
const Setter kKeyable = &MFnAttribute::setKeyable;
const Setter kStorable = &MFnAttribute::setStorable;
const Setter kHidden = &MFnAttribute::setHidden;
const Setter kReadable = &MFnAttribute::setReadable;
const Setter kWritable = &MFnAttribute::setWritable;
const Setter kUsedAsColor = &MFnAttribute::setUsedAsColor;
const Setter kArray = &MFnAttribute::setArray;
const Step kDefault = {0, false};

const Calls kColor = {4, {{kKeyable, true}, {kStorable, true}, kDefault, {kUsedAsColor, true}}};
const Calls kScalar = {3, {{kKeyable, true}, {kStorable, true}, kDefault}};
// Outputs can be read and connected from, never set.
const Calls kOutput = {3, {{kHidden, false}, {kReadable, true}, {kWritable, false}}};
const Calls kCamera = {3, {{kStorable, false}, kDefault, {kHidden, true}}};
// The ray inputs are hidden, not saved, and cannot be connection sources.
const Calls kRay = {3, {{kStorable, false}, {kHidden, true}, {kReadable, false}}};
// Light data is hidden, not saved, and written only by the renderer.
const Calls kLightAddress = {4, {{kStorable, false}, {kHidden, true}, {kReadable, true}, {kWritable, false}}};
const Calls kLight = {5, {{kStorable, false}, {kHidden, true}, {kReadable, true}, {kWritable, false}, kDefault}};
const Calls kLightArray = {4, {{kArray, true}, {kStorable, false}, {kHidden, true}, kDefault}};
const Calls kNone = {0, {}};

// A float triple's children are the three rows before it.
struct Kind {
    enum Value { Float, Short, Boolean, Address, FloatTriple, LightData };
};
// Whose failures are reported: none, the calls after creation, or all of them.
struct Report {
    enum Value { None, AfterCreation, All };
};

struct Row {
    MObject* handle;
    const char* longName;
    const char* shortName;
    Kind::Value kind;
    double createDefault;
    const Calls& calls;
    float defaults[3];
    bool softRange;  // slider 0 .. 1, after the other calls
    Report::Value report;
};

typedef Kind K;
typedef Report R;
typedef glossy G;
// clang-format off
const Row kAttributes[] = {
    // Material inputs: keyable, saved with the scene.
    {&G::colorR, "colorR", "cr", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::colorG, "colorG", "cg", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::colorB, "colorB", "cb", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::color, "color", "c", K::FloatTriple, 0.0, kColor, {0.5f, 0.5f, 0.5f}, false, R::None},
    {&G::transparencyR, "transparencyR", "itr", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::transparencyG, "transparencyG", "itg", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::transparencyB, "transparencyB", "itb", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::transparency, "transparency", "it", K::FloatTriple, 0.0, kColor, {0.0f, 0.0f, 0.0f}, false, R::None},
    {&G::ambientColorR, "ambientColorR", "ambCR", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::ambientColorG, "ambientColorG", "ambCG", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::ambientColorB, "ambientColorB", "ambCB", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::ambientColor, "ambientColor", "ambC", K::FloatTriple, 0.0, kColor, {0.0f, 0.0f, 0.0f}, false, R::None},
    {&G::incandescenceR, "incandescenceR", "ir", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::incandescenceG, "incandescenceG", "ig", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::incandescenceB, "incandescenceB", "ib", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::incandescence, "incandescence", "ic", K::FloatTriple, 0.0, kColor, {0.0f, 0.0f, 0.0f}, false, R::None},
    {&G::diffuse, "diffuse", "dfl", K::Float, 0.0, kScalar, {0.8f}, true, R::None},
    {&G::translucence, "translucence", "tsl", K::Float, 0.0, kScalar, {0.0f}, true, R::None},
    {&G::roughness, "roughness", "rghn", K::Float, 0.0, kScalar, {0.3f}, true, R::None},
    {&G::sharpness, "sharpness", "shp", K::Float, 0.0, kScalar, {0.2f}, true, R::None},
    {&G::specularColorR, "specularColorR", "spcr", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::specularColorG, "specularColorG", "spcg", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::specularColorB, "specularColorB", "spcb", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::specularColor, "specularColor", "spc", K::FloatTriple, 0.0, kColor, {0.5f, 0.5f, 0.5f}, false, R::None},
    {&G::reflectivity, "reflectivity", "rfly", K::Float, 0.0, kScalar, {0.5f}, true, R::None},
    {&G::reflectedColorR, "reflectedColorR", "rcr", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::reflectedColorG, "reflectedColorG", "rcg", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::reflectedColorB, "reflectedColorB", "rcb", K::Float, 0.5, kNone, {}, false, R::None},
    {&G::reflectedColor, "reflectedColor", "rc", K::FloatTriple, 0.0, kColor, {0.5f, 0.5f, 0.5f}, false, R::None},
    // Outputs, written only by compute.
    {&G::outColorR, "outColorR", "ocr", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outColorG, "outColorG", "ocg", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outColorB, "outColorB", "ocb", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outColor, "outColor", "oc", K::FloatTriple, 0.0, kOutput, {}, false, R::None},
    {&G::outTransparencyR, "outTransparencyR", "otr", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outTransparencyG, "outTransparencyG", "otg", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outTransparencyB, "outTransparencyB", "otb", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::outTransparency, "outTransparency", "ot", K::FloatTriple, 0.0, kOutput, {}, false, R::None},
    // Render inputs: hidden, not saved.
    {&G::pointCameraX, "pointCameraX", "px", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::pointCameraY, "pointCameraY", "py", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::pointCameraZ, "pointCameraZ", "pz", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::pointCamera, "pointCamera", "pc", K::FloatTriple, 0.0, kCamera, {1.0f, 1.0f, 1.0f}, false, R::None},
    {&G::normalCameraX, "normalCameraX", "nx", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::normalCameraY, "normalCameraY", "ny", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::normalCameraZ, "normalCameraZ", "nz", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::normalCamera, "normalCamera", "n", K::FloatTriple, 0.0, kCamera, {1.0f, 1.0f, 1.0f}, false, R::None},
    {&G::rayOx, "rayOx", "rxo", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::rayOy, "rayOy", "ryo", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::rayOz, "rayOz", "rzo", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::rayOrigin, "rayOrigin", "rog", K::FloatTriple, 0.0, kRay, {}, false, R::AfterCreation},
    {&G::rayDirectionX, "rayDirectionX", "rdx", K::Float, 1.0, kNone, {}, false, R::None},
    {&G::rayDirectionY, "rayDirectionY", "rdy", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::rayDirectionZ, "rayDirectionZ", "rdz", K::Float, 0.0, kNone, {}, false, R::None},
    {&G::rayDirection, "rayDirection", "rad", K::FloatTriple, 0.0, kRay, {}, false, R::AfterCreation},
    {&G::objectId, "objectId", "oi", K::Address, 0.0, kRay, {}, false, R::AfterCreation},
    {&G::raySampler, "raySampler", "rtr", K::Address, 0.0, kRay, {}, false, R::AfterCreation},
    {&G::rayDepth, "rayDepth", "rd", K::Short, 0.0, kRay, {}, false, R::AfterCreation},
    // Light data: hidden, not saved, filled by the renderer per light.
    {&G::lightDirectionX, "lightDirectionX", "ldx", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightDirectionY, "lightDirectionY", "ldy", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightDirectionZ, "lightDirectionZ", "ldz", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightDirection, "lightDirection", "ld", K::FloatTriple, 0.0, kLight, {1.0f, 1.0f, 1.0f}, false, R::All},
    {&G::lightIntensityR, "lightIntensityR", "lir", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightIntensityG, "lightIntensityG", "lig", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightIntensityB, "lightIntensityB", "lib", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightIntensity, "lightIntensity", "li", K::FloatTriple, 0.0, kLight, {1.0f, 1.0f, 1.0f}, false, R::All},
    {&G::lightAmbient, "lightAmbient", "la", K::Boolean, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightDiffuse, "lightDiffuse", "ldf", K::Boolean, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightSpecular, "lightSpecular", "ls", K::Boolean, 0.0, kLight, {0.0f}, false, R::All},
    {&G::lightShadowFraction, "lightShadowFraction", "lsf", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::preShadowIntensity, "preShadowIntensity", "psi", K::Float, 0.0, kLight, {1.0f}, false, R::All},
    {&G::lightBlindData, "lightBlindData", "lbld", K::Address, 0.0, kLightAddress, {}, false, R::All},
    {&G::lightDataArray, "lightDataArray", "ltd", K::LightData, 0.0, kLightArray, {}, false, R::All},
};

// The node type's attributes; children come with their compounds.
const MObject* const kAdded[] = {
    &G::color, &G::transparency, &G::ambientColor, &G::incandescence, &G::diffuse, &G::translucence, &G::roughness,
    &G::sharpness, &G::specularColor, &G::reflectivity, &G::reflectedColor, &G::outColor, &G::outTransparency,
    &G::rayDirection, &G::pointCamera, &G::normalCamera, &G::lightDirection, &G::lightIntensity, &G::lightAmbient,
    &G::lightDiffuse, &G::lightSpecular, &G::lightShadowFraction, &G::preShadowIntensity, &G::lightBlindData,
    &G::lightDataArray, &G::rayOrigin, &G::objectId, &G::raySampler, &G::rayDepth,
};

// Every input affects outColor; only transparency affects outTransparency.
const MObject* const kAffects[][2] = {
    {&G::colorR, &G::outColor}, {&G::colorG, &G::outColor}, {&G::colorB, &G::outColor}, {&G::color, &G::outColor},
    {&G::transparencyR, &G::outTransparency}, {&G::transparencyG, &G::outTransparency},
    {&G::transparencyB, &G::outTransparency},
    {&G::ambientColorR, &G::outColor}, {&G::ambientColorG, &G::outColor}, {&G::ambientColorB, &G::outColor},
    {&G::ambientColor, &G::outColor}, {&G::transparency, &G::outTransparency},
    {&G::transparencyR, &G::outColor}, {&G::transparencyG, &G::outColor}, {&G::transparencyB, &G::outColor},
    {&G::transparency, &G::outColor},
    {&G::incandescenceR, &G::outColor}, {&G::incandescenceG, &G::outColor}, {&G::incandescenceB, &G::outColor},
    {&G::incandescence, &G::outColor},
    {&G::diffuse, &G::outColor}, {&G::translucence, &G::outColor}, {&G::roughness, &G::outColor},
    {&G::sharpness, &G::outColor},
    {&G::specularColorR, &G::outColor}, {&G::specularColorG, &G::outColor}, {&G::specularColorB, &G::outColor},
    {&G::specularColor, &G::outColor}, {&G::reflectivity, &G::outColor},
    {&G::reflectedColorR, &G::outColor}, {&G::reflectedColorG, &G::outColor}, {&G::reflectedColorB, &G::outColor},
    {&G::reflectedColor, &G::outColor},
    {&G::lightIntensityR, &G::outColor}, {&G::lightIntensityB, &G::outColor}, {&G::lightIntensityG, &G::outColor},
    {&G::lightIntensity, &G::outColor},
    {&G::rayDirectionX, &G::outColor}, {&G::rayDirectionY, &G::outColor}, {&G::rayDirectionZ, &G::outColor},
    {&G::rayDirection, &G::outColor},
    {&G::pointCamera, &G::outColor}, {&G::pointCameraX, &G::outColor}, {&G::pointCameraY, &G::outColor},
    {&G::pointCameraZ, &G::outColor},
    {&G::normalCameraX, &G::outColor}, {&G::normalCameraY, &G::outColor}, {&G::normalCameraZ, &G::outColor},
    {&G::normalCamera, &G::outColor},
    {&G::lightDirectionX, &G::outColor}, {&G::lightDirectionY, &G::outColor}, {&G::lightDirectionZ, &G::outColor},
    {&G::lightDirection, &G::outColor},
    {&G::lightAmbient, &G::outColor}, {&G::lightSpecular, &G::outColor}, {&G::lightDiffuse, &G::outColor},
    {&G::lightShadowFraction, &G::outColor}, {&G::preShadowIntensity, &G::outColor},
    {&G::lightBlindData, &G::outColor}, {&G::lightDataArray, &G::outColor},
    {&G::rayOx, &G::outColor}, {&G::rayOy, &G::outColor}, {&G::rayOz, &G::outColor}, {&G::rayOrigin, &G::outColor},
    {&G::objectId, &G::outColor}, {&G::raySampler, &G::outColor}, {&G::rayDepth, &G::outColor},
};
// clang-format on

MObject create(MFnNumericAttribute& numeric, MFnLightDataAttribute& light, const Row* row, MStatus* status)
{
    switch (row->kind) {
    case Kind::Float:
        return numeric.create(row->longName, row->shortName, MFnNumericData::kFloat, row->createDefault, status);
    case Kind::Short:
        return numeric.create(row->longName, row->shortName, MFnNumericData::kShort, row->createDefault, status);
    case Kind::Boolean:
        return numeric.create(row->longName, row->shortName, MFnNumericData::kBoolean, row->createDefault, status);
    case Kind::Address: return numeric.createAddr(row->longName, row->shortName, 0, status);
    case Kind::FloatTriple:
        return numeric.create(row->longName, row->shortName, *row[-3].handle, *row[-2].handle, *row[-1].handle, status);
    case Kind::LightData:
        return light.create(row->longName, row->shortName, G::lightDirection, G::lightIntensity, G::lightAmbient,
                            G::lightDiffuse, G::lightSpecular, G::lightShadowFraction, G::preShadowIntensity,
                            G::lightBlindData, status);
    }
    return MObject::kNullObj;
}

MStatus setDefault(MFnNumericAttribute& numeric, MFnLightDataAttribute& light, const Row& row)
{
    switch (row.kind) {
    case Kind::FloatTriple: return numeric.setDefault(row.defaults[0], row.defaults[1], row.defaults[2]);
    case Kind::Boolean: return numeric.setDefault(row.defaults[0] != 0.0f);
    // A new light starts dark, lit ambient and diffuse, unshadowed.
    case Kind::LightData: return light.setDefault(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true, true, false, 1.0f, 1.0f, 0);
    default: return numeric.setDefault(row.defaults[0]);
    }
}

}  // namespace

MStatus glossy::initialize()
{
    MFnNumericAttribute nAttr;
    MFnLightDataAttribute lAttr;
    MStatus stat;  // what the reported create calls write
    for (std::size_t r = 0; r < sizeof kAttributes / sizeof kAttributes[0]; ++r) {
        const Row& row = kAttributes[r];
        const bool reportAll = row.report == Report::All;
        *row.handle = create(nAttr, lAttr, &row, reportAll ? &stat : 0);
        if (reportAll) {
            REPORT_API_ERROR(stat);
        }
        MFnAttribute& fn = row.kind == Kind::LightData ? static_cast<MFnAttribute&>(lAttr) : nAttr;
        for (int i = 0; i < row.calls.count; ++i) {
            const Step& step = row.calls.steps[i];
            MStatus called = step.set ? (fn.*step.set)(step.on) : setDefault(nAttr, lAttr, row);
            if (row.report != Report::None) {
                REPORT_API_ERROR(called);
            }
        }
        if (row.softRange) {
            nAttr.setSoftMin(0.0);
            nAttr.setSoftMax(1.0);
        }
    }
    for (std::size_t a = 0; a < sizeof kAdded / sizeof kAdded[0]; ++a) {
        addAttribute(*kAdded[a]);
    }
    for (std::size_t a = 0; a < sizeof kAffects / sizeof kAffects[0]; ++a) {
        attributeAffects(*kAffects[a][0], *kAffects[a][1]);
    }
    return MS::kSuccess;
}

MStatus glossy::compute(const MPlug& plug, MDataBlock& block)
{
    if (plug == outColor || plug == outColorR || plug == outColorG || plug == outColorB) {
        shadeColor(block);
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

void glossy::shadeColor(MDataBlock& block) const
{
    // Locals bear the names of the inputs they hold; the handles are
    // qualified so that the two are never confused.
    MFloatVector ambientLight(0.0f, 0.0f, 0.0f);
    MFloatVector diffuseLight(0.0f, 0.0f, 0.0f);
    MFloatVector highlights(0.0f, 0.0f, 0.0f);  // added after the transparency scaling
    MFloatVector translucentLight(0.0f, 0.0f, 0.0f);
    MFloatVector reflection(0.0f, 0.0f, 0.0f);
    MFloatVector ambient(0.0f, 0.0f, 0.0f);

    // The triples are bound to the block's values, not copied: a copy that
    // lives across the highlight's powf call costs a spill and a reload of
    // every channel. Nothing below writes an input, and whatever uses them
    // is worked out before the reflection's trace, which may run the
    // renderer's own shading.
    const MFloatVector& rayDirection = block.inputValue(glossy::rayDirection).asFloatVector();
    const MFloatVector& normal = block.inputValue(glossy::normalCamera).asFloatVector();
    const MFloatVector& color = block.inputValue(glossy::color).asFloatVector();
    const MFloatVector& ambientColor = block.inputValue(glossy::ambientColor).asFloatVector();
    const MFloatVector& incandescence = block.inputValue(glossy::incandescence).asFloatVector();
    const MFloatVector& specularColor = block.inputValue(glossy::specularColor).asFloatVector();
    const float diffuse = block.inputValue(glossy::diffuse).asFloat();
    const float translucence = block.inputValue(glossy::translucence).asFloat();
    const float roughness = block.inputValue(glossy::roughness).asFloat();
    const float sharpness = block.inputValue(glossy::sharpness).asFloat();
    const float reflectivity = block.inputValue(glossy::reflectivity).asFloat();

    MArrayDataHandle lights = block.inputArrayValue(glossy::lightDataArray);
    const unsigned int lightCount = lights.elementCount();
    const shading::Float3 toViewer = toFloat3(-rayDirection);
    const shading::Float3 normal3 = toFloat3(normal);
    const shading::Float3 specularColor3 = toFloat3(specularColor);
    for (unsigned int i = 0; i < lightCount; ++i) {
        MDataHandle light = lights.inputValue();
        const MFloatVector& lightColor = light.child(glossy::lightIntensity).asFloatVector();
        const MFloatVector& toLight = light.child(glossy::lightDirection).asFloatVector();

        if (light.child(glossy::lightAmbient).asBool()) {
            ambientLight += MFloatVector(lightColor.x * color.x, lightColor.y * color.y, lightColor.z * color.z);
        }
        if (light.child(glossy::lightDiffuse).asBool()) {
            // Only lights strictly in front of the surface.
            const float cosL = toLight * normal;
            if (cosL > 0.0f) {
                const float diffuseWeight = cosL * diffuse;
                diffuseLight +=
                    MFloatVector((diffuseWeight * lightColor.x) * color.x, (diffuseWeight * lightColor.y) * color.y,
                                 (diffuseWeight * lightColor.z) * color.z);
            }
        }
        if (light.child(glossy::lightSpecular).asBool()) {
            const shading::Float3 highlight = shading::highlightTerm(
                toViewer, normal3, toFloat3(toLight), toFloat3(lightColor), specularColor3, roughness, sharpness, 1.0f);
            highlights += MFloatVector(highlight.x, highlight.y, highlight.z);
        }
        // Translucence comes from every light, whatever its flags or side.
        translucentLight +=
            MFloatVector((lightColor.x * color.x) * translucence, (lightColor.y * color.y) * translucence,
                         (lightColor.z * color.z) * translucence);

        if (!lights.next()) break;
    }

    ambient = MFloatVector(ambientColor.x * color.x, ambientColor.y * color.y, ambientColor.z * color.z);
    // The sum up to the reflection, in the order it is added.
    const MFloatVector unreflected = ((diffuseLight + ambient) + incandescence) + translucentLight;

    // What only the reflection uses is read only when there is one.
    if (reflectivity > 0.0f) {
        const MFloatVector point = block.inputValue(glossy::pointCamera).asFloatVector();
        const MFloatVector reflectedColor = block.inputValue(glossy::reflectedColor).asFloatVector();
        const MFloatVector rayDirectionAgain = block.inputValue(glossy::rayDirection).asFloatVector();
        const void* sampler = block.inputValue(glossy::raySampler).asAddr();
        const short depth = block.inputValue(glossy::rayDepth).asShort();
        const void* object = block.inputValue(glossy::objectId).asAddr();
        MFloatVector tracedColor(0.0f, 0.0f, 0.0f);
        MFloatVector scratchTransparency(0.0f, 0.0f, 0.0f);

        // The mirror image of the ray about the normal.
        const MFloatVector toViewerAgain = -rayDirectionAgain;
        const float cosV = toViewerAgain * normal;
        MFloatVector reflectionDirection = (normal * 2) * cosV - toViewerAgain;
        reflectionDirection.normalize();

        // Reflections are traced from primary samples only, one bounce deep.
        if (depth == 0) {
            MRenderUtil::raytrace(point, reflectionDirection, object, sampler, depth, tracedColor, scratchTransparency,
                                  true);
        }
        reflection = MFloatVector((tracedColor.x * reflectivity) * reflectedColor.x,
                                  (tracedColor.y * reflectivity) * reflectedColor.y,
                                  (tracedColor.z * reflectivity) * reflectedColor.z);
    }

    MFloatVector lit = ambientLight + (unreflected + reflection);
    const MFloatVector& transparency = block.inputValue(glossy::transparency).asFloatVector();
    lit =
        MFloatVector((1.0f - transparency.x) * lit.x, (1.0f - transparency.y) * lit.y, (1.0f - transparency.z) * lit.z);
    MDataHandle outHandle = block.outputValue(glossy::outColor);
    // Transparency leaves the highlights whole.
    outHandle.asFloatVector() = lit + highlights;
    outHandle.setClean();
}
