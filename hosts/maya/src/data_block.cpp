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

MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* ReturnStatus)
{
    const Attribute* a = mayahost::attributeOf(attribute);
    unsigned char* value = storage_->valueOf(a);
    if (!value || a->array) return invalidHandle(storage_, ReturnStatus);
    if (ReturnStatus) *ReturnStatus = MStatus::kSuccess;
    return MDataHandle(storage_, a, value, storage_->scratch(), a->valueKind);
}

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* ReturnStatus)
{
    return inputValue(plug.attribute(), ReturnStatus);
}

MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* ReturnStatus)
{
    return inputValue(attribute, ReturnStatus);
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

MDataHandle MDataHandle::child(const MObject& attribute)
{
    auto* storage = static_cast<DataStorage*>(block_);
    const Attribute* c = mayahost::attributeOf(attribute);
    if (!storage) return MDataHandle();
    if (!c || kind_ == Kind::kNone || c->parent != attribute_) return invalidHandle(storage, nullptr);
    return MDataHandle(storage, c, data_ + c->offset, scratch_, c->valueKind);
}

void MDataHandle::setClean()
{
    if (block_ && attribute_) static_cast<DataStorage*>(block_)->clean(*static_cast<const Attribute*>(attribute_));
}
