// The values one evaluation of a node works on. The host gives each
// evaluating thread its own block, so compute may run on several at once.
#pragma once

#include "MArrayDataHandle.h"
#include "MDataHandle.h"
#include "MObject.h"
#include "MStatus.h"

class MPlug;

namespace mayahost { class DataStorage; }

class MDataBlock {
public:
    // Inline: compute reads every input through it for every sample.
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr)
    {
        const auto* slot = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (!slot || slot->blockType != type_ || !slot->direct) return noValue(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MDataHandle(storage_, slot, record_ + slot->absoluteOffset, scratch_, slot->valueKind);
    }
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr)
    {
        return inputValue(attribute, ReturnStatus);
    }
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MStatus setClean(const MObject& attribute);
    MStatus setClean(const MPlug& plug);

    // Stand-in only: the host makes blocks over its own storage.
    explicit MDataBlock(mayahost::DataStorage* storage);
    mayahost::DataStorage* storage() const { return storage_; }

private:
    MDataHandle noValue(MStatus* ReturnStatus);

    mayahost::DataStorage* storage_ = nullptr;
    const void* type_ = nullptr;
    unsigned char* record_ = nullptr;
    unsigned char* scratch_ = nullptr;
};
