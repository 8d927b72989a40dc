// Turns the command line's setting sources (--set, --preset, --mi) into the
// material settings they stand for, in command-line order.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"
#include "usage_error.h"

namespace preview {

// Where material settings come from, in command-line order: one --set, a
// --preset (a shipped preset's name or a .mel file), or a --mi file's shader
// block (the one named by --shader, or its only kova_glossy block).
struct SettingSource {
    enum class Kind { Set, Preset, ShaderBlock };
    Kind kind = Kind::Set;
    MaterialSetting setting;  // Set
    std::string file;         // Preset, ShaderBlock
    std::string shaderName;   // ShaderBlock; empty: the file's only one
};

// How a source names itself in messages ("--preset satin").
std::string describeSource(const SettingSource& source);

struct SettingFiles {
    std::string presetFolder;       // the shipped presets, NAME.mel each
    std::string shaderDeclaration;  // kova_glossy.mi, which types shader blocks
};

// The settings of every source in order (a later one wins when applied in
// order), read against the inputs the hosts declare. Throws UsageError, its what() one line
// naming the file and line where there is one.
std::vector<MaterialSetting> resolveSettings(const std::vector<SettingSource>& sources, const SettingFiles& files,
                                             const HostInputs& inputs);

// The shipped presets' names, sorted.
std::vector<std::string> shippedPresetNames(const std::string& presetFolder);

}  // namespace preview
