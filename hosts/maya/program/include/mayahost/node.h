// Nodes of registered types, and the per-thread evaluation contexts through
// which a renderer shades with them.
//
//   auto node = mayahost::Node::create("glossy");        // creator + postConstructor
//   node->setFloat3("color", {0.2f, 0.4f, 0.6f});         // setAttr: writable inputs only
//   mayahost::EvaluationContext ctx(*node, 8);            // one per thread, up to 8 lights
//   ctx.setPointCamera(P); ctx.setNormalCamera(N); ctx.setRayDirection(V); ...
//   ctx.setLights(lights, count);
//   MFloatVector colour; ctx.outColor(colour);             // compute runs when dirty
//
// Per-sample calls (the render-input setters, setLights, the by-attribute
// setters, evaluate and the readers) allocate nothing and take no lock.
#pragma once

#include <maya/MDataBlock.h>
#include <maya/MFloatVector.h>
#include <maya/MStatus.h>

#include <memory>
#include <string>
#include <vector>

#include "mayahost/registry.h"

class MPxNode;

namespace mayahost {

class DataStorage;

class Node {
public:
    // Creates a node of a registered type through its creator, then calls
    // postConstructor. Null (status kNotFound or kFailure) when the type is
    // unknown or the creator returns nothing.
    static std::unique_ptr<Node> create(const std::string& typeName, MStatus* status = nullptr);
    // Destroys the plug-in's object through its virtual destructor.
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const NodeTypeInfo& type() const { return *type_; }
    MPxNode& userNode() const { return *userNode_; }
    // True once the node declared itself safe for parallel evaluation.
    bool isMPSafe() const;
    // The attribute of that long name, or null.
    const AttributeInfo* attribute(const std::string& longName) const { return type_->attribute(longName); }

    // setAttr: stores a value on the node. Refused with kInvalidParameter for
    // an attribute that is not writable or of another kind, kNotFound for an
    // unknown name. Contexts made later start from these values.
    MStatus setFloat(const std::string& longName, float value);
    MStatus setFloat3(const std::string& longName, const MFloatVector& value);
    MStatus setBool(const std::string& longName, bool value);
    MStatus setShort(const std::string& longName, short value);
    MStatus setAddress(const std::string& longName, void* value);

    // The node's stored values (defaults until set).
    MStatus getFloat(const std::string& longName, float& value) const;
    MStatus getFloat3(const std::string& longName, MFloatVector& value) const;
    MStatus getBool(const std::string& longName, bool& value) const;
    MStatus getShort(const std::string& longName, short& value) const;

    // Connects source.sourceAttribute to destination.destinationAttribute.
    // Refused with kInvalidParameter from a source that is not readable, into
    // a destination that is not writable, between different kinds, or into an
    // input that already has a connection. The stand-in records connections
    // and checks them; it carries no values along them.
    static MStatus connect(Node& source, const std::string& sourceAttribute, Node& destination,
                           const std::string& destinationAttribute);
    // The source feeding that input, or null.
    const AttributeInfo* connectionInto(const std::string& destinationAttribute) const;

private:
    friend class EvaluationContext;  // starts from the node's values
    Node() = default;
    MStatus findForSet(const std::string& longName, int kind, const AttributeInfo*& attribute);
    MStatus findForGet(const std::string& longName, int kind, const AttributeInfo*& attribute) const;

    const NodeTypeInfo* type_ = nullptr;
    MPxNode* userNode_ = nullptr;
    std::unique_ptr<DataStorage> values_;
    std::vector<std::pair<const AttributeInfo*, const AttributeInfo*>> connections_;  // (destination, source)
};

// One light of the sample, as the renderer fills an element of lightDataArray.
using LightSample = LightData;

// One thread's data block for one node. Make one per evaluating thread; each
// may evaluate the same node at the same time as the others. Keep the node
// alive while its contexts exist.
class EvaluationContext {
public:
    // Copies the node's values; room for up to maxLights light elements.
    EvaluationContext(const Node& node, unsigned int maxLights);
    ~EvaluationContext();
    EvaluationContext(const EvaluationContext&) = delete;
    EvaluationContext& operator=(const EvaluationContext&) = delete;

    // Copies the node's values again, after setAttr on the node. Everything
    // becomes dirty; the light array is emptied.
    void syncFromNode();

    // The render inputs of one sample, matched by long name as Maya's renderer
    // does. They write the block directly, as the renderer does (no
    // writability check), and make what they affect dirty. A node type
    // without one of them ignores it.
    void setPointCamera(const MFloatVector& value);
    void setNormalCamera(const MFloatVector& value);
    void setRayDirection(const MFloatVector& value);
    void setRayOrigin(const MFloatVector& value);
    void setRayDepth(short value);
    void setObjectId(const void* value);
    void setRaySampler(const void* value);
    // Fills lightDataArray with `count` elements; refused with
    // kInvalidParameter (array unchanged) above maxLights.
    MStatus setLights(const LightSample* lights, unsigned int count);

    // Any attribute, as the renderer would write it; kInvalidParameter for a
    // null attribute, one of another kind or one inside an array.
    MStatus setFloat(const AttributeInfo* attribute, float value);
    MStatus setFloat3(const AttributeInfo* attribute, const MFloatVector& value);
    MStatus setBool(const AttributeInfo* attribute, bool value);
    MStatus setShort(const AttributeInfo* attribute, short value);
    MStatus setAddress(const AttributeInfo* attribute, void* value);

    // Requests a plug: calls the node's compute when the plug is dirty and
    // returns its status; kSuccess without a call when it is clean.
    MStatus evaluate(const AttributeInfo* plug);
    // Requests outColor / outTransparency and reads the result.
    MStatus outColor(MFloatVector& value);
    MStatus outTransparency(MFloatVector& value);

    // The block's current values, without evaluating (0 for a wrong kind).
    MFloatVector float3(const AttributeInfo* attribute) const;
    float floatValue(const AttributeInfo* attribute) const;
    bool isDirty(const AttributeInfo* attribute) const;
    // How many times compute has been called through this context.
    unsigned long computeCount() const { return computeCount_; }

    MDataBlock& dataBlock() { return block_; }
    const Node& node() const { return node_; }

private:
    void setVector(const AttributeInfo* attribute, const MFloatVector& value);

    const Node& node_;
    std::unique_ptr<DataStorage> storage_;
    MDataBlock block_;
    unsigned long computeCount_ = 0;
    // Resolved once, so the per-sample setters never look up names.
    const AttributeInfo* pointCamera_ = nullptr;
    const AttributeInfo* normalCamera_ = nullptr;
    const AttributeInfo* rayDirection_ = nullptr;
    const AttributeInfo* rayOrigin_ = nullptr;
    const AttributeInfo* rayDepth_ = nullptr;
    const AttributeInfo* objectId_ = nullptr;
    const AttributeInfo* raySampler_ = nullptr;
    const AttributeInfo* lightDataArray_ = nullptr;
    const AttributeInfo* outColor_ = nullptr;
    const AttributeInfo* outTransparency_ = nullptr;
};

}  // namespace mayahost
