// MFnLightDataAttribute: the eight-child compound the renderer fills with
// one light per array element, and the value a new element starts with.
#include <maya/MFnLightDataAttribute.h>

#include "attribute_calls.h"

using mayahost::Attribute;
using mayahost::AttributeKind;

namespace {

bool isFree(const Attribute* a, AttributeKind kind, MFnNumericData::Type type)
{
    return a && !a->parent && a->kind == kind && (kind != AttributeKind::kNumeric || a->numericType == type);
}

}  // namespace

MObject MFnLightDataAttribute::create(const MString& fullName, const MString& briefName, const MObject& direction,
                                      const MObject& intensity, const MObject& ambient, const MObject& diffuse,
                                      const MObject& specular, const MObject& shadowFraction,
                                      const MObject& preShadowIntensity, const MObject& blindData,
                                      MStatus* ReturnStatus)
{
    attribute_ = MObject::kNullObj;
    MStatus failure;
    if (mayahost::faultInjected("create", fullName.asChar(), &failure)) {
        if (ReturnStatus) *ReturnStatus = failure;
        return attribute_;
    }
    Attribute* children[8] = {mayahost::attributeOf(direction),
                              mayahost::attributeOf(intensity),
                              mayahost::attributeOf(ambient),
                              mayahost::attributeOf(diffuse),
                              mayahost::attributeOf(specular),
                              mayahost::attributeOf(shadowFraction),
                              mayahost::attributeOf(preShadowIntensity),
                              mayahost::attributeOf(blindData)};
    const bool shaped = isFree(children[0], AttributeKind::kFloatTriple, MFnNumericData::k3Float) &&
                        isFree(children[1], AttributeKind::kFloatTriple, MFnNumericData::k3Float) &&
                        isFree(children[2], AttributeKind::kNumeric, MFnNumericData::kBoolean) &&
                        isFree(children[3], AttributeKind::kNumeric, MFnNumericData::kBoolean) &&
                        isFree(children[4], AttributeKind::kNumeric, MFnNumericData::kBoolean) &&
                        isFree(children[5], AttributeKind::kNumeric, MFnNumericData::kFloat) &&
                        isFree(children[6], AttributeKind::kNumeric, MFnNumericData::kFloat) &&
                        isFree(children[7], AttributeKind::kNumeric, MFnNumericData::kAddr);
    if (!shaped || fullName.length() == 0 || briefName.length() == 0) {
        if (ReturnStatus) {
            *ReturnStatus = MStatus(MStatus::kInvalidParameter, "Light data needs names and its eight free children");
        }
        return attribute_;
    }
    Attribute* a = mayahost::registry().newAttribute();
    a->longName = fullName.asChar();
    a->shortName = briefName.asChar();
    a->kind = AttributeKind::kLightData;
    for (Attribute* c : children) {
        c->parent = a;
        a->children.push_back(c);
    }
    if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
    attribute_ = mayahost::objectOf(a);
    return attribute_;
}

MStatus MFnLightDataAttribute::setDefault(float dirX, float dirY, float dirZ, float intR, float intG, float intB,
                                          bool ambient, bool diffuse, bool specular, float shadowFraction,
                                          float preShadowIntensity, void* blindData)
{
    return mayahost::modify(attribute_, "setDefault", [=](Attribute& a) {
        if (a.kind != AttributeKind::kLightData) return MStatus(MStatus::kInvalidParameter, "Not light data");
        a.hasElementDefault = true;
        mayahost::LightData& d = a.elementDefault;
        d.direction = MFloatVector(dirX, dirY, dirZ);
        d.intensity = MFloatVector(intR, intG, intB);
        d.ambient = ambient;
        d.diffuse = diffuse;
        d.specular = specular;
        d.shadowFraction = shadowFraction;
        d.preShadowIntensity = preShadowIntensity;
        d.blindData = blindData;
        return MStatus(MStatus::kSuccess);
    });
}
