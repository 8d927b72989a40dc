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
enum ValueKind { kNone, kFloat, kShort, kBool, kAddr, kFloat3, kCompound };

// Stand-in only: the head of the host's record of an attribute (an MObject
// points at it), holding what the inline data-block calls need to find a
// value without calling into the host library.
struct ValueSlot {
    ValueSlot()
        : blockType(0),
          parentSlot(0),
          offset(0),
          absoluteOffset(0),
          valueKind(kNone),
          direct(false),
          arraySlot(-1),
          elementSize(0),
          cleans(0),
          cleanCount(0)
    {
    }

    const void* blockType;        // the node type whose data blocks hold the value
    const void* parentSlot;       // the parent attribute's record, for children
    unsigned int offset;          // from the parent's value, or from an array element
    unsigned int absoluteOffset;  // in the block's record, when `direct`
    ValueKind valueKind;
    bool direct;                 // a value of the record itself, outside any array
    int arraySlot;               // arrays: which of the block's arrays holds the elements
    unsigned int elementSize;    // arrays: bytes per element
    const unsigned int* cleans;  // dirty flags setClean clears: its own and its descendants'
    unsigned int cleanCount;
};

// Stand-in only: the elements of one array attribute in a data block.
struct ArrayValues {
    ArrayValues() : elements(0), count(0), capacity(0) {}

    unsigned char* elements;
    unsigned int count;
    unsigned int capacity;
};

}  // namespace mayahost

class MDataHandle {
public:
    typedef mayahost::ValueKind Kind;

    MDataHandle() : dirty_(0), attribute_(0), data_(0), scratch_(0), kind_(mayahost::kNone) {}

    bool& asBool() const { return *reinterpret_cast<bool*>(at(mayahost::kBool)); }
    short& asShort() const { return *reinterpret_cast<short*>(at(mayahost::kShort)); }
    float& asFloat() const { return *reinterpret_cast<float*>(at(mayahost::kFloat)); }
    void*& asAddr() const { return *reinterpret_cast<void**>(at(mayahost::kAddr)); }
    MFloatVector& asFloatVector() const { return *reinterpret_cast<MFloatVector*>(at(mayahost::kFloat3)); }

    void set(bool value) { asBool() = value; }
    void set(short value) { asShort() = value; }
    void set(float value) { asFloat() = value; }
    void set(const MFloatVector& value) { asFloatVector() = value; }
    void set(float x, float y, float z) { asFloatVector() = MFloatVector(x, y, z); }

    // The handle of a child of this compound value (or of this array element).
    // Not const, the stricter form: a caller that builds here builds either way.
    MDataHandle child(const MObject& attribute)
    {
        const mayahost::ValueSlot* c = static_cast<const mayahost::ValueSlot*>(attribute.hostObject());
        if (c && kind_ != mayahost::kNone && c->parentSlot == attribute_) {
            return MDataHandle(dirty_, c, data_ + c->offset, scratch_, c->valueKind);
        }
        return MDataHandle(dirty_, 0, scratch_, scratch_, mayahost::kNone);
    }
    // Marks the value computed: clean, with its children.
    void setClean()
    {
        const mayahost::ValueSlot* slot = static_cast<const mayahost::ValueSlot*>(attribute_);
        if (!slot || !dirty_) return;
        for (unsigned int i = 0; i < slot->cleanCount; ++i) dirty_[slot->cleans[i]] = 0;
    }

    // Stand-in only: built by the data block over its dirty flags.
    MDataHandle(unsigned char* dirty, const void* attribute, unsigned char* data, unsigned char* scratch, Kind kind)
        : dirty_(dirty), attribute_(attribute), data_(data), scratch_(scratch), kind_(kind)
    {
    }
    bool isValid() const { return kind_ != mayahost::kNone; }

private:
    unsigned char* at(Kind wanted) const { return kind_ == wanted ? data_ : scratch_; }

    unsigned char* dirty_;
    const void* attribute_;
    unsigned char* data_;
    unsigned char* scratch_;
    Kind kind_;
};
