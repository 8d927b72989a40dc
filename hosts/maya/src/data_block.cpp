// Data block and handle operations that need no speed: refusals, and the
// forms that take a plug.
#include <maya/MDataBlock.h>
#include <maya/MPlug.h>

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
    static const mayahost::ArrayValues empty;
    return MArrayDataHandle(&block_, block_.count, empty, mayahost::kNone);
}

MStatus MDataBlock::setClean(const MPlug& plug) { return setClean(plug.attribute()); }
