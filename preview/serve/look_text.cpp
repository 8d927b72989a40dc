#include "look_text.h"

#include <charconv>

namespace preview::serve {
namespace {

MaterialValue lookValue(const DeclaredInput& input, const std::vector<MaterialSetting>& look)
{
    MaterialValue value = defaultValue(input);
    for (const MaterialSetting& setting : look)
        if (setting.name == input.name) value = setting.value;
    return value;
}

// Numbers separated by `separator`: one, or three for a triple.
std::string numbers(const MaterialValue& value, const char* separator)
{
    std::string text = numberText(value.values[0]);
    if (value.kind == InputKind::Triple)
        text += separator + numberText(value.values[1]) + separator + numberText(value.values[2]);
    return text;
}

}  // namespace

std::string numberText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string valueText(const MaterialValue& value)
{
    if (value.kind == InputKind::Boolean) return value.values[0] != 0.0f ? "on" : "off";
    return numbers(value, ",");
}

std::string attributePresetText(const std::vector<DeclaredInput>& inputs, const std::vector<MaterialSetting>& look)
{
    std::string text = "// Saved by glossy-preview.\nstartAttrPreset( \"glossy\" );\n";
    for (const DeclaredInput& input : inputs)
        text += "blendAttr \"" + input.name + "\" " + numbers(lookValue(input, look), " ") + ";\n";
    return text + "endAttrPreset();\n";
}

std::string shaderBlockText(const std::string& blockName, const std::vector<DeclaredInput>& inputs,
                            const std::vector<MaterialSetting>& look)
{
    std::string text = "# Saved by glossy-preview.\nshader \"" + blockName + "\" \"kova_glossy\" (\n";
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const MaterialValue value = lookValue(inputs[i], look);
        std::string shown = value.kind == InputKind::Boolean ? valueText(value) : numbers(value, " ");
        // A colour carries its alpha; the material never reads it.
        if (inputs[i].kind == ControlKind::Colour) shown += " 1";
        text += "    \"" + inputs[i].name + "\" " + shown + (i + 1 < inputs.size() ? ",\n" : "\n");
    }
    return text + ")\n";
}

std::string safeName(const std::string& name, const std::string& fallback)
{
    std::string safe;
    for (const char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                             c == '-' || c == '.';
        if (allowed && safe.size() < 64) safe += c;
    }
    // No hidden or relative names.
    while (!safe.empty() && safe[0] == '.') safe.erase(0, 1);
    return safe.empty() ? fallback : safe;
}

}  // namespace preview::serve
