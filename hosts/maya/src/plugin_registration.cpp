// MFnPlugin: registering a node type runs its initialize function with the
// type as the one being registered, then lays out its data block.

// This is the host's side: the API version record belongs to plug-ins.
#define MNoVersionString
#include <maya/MFnPlugin.h>

#include "registry_state.h"

using mayahost::NodeType;
using mayahost::PluginRecord;

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char* requiredApiVersion,
                     MStatus* ReturnStatus)
    : plugin_(object), vendor_(vendor), version_(version), requiredApiVersion_(requiredApiVersion)
{
    if (ReturnStatus) {
        *ReturnStatus =
            object.isNull() ? MStatus(MStatus::kInvalidParameter, "Not a plug-in object") : MStatus(MStatus::kSuccess);
    }
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                                MInitializeFunction initFunction, MPxNode::Type type, const MString* classification)
{
    mayahost::Registry& registry = mayahost::registry();
    const auto* plugin = static_cast<const PluginRecord*>(plugin_.hostObject());
    if (!plugin) return MStatus(MStatus::kInvalidParameter, "Not a plug-in object");
    if (!creatorFunction || typeName.length() == 0) {
        return MStatus(MStatus::kInvalidParameter, "Node type needs a name and a creator");
    }
    if (registry.registering) return MStatus(MStatus::kFailure, "Another node type is being registered");
    if (registry.findByName(typeName.asChar())) return MStatus(MStatus::kFailure, "Node type name already registered");
    if (registry.findById(typeId.id())) return MStatus(MStatus::kFailure, "Node type id already registered");

    auto record = std::make_unique<NodeType>();
    record->name = typeName.asChar();
    record->id = typeId.id();
    record->kind = type;
    record->classification = classification ? classification->asChar() : "";
    record->vendor = vendor_.asChar();
    record->version = version_.asChar();
    record->requiredApiVersion = requiredApiVersion_.asChar();
    record->pluginName = plugin->name;
    record->creator = creatorFunction;
    record->plugin = plugin;

    record->firstSerial = registry.nextSerial;
    registry.registering = record.get();
    const MStatus initialized = initFunction ? initFunction() : MStatus(MStatus::kSuccess);
    registry.registering = nullptr;
    if (!initialized) return initialized;

    record->finish();
    registry.types.push_back(std::move(record));
    return MStatus::kSuccess;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId)
{
    mayahost::Registry& registry = mayahost::registry();
    NodeType* type = registry.findById(typeId.id());
    if (!type || type->plugin != plugin_.hostObject()) {
        return MStatus(MStatus::kNotFound, "No node type of this plug-in has that id");
    }
    if (type->liveNodes > 0) return MStatus(MStatus::kFailure, "Nodes of this type still exist");
    registry.remove(type);
    return MStatus::kSuccess;
}
