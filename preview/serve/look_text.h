// Looks as text: values as the page and the command line write them, and a
// whole look saved in each host's own form, a Maya attribute preset of the
// `glossy` node and a `kova_glossy` shader block, both read back by the
// readers that take them on the command line.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"
#include "material_inputs.h"

namespace preview::serve {

// The shortest text that reads back as the same float ("0.3", not "0.300000012").
std::string numberText(float value);
// A value as --set takes it: "0.3", "0.8,0.2,0.1", "on"; every number exact.
std::string valueText(const MaterialValue& value);

// Every declared input, the look's value where it sets one, else the default.
std::string attributePresetText(const std::vector<DeclaredInput>& inputs, const std::vector<MaterialSetting>& look);
std::string shaderBlockText(const std::string& blockName, const std::vector<DeclaredInput>& inputs,
                            const std::vector<MaterialSetting>& look);

// Letters, digits, '_', '-' and '.' of a name the page sends, at most 64 of
// them, so nothing a request names can reach into a path or a file's syntax;
// `fallback` when none is left.
std::string safeName(const std::string& name, const std::string& fallback);

}  // namespace preview::serve
