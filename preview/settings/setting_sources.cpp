// Presets and shader blocks are read here, after the command line is checked
// and before a host is loaded, so that a bad file stops the run with status 2
// and no image.
#include "setting_sources.h"

#include <mrhost/declaration.h>
#include <mrhost/shader_block.h>

#include <algorithm>
#include <filesystem>

#include "attribute_preset.h"
#include "text_file.h"

namespace preview {
namespace {

constexpr const char* kShaderName = "kova_glossy";

// At most a few names and how many more, so that a message stays one short line.
std::string joined(const std::vector<std::string>& names)
{
    constexpr std::size_t kListed = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) text += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > kListed) text += " and " + std::to_string(names.size() - kListed) + " more";
    return text;
}

// A name from a file as a message quotes it: printable, and cut short.
std::string quotedName(const std::string& name)
{
    constexpr std::size_t kQuoted = 40;
    return "\"" + printable(std::string_view(name).substr(0, kQuoted)) + (name.size() > kQuoted ? "...\"" : "\"");
}

// A name without a folder or extension is a shipped preset; the rest are files.
std::string presetPath(const std::string& nameOrFile, const std::string& folder)
{
    const bool isFile = nameOrFile.find('/') != std::string::npos ||
                        (nameOrFile.size() > 4 && nameOrFile.compare(nameOrFile.size() - 4, 4, ".mel") == 0);
    if (isFile) return nameOrFile;
    const std::vector<std::string> names = shippedPresetNames(folder);
    if (std::find(names.begin(), names.end(), nameOrFile) == names.end())
        throw UsageError("--preset " + printable(nameOrFile) + ": no shipped preset of that name (expected " +
                         (names.empty() ? std::string("a .mel file") : "one of " + joined(names)) +
                         ", or a .mel file)");
    return (std::filesystem::path(folder) / (nameOrFile + ".mel")).string();
}

const mrhost::ShaderInstance& pickBlock(const std::vector<mrhost::ShaderInstance>& blocks, const SettingSource& source)
{
    std::vector<const mrhost::ShaderInstance*> ours;
    for (const mrhost::ShaderInstance& block : blocks)
        if (block.shaderName == kShaderName) ours.push_back(&block);
    const std::string file = printable(source.file);
    if (!source.shaderName.empty()) {
        for (const mrhost::ShaderInstance& block : blocks) {
            if (block.name != source.shaderName) continue;
            if (block.shaderName != kShaderName)
                throw UsageError(file + ":" + std::to_string(block.line) + ": expected a " + kShaderName +
                                 " block, found " + quotedName(block.name) + " of " + quotedName(block.shaderName));
            return block;
        }
        throw UsageError(file + ":0: expected a shader block named \"" + printable(source.shaderName) + "\"");
    }
    if (ours.size() == 1) return *ours[0];
    std::vector<std::string> names;
    for (const mrhost::ShaderInstance* block : ours) names.push_back(quotedName(block->name));
    throw UsageError(file + ":0: expected one " + kShaderName + " block or --shader NAME, found " +
                     (ours.empty() ? std::string("none") : joined(names)));
}

std::vector<MaterialSetting> blockSettings(const SettingSource& source, const std::string& declarationPath,
                                           const std::vector<DeclaredInput>& shaderInputs)
{
    std::vector<mrhost::ShaderInstance> blocks;
    try {
        const std::vector<mrhost::ShaderDeclaration> declarations = mrhost::readDeclarations(declarationPath);
        blocks = mrhost::parseShaderInstances(readTextFile(source.file), source.file, declarations);
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    const mrhost::ShaderInstance& block = pickBlock(blocks, source);
    std::vector<MaterialSetting> settings;
    for (const mrhost::InstanceValue& value : block.values) {
        const DeclaredInput* input = findInput(shaderInputs, value.name);
        if (input == nullptr || value.numbers.size() < (valueKind(input->kind) == InputKind::Triple ? 3u : 1u))
            throw UsageError(printable(source.file) + ":" + std::to_string(value.line) + ": " + quotedName(value.name) +
                             " is not an input glossy-preview can set");
        MaterialSetting setting{input->name, defaultValue(*input)};
        const std::size_t count = valueKind(input->kind) == InputKind::Triple ? 3 : 1;
        for (std::size_t i = 0; i < count; ++i) setting.value.values[i] = value.numbers[i];
        settings.push_back(setting);
    }
    return settings;
}

std::vector<MaterialSetting> settingsOf(const SettingSource& source, const SettingFiles& files,
                                        const HostInputs& inputs)
{
    switch (source.kind) {
    case SettingSource::Kind::Set: return {source.setting};
    case SettingSource::Kind::Preset:
        try {
            return readAttributePreset(presetPath(source.file, files.presetFolder), inputs.maya);
        } catch (const UsageError& e) {
            throw UsageError(e.what());
        }
    case SettingSource::Kind::ShaderBlock: return blockSettings(source, files.shaderDeclaration, inputs.mentalRay);
    }
    return {};
}

}  // namespace

std::string describeSource(const SettingSource& source)
{
    switch (source.kind) {
    case SettingSource::Kind::Set: {
        const HostScope scope = source.setting.scope;
        return "--set " +
               std::string(scope == HostScope::Maya        ? "maya:"
                           : scope == HostScope::MentalRay ? "mentalray:"
                                                           : "") +
               source.setting.name + "=" + formatMaterialValue(source.setting.value);
    }
    case SettingSource::Kind::Preset: return "--preset " + source.file;
    case SettingSource::Kind::ShaderBlock:
        return "--mi " + source.file + (source.shaderName.empty() ? "" : " --shader " + source.shaderName);
    }
    return "";
}

std::vector<std::string> shippedPresetNames(const std::string& presetFolder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(presetFolder, ec))
        if (entry.path().extension() == ".mel") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<MaterialSetting> resolveSettings(const std::vector<SettingSource>& sources, const SettingFiles& files,
                                             const HostInputs& inputs)
{
    std::vector<MaterialSetting> settings;
    for (const SettingSource& source : sources) {
        // A sweep applied after these wins over a preset or shader block that
        // sets its input, so a look can be explored around; --set of a swept
        // input is refused with the command line.
        for (const MaterialSetting& setting : settingsOf(source, files, inputs)) settings.push_back(setting);
    }
    return settings;
}

}  // namespace preview
