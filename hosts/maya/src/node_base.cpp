// MPxNode's own behaviour and its static calls on the type being registered.
#include <maya/MObject.h>
#include <maya/MPxNode.h>

#include <algorithm>

#include "registry_state.h"

using mayahost::Attribute;

const MObject MObject::kNullObj;

MPxNode::MPxNode() : mpSafe_(false) {}
MPxNode::~MPxNode() = default;
void MPxNode::postConstructor() {}

MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MStatus::kUnknownParameter; }

void MPxNode::setMPSafe(bool flag) { mpSafe_ = flag; }

namespace {

// The attribute, when it was made while registering the current type.
Attribute* ownAttribute(const MObject& object)
{
    Attribute* a = mayahost::attributeOf(object);
    mayahost::NodeType* type = mayahost::registry().registering;
    return (a && type && a->owner == type) ? a : nullptr;
}

}  // namespace

MStatus MPxNode::addAttribute(const MObject& attr)
{
    mayahost::NodeType* type = mayahost::registry().registering;
    if (!type) return MStatus(MStatus::kFailure, "No node type is being registered");
    Attribute* a = ownAttribute(attr);
    if (!a) return MStatus(MStatus::kInvalidParameter, "Attribute was not made for this node type");
    for (const mayahost::AttributeInfo* other : type->added) {
        if (other == a) return MStatus(MStatus::kInvalidParameter, "Attribute already added");
        if (other->longName == a->longName || other->shortName == a->shortName) {
            return MStatus(MStatus::kInvalidParameter, "Attribute name already in use");
        }
    }
    type->added.push_back(a);
    return MStatus::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected)
{
    mayahost::NodeType* type = mayahost::registry().registering;
    if (!type) return MStatus(MStatus::kFailure, "No node type is being registered");
    Attribute* input = ownAttribute(whenChanges);
    Attribute* output = ownAttribute(isAffected);
    if (!input || !output) return MStatus(MStatus::kInvalidParameter, "Attribute was not made for this node type");
    type->affects.emplace_back(input, output);
    return MStatus::kSuccess;
}
