// Data block and handle operations that need the block's layout: finding a
// value, a child, an array, and cleaning what compute produced.
#include <maya/MDataBlock.h>
#include <maya/MPlug.h>

#include "data_storage.h"

using mayahost::Attribute;
using mayahost::DataStorage;

namespace {

MDataHandle invalidHandle(DataStorage* storage, MStatus* status)
{
    if (status) *status = MStatus(MStatus::kInvalidParameter, "Attribute has no value in this data block");
    return MDataHandle(storage->dirtyFlags(), nullptr, storage->scratch(), storage->scratch(),
                       MDataHandle::Kind::kNone);
}

}  // namespace

MDataBlock::MDataBlock(DataStorage* storage)
    : storage_(storage),
      type_(&storage->type()),
      record_(storage->record()),
      scratch_(storage->scratch()),
      dirty_(storage->dirtyFlags()),
      arrays_(storage->arrays())
{
}

MDataHandle MDataBlock::noValue(MStatus* ReturnStatus) { return invalidHandle(storage_, ReturnStatus); }

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
    return MArrayDataHandle(dirty_, nullptr, scratch_, 0, 0, scratch_, MDataHandle::Kind::kNone);
}

MStatus MDataBlock::setClean(const MPlug& plug) { return setClean(plug.attribute()); }
