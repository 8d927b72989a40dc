// Data block and handle operations that need no speed: refusals, and the
// forms that take a plug.
#include <maya/MDataBlock.h>
#include <maya/MPlug.h>

#include <cstddef>

namespace mayahost {

// Every read of a handle made by no block lands on the scratch value, and
// its children are itself.
const ValueRow NoValue::row = {{0, 0, 0, 0, 0}, 0, 0, 0};
alignas(std::max_align_t) unsigned char NoValue::scratch[16] = {};

}  // namespace mayahost

MDataBlock::MDataBlock(const mayahost::BlockValues& block) : block_(block) {}

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* ReturnStatus)
{
    return inputValue(plug.attribute(), ReturnStatus);
}

MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* ReturnStatus)
{
    return inputValue(plug.attribute(), ReturnStatus);
}

MArrayDataHandle MDataBlock::noArray(MStatus* ReturnStatus)
{
    if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kInvalidParameter, "Attribute is not an array of this node");
    // No element, and the row of none over the record in place of the spare.
    mayahost::ArrayValues empty;
    empty.spare = block_.record;
    return MArrayDataHandle(&block_, block_.end, empty, block_.row(block_.end));
}

MStatus MDataBlock::setClean(const MPlug& plug) { return setClean(plug.attribute()); }
