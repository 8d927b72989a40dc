// The one registry per process: node types, the type being registered,
// plug-in records and attributes made outside any registration.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "attribute.h"

namespace mayahost {

struct Registry {
    std::vector<std::unique_ptr<NodeType>> types;
    NodeType* registering = nullptr;
    std::deque<PluginRecord> plugins;
    std::vector<std::unique_ptr<Attribute>> strayAttributes;

    NodeType* findByName(const std::string& name);
    NodeType* findById(unsigned int id);
    // A new attribute, owned by the type being registered when there is one.
    Attribute* newAttribute();
    // Drops a type; the caller checked that no node of it is alive.
    void remove(NodeType* type);
};

Registry& registry();

// True when an injected fault makes `call` on `longName` fail; sets *status.
bool faultInjected(const char* call, const std::string& longName, MStatus* status);

}  // namespace mayahost
