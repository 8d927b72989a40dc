// Looks written out in each host's language; files are replaced whole.
#include "look_files.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "file_sink.h"
#include "unique_file.h"

namespace preview {
namespace {

// The numbers of a value, space-separated as both host languages write them;
// a boolean as the renderer's on or off, or as MEL's 1 or 0.
std::string spaced(const MaterialValue& value, bool onOff = true)
{
    if (value.kind == InputKind::Boolean) return value.values[0] != 0.0f ? (onOff ? "on" : "1") : (onOff ? "off" : "0");
    std::string text = exactNumber(value.values[0]);
    if (value.kind == InputKind::Triple)
        text += " " + exactNumber(value.values[1]) + " " + exactNumber(value.values[2]);
    return text;
}

}  // namespace

std::string exactNumber(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string exactValue(const MaterialValue& value)
{
    if (value.kind == InputKind::Boolean) return value.values[0] != 0.0f ? "on" : "off";
    if (value.kind == InputKind::Scalar) return exactNumber(value.values[0]);
    return exactNumber(value.values[0]) + "," + exactNumber(value.values[1]) + "," + exactNumber(value.values[2]);
}

std::vector<MaterialSetting> hostLook(const HostInputs& inputs, const std::vector<MaterialSetting>& settings,
                                      HostSide side)
{
    std::vector<MaterialSetting> look;
    for (const std::string& name : inputs.names()) {
        const MaterialSetting* last = nullptr;
        for (const MaterialSetting& setting : settings)
            if (setting.name == name && settingApplies(inputs, setting, side)) last = &setting;
        if (last != nullptr) look.push_back({last->name, last->value, HostScope::Both});
    }
    return look;
}

std::string attributePresetText(const std::vector<MaterialSetting>& look)
{
    std::string text = "startAttrPreset( \"glossy\" );\n";
    for (const MaterialSetting& setting : look)
        text += "blendAttr \"" + setting.name + "\" " + spaced(setting.value, false) + ";\n";
    return text + "endAttrPreset();\n";
}

std::string shaderBlockText(const std::vector<MaterialSetting>& look, const std::string& blockName,
                            const std::vector<DeclaredInput>& shaderInputs)
{
    std::string text = "shader \"" + blockName + "\" \"kova_glossy\" (";
    const char* separator = "\n";
    for (const MaterialSetting& setting : look) {
        // A colour carries its alpha, as the renderer sets it for the shader.
        const DeclaredInput* input = findInput(shaderInputs, setting.name);
        const bool color = input && input->kind == DeclaredKind::Color;
        text += separator + ("    \"" + setting.name + "\" " + spaced(setting.value) + (color ? " 1" : ""));
        separator = ",\n";
    }
    return text + "\n)\n";
}

void writeTextFile(const std::string& path, const std::string& text)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    UniqueFile file;
    try {
        file = createUniqueFile(folder, "." + target.filename().string());
    } catch (const std::system_error& e) {
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(e.code().value()));
    }
    FileSink sink(file.fd);
    sink.write(text.data(), text.size());
    sink.finish();
    int error = sink.error();
    if (error == 0 && ::rename(file.path.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(file.path.c_str());
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
    }
}

}  // namespace preview
