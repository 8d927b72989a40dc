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
    return MDataHandle(storage, nullptr, storage->scratch(), storage->scratch(), MDataHandle::Kind::kNone);
}

}  // namespace

MDataBlock::MDataBlock(DataStorage* storage)
    : storage_(storage), type_(&storage->type()), record_(storage->record()), scratch_(storage->scratch())
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

MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* ReturnStatus)
{
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!a || a->owner != &storage_->type() || !a->member || !a->array || a->arraySlot < 0) {
        if (ReturnStatus) *ReturnStatus = MStatus(MStatus::kInvalidParameter, "Attribute is not an array of this node");
        return MArrayDataHandle(storage_, nullptr, storage_->scratch(), 0, 0, storage_->scratch(),
                                MDataHandle::Kind::kNone);
    }
    if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
    DataStorage::Array& array = storage_->array(*a);
    return MArrayDataHandle(storage_, a, array.elements, a->size, array.count, storage_->scratch(), a->valueKind);
}

MArrayDataHandle MDataBlock::outputArrayValue(const MObject& attribute, MStatus* ReturnStatus)
{
    return inputArrayValue(attribute, ReturnStatus);
}

MStatus MDataBlock::setClean(const MObject& attribute)
{
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!a || a->owner != &storage_->type() || !a->member) {
        return MStatus(MStatus::kInvalidParameter, "Attribute is not part of this node");
    }
    storage_->clean(*a);
    return MStatus::kSuccess;
}

MStatus MDataBlock::setClean(const MPlug& plug) { return setClean(plug.attribute()); }

void MDataHandle::setClean()
{
    if (block_ && attribute_) static_cast<DataStorage*>(block_)->clean(*static_cast<const Attribute*>(attribute_));
}
