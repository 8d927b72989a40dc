// Maya keeps a float triple's default on the compound and a boolean's or a
// short's as a number; the renderer keeps a colour's alpha, which the
// material never reads.
#include "host_inputs.h"

#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <mrhost/declaration.h>

#include <cstdint>
#include <exception>
#include <limits>

namespace preview {
namespace {

constexpr const char* kNodeType = "glossy";
constexpr const char* kShaderName = "kova_glossy";

}  // namespace

std::vector<DeclaredInput> mayaInputs(const mayahost::NodeTypeInfo& type)
{
    std::vector<DeclaredInput> inputs;
    for (const mayahost::AttributeInfo* attribute : type.added) {
        if (!attribute->writable || attribute->hidden || attribute->array) continue;
        DeclaredInput input;
        input.name = attribute->longName;
        if (attribute->kind == mayahost::AttributeKind::kFloatTriple)
            input.kind = attribute->usedAsColor ? DeclaredKind::Color : DeclaredKind::Vector;
        else if (attribute->kind != mayahost::AttributeKind::kNumeric)
            continue;
        else if (attribute->numericType == MFnNumericData::kFloat)
            input.kind = DeclaredKind::Scalar;
        else if (attribute->numericType == MFnNumericData::kBoolean)
            input.kind = DeclaredKind::Boolean;
        else if (attribute->numericType == MFnNumericData::kShort) {
            input.kind = DeclaredKind::Integer;
            input.integerMin = std::numeric_limits<short>::min();
            input.integerMax = std::numeric_limits<short>::max();
        } else
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
        case mrhost::ParamType::Scalar: input.kind = DeclaredKind::Scalar; break;
        case mrhost::ParamType::Color: input.kind = DeclaredKind::Color; break;
        case mrhost::ParamType::Vector: input.kind = DeclaredKind::Vector; break;
        case mrhost::ParamType::Boolean: input.kind = DeclaredKind::Boolean; break;
        case mrhost::ParamType::Integer:
            input.kind = DeclaredKind::Integer;
            input.integerMin = std::numeric_limits<std::int32_t>::min();
            input.integerMax = std::numeric_limits<std::int32_t>::max();
            break;
        default: continue;
        }
        for (std::size_t i = 0; i < 3 && i < parameter.defaultValue.size(); ++i)
            input.defaults[i] = parameter.defaultValue[i];
        if (input.kind == DeclaredKind::Integer && !parameter.defaultValue.empty())
            input.defaults[0] = float(parameter.integerDefault);
        inputs.push_back(input);
    }
    return inputs;
}

HostInputs readHostInputs(const DeliverablePaths& deliverables)
{
    HostInputs inputs;
    {
        std::string error;
        // Reported once, by the caller, as a failed render load is.
        const auto plugin =
            mayahost::LoadedPlugin::load(deliverables.mayaModule, &error, mayahost::LoadReport::CallerOnly);
        if (!plugin) throw HostError("cannot load the Maya plug-in " + deliverables.mayaModule + ": " + error);
        const mayahost::NodeTypeInfo* type = mayahost::findNodeType(kNodeType);
        if (!type) throw HostError("the Maya plug-in " + deliverables.mayaModule + " registered no glossy node type");
        inputs.maya = mayaInputs(*type);
        plugin->unload();
    }
    try {
        inputs.mentalRay = shaderInputs(mrhost::readDeclaration(deliverables.shaderDeclaration, kShaderName));
    } catch (const std::exception& e) {
        throw HostError(std::string("cannot load the renderer shader: ") + e.what());
    }
    return inputs;
}

}  // namespace preview
