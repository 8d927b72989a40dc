// Data block memory: one allocation when the block is made, defaults written
// from the type's attributes, nothing allocated afterwards.
#include "data_storage.h"

#include <cstring>

namespace mayahost {
namespace {

template <class T>
void store(unsigned char* where, T value)
{
    std::memcpy(where, &value, sizeof value);
}

}  // namespace

DataStorage::DataStorage(const NodeType& type, unsigned int arrayCapacity)
    // Three flags more than the type has: a group of four from the last.
    : type_(type), arrays_(type.arrays.size()), dirty_(type.created.size() + sizeof(unsigned int) - 1, 1)
{
    std::size_t bytes = type.recordSize;
    for (const Attribute* a : type.arrays) bytes += static_cast<std::size_t>(a->elementSize) * (arrayCapacity + 1);
    const std::size_t blocks = (bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    memory_.reset(new std::max_align_t[blocks]());
    record_ = reinterpret_cast<unsigned char*>(memory_.get());

    // Element strides are multiples of their alignment, so arrays stay aligned.
    unsigned char* next = record_ + type.recordSize;
    for (const Attribute* a : type.arrays) {
        Array& array = arrays_[static_cast<std::size_t>(a->arraySlot)];
        array.elements = next;
        array.elementSize = a->elementSize;
        array.capacity = arrayCapacity;
        next += static_cast<std::size_t>(a->elementSize) * arrayCapacity;
        array.spare = next;
        next += a->elementSize;
    }
    for (const Attribute* a : type.members) {
        if (!a->parent && !a->array) writeDefaults(*a, record_ + a->offset);
    }
    block_.rows = type.rows.data();
    block_.values = type.values.data();
    block_.cleans = type.cleans.data();
    block_.first = type.firstSerial;
    block_.end = static_cast<unsigned int>(type.created.size()) * kIndexStep;
    block_.record = record_;
    block_.dirty = dirty_.data();
    block_.arrays = arrays_.data();
}

void DataStorage::writeDefaults(const Attribute& a, unsigned char* value)
{
    if (a.kind == AttributeKind::kLightData && a.hasElementDefault) {
        // The compound's own element default wins over its children's.
        writeLight(a, value, a.elementDefault);
        return;
    }
    if (!a.children.empty()) {
        for (std::size_t i = 0; i < a.children.size(); ++i) writeDefaults(*a.child(i), value + a.child(i)->offset);
        return;
    }
    switch (a.valueKind) {
    case MDataHandle::Kind::kBool: store(value, a.defaultValue[0] != 0.0); break;
    case MDataHandle::Kind::kShort: store(value, static_cast<short>(a.defaultValue[0])); break;
    case MDataHandle::Kind::kFloat: store(value, static_cast<float>(a.defaultValue[0])); break;
    case MDataHandle::Kind::kAddr: store(value, a.defaultAddress); break;
    default: break;
    }
}

void DataStorage::writeLight(const Attribute& a, unsigned char* value, const LightData& light)
{
    // The children in the order the light-data compound fixes.
    auto c = [&](std::size_t i) { return value + a.child(i)->offset; };
    store(c(0), light.direction);
    store(c(1), light.intensity);
    store(c(2), light.ambient);
    store(c(3), light.diffuse);
    store(c(4), light.specular);
    store(c(5), light.shadowFraction);
    store(c(6), light.preShadowIntensity);
    store(c(7), light.blindData);
}

unsigned char* DataStorage::valueOf(const Attribute* a)
{
    if (!a || a->owner != &type_ || !a->member || a->insideArray) return nullptr;
    return record_ + a->absoluteOffset;
}

const unsigned char* DataStorage::valueOf(const Attribute* a) const
{
    return const_cast<DataStorage*>(this)->valueOf(a);
}

void DataStorage::resizeArray(const Attribute& a, unsigned int count)
{
    Array& array = this->array(a);
    for (unsigned int i = array.count; i < count; ++i) writeDefaults(a, array.elements + i * array.elementSize);
    array.count = count;
}

void DataStorage::markChanged(const Attribute& a)
{
    for (unsigned int i : a.dirtiesOnSet) dirty_[i] = 1;
}

void DataStorage::clean(const Attribute& a)
{
    for (unsigned int i : a.cleansOnSet) dirty_[i] = 0;
}

void DataStorage::markAllDirty()
{
    for (auto& flag : dirty_) flag = 1;
}

void DataStorage::copyValuesFrom(const DataStorage& other)
{
    std::memcpy(record_, other.record_, type_.recordSize);
    for (auto& array : arrays_) array.count = 0;
    markAllDirty();
}

}  // namespace mayahost
