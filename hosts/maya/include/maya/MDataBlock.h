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
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr)
    {
        const auto* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_ || !slot->direct) return noValue(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MDataHandle(dirty_, slot, record_ + slot->absoluteOffset, scratch_, slot->valueKind);
    }
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr)
    {
        return inputValue(attribute, ReturnStatus);
    }
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr)
    {
        const auto* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_ || slot->arraySlot < 0) return noArray(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        const mayahost::ArrayValues& array = arrays_[slot->arraySlot];
        return MArrayDataHandle(dirty_, slot, array.elements, slot->elementSize, array.count, scratch_,
                                slot->valueKind);
    }
    MStatus setClean(const MObject& attribute)
    {
        const auto* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_) {
            return MStatus(MStatus::kInvalidParameter, "Attribute is not part of this node");
        }
        MDataHandle(dirty_, slot, scratch_, scratch_, MDataHandle::Kind::kNone).setClean();
        return MStatus::kSuccess;
    }
    MStatus setClean(const MPlug& plug);

    // Stand-in only: the host makes blocks over its own storage.
    explicit MDataBlock(mayahost::DataStorage* storage);

private:
    MDataHandle noValue(MStatus* ReturnStatus);
    MArrayDataHandle noArray(MStatus* ReturnStatus);

    mayahost::DataStorage* storage_ = nullptr;
    const void* type_ = nullptr;
    unsigned char* record_ = nullptr;
    unsigned char* scratch_ = nullptr;
    unsigned char* dirty_ = nullptr;
    mayahost::ArrayValues* arrays_ = nullptr;
};
