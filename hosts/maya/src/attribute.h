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

// ValueSlot comes first, so an MObject's address of the record is also the
// address of its slot.
struct Attribute : ValueSlot, AttributeInfo {
    NodeType* owner = nullptr;  // the type being registered when it was made; null outside
    bool member = false;        // part of the finished type's data layout

    // Layout (with the ValueSlot fields). `offset` is relative to the parent's
    // value (for children), to an array element (for children of an array),
    // or to the block's record.
    unsigned int size = 0;
    unsigned int align = 1;
    bool insideArray = false;  // has an array ancestor (or is one)
    unsigned int index = 0;    // position in the type's attribute list

    std::vector<unsigned int> dirtiesOnSet;  // attribute indices a change makes dirty
    std::vector<unsigned int> cleansOnSet;   // indices setClean clears: itself and descendants

    Attribute* parentAttribute() const { return const_cast<Attribute*>(static_cast<const Attribute*>(parent)); }
    const Attribute* child(std::size_t i) const { return static_cast<const Attribute*>(children[i]); }
};

inline Attribute* attributeOf(const MObject& object) { return static_cast<Attribute*>(object.hostObject()); }
inline MObject objectOf(const Attribute* attribute) { return MObject(const_cast<Attribute*>(attribute)); }

struct PluginRecord {
    std::string name;
};

struct NodeType : NodeTypeInfo {
    void* (*creator)() = nullptr;
    const PluginRecord* plugin = nullptr;
    std::vector<std::unique_ptr<Attribute>> owned;  // every attribute made while registering
    std::vector<Attribute*> members;                // laid-out attributes, by index
    std::vector<Attribute*> arrays;                 // by arraySlot
    unsigned int recordSize = 0;
    int liveNodes = 0;

    // Lays out the data block and the dirty relation once initialize is done.
    void finish();
};

}  // namespace mayahost
