// The inputs each host declares, as the page offers them: read from the Maya
// node type's registered attributes and from the renderer shader's
// declaration, never from a list of our own, so a new attribute or parameter
// shows up on the page by itself.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "material_inputs.h"

namespace mayahost {
struct NodeTypeInfo;
}
namespace mrhost {
struct ShaderDeclaration;
}

namespace preview::serve {

enum class ControlKind { Scalar, Colour, Vector, Boolean };

struct DeclaredInput {
    std::string name;
    ControlKind kind = ControlKind::Scalar;
    std::array<float, 3> defaults{0.0f, 0.0f, 0.0f};  // [0] alone for a scalar or boolean
    bool hasSoftRange = false;
    float softMin = 0.0f;
    float softMax = 0.0f;
};

// The attributes a user sets on the node: added, writable, shown (not
// hidden) floats, float triples and booleans, in the order they were added.
std::vector<DeclaredInput> mayaInputs(const mayahost::NodeTypeInfo& type);
// The shader's scalar, colour, vector and boolean parameters, in declared
// order (arrays, lights, shaders and textures are the scene's, not a look's).
std::vector<DeclaredInput> shaderInputs(const mrhost::ShaderDeclaration& declaration);

const DeclaredInput* findInput(const std::vector<DeclaredInput>& inputs, std::string_view name);
InputKind valueKind(ControlKind kind);
MaterialValue defaultValue(const DeclaredInput& input);

}  // namespace preview::serve
