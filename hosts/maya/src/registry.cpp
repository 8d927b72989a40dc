// The process-wide registry of node types and the read-only queries the host
// program and tests make of it.
#include "registry_state.h"

#include <algorithm>

namespace mayahost {

Registry& registry()
{
    static Registry instance;
    return instance;
}

NodeType* Registry::findByName(const std::string& name)
{
    for (auto& type : types) {
        if (type->name == name) return type.get();
    }
    return nullptr;
}

NodeType* Registry::findById(unsigned int id)
{
    for (auto& type : types) {
        if (type->id == id) return type.get();
    }
    return nullptr;
}

Attribute* Registry::newAttribute()
{
    auto attribute = std::make_unique<Attribute>();
    Attribute* raw = attribute.get();
    if (registering) {
        raw->owner = registering;
        raw->index = static_cast<unsigned int>(registering->created.size());
        registering->owned.push_back(std::move(attribute));
        registering->created.push_back(raw);
    } else {
        strayAttributes.push_back(std::move(attribute));
    }
    return raw;
}

void Registry::remove(NodeType* type)
{
    types.erase(std::remove_if(types.begin(), types.end(),
                               [type](const std::unique_ptr<NodeType>& t) { return t.get() == type; }),
                types.end());
}

const AttributeInfo* NodeTypeInfo::attribute(const std::string& longName) const
{
    for (const AttributeInfo* a : created) {
        if (a->longName == longName && static_cast<const Attribute*>(a)->member) return a;
    }
    return nullptr;
}

std::vector<const NodeTypeInfo*> registeredNodeTypes()
{
    std::vector<const NodeTypeInfo*> list;
    for (auto& type : registry().types) list.push_back(type.get());
    return list;
}

const NodeTypeInfo* findNodeType(const std::string& name) { return registry().findByName(name); }

MObject attributeObject(const AttributeInfo* attribute)
{
    return attribute ? objectOf(static_cast<const Attribute*>(attribute)) : MObject();
}

bool affects(const NodeTypeInfo& type, const AttributeInfo* input, const AttributeInfo* output)
{
    return std::find(type.affects.begin(), type.affects.end(), std::make_pair(input, output)) != type.affects.end();
}

}  // namespace mayahost
