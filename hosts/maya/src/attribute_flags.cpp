// MFnAttribute: the flags every attribute carries, set on the attribute the
// function set made last.
#include <maya/MFnAttribute.h>

#include "attribute_calls.h"

using mayahost::Attribute;

namespace {

#define GLOSSY_FLAG_SETTER(name, member)                                   \
    MStatus MFnAttribute::name(bool state)                                 \
    {                                                                      \
        return mayahost::modify(attribute_, #name, [state](Attribute& a) { \
            a.member = state;                                              \
            return MStatus(MStatus::kSuccess);                             \
        });                                                                \
    }

}  // namespace

GLOSSY_FLAG_SETTER(setKeyable, keyable)
GLOSSY_FLAG_SETTER(setStorable, storable)
GLOSSY_FLAG_SETTER(setHidden, hidden)
GLOSSY_FLAG_SETTER(setReadable, readable)
GLOSSY_FLAG_SETTER(setWritable, writable)
GLOSSY_FLAG_SETTER(setUsedAsColor, usedAsColor)
GLOSSY_FLAG_SETTER(setArray, array)
