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
    // The serial the next attribute made while registering gets. Types
    // register one at a time, so each type's serials are one run, kIndexStep
    // apart. 0 is kept for no attribute.
    unsigned int nextSerial = 1;

    NodeType* findByName(const std::string& name);
    NodeType* findById(unsigned int id);
    // A new attribute, owned by the type being registered when there is one.
    Attribute* newAttribute();
    // Drops a type; the caller checked that no node of it is alive.
    void remove(NodeType* type);
};

Registry& registry();

// Asked before every attribute call: true (with *status set) makes `call` on
// the attribute `longName` fail and change nothing. Not thread-safe: set it
// before plug-ins load.
using AttributeCallHook = bool (*)(const char* call, const std::string& longName, MStatus* status);
void setAttributeCallHook(AttributeCallHook hook);

// True when the installed hook makes `call` on `longName` fail; sets *status.
bool faultInjected(const char* call, const std::string& longName, MStatus* status);

}  // namespace mayahost
