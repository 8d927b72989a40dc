// A reference to one value in a data block. The accessors return references
// into the block: assigning through asFloatVector() writes an output. A handle
// to nothing, or an accessor of the wrong kind, reaches a per-block scratch
// value instead, so a mistaken read is harmless and never crashes.
// Everything here is inline and allocation-free: it is the per-sample path.
#pragma once

#include "MFloatVector.h"
#include "MObject.h"
#include "MStatus.h"

namespace mayahost {

// Stand-in only: what kind of value a handle refers to.
enum class ValueKind : unsigned char { kNone, kFloat, kShort, kBool, kAddr, kFloat3, kCompound };

// Stand-in only: the head of the host's record of an attribute (an MObject
// points at it), holding what the inline data-block calls need to find a
// value without calling into the host library.
struct ValueSlot {
    const void* blockType = nullptr;   // the node type whose data blocks hold the value
    const void* parentSlot = nullptr;  // the parent attribute's record, for children
    unsigned int offset = 0;           // from the parent's value, or from an array element
    unsigned int absoluteOffset = 0;   // in the block's record, when `direct`
    ValueKind valueKind = ValueKind::kNone;
    bool direct = false;                   // a value of the record itself, outside any array
    int arraySlot = -1;                    // arrays: which of the block's arrays holds the elements
    unsigned int elementSize = 0;          // arrays: bytes per element
    const unsigned int* cleans = nullptr;  // dirty flags setClean clears: its own and its descendants'
    unsigned int cleanCount = 0;
};

// Stand-in only: the elements of one array attribute in a data block.
struct ArrayValues {
    unsigned char* elements = nullptr;
    unsigned int count = 0;
    unsigned int capacity = 0;
};

}  // namespace mayahost

class MDataHandle {
public:
    using Kind = mayahost::ValueKind;

    MDataHandle() = default;

    bool& asBool() const { return *reinterpret_cast<bool*>(at(Kind::kBool)); }
    short& asShort() const { return *reinterpret_cast<short*>(at(Kind::kShort)); }
    float& asFloat() const { return *reinterpret_cast<float*>(at(Kind::kFloat)); }
    void*& asAddr() const { return *reinterpret_cast<void**>(at(Kind::kAddr)); }
    MFloatVector& asFloatVector() const { return *reinterpret_cast<MFloatVector*>(at(Kind::kFloat3)); }

    void set(bool value) { asBool() = value; }
    void set(short value) { asShort() = value; }
    void set(float value) { asFloat() = value; }
    void set(const MFloatVector& value) { asFloatVector() = value; }
    void set(float x, float y, float z) { asFloatVector() = MFloatVector(x, y, z); }

    // The handle of a child of this compound value (or of this array element).
    // Not const, the stricter form: a caller that builds here builds either way.
    MDataHandle child(const MObject& attribute)
    {
        const auto* c = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (c && kind_ != Kind::kNone && c->parentSlot == attribute_) {
            return MDataHandle(dirty_, c, data_ + c->offset, scratch_, c->valueKind);
        }
        return MDataHandle(dirty_, nullptr, scratch_, scratch_, Kind::kNone);
    }
    // Marks the value computed: clean, with its children.
    void setClean()
    {
        const auto* slot = static_cast<const mayahost::ValueSlot*>(attribute_);
        if (!slot || !dirty_) return;
        for (unsigned int i = 0; i < slot->cleanCount; ++i) dirty_[slot->cleans[i]] = 0;
    }

    // Stand-in only: built by the data block over its dirty flags.
    MDataHandle(unsigned char* dirty, const void* attribute, unsigned char* data, unsigned char* scratch, Kind kind)
        : dirty_(dirty), attribute_(attribute), data_(data), scratch_(scratch), kind_(kind)
    {
    }
    bool isValid() const { return kind_ != Kind::kNone; }

private:
    unsigned char* at(Kind wanted) const { return kind_ == wanted ? data_ : scratch_; }

    unsigned char* dirty_ = nullptr;
    const void* attribute_ = nullptr;
    unsigned char* data_ = nullptr;
    unsigned char* scratch_ = nullptr;
    Kind kind_ = Kind::kNone;
};
