// The host's own record of an attribute and of a node type: the public
// description plus where each value lives in a data block and which outputs
// a change makes dirty. Internal to the stand-in.
#pragma once

#include <maya/MDataHandle.h>
#include <maya/MObject.h>

#include <memory>
#include <vector>

#include "mayahost/registry.h"

namespace mayahost {

struct NodeType;

// An attribute's handle (MObject) points at its record and carries its serial.
struct Attribute : AttributeInfo {
    NodeType* owner = nullptr;  // the type being registered when it was made; null outside
    bool member = false;        // part of the finished type's data layout
    // Position among the attributes its type made, fixed when it is made:
    // the type's tables and dirty flags hold the attribute's entry there.
    // kNoIndex for an attribute made outside any registration.
    unsigned int index = kNoIndex;
    // The index its handles carry, unique across every node type: the
    // type's first serial plus `index` steps of kIndexStep. 0 (no
    // attribute's) outside any registration, so a data block finds nothing by it.
    unsigned int serial = 0;

    // Layout. `offset` is relative to the parent's value (for children), to
    // an array element (for children of an array), or to the block's record.
    ValueKind valueKind = kNone;
    unsigned int size = 0;
    unsigned int align = 1;
    unsigned int offset = 0;
    unsigned int absoluteOffset = 0;  // in the block's record, outside arrays
    bool insideArray = false;         // has an array ancestor (or is one)
    int arraySlot = -1;               // arrays: which of the block's arrays holds the elements
    unsigned int elementSize = 0;     // arrays: an element's stride, its scratch value included

    std::vector<unsigned int> dirtiesOnSet;  // attribute indices a change makes dirty
    std::vector<unsigned int> cleansOnSet;   // indices setClean clears: itself and descendants

    Attribute* parentAttribute() const { return const_cast<Attribute*>(static_cast<const Attribute*>(parent)); }
    const Attribute* child(std::size_t i) const { return static_cast<const Attribute*>(children[i]); }
};

inline Attribute* attributeOf(const MObject& object) { return static_cast<Attribute*>(object.hostObject()); }
inline MObject objectOf(const Attribute* attribute)
{
    return MObject(const_cast<Attribute*>(attribute), attribute->serial);
}

struct PluginRecord {
    std::string name;
};

struct NodeType : NodeTypeInfo {
    void* (*creator)() = nullptr;
    const PluginRecord* plugin = nullptr;
    std::vector<std::unique_ptr<Attribute>> owned;  // every attribute made while registering
    std::vector<Attribute*> members;                // laid-out attributes
    std::vector<Attribute*> arrays;                 // by arraySlot
    unsigned int firstSerial = 0;                   // the serial of the first attribute it made
    unsigned int recordSize = 0;
    // Where handles' reads land: one row per index of `created` and one more,
    // the place of no attribute; then the children's tables and the arrays'
    // element rows. Beside the first rows, what else a block looks up by
    // index, and the groups of dirty flags setClean clears, every attribute's.
    std::vector<ValueRow> rows;
    std::vector<BlockValue> values;
    std::vector<CleanGroup> cleans;
    int liveNodes = 0;

    // Lays out the data block and the dirty relation once initialize is done.
    void finish();
};

}  // namespace mayahost
