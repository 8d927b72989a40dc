// Loads plug-in modules the way Maya's plug-in manager does: open, read
// MApiVersion, call initializePlugin with a plug-in object; on unload call
// uninitializePlugin, then close. Loading and unloading are not
// thread-safe: do them before rendering starts and after it ends.
#pragma once

#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <memory>
#include <string>

namespace mayahost {

// Where a failed load is reported: on standard error as Maya's plug-in
// manager does, or only to a caller that reports it once in its own words.
enum class LoadReport { StandardError, CallerOnly };

class LoadedPlugin {
public:
    // Loads the module at `path`. On failure (the module does not open, lacks
    // MApiVersion or an entry point, or initializePlugin fails) returns null,
    // writes why to *error (when given) and, unless told CallerOnly, to
    // standard error, and leaves the module unloaded.
    static std::unique_ptr<LoadedPlugin> load(const std::string& path, std::string* error = nullptr,
                                              LoadReport report = LoadReport::StandardError);

    // Unloads a module that is still loaded (quietly closing it if its
    // uninitializePlugin already failed).
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Calls uninitializePlugin and, when it succeeds, closes the module. When
    // it fails the module stays loaded, as in Maya, and its status is returned.
    MStatus unload();

    bool isLoaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    // The module's MApiVersion text.
    const std::string& apiVersion() const { return apiVersion_; }
    // The plug-in object handed to the entry points.
    MObject pluginObject() const { return plugin_; }
    // An export of the loaded module, or null.
    void* symbol(const char* name) const;

private:
    LoadedPlugin() = default;

    void* handle_ = nullptr;
    std::string path_;
    std::string apiVersion_;
    MObject plugin_;
    bool uninitializeFailed_ = false;
};

// A plug-in object for code linked into the program itself (tests), so it can
// call MFnPlugin directly. The object lives until the process ends.
MObject staticPluginObject(const std::string& name);

}  // namespace mayahost
