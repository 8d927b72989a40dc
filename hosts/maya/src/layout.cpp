// Where each attribute's value lives in a data block, and which outputs a
// change makes dirty. Worked out once, when a type's initialize is done, so
// nothing on the per-sample path has to search.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "attribute.h"

namespace mayahost {
namespace {

unsigned int alignUp(unsigned int value, unsigned int align) { return (value + align - 1) / align * align; }

// Room for a value of any kind: the scratch value that ends the record and
// every array element.
constexpr unsigned int kScratchSize = 16;
constexpr unsigned int kScratchAlign = alignof(void*);
static_assert(sizeof(MFloatVector) <= kScratchSize && sizeof(void*) <= kScratchSize);
// A place finds an attribute's row and its entry in the type's values alike.
static_assert(sizeof(BlockValue) == sizeof(ValueRow));

// Size, alignment and kind of one value (an array's element, for an array).
void layoutValue(Attribute& a)
{
    using Kind = MDataHandle::Kind;
    if (a.kind == AttributeKind::kFloatTriple) {
        a.valueKind = Kind::kFloat3;
        a.size = sizeof(MFloatVector);
        a.align = alignof(MFloatVector);
        for (std::size_t i = 0; i < a.children.size(); ++i) {
            Attribute& c = *const_cast<Attribute*>(a.child(i));
            layoutValue(c);
            c.offset = static_cast<unsigned int>(i * sizeof(float));
        }
        return;
    }
    if (a.kind == AttributeKind::kLightData) {
        a.valueKind = Kind::kCompound;
        unsigned int offset = 0;
        unsigned int align = 1;
        for (std::size_t i = 0; i < a.children.size(); ++i) {
            Attribute& c = *const_cast<Attribute*>(a.child(i));
            layoutValue(c);
            offset = alignUp(offset, c.align);
            c.offset = offset;
            offset += c.size;
            align = std::max(align, c.align);
        }
        a.size = alignUp(std::max(offset, 1u), align);
        a.align = align;
        return;
    }
    switch (a.numericType) {
    case MFnNumericData::kBoolean:
        a.valueKind = Kind::kBool;
        a.size = sizeof(bool);
        a.align = alignof(bool);
        break;
    case MFnNumericData::kShort:
        a.valueKind = Kind::kShort;
        a.size = sizeof(short);
        a.align = alignof(short);
        break;
    case MFnNumericData::kFloat:
        a.valueKind = Kind::kFloat;
        a.size = sizeof(float);
        a.align = alignof(float);
        break;
    case MFnNumericData::kAddr:
        a.valueKind = Kind::kAddr;
        a.size = sizeof(void*);
        a.align = alignof(void*);
        break;
    default:
        a.valueKind = Kind::kNone;
        a.size = 0;
        a.align = 1;
        break;
    }
}

void collect(const NodeType* type, Attribute* a, std::vector<Attribute*>& members)
{
    // Only the type's own attributes have an index its blocks can hold.
    if (a->member || a->owner != type) return;
    a->member = true;
    members.push_back(a);
    for (std::size_t i = 0; i < a->children.size(); ++i) collect(type, const_cast<Attribute*>(a->child(i)), members);
}

void placeDescendants(Attribute& a, bool insideArray)
{
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        Attribute& c = *const_cast<Attribute*>(a.child(i));
        c.insideArray = insideArray;
        c.absoluteOffset = a.absoluteOffset + c.offset;
        placeDescendants(c, insideArray);
    }
}

// The row of a value no read of any kind finds: all reach `scratch`.
ValueRow noneRow(unsigned int scratch)
{
    ValueRow row{};
    for (int& at : row.at) at = static_cast<int>(scratch);
    return row;
}

// Fills row `at` for the value of `a` at `offset` from the base, and appends
// the tables of its children and theirs. A children's table covers the
// indices from the first child's to the last's; the indices between that are
// not children, and the entry after the last, are the place of none.
void placeRow(std::vector<ValueRow>& rows, std::size_t at, const Attribute& a, unsigned int offset,
              unsigned int scratch, unsigned int firstSerial)
{
    rows[at] = noneRow(scratch);
    if (a.valueKind >= kFloat && a.valueKind <= kFloat3) rows[at].at[a.valueKind - kFloat] = static_cast<int>(offset);
    if (a.children.empty()) return;
    unsigned int first = a.child(0)->index;
    unsigned int last = first;
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        first = std::min(first, a.child(i)->index);
        last = std::max(last, a.child(i)->index);
    }
    const std::size_t table = rows.size();
    rows.resize(table + (last - first + 1) + 1, noneRow(scratch));
    rows[at].childFirst = firstSerial + first * kIndexStep;
    rows[at].childEnd = (last - first + 1) * kIndexStep;
    rows[at].children = static_cast<int>((table - at) * sizeof(ValueRow));
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        const Attribute& c = *a.child(i);
        placeRow(rows, table + (c.index - first), c, offset + c.offset, scratch, firstSerial);
    }
}

