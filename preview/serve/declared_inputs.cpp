// Maya keeps a float triple's default on the compound and a boolean's as a
// number; the renderer keeps a colour's alpha, which the material never reads.
#include "declared_inputs.h"

#include <mayahost/registry.h>
#include <mrhost/declaration.h>

namespace preview::serve {

std::vector<DeclaredInput> mayaInputs(const mayahost::NodeTypeInfo& type)
{
    std::vector<DeclaredInput> inputs;
    for (const mayahost::AttributeInfo* attribute : type.added) {
        if (!attribute->writable || attribute->hidden || attribute->array) continue;
        DeclaredInput input;
        input.name = attribute->longName;
        if (attribute->kind == mayahost::AttributeKind::kFloatTriple)
            input.kind = attribute->usedAsColor ? ControlKind::Colour : ControlKind::Vector;
        else if (attribute->kind == mayahost::AttributeKind::kNumeric &&
                 attribute->numericType == MFnNumericData::kFloat)
            input.kind = ControlKind::Scalar;
        else if (attribute->kind == mayahost::AttributeKind::kNumeric &&
                 attribute->numericType == MFnNumericData::kBoolean)
            input.kind = ControlKind::Boolean;
        else
            continue;
        const int count = attribute->kind == mayahost::AttributeKind::kFloatTriple ? 3 : 1;
        for (int i = 0; i < count; ++i) input.defaults[i] = float(attribute->defaultValue[i]);
        if (attribute->hasSoftMin && attribute->hasSoftMax) {
            input.hasSoftRange = true;
            input.softMin = float(attribute->softMin);
            input.softMax = float(attribute->softMax);
        }
        inputs.push_back(input);
    }
    return inputs;
}

std::vector<DeclaredInput> shaderInputs(const mrhost::ShaderDeclaration& declaration)
{
    std::vector<DeclaredInput> inputs;
    for (const mrhost::Parameter& parameter : declaration.parameters) {
        if (parameter.isArray) continue;
        DeclaredInput input;
        input.name = parameter.name;
        switch (parameter.type) {
        case mrhost::ParamType::Scalar: input.kind = ControlKind::Scalar; break;
        case mrhost::ParamType::Color: input.kind = ControlKind::Colour; break;
        case mrhost::ParamType::Vector: input.kind = ControlKind::Vector; break;
        case mrhost::ParamType::Boolean: input.kind = ControlKind::Boolean; break;
        default: continue;
        }
        for (std::size_t i = 0; i < 3 && i < parameter.defaultValue.size(); ++i)
            input.defaults[i] = parameter.defaultValue[i];
        inputs.push_back(input);
    }
    return inputs;
}

const DeclaredInput* findInput(const std::vector<DeclaredInput>& inputs, std::string_view name)
{
    for (const DeclaredInput& input : inputs)
        if (input.name == name) return &input;
    return nullptr;
}

InputKind valueKind(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Scalar: return InputKind::Scalar;
    case ControlKind::Boolean: return InputKind::Boolean;
    case ControlKind::Colour:
    case ControlKind::Vector: break;
    }
    return InputKind::Triple;
}

MaterialValue defaultValue(const DeclaredInput& input)
{
    MaterialValue value;
    value.kind = valueKind(input.kind);
    value.values = input.defaults;
    if (value.kind != InputKind::Triple) value.values[1] = value.values[2] = 0.0f;
    return value;
}

}  // namespace preview::serve
