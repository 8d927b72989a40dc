// Reads the inputs each host declares from the host itself: the attributes
// the `glossy` node type registered with the Maya stand-in, and the
// parameters of the `kova_glossy` declaration as the renderer stand-in reads it.
#pragma once

#include <vector>

#include "declared_inputs.h"
#include "deliverables.h"
#include "host_error.h"

namespace mayahost {
struct NodeTypeInfo;
}
namespace mrhost {
struct ShaderDeclaration;
}

namespace preview {

// The attributes a user sets on the node: added, writable, shown (not
// hidden) floats, float triples, booleans and shorts, in the order they were
// added.
std::vector<DeclaredInput> mayaInputs(const mayahost::NodeTypeInfo& type);
// The shader's scalar, colour, vector, boolean and integer parameters, in
// declared order (arrays, lights, shaders and textures are the scene's, not a
// look's).
std::vector<DeclaredInput> shaderInputs(const mrhost::ShaderDeclaration& declaration);

// Both hosts' inputs, the Maya plug-in loaded for the time it takes to read
// them (so no Maya host may be loaded meanwhile). Throws HostError with
// the line a failed host load gives.
HostInputs readHostInputs(const DeliverablePaths& deliverables);

}  // namespace preview
