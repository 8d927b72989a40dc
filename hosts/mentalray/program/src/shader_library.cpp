// Shader library loading: the library is opened, told the renderer core's
// module handle on Windows, and its version compared with the declaration
// before any shader call, as the renderer does it. Elsewhere the library is
// told nothing: it finds the six functions in the program's global scope,
// where this library sits as one the program was linked with.
#include "mrhost/shader_library.h"

#include <hostmodule/module.h>
#include <hosttext/printable.h>

#include <cstdio>

namespace mrhost {

void* coreModuleHandle()
{
    // The core is this very library: the loaded module holding one of its
    // own functions.
    static void* const handle = hostmodule::containing(reinterpret_cast<const void*>(&mi_phen_eval));
    return handle;
}

ShaderLibrary::ShaderLibrary(const std::string& path, const ShaderDeclaration& declaration)
{
    // Messages show the path and names as every message shows user text.
    const std::string shownPath = hosttext::printable(path);
    // Symbols are looked up by C string: a name it cannot hold whole would
    // find other symbols than the declaration names.
    if (declaration.name.empty() || declaration.name.find('\0') != std::string::npos) {
        throw ShaderLoadError("cannot load shader library " + shownPath +
                              ": the declared shader name is empty or holds a zero byte");
    }
    std::string why;
    module_ = hostmodule::open(path, &why);
    if (module_ == nullptr) {
        throw ShaderLoadError("cannot load shader library " + shownPath + ": " + hosttext::printable(why));
    }
#if defined(_WIN32)
    // A library that binds nothing at run time has no miSetModuleHandle.
    using SetHandle = void (*)(void*);
    if (auto setHandle = reinterpret_cast<SetHandle>(symbol("miSetModuleHandle"))) {
        setHandle(coreModuleHandle());
    }
#endif

    const std::string versionName = declaration.name + "_version";
    using Version = int (*)();
    if (auto versionOf = reinterpret_cast<Version>(symbol(versionName.c_str()))) {
        version_ = versionOf();
        if (version_ != declaration.version) {
            hostmodule::close(module_);
            throw ShaderLoadError(shownPath + ": " + hosttext::printable(versionName) + " returns " +
                                  std::to_string(version_) + " but the declaration is version " +
                                  std::to_string(declaration.version));
        }
    } else {
        // A missing version function is only worth a warning to the renderer.
        std::fprintf(stderr, "warning: %s has no %s\n", shownPath.c_str(), hosttext::printable(versionName).c_str());
        version_ = declaration.version;
    }

    shader_ = reinterpret_cast<ShaderFunction>(symbol(declaration.name.c_str()));
    if (shader_ == nullptr) {
        hostmodule::close(module_);
        throw ShaderLoadError(shownPath + " does not export the shader " + hosttext::printable(declaration.name));
    }
}

ShaderLibrary::~ShaderLibrary() { hostmodule::close(module_); }

void* ShaderLibrary::symbol(const char* name) const { return hostmodule::find(module_, name); }

}  // namespace mrhost
