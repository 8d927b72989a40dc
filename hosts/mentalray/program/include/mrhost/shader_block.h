// Shader instances: the `shader "NAME" "DECLARED" ( "param" value, ... )`
// blocks of a .mi file, each value read as the type its declaration gives
// the parameter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mrhost/declaration.h"

namespace mrhost {

// One parameter as an instance gives it.
struct InstanceValue {
    std::string name;
    ParamType type = ParamType::Scalar;
    // boolean (0 or 1), scalar (1), vector (x y z), colour (r g b a; a colour
    // given as r g b has alpha 0, as in a declaration's default).
    std::vector<float> numbers;
    int integer = 0;        // integer
    std::string reference;  // light, shader, texture: the name of what it refers to
    int line = 0;
};

struct ShaderInstance {
    std::string name;        // the instance's own name
    std::string shaderName;  // the declared shader it instantiates
    std::vector<InstanceValue> values;
    int line = 0;
};

// Every `shader` block of the text, in order, typed by the declarations;
// sourceName names the text in errors. The text holds shader blocks and
// comments only. An undeclared shader, an undeclared parameter, one given
// twice, a value of another type or count, an array parameter, or an
// instance name used twice throws DeclarationError with the line.
std::vector<ShaderInstance> parseShaderInstances(std::string_view text, const std::string& sourceName,
                                                 const std::vector<ShaderDeclaration>& declarations);

}  // namespace mrhost
