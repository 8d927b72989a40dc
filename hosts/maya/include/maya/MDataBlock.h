// The values one evaluation of a node works on. The host gives each
// evaluating thread its own block, so compute may run on several at once.
#pragma once

#include "MArrayDataHandle.h"
#include "MDataHandle.h"
#include "MObject.h"
#include "MStatus.h"

class MPlug;

class MDataBlock {
public:
    // Inline: compute reads every input through it for every sample. The
    // handle's index finds the value's row; nothing is searched or allocated,
    // and a handle that is not this node's reaches the record's scratch value.
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        const unsigned int at = block_.find(attribute.hostIndex());
        const mayahost::BlockValue& value = block_.value(at);
        if (ReturnStatus) {
            *ReturnStatus = value.kind != mayahost::kNone
                                ? MStatus(MStatus::kSuccess)
                                : MStatus(MStatus::kInvalidParameter, "Attribute has no value in this data block");
        }
        return MDataHandle(&block_, block_.record, block_.row(at), value.self);
    }
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = 0);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        return inputValue(attribute, ReturnStatus);
    }
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = 0);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = 0)
    {
        const unsigned int at = block_.find(attribute.hostIndex());
        const mayahost::BlockValue& value = block_.value(at);
        if (value.arrayAt == mayahost::kNoIndex) return noArray(ReturnStatus);
        if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
        return MArrayDataHandle(&block_, at, block_.array(value.arrayAt), block_.row(value.elementRow));
    }
    MStatus setClean(const MObject& attribute)
    {
        const unsigned int at = block_.find(attribute.hostIndex());
        // Every attribute of the node clears at least its own flag; one the
        // type made but never added, and none, have nothing to clear.
        if (block_.value(at).cleanCount == 0) {
            return MStatus(MStatus::kInvalidParameter, "Attribute is not part of this node");
        }
        MDataHandle(&block_, block_.record, block_.row(block_.end), at).setClean();
        return MStatus::kSuccess;
    }
    MStatus setClean(const MPlug& plug);

    // Stand-in only: the host makes blocks over its own storage.
    explicit MDataBlock(const mayahost::BlockValues& block);

private:
    MArrayDataHandle noArray(MStatus* ReturnStatus);

    mayahost::BlockValues block_;
};
