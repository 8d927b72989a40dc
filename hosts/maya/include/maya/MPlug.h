// A node's attribute as a point of connection; compute receives the plug
// that was requested and compares it with its attribute handles.
#pragma once

#include "MObject.h"

class MPlug {
public:
    MPlug() {}
    MPlug(const MObject& node, const MObject& attribute) : node_(node), attribute_(attribute) {}

    MObject node() const { return node_; }
    MObject attribute() const { return attribute_; }
    bool isNull() const { return attribute_.isNull(); }

    // True when the plug is that attribute.
    bool operator==(const MObject& attribute) const { return attribute_ == attribute; }
    bool operator!=(const MObject& attribute) const { return !(*this == attribute); }
    bool operator==(const MPlug& other) const { return node_ == other.node_ && attribute_ == other.attribute_; }

private:
    MObject node_;
    MObject attribute_;
};
