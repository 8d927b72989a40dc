// Turns the command line's setting sources (--set, --preset, --mi) into the
// material settings they stand for, in command-line order.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "declared_inputs.h"
#include "options.h"

namespace preview {

// A source that cannot be read or applied; what() is one line naming the file
// and line where there is one.
class SettingSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SettingFiles {
    std::string presetFolder;       // the shipped presets, NAME.mel each
    std::string shaderDeclaration;  // kova_glossy.mi, which types shader blocks
};

// The settings of every source in order (a later one wins when applied in
// order), read against the inputs the hosts declare. Throws SettingSourceError.
std::vector<MaterialSetting> resolveSettings(const PreviewOptions& options, const SettingFiles& files,
                                             const HostInputs& inputs);

// The shipped presets' names, sorted.
std::vector<std::string> shippedPresetNames(const std::string& presetFolder);

}  // namespace preview
