// A reference to one value in a data block. The accessors return references
// into the block: assigning through asFloatVector() writes an output. A handle
// to nothing, or an accessor of the wrong kind, reaches a scratch value of the
// block instead, so a mistaken read is harmless and never crashes.
// Everything here is inline and allocation-free: it is the per-sample path.
#pragma once

#include "MFloatVector.h"
#include "MObject.h"
#include "MStatus.h"

#include <cstring>

#if defined(__GNUC__)
#define MAYAHOST_EXPECTED(condition) __builtin_expect((condition), 1)
// Keeps a branch that is rarely taken a branch: as a conditional move, every
// lookup would wait for its comparison before it could load the row.
#define MAYAHOST_RARELY_TAKEN() __asm__ volatile("")
#else
#define MAYAHOST_EXPECTED(condition) (condition)
#define MAYAHOST_RARELY_TAKEN()
#endif

namespace mayahost {

// Stand-in only: what kind of value a handle refers to.
enum ValueKind { kNone, kFloat, kShort, kBool, kAddr, kFloat3, kCompound };

// Stand-in only: the position of no attribute, which a handle to none holds.
const unsigned int kNoIndex = 0xFFFFFFFFu;

// Stand-in only: where the accessors and child() of a handle to one value
// land. A handle holds a base (the block's record, or one array element) and
// its attribute's row; every offset is from that base. A read of the value's
// own kind lands on the value, a read of any other kind on the scratch value
// kept after the record and after every element, so no accessor compares a
// kind. A row's children are found in a table of their own, which holds its
// parent's children at their indices and the place of none after them: one
// range check finds a child, and no other attribute's value.
struct ValueRow {
    int at[kFloat3 - kFloat + 1];  // by kind, from kFloat: where a read of that kind lands
    unsigned int childFirst;       // index of the first attribute the children's table covers
    unsigned int childEnd;         // from that index to the index of the table's place of none
    int children;                  // from this row to that table, in bytes
};

// Stand-in only: the step between the indices of two attributes made one
// after the other: a row, so that the difference of two indices is the
// distance between their rows and finding a row multiplies nothing.
const unsigned int kIndexStep = sizeof(ValueRow);

// Stand-in only: what the data block looks up beside the rows, when it is
// asked for more than a value. One entry per attribute the type made, and
// one more, the place of no attribute; as large as a row, so that where a
// row is finds its entry too. Places are in bytes.
struct BlockValue {
    ValueKind kind;           // of the value outside arrays; kNone inside an array or for no value
    unsigned int self;        // the place a handle to that value carries (its row's); kNoIndex for kNone
    unsigned int arrayAt;     // arrays: the place of the block's ArrayValues for them; kNoIndex otherwise
    unsigned int elementRow;  // arrays: the place of an element's row among the type's rows
    unsigned int cleanFirst;  // the first of the groups of dirty flags setClean clears
    unsigned int cleanCount;  // how many groups: none for an attribute the type never added
    unsigned int unused[2];
};

// Stand-in only: up to four neighbouring dirty flags cleared with one store:
// of the four flags from `at` on, those whose byte of `keep` is zero.
struct CleanGroup {
    unsigned int at;
    unsigned int keep;
};

// Stand-in only: the elements of one array attribute in a data block. Each
// element ends in its own scratch value; after the last one the array has
// room for, a spare element holds no element's values.
struct ArrayValues {
    ArrayValues() : elements(0), spare(0), elementSize(0), count(0), capacity(0) {}

    unsigned char* elements;
    unsigned char* spare;
    unsigned int elementSize;  // the stride, scratch included
    unsigned int count;
    unsigned int capacity;
};

// Stand-in only: what a data block and its handles share. `rows`, `values`
// and `cleans` are the type's tables (the first count + 1 rows and the
// `values` by the attribute's place, the place of none last), the rest this
// block's memory.
struct BlockValues {
    BlockValues() : rows(0), values(0), cleans(0), first(0), end(0), record(0), dirty(0), arrays(0) {}

