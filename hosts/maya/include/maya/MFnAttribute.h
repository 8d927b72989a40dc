// Flags shared by every kind of attribute. A function set acts on the
// attribute it created last. A new attribute is
// readable, writable, connectable, storable and cached; not keyable, hidden,
// used as a colour or an array.
#pragma once

#include "MObject.h"
#include "MStatus.h"

class MFnAttribute {
public:
    MFnAttribute() {}
    virtual ~MFnAttribute() {}

    MStatus setKeyable(bool state);
    MStatus setStorable(bool state);
    MStatus setHidden(bool state);
    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setUsedAsColor(bool state);
    MStatus setArray(bool state);

protected:
    MObject attribute_;
};
