// A look as each host keeps it, written out: the Maya attribute preset of the
// settings the Maya node took, and a `kova_glossy` shader block of those the
// renderer took. Every number is written with the fewest digits that read
// back to the same float, so a look read back renders the same bits.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"

namespace preview {

// A float as the shortest text that reads back to it ("0.1", "1e-05").
std::string exactNumber(float value);
// A value as --set takes it, each number exact.
std::string exactValue(const MaterialValue& value);

// The inputs a host ends with after the settings in order: one per input,
// the last one set, in the order --help lists them.
std::vector<MaterialSetting> hostLook(const HostInputs& inputs, const std::vector<MaterialSetting>& settings,
                                      HostSide side);

// The .mel text of an attribute preset of the `glossy` node.
std::string attributePresetText(const std::vector<MaterialSetting>& look);
// The .mi text of one `kova_glossy` shader block of that name; the
// declaration's colours carry their alpha.
std::string shaderBlockText(const std::vector<MaterialSetting>& look, const std::string& blockName,
                            const std::vector<DeclaredInput>& shaderInputs);

// Writes the text to the file all or nothing: into a new file beside it,
// renamed over it once complete. Throws std::runtime_error naming the file.
void writeTextFile(const std::string& path, const std::string& text);

}  // namespace preview
