// The table of material inputs and value parsing. Numbers are read with
// std::from_chars so the user's locale never changes what "0.5" means.
#include "material_inputs.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace preview {

const std::vector<MaterialInput>& materialInputs()
{
    static const std::vector<MaterialInput> inputs = {
        {"color", InputKind::Triple, true, true, "base colour of the diffuse light"},
        {"transparency", InputKind::Triple, true, false, "see-through amount; highlights stay on top"},
        {"ambientColor", InputKind::Triple, true, true, "light the surface shows unlit, times color"},
        {"incandescence", InputKind::Triple, true, true, "light the surface emits"},
        {"diffuse", InputKind::Scalar, true, true, "weight of the diffuse light"},
        {"translucence", InputKind::Scalar, true, false, "light passed through, whatever its direction"},
        {"roughness", InputKind::Scalar, true, true, "size of the highlight (larger is broader)"},
        {"sharpness", InputKind::Scalar, true, true, "crispness of the highlight's edge (0 soft, 1 crisp)"},
        {"specularColor", InputKind::Triple, true, true, "colour of the highlight (and of the renderer's reflection)"},
        {"specularWeight", InputKind::Scalar, false, true, "weight of the highlight"},
        {"reflectivity", InputKind::Scalar, true, true, "weight of the traced reflection"},
        {"reflectedColor", InputKind::Triple, true, false, "tint of the traced reflection"},
        {"normalOffset", InputKind::Triple, false, true, "added to the normal before shading (x,y,z)"},
        {"useIrradiance", InputKind::Boolean, false, true, "adds light gathered from the surroundings"},
        {"irradianceColor", InputKind::Triple, false, true, "tint of the gathered light"},
    };
    return inputs;
}

const MaterialInput* findMaterialInput(std::string_view name)
{
    for (const MaterialInput& input : materialInputs())
        if (name == input.name) return &input;
    return nullptr;
}

std::optional<float> parseNumber(std::string_view text)
{
    // from_chars refuses a leading '+', which users do type.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<MaterialValue> parseMaterialValue(InputKind kind, std::string_view text)
{
    MaterialValue value;
    value.kind = kind;
    switch (kind) {
    case InputKind::Scalar: {
        const auto number = parseNumber(text);
        if (!number) return std::nullopt;
        value.values = {*number, 0.0f, 0.0f};
        return value;
    }
    case InputKind::Triple: {
        for (int i = 0; i < 3; ++i) {
            const std::size_t comma = text.find(',');
            if ((i < 2) != (comma != std::string_view::npos)) return std::nullopt;
            const auto number = parseNumber(text.substr(0, comma));
            if (!number) return std::nullopt;
            value.values[i] = *number;
            if (i < 2) text.remove_prefix(comma + 1);
        }
        return value;
    }
    case InputKind::Boolean:
        if (text == "on" || text == "true" || text == "1")
            value.values[0] = 1.0f;
        else if (text == "off" || text == "false" || text == "0")
            value.values[0] = 0.0f;
        else
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

const char* expectedForm(InputKind kind)
{
    switch (kind) {
    case InputKind::Scalar: return "a number such as 0.3";
    case InputKind::Triple: return "three numbers r,g,b such as 0.8,0.2,0.1";
    case InputKind::Boolean: return "on or off";
    }
    return "";
}

std::string formatMaterialValue(const MaterialValue& value)
{
    char text[96];
    switch (value.kind) {
    case InputKind::Scalar: std::snprintf(text, sizeof text, "%g", double(value.values[0])); break;
    case InputKind::Triple:
        std::snprintf(text, sizeof text, "%g,%g,%g", double(value.values[0]), double(value.values[1]),
                      double(value.values[2]));
        break;
    case InputKind::Boolean: return value.values[0] != 0.0f ? "on" : "off";
    }
    return text;
}

MaterialValue interpolate(const MaterialValue& a, const MaterialValue& b, float t)
{
    MaterialValue result = a;
    for (int i = 0; i < 3; ++i) result.values[i] = a.values[i] + (b.values[i] - a.values[i]) * t;
    return result;
}

}  // namespace preview
