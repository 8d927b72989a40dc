// MFnNumericAttribute: single numeric values, float triples of three float
// children and untyped addresses, with their defaults and slider ranges.
#include <maya/MFnNumericAttribute.h>

#include "attribute_calls.h"

using mayahost::Attribute;
using mayahost::AttributeKind;

namespace {

bool isSingleValue(const Attribute& a)
{
    return a.kind == AttributeKind::kNumeric && a.numericType != MFnNumericData::kAddr;
}

bool isFreeFloat(const Attribute* a)
{
    return a && a->kind == AttributeKind::kNumeric && a->numericType == MFnNumericData::kFloat && !a->parent;
}

MStatus setSingle(const MObject& attribute, double value)
{
    return mayahost::modify(attribute, "setDefault", [value](Attribute& a) {
        if (!isSingleValue(a)) return MStatus(MStatus::kInvalidParameter, "Attribute does not hold one number");
        a.defaultValue[0] = value;
        return MStatus(MStatus::kSuccess);
    });
}

MStatus setRange(const MObject& attribute, const char* call, bool Attribute::*has, double Attribute::*bound,
                 double value)
{
    return mayahost::modify(attribute, call, [=](Attribute& a) {
        if (!isSingleValue(a)) return MStatus(MStatus::kInvalidParameter, "Attribute does not hold one number");
        a.*has = true;
        a.*bound = value;
        return MStatus(MStatus::kSuccess);
    });
}

// Starts a new attribute unless an injected fault makes `call` fail.
Attribute* begin(const char* call, const MString& fullName, const MString& briefName, MStatus* status)
{
    MStatus failure;
    if (mayahost::faultInjected(call, fullName.asChar(), &failure)) {
        if (status) *status = failure;
        return nullptr;
    }
    if (fullName.length() == 0 || briefName.length() == 0) {
        if (status) *status = MStatus(MStatus::kInvalidParameter, "Attribute needs a long and a short name");
        return nullptr;
    }
    Attribute* a = mayahost::registry().newAttribute();
    a->longName = fullName.asChar();
    a->shortName = briefName.asChar();
    if (status) *status = MStatus::kSuccess;
    return a;
}

}  // namespace

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                                    double defaultValue, MStatus* ReturnStatus)
{
    attribute_ = MObject::kNullObj;
    if (unitType != MFnNumericData::kBoolean && unitType != MFnNumericData::kShort &&
        unitType != MFnNumericData::kFloat) {
        // The stand-in holds only the kinds shading nodes use.
        if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kNotImplemented, "Numeric kind not supported");
        return attribute_;
    }
    Attribute* a = begin("create", fullName, briefName, ReturnStatus);
    if (!a) return attribute_;
    a->numericType = unitType;
    a->createDefault = defaultValue;
    a->defaultValue[0] = defaultValue;
    attribute_ = mayahost::objectOf(a);
    return attribute_;
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName, const MObject& child1,
                                    const MObject& child2, const MObject& child3, MStatus* ReturnStatus)
{
    attribute_ = MObject::kNullObj;
    Attribute* children[3] = {mayahost::attributeOf(child1), mayahost::attributeOf(child2),
                              mayahost::attributeOf(child3)};
    for (Attribute* c : children) {
        if (!isFreeFloat(c)) {
            if (ReturnStatus) {
                *ReturnStatus = MStatus(MStatus::kInvalidParameter, "A float triple needs three free float children");
            }
            return attribute_;
        }
    }
    Attribute* a = begin("create", fullName, briefName, ReturnStatus);
    if (!a) return attribute_;
    a->kind = AttributeKind::kFloatTriple;
    a->numericType = MFnNumericData::k3Float;
    for (int i = 0; i < 3; ++i) {
        children[i]->parent = a;
        a->children.push_back(children[i]);
        a->defaultValue[i] = children[i]->defaultValue[0];
    }
    attribute_ = mayahost::objectOf(a);
    return attribute_;
}

MObject MFnNumericAttribute::createAddr(const MString& fullName, const MString& briefName, void* defaultValue,
                                        MStatus* ReturnStatus)
{
    attribute_ = MObject::kNullObj;
    Attribute* a = begin("createAddr", fullName, briefName, ReturnStatus);
    if (!a) return attribute_;
    a->numericType = MFnNumericData::kAddr;
    a->defaultAddress = defaultValue;
    attribute_ = mayahost::objectOf(a);
    return attribute_;
}

MStatus MFnNumericAttribute::setDefault(bool value) { return setSingle(attribute_, value ? 1.0 : 0.0); }
MStatus MFnNumericAttribute::setDefault(short value) { return setSingle(attribute_, value); }
MStatus MFnNumericAttribute::setDefault(float value) { return setSingle(attribute_, static_cast<double>(value)); }
MStatus MFnNumericAttribute::setDefault(double value) { return setSingle(attribute_, value); }

MStatus MFnNumericAttribute::setDefault(float v1, float v2, float v3)
{
    return mayahost::modify(attribute_, "setDefault", [=](Attribute& a) {
        if (a.kind != AttributeKind::kFloatTriple) {
            return MStatus(MStatus::kInvalidParameter, "Attribute is not a float triple");
        }
        const float values[3] = {v1, v2, v3};
        for (int i = 0; i < 3; ++i) {
            a.defaultValue[i] = static_cast<double>(values[i]);
            const_cast<Attribute*>(a.child(static_cast<std::size_t>(i)))->defaultValue[0] = a.defaultValue[i];
        }
        return MStatus(MStatus::kSuccess);
    });
}

MStatus MFnNumericAttribute::setDefault(void* value)
{
    return mayahost::modify(attribute_, "setDefault", [value](Attribute& a) {
        if (a.numericType != MFnNumericData::kAddr) {
            return MStatus(MStatus::kInvalidParameter, "Attribute is not an address");
        }
        a.defaultAddress = value;
        return MStatus(MStatus::kSuccess);
    });
}

MStatus MFnNumericAttribute::setSoftMin(double value)
{
    return setRange(attribute_, "setSoftMin", &Attribute::hasSoftMin, &Attribute::softMin, value);
}

MStatus MFnNumericAttribute::setSoftMax(double value)
{
    return setRange(attribute_, "setSoftMax", &Attribute::hasSoftMax, &Attribute::softMax, value);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* ReturnStatus) const
{
    const Attribute* a = mayahost::attributeOf(attribute_);
    if (ReturnStatus)
        *ReturnStatus = a ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter, "No attribute");
    return a ? a->numericType : MFnNumericData::kInvalid;
}
