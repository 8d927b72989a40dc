// Shader library loading: the library is opened, told the renderer core's
// module handle, and its version compared with the declaration before any
// shader call, as the renderer does it.
#include "mrhost/shader_library.h"

#include <dlfcn.h>

#include <cstdio>

namespace mrhost {

void* coreModuleHandle()
{
    // The core is this very library: find its file from one of its own
    // functions and take a handle to the already loaded module.
    static void* const handle = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&mi_phen_eval), &info) == 0 || info.dli_fname == nullptr) {
            return static_cast<void*>(nullptr);
        }
        return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    }();
    return handle;
}

ShaderLibrary::ShaderLibrary(const std::string& path, const ShaderDeclaration& declaration)
{
    // Symbols are looked up by C string: a name it cannot hold whole would
    // find other symbols than the declaration names.
    if (declaration.name.empty() || declaration.name.find('\0') != std::string::npos) {
        throw ShaderLoadError("cannot load shader library " + path +
                              ": the declared shader name is empty or holds a zero byte");
    }
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
        const char* why = dlerror();
        throw ShaderLoadError("cannot load shader library " + path + ": " + (why != nullptr ? why : "unknown error"));
    }
    // A library that binds nothing at run time has no miSetModuleHandle.
    using SetHandle = void (*)(void*);
    if (auto setHandle = reinterpret_cast<SetHandle>(symbol("miSetModuleHandle"))) {
        setHandle(coreModuleHandle());
    }

    const std::string versionName = declaration.name + "_version";
    using Version = int (*)();
    if (auto versionOf = reinterpret_cast<Version>(symbol(versionName.c_str()))) {
        version_ = versionOf();
        if (version_ != declaration.version) {
            dlclose(module_);
            throw ShaderLoadError(path + ": " + versionName + " returns " + std::to_string(version_) +
                                  " but the declaration is version " + std::to_string(declaration.version));
        }
    } else {
        // A missing version function is only worth a warning to the renderer.
        std::fprintf(stderr, "warning: %s has no %s\n", path.c_str(), versionName.c_str());
        version_ = declaration.version;
    }

    shader_ = reinterpret_cast<ShaderFunction>(symbol(declaration.name.c_str()));
    if (shader_ == nullptr) {
        dlclose(module_);
        throw ShaderLoadError(path + " does not export the shader " + declaration.name);
    }
}

ShaderLibrary::~ShaderLibrary() { dlclose(module_); }

void* ShaderLibrary::symbol(const char* name) const { return dlsym(module_, name); }

}  // namespace mrhost
