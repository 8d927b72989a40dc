// Plug-in loading as Maya's plug-in manager does it. A module that fails to
// load leaves nothing registered behind: its creators would point into
// unloaded code.
#include "mayahost/plugin_loader.h"

#include <hostmodule/module.h>
#include <hosttext/printable.h>
#include <maya/MString.h>

#include <iostream>

#include "registry_state.h"

namespace mayahost {
namespace {

using EntryPoint = MStatus (*)(MObject);

std::nullptr_t refuse(const std::string& path, const std::string& why, std::string* error, LoadReport report)
{
    if (report == LoadReport::StandardError)
        std::cerr << "Plug-in \"" << hosttext::printable(path) << "\" was not loaded: " << hosttext::printable(why)
                  << std::endl;
    if (error) *error = why;
    return nullptr;
}

// Drops the types a plug-in left registered; false when nodes of one live on.
bool dropTypesOf(const void* plugin)
{
    Registry& r = registry();
    for (auto& type : r.types) {
        if (type->plugin == plugin && type->liveNodes > 0) return false;
    }
    std::vector<NodeType*> leftovers;
    for (auto& type : r.types) {
        if (type->plugin == plugin) leftovers.push_back(type.get());
    }
    for (NodeType* type : leftovers) r.remove(type);
    return true;
}

}  // namespace

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(const std::string& path, std::string* error, LoadReport report)
{
    std::string why;
    void* handle = hostmodule::open(path, &why);
    if (!handle) {
        return refuse(path, why, error, report);
    }
    const auto* version = static_cast<const char*>(hostmodule::find(handle, "MApiVersion"));
    auto initialize = reinterpret_cast<EntryPoint>(hostmodule::find(handle, "initializePlugin"));
    auto uninitialize = reinterpret_cast<EntryPoint>(hostmodule::find(handle, "uninitializePlugin"));
    const char* missing = !version        ? "MApiVersion"
                          : !initialize   ? "initializePlugin"
                          : !uninitialize ? "uninitializePlugin"
                                          : nullptr;
    if (missing) {
        hostmodule::close(handle);
        return refuse(path, std::string("the module does not export ") + missing, error, report);
    }

    Registry& r = registry();
    r.plugins.push_back({path});
    MObject plugin(&r.plugins.back());
    const MStatus status = initialize(plugin);
    if (!status) {
        if (dropTypesOf(plugin.hostObject())) hostmodule::close(handle);
        return refuse(path, std::string("initializePlugin failed ") + status.errorString().asChar(), error, report);
    }

    std::unique_ptr<LoadedPlugin> loaded(new LoadedPlugin());
    loaded->handle_ = handle;
    loaded->path_ = path;
    loaded->apiVersion_ = version;
    loaded->plugin_ = plugin;
    return loaded;
}

MStatus LoadedPlugin::unload()
{
    if (!handle_) return MStatus(MStatus::kFailure, "Plug-in is not loaded");
    for (auto& type : registry().types) {
        if (type->plugin == plugin_.hostObject() && type->liveNodes > 0) {
            return MStatus(MStatus::kFailure, "Nodes of the plug-in's types still exist");
        }
    }
    auto uninitialize = reinterpret_cast<EntryPoint>(hostmodule::find(handle_, "uninitializePlugin"));
    const MStatus status = uninitialize(plugin_);
    if (!status) {
        uninitializeFailed_ = true;
        std::cerr << "Plug-in \"" << hosttext::printable(path_) << "\" stays loaded: uninitializePlugin failed "
                  << hosttext::printable(status.errorString().asChar()) << std::endl;
        return status;
    }
    dropTypesOf(plugin_.hostObject());
    hostmodule::close(handle_);
    handle_ = nullptr;
    return MStatus::kSuccess;
}

LoadedPlugin::~LoadedPlugin()
{
    if (!handle_) return;
    if (!uninitializeFailed_ && unload()) return;
    // Its uninitializePlugin already failed: close it all the same, unless
    // live nodes still need its code.
    if (dropTypesOf(plugin_.hostObject())) hostmodule::close(handle_);
}

void* LoadedPlugin::symbol(const char* name) const { return handle_ ? hostmodule::find(handle_, name) : nullptr; }

MObject staticPluginObject(const std::string& name)
{
    Registry& r = registry();
    r.plugins.push_back({name});
    return MObject(&r.plugins.back());
}

}  // namespace mayahost
