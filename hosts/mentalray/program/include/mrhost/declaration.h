// Shader declarations: the `declare shader ... end declare` blocks of a .mi
// file, read into the parameter list and record layout the renderer uses to
// build each shader's parameter record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mrhost {

// Parameter and result types a declaration may name.
enum class ParamType { Boolean, Integer, Scalar, Vector, Color, Light, Shader, Texture };

// Bytes one value of the type takes in a parameter record.
std::size_t sizeOf(ParamType type);
// The declaration keyword of the type ("color", "scalar", ...).
const char* keyword(ParamType type);

// One declared parameter and where it lives in the record. An `array T "x"`
// is laid out as `int i_x; int n_x; T x[1];`: offset is that of the storage,
// firstOffset and countOffset those of i_x and n_x.
struct Parameter {
    std::string name;
    ParamType type = ParamType::Scalar;
    bool isArray = false;
    std::size_t offset = 0;
    std::size_t firstOffset = 0;
    std::size_t countOffset = 0;
    // Declared default, as many numbers as the type holds (colour r g b a,
    // vector x y z, boolean 0/1); empty when none was given.
    std::vector<float> defaultValue;
    // The default of an integer, exactly as written, or of a boolean (0 or
    // 1); meaningful only when defaultValue is not empty.
    std::int32_t integerDefault = 0;
    int line = 0;
};

struct ShaderDeclaration {
    std::string name;
    ParamType resultType = ParamType::Color;
    int version = 0;
    std::vector<Parameter> parameters;
    // Bytes of the record as declared (an array counts its one entry).
    std::size_t recordSize = 0;

    // The parameter of that name, or null.
    const Parameter* find(std::string_view parameterName) const;
};

// A declaration that does not follow the syntax: what() names the file, the
// line and what was expected there ("kova_glossy.mi:12: expected ..."), one
// printable line whatever bytes the file holds (others are shown as \xNN).
class DeclarationError : public std::runtime_error {
public:
    DeclarationError(const std::string& source, int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// Every `declare shader` block of the text, in order; sourceName names the
// text in errors. Throws DeclarationError.
std::vector<ShaderDeclaration> parseDeclarations(std::string_view text, const std::string& sourceName);

// The same for a file; a file that cannot be read, or a folder, is a
// DeclarationError at line 0.
std::vector<ShaderDeclaration> readDeclarations(const std::string& path);

// The declaration of the named shader in a file; DeclarationError if the file
// has none of that name.
ShaderDeclaration readDeclaration(const std::string& path, std::string_view shaderName);

}  // namespace mrhost
