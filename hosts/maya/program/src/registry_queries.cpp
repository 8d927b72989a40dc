// The read-only queries the host program and tests make of the registry.
#include <algorithm>

#include "registry_state.h"

namespace mayahost {

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
