// Creates numeric attributes: single values, float triples built from three
// float children, and untyped addresses.
#pragma once

#include "MFnAttribute.h"
#include "MFnNumericData.h"
#include "MString.h"

class MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute() {}

    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0, MStatus* ReturnStatus = 0);
    // A float triple of three existing float attributes; the stand-in builds
    // only the three-child form.
    MObject create(const MString& fullName, const MString& briefName, const MObject& child1, const MObject& child2,
                   const MObject& child3 = MObject::kNullObj, MStatus* ReturnStatus = 0);
    MObject createAddr(const MString& fullName, const MString& briefName, void* defaultValue = 0,
                       MStatus* ReturnStatus = 0);

    MStatus setDefault(bool value);
    MStatus setDefault(short value);
    MStatus setDefault(float value);
    MStatus setDefault(double value);
    MStatus setDefault(float v1, float v2, float v3);
    MStatus setDefault(void* value);
    MStatus setSoftMin(double value);
    MStatus setSoftMax(double value);

    MFnNumericData::Type unitType(MStatus* ReturnStatus = 0) const;
};
