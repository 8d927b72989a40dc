// The material inputs a user can set from the command line, by the name each
// host gives them, with their kind and which host has them, and the parsing
// of their values ("0.3", "0.8,0.2,0.1", "on").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace preview {

enum class InputKind { Scalar, Triple, Boolean };

struct MaterialInput {
    const char* name;
    InputKind kind;
    bool inMaya;       // an attribute of the `glossy` node
    bool inMentalRay;  // a parameter of `kova_glossy`
    const char* meaning;
};

// Every input, in the order --help lists them.
const std::vector<MaterialInput>& materialInputs();
// The input of that name, or null.
const MaterialInput* findMaterialInput(std::string_view name);

// A value of an input: one float for a scalar, three for a colour or vector,
// 0 or 1 for a boolean (kept in values[0]).
struct MaterialValue {
    InputKind kind = InputKind::Scalar;
    std::array<float, 3> values{0.0f, 0.0f, 0.0f};
};

// Parses text as a value of the given kind; nullopt when malformed.
std::optional<MaterialValue> parseMaterialValue(InputKind kind, std::string_view text);
// What a value of the kind looks like, for error messages.
const char* expectedForm(InputKind kind);
// The value as a user would type it.
std::string formatMaterialValue(const MaterialValue& value);
// a + (b - a) t, channel by channel.
MaterialValue interpolate(const MaterialValue& a, const MaterialValue& b, float t);

// Parses a finite decimal number (no trailing text); nullopt when malformed.
std::optional<float> parseNumber(std::string_view text);

// One input set to one value.
struct MaterialSetting {
    std::string name;
    MaterialValue value;
};

}  // namespace preview
