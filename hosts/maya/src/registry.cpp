// The process-wide registry of node types, the one state the API's calls
// share; the host program's queries of it live beside the program.
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
        raw->serial = nextSerial;
        nextSerial += kIndexStep;
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

}  // namespace mayahost
