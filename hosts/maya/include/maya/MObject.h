// An opaque handle to something the host owns: an attribute, a node, a
// plug-in. Null when default-constructed; copying is free.
#pragma once

class MObject {
public:
    MObject() : object_(0) {}

    bool isNull() const { return object_ == 0; }
    bool operator==(const MObject& other) const { return object_ == other.object_; }
    bool operator!=(const MObject& other) const { return object_ != other.object_; }

    static const MObject kNullObj;

    // Stand-in only: what the handle refers to, for the host library itself.
    explicit MObject(void* object) : object_(object) {}
    void* hostObject() const { return object_; }

private:
    void* object_;
};