    // Where the row of the attribute with this index is, in bytes from the
    // first, or `end`, the row of no attribute. Every attribute's index is
    // unique across node types and a type's attributes hold the indices from
    // `first` on, a row apart: one subtraction and one unsigned comparison
    // tell this type's attribute from any other, and from a null handle
    // (index 0, which no attribute has). No call on the way: one would make
    // the compiler reload the block's pointers after every lookup.
    unsigned int find(unsigned int index) const
    {
        const unsigned int at = index - first;
        if (MAYAHOST_EXPECTED(at < end)) return at;
        MAYAHOST_RARELY_TAKEN();
        return end;
    }
    const ValueRow* row(unsigned int at) const
    {
        return reinterpret_cast<const ValueRow*>(reinterpret_cast<const char*>(rows) + at);
    }
    const BlockValue& value(unsigned int at) const
    {
        return *reinterpret_cast<const BlockValue*>(reinterpret_cast<const char*>(values) + at);
    }
    ArrayValues& array(unsigned int at) const
    {
        return *reinterpret_cast<ArrayValues*>(reinterpret_cast<char*>(arrays) + at);
    }

    const ValueRow* rows;
    const BlockValue* values;
    const CleanGroup* cleans;
    unsigned int first;  // index of the type's first attribute
    unsigned int end;    // the place of none: a row per attribute of the type, in bytes
    unsigned char* record;
    unsigned char* dirty;
    ArrayValues* arrays;
};

// Stand-in only: what a handle made by no data block refers to: a row of
// none, with no children, over a scratch value of the host's own.
struct NoValue {
    static const ValueRow row;
    static unsigned char scratch[16];
};

}  // namespace mayahost

class MDataHandle {
public:
    typedef mayahost::ValueKind Kind;

    MDataHandle()
        : block_(0), base_(mayahost::NoValue::scratch), row_(&mayahost::NoValue::row), index_(mayahost::kNoIndex)
    {
    }

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
        const unsigned int index = attribute.hostIndex();
        unsigned int at = index - row_->childFirst;
        const bool found = MAYAHOST_EXPECTED(at < row_->childEnd);
        if (!found) at = row_->childEnd;
        const char* const table = reinterpret_cast<const char*>(row_) + row_->children;
        // Only setClean reads the position; the compiler drops it elsewhere.
        return MDataHandle(block_, base_, reinterpret_cast<const mayahost::ValueRow*>(table + at),
                           found ? index - block_->first : mayahost::kNoIndex);
    }
    // Marks the value computed: clean, with its children.
    void setClean()
    {
        if (index_ == mayahost::kNoIndex) return;
        const mayahost::BlockValue& value = block_->value(index_);
        // Held in locals: a store through unsigned char may alias anything,
        // so the compiler would otherwise reload them for every group.
        unsigned char* const dirty = block_->dirty;
        const mayahost::CleanGroup* const groups = block_->cleans + value.cleanFirst;
        const unsigned int count = value.cleanCount;
        for (unsigned int i = 0; i < count; ++i) {
            unsigned int flags;
            std::memcpy(&flags, dirty + groups[i].at, sizeof flags);
            flags &= groups[i].keep;
            std::memcpy(dirty + groups[i].at, &flags, sizeof flags);
        }
    }

    // Stand-in only: built by the data block over its values. `index` is the
    // place of the attribute setClean cleans, or kNoIndex for none.
    MDataHandle(const mayahost::BlockValues* block, unsigned char* base, const mayahost::ValueRow* row,
                unsigned int index)
        : block_(block), base_(base), row_(row), index_(index)
    {
    }

private:
    unsigned char* at(Kind kind) const { return base_ + row_->at[kind - mayahost::kFloat]; }

    const mayahost::BlockValues* block_;  // null for a handle made by no block
    unsigned char* base_;
    const mayahost::ValueRow* row_;
    unsigned int index_;  // place of the attribute, or of the array for an element
};

#undef MAYAHOST_EXPECTED
#undef MAYAHOST_RARELY_TAKEN
