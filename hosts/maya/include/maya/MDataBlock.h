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
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MStatus setClean(const MObject& attribute);
    MStatus setClean(const MPlug& plug);

    // Stand-in only: the host makes blocks over its own storage.
    explicit MDataBlock(mayahost::DataStorage* storage) : storage_(storage) {}
    mayahost::DataStorage* storage() const { return storage_; }

private:
    mayahost::DataStorage* storage_ = nullptr;
};
