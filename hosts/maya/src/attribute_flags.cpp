// MFnAttribute: the flags every attribute carries, set on the attribute the
// function set made or was attached to last.
#include <maya/MFnAttribute.h>

#include "attribute_calls.h"

using mayahost::Attribute;

namespace {

bool query(const MObject& object, MStatus* status, bool Attribute::*flag)
{
    const Attribute* a = mayahost::attributeOf(object);
    if (status) *status = a ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter, "No attribute");
    return a ? a->*flag : false;
}

#define GLOSSY_FLAG_SETTER(name, member)                                   \
    MStatus MFnAttribute::name(bool state)                                 \
    {                                                                      \
        return mayahost::modify(attribute_, #name, [state](Attribute& a) { \
            a.member = state;                                              \
            return MStatus(MStatus::kSuccess);                             \
        });                                                                \
    }

}  // namespace

MFnAttribute::MFnAttribute(const MObject& attribute, MStatus* ReturnStatus) : attribute_(attribute)
{
    if (ReturnStatus) {
        *ReturnStatus =
            attribute.isNull() ? MStatus(MStatus::kInvalidParameter, "No attribute") : MStatus(MStatus::kSuccess);
    }
}

MObject MFnAttribute::object(MStatus* ReturnStatus) const
{
    if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
    return attribute_;
}

MStatus MFnAttribute::setObject(const MObject& attribute)
{
    attribute_ = attribute;
    return MStatus::kSuccess;
}

GLOSSY_FLAG_SETTER(setKeyable, keyable)
GLOSSY_FLAG_SETTER(setStorable, storable)
GLOSSY_FLAG_SETTER(setHidden, hidden)
GLOSSY_FLAG_SETTER(setReadable, readable)
GLOSSY_FLAG_SETTER(setWritable, writable)
GLOSSY_FLAG_SETTER(setUsedAsColor, usedAsColor)
GLOSSY_FLAG_SETTER(setArray, array)
GLOSSY_FLAG_SETTER(setConnectable, connectable)
GLOSSY_FLAG_SETTER(setCached, cached)

bool MFnAttribute::isKeyable(MStatus* s) const { return query(attribute_, s, &Attribute::keyable); }
bool MFnAttribute::isStorable(MStatus* s) const { return query(attribute_, s, &Attribute::storable); }
bool MFnAttribute::isHidden(MStatus* s) const { return query(attribute_, s, &Attribute::hidden); }
bool MFnAttribute::isReadable(MStatus* s) const { return query(attribute_, s, &Attribute::readable); }
bool MFnAttribute::isWritable(MStatus* s) const { return query(attribute_, s, &Attribute::writable); }
bool MFnAttribute::isUsedAsColor(MStatus* s) const { return query(attribute_, s, &Attribute::usedAsColor); }
bool MFnAttribute::isArray(MStatus* s) const { return query(attribute_, s, &Attribute::array); }
bool MFnAttribute::isConnectable(MStatus* s) const { return query(attribute_, s, &Attribute::connectable); }
bool MFnAttribute::isCached(MStatus* s) const { return query(attribute_, s, &Attribute::cached); }
