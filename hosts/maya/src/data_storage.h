// The memory behind one data block: the record of top-level values, the
// elements of each array (room for a fixed number, reserved up front), both
// ending in a scratch value, and one dirty flag per attribute; the type's
// rows find each value in them by the attribute's index. Reads, writes and
// dirty marking never allocate.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "attribute.h"

namespace mayahost {

class DataStorage {
public:
    DataStorage(const NodeType& type, unsigned int arrayCapacity);

    const NodeType& type() const { return type_; }
    unsigned char* record() { return record_; }
    const unsigned char* record() const { return record_; }

    using Array = ArrayValues;
    Array& array(const Attribute& a) { return arrays_[static_cast<std::size_t>(a.arraySlot)]; }

    // Where a value outside any array lives; null for one of another type,
    // not laid out, or inside an array.
    unsigned char* valueOf(const Attribute* a);
    const unsigned char* valueOf(const Attribute* a) const;

    // Writes a light-data compound's eight children at `value`.
    static void writeLight(const Attribute& a, unsigned char* value, const LightData& light);

    // Sets `count` elements of an array to their default (count ≤ capacity).
    void resizeArray(const Attribute& a, unsigned int count);

    void markChanged(const Attribute& a);
    void clean(const Attribute& a);
    bool isDirty(const Attribute& a) const { return dirty_[a.index] != 0; }
    void markAllDirty();
    // What a data block over this storage works with.
    const BlockValues& blockValues() const { return block_; }

    // Copies the values of another block of the same type (arrays emptied).
    void copyValuesFrom(const DataStorage& other);

private:
    void writeDefaults(const Attribute& a, unsigned char* value);

    const NodeType& type_;
    std::unique_ptr<std::max_align_t[]> memory_;
    unsigned char* record_ = nullptr;
    std::vector<Array> arrays_;
    std::vector<unsigned char> dirty_;
    BlockValues block_;
};

}  // namespace mayahost
