// Flags shared by every kind of attribute. A function set acts on the
// attribute it created (or was attached to) last. A new attribute is
// readable, writable, connectable, storable and cached; not keyable, hidden,
// used as a colour or an array.
#pragma once

#include "MObject.h"
#include "MStatus.h"

class MFnAttribute {
public:
    MFnAttribute() = default;
    explicit MFnAttribute(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    virtual ~MFnAttribute() = default;

    MObject object(MStatus* ReturnStatus = nullptr) const;
    MStatus setObject(const MObject& attribute);

    MStatus setKeyable(bool state);
    MStatus setStorable(bool state);
    MStatus setHidden(bool state);
    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setUsedAsColor(bool state);
    MStatus setArray(bool state);
    MStatus setConnectable(bool state);
    MStatus setCached(bool state);

    bool isKeyable(MStatus* ReturnStatus = nullptr) const;
    bool isStorable(MStatus* ReturnStatus = nullptr) const;
    bool isHidden(MStatus* ReturnStatus = nullptr) const;
    bool isReadable(MStatus* ReturnStatus = nullptr) const;
    bool isWritable(MStatus* ReturnStatus = nullptr) const;
    bool isUsedAsColor(MStatus* ReturnStatus = nullptr) const;
    bool isArray(MStatus* ReturnStatus = nullptr) const;
    bool isConnectable(MStatus* ReturnStatus = nullptr) const;
    bool isCached(MStatus* ReturnStatus = nullptr) const;

protected:
    MObject attribute_;
};
