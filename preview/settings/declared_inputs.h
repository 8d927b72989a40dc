// The material inputs each host declares: the Maya node type's registered
// attributes and the renderer shader's declaration, read from the hosts
// (hosts/host_inputs.h), never from a list of our own, so a new attribute or
// parameter can be set, swept, saved and shown on the page by itself.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "material_value.h"

namespace preview {

enum class HostSide { Maya = 0, MentalRay = 1 };
constexpr int kHostCount = 2;

// "maya" or "mentalray": the host's name in options (--set maya:...) and images.
const char* hostName(HostSide side);

// What the host declares an input to be.
enum class DeclaredKind { Scalar, Color, Vector, Boolean, Integer };

struct DeclaredInput {
    std::string name;
    DeclaredKind kind = DeclaredKind::Scalar;
    std::array<float, 3> defaults{0.0f, 0.0f, 0.0f};  // [0] alone for a scalar, boolean or integer
    bool hasSoftRange = false;
    float softMin = 0.0f;
    float softMax = 0.0f;
    // The whole numbers an integer input holds (a Maya short, a renderer integer).
    long long integerMin = 0;
    long long integerMax = 0;
};

const DeclaredInput* findInput(const std::vector<DeclaredInput>& inputs, std::string_view name);
InputKind valueKind(DeclaredKind kind);
MaterialValue defaultValue(const DeclaredInput& input);

// Parses text as a value of the input; nullopt when malformed, with a number
// beyond the float range described in *problem as parseMaterialValue does.
std::optional<MaterialValue> parseInputValue(const DeclaredInput& input, std::string_view text,
                                             std::string* problem = nullptr);
// What a value of the input looks like, for error messages.
std::string expectedFormOf(const DeclaredInput& input);

// Both hosts' inputs.
struct HostInputs {
    std::vector<DeclaredInput> maya;       // the node's, in the order they were added
    std::vector<DeclaredInput> mentalRay;  // the shader's, in declared order

    const std::vector<DeclaredInput>& of(HostSide side) const { return side == HostSide::Maya ? maya : mentalRay; }
    const DeclaredInput* find(HostSide side, std::string_view name) const { return findInput(of(side), name); }
    // The input of that name as Maya declares it, else as the renderer does;
    // null when neither host has it.
    const DeclaredInput* find(std::string_view name) const;
    // Every input once, in the order --help lists them: Maya's in its order,
    // each the renderer alone has right after the input it follows in the
    // declaration.
    std::vector<std::string> names() const;
};

// Which hosts a setting is for: both, or only one (--set maya:NAME=VALUE).
enum class HostScope { Both, Maya, MentalRay };

// One input set to one value.
struct MaterialSetting {
    std::string name;
    MaterialValue value;
    HostScope scope = HostScope::Both;
};

// Whether a setting reaches the host: its scope allows it and the host has
// the input, with a value of the same shape.
bool settingApplies(const HostInputs& inputs, const MaterialSetting& setting, HostSide side);

}  // namespace preview
