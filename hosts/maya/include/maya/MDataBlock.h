// The values one evaluation of a node works on. The host gives each
// evaluating thread its own block, so compute may run on several at once.
#pragma once

#include "MArrayDataHandle.h"
#include "MDataHandle.h"
#include "MObject.h"
#include "MStatus.h"

class MPlug;

namespace mayahost {
class DataStorage;
}

class MDataBlock {
public:
    // Inline: compute reads every input through it for every sample.
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        const mayahost::ValueSlot* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_ || !slot->direct) return noValue(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MDataHandle(dirty_, slot, record_ + slot->absoluteOffset, scratch_, slot->valueKind);
    }
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = 0);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        return inputValue(attribute, ReturnStatus);
    }
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = 0);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        const mayahost::ValueSlot* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_ || slot->arraySlot < 0) return noArray(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        const mayahost::ArrayValues& array = arrays_[slot->arraySlot];
        return MArrayDataHandle(dirty_, slot, array.elements, slot->elementSize, array.count, scratch_,
                                slot->valueKind);
    }
    MStatus setClean(const MObject& attribute)
    {
        const mayahost::ValueSlot* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_) {
            return MStatus(MStatus::kInvalidParameter, "Attribute is not part of this node");
        }
        MDataHandle(dirty_, slot, scratch_, scratch_, mayahost::kNone).setClean();
        return MStatus::kSuccess;
    }
    MStatus setClean(const MPlug& plug);

    // Stand-in only: the host makes blocks over its own storage.
    explicit MDataBlock(mayahost::DataStorage* storage);

private:
    MDataHandle noValue(MStatus* ReturnStatus);
    MArrayDataHandle noArray(MStatus* ReturnStatus);

    mayahost::DataStorage* storage_;
    const void* type_;
    unsigned char* record_;
    unsigned char* scratch_;
    unsigned char* dirty_;
    mayahost::ArrayValues* arrays_;
};
