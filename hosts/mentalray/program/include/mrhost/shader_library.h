// Loading a shader library the way the renderer does: open it, hand it the
// renderer core's module handle through miSetModuleHandle (on Windows only,
// as the renderer does), and check NAME_version against the declaration.
#pragma once

extern "C" {
#include <shader.h>
}

#include <stdexcept>
#include <string>

#include "mrhost/declaration.h"

namespace mrhost {

// The module handle of the renderer core (the library exporting the six
// mi_* functions), as the renderer passes it to shader libraries.
void* coreModuleHandle();

// A library that cannot be loaded, lacks a symbol or reports another version.
class ShaderLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using ShaderFunction = miBoolean (*)(miColor* result, miState* state, void* params);

class ShaderLibrary {
public:
    // Loads `path`, calls miSetModuleHandle(coreModuleHandle()) on Windows and checks
    // that `<declaration.name>_version` returns declaration.version.
    // Throws ShaderLoadError.
    ShaderLibrary(const std::string& path, const ShaderDeclaration& declaration);
    ~ShaderLibrary();
    ShaderLibrary(const ShaderLibrary&) = delete;
    ShaderLibrary& operator=(const ShaderLibrary&) = delete;

    ShaderFunction shader() const { return shader_; }
    int version() const { return version_; }
    // Another exported symbol of the library, or null.
    void* symbol(const char* name) const;

private:
    void* module_ = nullptr;
    ShaderFunction shader_ = nullptr;
    int version_ = 0;
};

}  // namespace mrhost
