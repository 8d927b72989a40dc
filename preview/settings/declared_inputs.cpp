// Whole numbers are read wholly, in decimal, within what the host's type holds.
#include "declared_inputs.h"

#include <algorithm>
#include <charconv>

namespace preview {

const char* hostName(HostSide side) { return side == HostSide::Maya ? "maya" : "mentalray"; }

const DeclaredInput* findInput(const std::vector<DeclaredInput>& inputs, std::string_view name)
{
    for (const DeclaredInput& input : inputs)
        if (input.name == name) return &input;
    return nullptr;
}

InputKind valueKind(DeclaredKind kind)
{
    switch (kind) {
    case DeclaredKind::Scalar:
    case DeclaredKind::Integer: return InputKind::Scalar;
    case DeclaredKind::Boolean: return InputKind::Boolean;
    case DeclaredKind::Color:
    case DeclaredKind::Vector: break;
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

std::optional<MaterialValue> parseInputValue(const DeclaredInput& input, std::string_view text, std::string* problem)
{
    if (input.kind != DeclaredKind::Integer) return parseMaterialValue(valueKind(input.kind), text, problem);
    long long whole = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, whole);
    if (text.empty() || ec != std::errc() || ptr != end || whole < input.integerMin || whole > input.integerMax)
        return std::nullopt;
    return MaterialValue{InputKind::Scalar, {float(whole), 0.0f, 0.0f}};
}

std::string expectedFormOf(const DeclaredInput& input)
{
    if (input.kind != DeclaredKind::Integer) return expectedForm(valueKind(input.kind));
    return "a whole number from " + std::to_string(input.integerMin) + " to " + std::to_string(input.integerMax);
}

const DeclaredInput* HostInputs::find(std::string_view name) const
{
    const DeclaredInput* input = findInput(maya, name);
    return input ? input : findInput(mentalRay, name);
}

std::vector<std::string> HostInputs::names() const
{
    std::vector<std::string> names;
    for (const DeclaredInput& input : maya) names.push_back(input.name);
    // Where the last input both hosts have lies, so the renderer's own follow it.
    std::size_t after = 0;
    for (const DeclaredInput& input : mentalRay) {
        const auto known = std::find(names.begin(), names.end(), input.name);
        if (known != names.end()) {
            after = std::size_t(known - names.begin()) + 1;
            continue;
        }
        names.insert(names.begin() + std::ptrdiff_t(after), input.name);
        ++after;
    }
    return names;
}

bool settingApplies(const HostInputs& inputs, const MaterialSetting& setting, HostSide side)
{
    if (setting.scope == (side == HostSide::Maya ? HostScope::MentalRay : HostScope::Maya)) return false;
    const DeclaredInput* input = inputs.find(side, setting.name);
    return input != nullptr && valueKind(input->kind) == setting.value.kind;
}

}  // namespace preview
