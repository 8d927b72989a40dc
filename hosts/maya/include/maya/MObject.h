// An opaque handle to something the host owns: an attribute, a node, a
// plug-in. Null when default-constructed; copying is free.
#pragma once

class MObject {
public:
    MObject() : object_(0), index_(0) {}

    bool isNull() const { return object_ == 0; }
    bool operator==(const MObject& other) const { return object_ == other.object_; }
    bool operator!=(const MObject& other) const { return object_ != other.object_; }

    static const MObject kNullObj;

    // Stand-in only: what the handle refers to, for the host library itself,
    // and for an attribute its index, by which a data block finds the
    // attribute's value. Indices are unique across every node type, and 0 is
    // no attribute's: a null handle, or one of a node or a plug-in, finds
    // nothing.
    explicit MObject(void* object, unsigned int index = 0) : object_(object), index_(index) {}
    void* hostObject() const { return object_; }
    unsigned int hostIndex() const { return index_; }

private:
    void* object_;
    unsigned int index_;
};
