// Nodes: creation through the type's creator, setAttr on the node's stored
// values, and connections checked against the attributes' flags.
#include "mayahost/node.h"

#include <maya/MPxNode.h>

#include <cstring>

#include "data_storage.h"
#include "registry_state.h"

namespace mayahost {

class NodeAccess {
public:
    static bool mpSafe(const MPxNode& node) { return node.mpSafe_; }
};

namespace {

using Kind = MDataHandle::Kind;

NodeType& typeOf(const NodeTypeInfo& info) { return const_cast<NodeType&>(static_cast<const NodeType&>(info)); }

// A child of a compound that cannot be written (or read) cannot be either.
bool holds(const AttributeInfo* a, bool AttributeInfo::*flag)
{
    for (; a; a = a->parent) {
        if (!(a->*flag)) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<Node> Node::create(const std::string& typeName, MStatus* status)
{
    NodeType* type = registry().findByName(typeName);
    if (!type) {
        if (status) *status = MStatus(MStatus::kNotFound, "No node type of that name");
        return nullptr;
    }
    auto* userNode = static_cast<MPxNode*>(type->creator());
    if (!userNode) {
        if (status) *status = MStatus(MStatus::kFailure, "The node type's creator returned no node");
        return nullptr;
    }
    std::unique_ptr<Node> node(new Node());
    node->type_ = type;
    node->userNode_ = userNode;
    node->values_ = std::make_unique<DataStorage>(*type, 0);
    ++type->liveNodes;
    userNode->postConstructor();
    if (status) *status = MStatus::kSuccess;
    return node;
}

Node::~Node()
{
    delete userNode_;
    --typeOf(*type_).liveNodes;
}

bool Node::isMPSafe() const { return NodeAccess::mpSafe(*userNode_); }

MStatus Node::findForGet(const std::string& longName, int kind, const AttributeInfo*& attribute) const
{
    attribute = type_->attribute(longName);
    if (!attribute) return MStatus(MStatus::kNotFound, "No attribute of that long name");
    const auto* a = static_cast<const Attribute*>(attribute);
    if (a->valueKind != static_cast<Kind>(kind))
        return MStatus(MStatus::kInvalidParameter, "Attribute holds another kind of value");
    if (a->insideArray) return MStatus(MStatus::kInvalidParameter, "Attribute lives in array elements");
    return MStatus::kSuccess;
}

MStatus Node::findForSet(const std::string& longName, int kind, const AttributeInfo*& attribute)
{
    MStatus status = findForGet(longName, kind, attribute);
    if (status && !holds(attribute, &AttributeInfo::writable))
        return MStatus(MStatus::kInvalidParameter, "Attribute is not writable");
    return status;
}

namespace {

template <class T>
MStatus setValue(DataStorage& values, MStatus found, const AttributeInfo* attribute, const T& value)
{
    if (!found) return found;
    std::memcpy(values.valueOf(static_cast<const Attribute*>(attribute)), &value, sizeof value);
    return MStatus::kSuccess;
}

template <class T>
MStatus getValue(const DataStorage& values, MStatus found, const AttributeInfo* attribute, T& value)
{
    if (!found) return found;
    std::memcpy(&value, values.valueOf(static_cast<const Attribute*>(attribute)), sizeof value);
    return MStatus::kSuccess;
}

}  // namespace

#define GLOSSY_NODE_SETTER(Name, Type, KindValue)                                   \
    MStatus Node::set##Name(const std::string& longName, Type value)                \
    {                                                                               \
        const AttributeInfo* a = nullptr;                                           \
        const MStatus found = findForSet(longName, static_cast<int>(KindValue), a); \
        return setValue(*values_, found, a, value);                                 \
    }
#define GLOSSY_NODE_GETTER(Name, Type, KindValue)                                   \
    MStatus Node::get##Name(const std::string& longName, Type& value) const         \
    {                                                                               \
        const AttributeInfo* a = nullptr;                                           \
        const MStatus found = findForGet(longName, static_cast<int>(KindValue), a); \
        return getValue(*values_, found, a, value);                                 \
    }

GLOSSY_NODE_SETTER(Float, float, Kind::kFloat)
GLOSSY_NODE_SETTER(Float3, const MFloatVector&, Kind::kFloat3)
GLOSSY_NODE_SETTER(Bool, bool, Kind::kBool)
GLOSSY_NODE_SETTER(Short, short, Kind::kShort)
GLOSSY_NODE_SETTER(Address, void*, Kind::kAddr)
GLOSSY_NODE_GETTER(Float, float, Kind::kFloat)
GLOSSY_NODE_GETTER(Float3, MFloatVector, Kind::kFloat3)
GLOSSY_NODE_GETTER(Bool, bool, Kind::kBool)
GLOSSY_NODE_GETTER(Short, short, Kind::kShort)

MStatus Node::connect(Node& source, const std::string& sourceAttribute, Node& destination,
                      const std::string& destinationAttribute)
{
    const auto* from = static_cast<const Attribute*>(source.attribute(sourceAttribute));
    const auto* to = static_cast<const Attribute*>(destination.attribute(destinationAttribute));
    if (!from || !to) return MStatus(MStatus::kNotFound, "No attribute of that long name");
    if (!holds(from, &AttributeInfo::readable))
        return MStatus(MStatus::kInvalidParameter, "Source attribute is not readable");
    if (!holds(to, &AttributeInfo::writable))
        return MStatus(MStatus::kInvalidParameter, "Destination attribute is not writable");
    if (!holds(from, &AttributeInfo::connectable) || !holds(to, &AttributeInfo::connectable))
        return MStatus(MStatus::kInvalidParameter, "Attribute is not connectable");
    if (from->valueKind != to->valueKind || from->kind != to->kind) {
        return MStatus(MStatus::kInvalidParameter, "Attributes hold different kinds of value");
    }
    if (destination.connectionInto(destinationAttribute)) {
        return MStatus(MStatus::kInvalidParameter, "Destination already has a connection");
    }
    destination.connections_.emplace_back(to, from);
    return MStatus::kSuccess;
}

const AttributeInfo* Node::connectionInto(const std::string& destinationAttribute) const
{
    const AttributeInfo* to = attribute(destinationAttribute);
    for (const auto& [destination, source] : connections_) {
        if (destination == to) return source;
    }
    return nullptr;
}

}  // namespace mayahost
