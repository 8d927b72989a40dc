// Where each attribute's value lives in a data block, and which outputs a
// change makes dirty. Worked out once, when a type's initialize is done, so
// nothing on the per-sample path has to search.
#include <algorithm>
#include <cstddef>

#include "attribute.h"

namespace mayahost {
namespace {

unsigned int alignUp(unsigned int value, unsigned int align) { return (value + align - 1) / align * align; }

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
    unsigned int offset = 0;
    for (Attribute* a : members) {
        if (a->parent) continue;
        layoutValue(*a);
        if (a->array) {
            a->insideArray = true;
            a->arraySlot = static_cast<int>(arrays.size());
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
    recordSize = alignUp(std::max(offset, 1u), alignof(std::max_align_t));
    // Each member's place at its index; the others, and the entry after the
    // last, have none.
    const unsigned int none = static_cast<unsigned int>(created.size());
    places.assign(created.size() + 1, BlockValue{0, kNone, none, kNoIndex, 0, kNone, -1, 0});
    for (const Attribute* a : members) {
        const bool direct = !a->insideArray && a->valueKind != kNone;
        BlockValue& place = places[a->index];
        place.offset = direct ? a->absoluteOffset : 0;
        place.kind = direct ? a->valueKind : kNone;
        // A handle to no value has no children: inside an array, a child's
        // offset from the record would reach another value or past the end.
        place.self = direct ? a->index : none;
        place.parent = a->parent ? a->parentAttribute()->index : kNoIndex;
        place.childOffset = a->parent ? a->offset : 0;
        place.childKind = a->valueKind;
        place.arraySlot = a->arraySlot;
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
    cleans.assign(created.size(), CleanList{nullptr, 0});
    for (const Attribute* a : members) {
        cleans[a->index] = CleanList{a->cleansOnSet.data(), static_cast<unsigned int>(a->cleansOnSet.size())};
    }
}

}  // namespace mayahost
