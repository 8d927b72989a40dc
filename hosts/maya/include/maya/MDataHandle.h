// A reference to one value in a data block. The accessors return references
// into the block: assigning through asFloatVector() writes an output. A handle
// to nothing, or an accessor of the wrong kind, reaches a per-block scratch
// value instead, so a mistaken read is harmless and never crashes.
// Everything here is inline and allocation-free: it is the per-sample path.
#pragma once

#include "MFloatVector.h"
#include "MObject.h"
#include "MStatus.h"

#if defined(__GNUC__)
#define MAYAHOST_EXPECTED(condition) __builtin_expect((condition), 1)
#else
#define MAYAHOST_EXPECTED(condition) (condition)
#endif

namespace mayahost {

// Stand-in only: what kind of value a handle refers to.
enum ValueKind { kNone, kFloat, kShort, kBool, kAddr, kFloat3, kCompound };

// Stand-in only: the parent index of a top-level attribute.
const unsigned int kNoIndex = 0xFFFFFFFFu;

// Stand-in only: where one attribute's value lives in the data blocks of its
// node type. One table per type, shared by its blocks, with an entry for each
// attribute the type made, in the order made; after them comes the place of
// no attribute, which every failed lookup reaches.
struct BlockValue {
    unsigned int offset;       // in the block's record, for a value outside arrays
    ValueKind kind;            // of that value; kNone inside an array or for no value
    unsigned int self;         // position a handle to that value carries; none's for kNone
    unsigned int parent;       // position of the parent attribute; kNoIndex at the top
    unsigned int childOffset;  // from the parent's value (or an array element)
    ValueKind childKind;       // the kind wherever the value lives
    int arraySlot;             // arrays: which of the block's arrays holds the elements
    unsigned int unused;       // pads the entry to 32 bytes: one shift finds it
};

// Stand-in only: the dirty flags setClean clears for one attribute, its own
// and its descendants'.
struct CleanList {
    const unsigned int* indices;
    unsigned int count;
};

// Stand-in only: the elements of one array attribute in a data block.
struct ArrayValues {
    ArrayValues() : elements(0), elementSize(0), count(0), capacity(0) {}

    unsigned char* elements;
    unsigned int elementSize;
    unsigned int count;
    unsigned int capacity;
};

// Stand-in only: what a data block and its handles share. `values` and
// `cleans` are the type's tables (count entries, `values` one more), the rest
// this block's memory.
struct BlockValues {
    BlockValues() : values(0), cleans(0), count(0), first(0), record(0), dirty(0), scratch(0), arrays(0) {}

    // The position of the attribute with this index in the type's table, or
    // `count`, the place of no attribute. Every attribute's index is unique
    // across node types and a type's attributes hold the indices [first,
    // first + count): one subtraction and one unsigned comparison tell this
    // type's attribute from any other, and from a null handle (index 0, which
    // no attribute has). No call on the way: one would make the compiler
    // reload the block's pointers after every lookup.
    unsigned int find(unsigned int index) const
    {
        const unsigned int i = index - first;
        if (MAYAHOST_EXPECTED(i < count)) return i;
        return count;
    }
    // The same for a child of the value a handle at position `parent` holds.
    unsigned int findChild(unsigned int index, unsigned int parent) const
    {
        const unsigned int i = index - first;
        if (MAYAHOST_EXPECTED(i < count && values[i].parent == parent)) return i;
        return count;
    }

    const BlockValue* values;
    const CleanList* cleans;
    unsigned int count;  // attributes of the type; `count` is the place of none
    unsigned int first;  // index of the type's first attribute
    unsigned char* record;
    unsigned char* dirty;
    unsigned char* scratch;
    ArrayValues* arrays;
};

}  // namespace mayahost

class MDataHandle {
public:
    typedef mayahost::ValueKind Kind;

    MDataHandle() : block_(0), data_(0), scratch_(0), index_(mayahost::kNoIndex), kind_(mayahost::kNone) {}

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
        if (!block_) return *this;
        const unsigned int i = block_->findChild(attribute.hostIndex(), index_);
        const mayahost::BlockValue& c = block_->values[i];
        return MDataHandle(block_, i, data_ + c.childOffset, scratch_, c.childKind);
    }
    // Marks the value computed: clean, with its children.
    void setClean()
    {
        if (!block_ || index_ >= block_->count) return;
        const mayahost::CleanList& list = block_->cleans[index_];
        // Held in locals: a store through unsigned char may alias anything,
        // so the compiler would otherwise reload them for every flag.
        unsigned char* const dirty = block_->dirty;
        const unsigned int* const indices = list.indices;
        const unsigned int count = list.count;
        for (unsigned int i = 0; i < count; ++i) dirty[indices[i]] = 0;
    }

    // Stand-in only: built by the data block over its values.
    MDataHandle(const mayahost::BlockValues* block, unsigned int index, unsigned char* data, unsigned char* scratch,
                Kind kind)
        : block_(block), data_(data), scratch_(scratch), index_(index), kind_(kind)
    {
    }

private:
    unsigned char* at(Kind wanted) const { return kind_ == wanted ? data_ : scratch_; }

    const mayahost::BlockValues* block_;
    unsigned char* data_;
    unsigned char* scratch_;
    unsigned int index_;  // position of the attribute, or of the array for an element
    Kind kind_;
};

#undef MAYAHOST_EXPECTED