// The flags at `indices` in groups of four neighbours, each group from the
// lowest flag not yet in one; every byte of `keep` but the flags' is 0xFF.
std::vector<CleanGroup> groupFlags(std::vector<unsigned int> indices)
{
    std::sort(indices.begin(), indices.end());
    std::vector<CleanGroup> groups;
    for (std::size_t i = 0; i < indices.size();) {
        unsigned char keep[sizeof(unsigned int)];
        std::memset(keep, 0xFF, sizeof keep);
        const unsigned int at = indices[i];
        for (; i < indices.size() && indices[i] - at < sizeof keep; ++i) keep[indices[i] - at] = 0;
        CleanGroup group{at, 0};
        std::memcpy(&group.keep, keep, sizeof keep);
        groups.push_back(group);
    }
    return groups;
}

void addFamily(const Attribute& a, std::vector<unsigned int>& out, bool up, bool down)
{
    out.push_back(a.index);
    if (down) {
        for (std::size_t i = 0; i < a.children.size(); ++i) addFamily(*a.child(i), out, false, true);
    }
    if (up && a.parent) addFamily(*a.parentAttribute(), out, true, false);
}

}  // namespace

void NodeType::finish()
{
    // The added attributes, their descendants and their ancestors.
    for (const AttributeInfo* info : added) {
        const Attribute* top = static_cast<const Attribute*>(info);
        while (top->parent) top = top->parentAttribute();
        collect(this, const_cast<Attribute*>(top), members);
    }

    // Top-level values share the record; an array holds its elements apart.
    // The record and every element end in a scratch value, where the reads
    // that find no value of their kind land.
    unsigned int offset = 0;
    for (Attribute* a : members) {
        if (a->parent) continue;
        layoutValue(*a);
        if (a->array) {
            a->insideArray = true;
            a->arraySlot = static_cast<int>(arrays.size());
            a->elementSize = alignUp(alignUp(a->size, kScratchAlign) + kScratchSize, a->align);
            arrays.push_back(a);
            a->absoluteOffset = 0;
            placeDescendants(*a, true);
            continue;
        }
        offset = alignUp(offset, a->align);
        a->offset = offset;
        a->absoluteOffset = offset;
        offset += a->size;
        placeDescendants(*a, false);
    }
    const unsigned int scratch = alignUp(offset, kScratchAlign);
    recordSize = alignUp(scratch + kScratchSize, alignof(std::max_align_t));

    // The rows of the first table, at each index: a value outside arrays
    // from the record; every other attribute, and the entry after the last,
    // reach the record's scratch and have no children.
    const auto count = static_cast<unsigned int>(created.size());
    rows.assign(count + 1, noneRow(scratch));
    values.assign(count + 1, BlockValue{kNone, kNoIndex, kNoIndex, 0, 0, 0, {0, 0}});
    for (const Attribute* a : members) {
        BlockValue& value = values[a->index];
        if (a->arraySlot >= 0) value.arrayAt = static_cast<unsigned int>(a->arraySlot * sizeof(ArrayValues));
        if (a->insideArray || a->valueKind == kNone) continue;
        value.kind = a->valueKind;
        value.self = a->index * kIndexStep;
        placeRow(rows, a->index, *a, a->absoluteOffset, scratch, firstSerial);
    }
    // An element's row, from the element's start, reaches its scratch.
    for (const Attribute* a : arrays) {
        values[a->index].elementRow = static_cast<unsigned int>(rows.size() * sizeof(ValueRow));
        rows.push_back(noneRow(0));
        placeRow(rows, rows.size() - 1, *a, 0, a->elementSize - kScratchSize, firstSerial);
    }

    // A change to an attribute is a change to its ancestors and descendants
    // too; every output any of them affects, with that output's family,
    // becomes dirty.
    for (Attribute* a : members) {
        std::vector<unsigned int> changed;
        addFamily(*a, changed, true, true);
        for (const auto& [input, output] : affects) {
            const Attribute* in = static_cast<const Attribute*>(input);
            if (!in->member || !static_cast<const Attribute*>(output)->member) continue;
            if (std::find(changed.begin(), changed.end(), in->index) == changed.end()) continue;
            addFamily(*static_cast<const Attribute*>(output), a->dirtiesOnSet, true, true);
        }
        std::sort(a->dirtiesOnSet.begin(), a->dirtiesOnSet.end());
        a->dirtiesOnSet.erase(std::unique(a->dirtiesOnSet.begin(), a->dirtiesOnSet.end()), a->dirtiesOnSet.end());
        addFamily(*a, a->cleansOnSet, false, true);
    }
    for (const Attribute* a : members) {
        const std::vector<CleanGroup> groups = groupFlags(a->cleansOnSet);
        values[a->index].cleanFirst = static_cast<unsigned int>(cleans.size());
        values[a->index].cleanCount = static_cast<unsigned int>(groups.size());
        cleans.insert(cleans.end(), groups.begin(), groups.end());
    }
}

}  // namespace mayahost
