// Shader declarations as data: the types' sizes and keywords, a parameter
// found by name, and the file a declaration is read from. Their grammar is
// declaration_grammar.cpp.
#include "mrhost/declaration.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <hosttext/printable.h>

#include "scene_language/quoting.h"

namespace mrhost {

std::size_t sizeOf(ParamType type)
{
    switch (type) {
    case ParamType::Color: return 16;
    case ParamType::Vector: return 12;
    default: return 4;
    }
}

const char* keyword(ParamType type)
{
    switch (type) {
    case ParamType::Boolean: return "boolean";
    case ParamType::Integer: return "integer";
    case ParamType::Scalar: return "scalar";
    case ParamType::Vector: return "vector";
    case ParamType::Color: return "color";
    case ParamType::Light: return "light";
    case ParamType::Shader: return "shader";
    case ParamType::Texture: return "texture";
    }
    return "?";
}

const Parameter* ShaderDeclaration::find(std::string_view parameterName) const
{
    for (const Parameter& p : parameters) {
        if (p.name == parameterName) {
            return &p;
        }
    }
    return nullptr;
}

DeclarationError::DeclarationError(const std::string& source, int line, const std::string& message)
    : std::runtime_error(hosttext::printable(source) + ":" + std::to_string(line) + ": " + message), line_(line)
{
}

std::vector<ShaderDeclaration> readDeclarations(const std::string& path)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw DeclarationError(path, 0, "expected a declaration file, found a folder");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw DeclarationError(path, 0, "expected a readable declaration file");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseDeclarations(text.str(), path);
}

ShaderDeclaration readDeclaration(const std::string& path, std::string_view shaderName)
{
    for (ShaderDeclaration& d : readDeclarations(path)) {
        if (d.name == shaderName) {
            return d;
        }
    }
    throw DeclarationError(path, 0, "expected a declaration of shader \"" + shortened(shaderName) + "\"");
}

}  // namespace mrhost
