// The function set a plug-in's entry points attach to the plug-in object
// the host hands them, to register and deregister node types.
#pragma once

#include "MObject.h"
#include "MPxNode.h"
#include "MStatus.h"
#include "MString.h"
#include "MTypeId.h"

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();

class MFnPlugin {
public:
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0L);

    // Runs initFunction once, with the new type as the one being registered;
    // a type whose name or id is taken is refused with kFailure.
    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = 0);
    // Fails with kNotFound when no type of this plug-in has the id.
    MStatus deregisterNode(const MTypeId& typeId);

    const char* vendor() const { return vendor_.asChar(); }
    const char* version() const { return version_.asChar(); }
    const char* apiVersion() const { return requiredApiVersion_.asChar(); }

private:
    MObject plugin_;
    MString vendor_;
    MString version_;
    MString requiredApiVersion_;
};

// The module's entry points and version record, exported under plain names.
// A build may give PLUGIN_EXPORT its own meaning (even none) beforehand.
#ifndef PLUGIN_EXPORT
#ifdef _WIN32
#define PLUGIN_EXPORT __declspec(dllexport)
#else
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif
#endif
extern "C" {
PLUGIN_EXPORT MStatus initializePlugin(MObject obj);
PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj);
PLUGIN_EXPORT extern const char MApiVersion[];
}

// Including this header defines the API version record the host reads on
// loading. A module of several sources defines MNoVersionString in every
// source but one before including it, so the record is defined once.
#ifndef MNoVersionString
extern "C" PLUGIN_EXPORT const char MApiVersion[] = "200900";
#endif
