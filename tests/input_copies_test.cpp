// The material's inputs are written down again outside the two deliverables:
// the README's input table, the Attribute Editor template, the shipped presets
// and the example shader block. Each copy is checked here against what the
// node registers and what the shader declares, so a forgotten row fails.
#include <gtest/gtest.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <mrhost/declaration.h>
#include <mrhost/shader_block.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Names = std::map<std::string, std::string>;

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> tableCells(const std::string& line)
{
    std::vector<std::string> cells;
    std::istringstream row(trimmed(line));
    std::string cell;
    std::getline(row, cell, '|');  // before the leading bar
    while (std::getline(row, cell, '|')) cells.push_back(trimmed(cell));
    if (!cells.empty() && cells.back().empty()) cells.pop_back();
    return cells;
}

// The README's table headed "Input | Host | ...": each `name` of its first
// column with the host its row gives ("both", "Maya" or "renderer").
Names readmeInputs(const std::string& readme)
{
    Names inputs;
    std::istringstream lines(readme);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> cells = tableCells(line);
        if (cells.size() >= 2 && cells[0] == "Input" && cells[1] == "Host") {
            inTable = true;
        } else if (inTable && (trimmed(line).rfind('|', 0) != 0)) {
            break;
        } else if (inTable && cells.size() >= 2 && cells[0].find_first_not_of("-: ") != std::string::npos) {
            for (std::size_t open = cells[0].find('`'); open != std::string::npos;) {
                const std::size_t close = cells[0].find('`', open + 1);
                if (close == std::string::npos) break;
                inputs[cells[0].substr(open + 1, close - open - 1)] = cells[1];
                open = cells[0].find('`', close + 1);
            }
        }
    }
    return inputs;
}

std::string unquoted(std::string word)
{
    if (!word.empty() && word.back() == ';') word.pop_back();  // `-suppress "name";`
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') word = word.substr(1, word.size() - 2);
    return word;
}

// Each `editorTemplate -addControl|-suppress "name"` of the template: name -> flag.
Names templateControls(const std::string& text)
{
    Names controls;
    std::istringstream stream(text);
    const std::vector<std::string> words{std::istream_iterator<std::string>(stream),
                                         std::istream_iterator<std::string>()};
    for (std::size_t i = 0; i + 2 < words.size(); ++i) {
        if (words[i] == "editorTemplate" && (words[i + 1] == "-addControl" || words[i + 1] == "-suppress"))
            controls[unquoted(words[i + 2])] = words[i + 1];
    }
    return controls;
}

// Each `blendAttr "name" numbers;` of a preset: name -> how many numbers.
// Any other statement than those of the preset format is reported as such.
Names presetValues(const std::string& text)
{
    Names values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        std::istringstream words(line.substr(0, line.size() - (!line.empty() && line.back() == ';')));
        std::string command, name;
        words >> command >> name;
        if (command == "blendAttr" && line.back() == ';') {
            values[unquoted(name)] = std::to_string(std::distance(std::istream_iterator<std::string>(words), {}));
        } else if (!line.empty() && line.rfind("//", 0) != 0 && line != "startAttrPreset( \"glossy\" );" &&
                   line != "endAttrPreset();") {
            values[line] = "not a preset statement";
        }
    }
    return values;
}

class InputCopies : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        plugin_ = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
        ASSERT_TRUE(plugin_) << error;
        node_ = mayahost::findNodeType("glossy");
        ASSERT_NE(node_, nullptr);
    }
    static void TearDownTestSuite()
    {
        if (plugin_) {
            EXPECT_TRUE(plugin_->unload());
        }
        plugin_.reset();
    }
    void SetUp() override { ASSERT_NE(node_, nullptr); }

    // The node's inputs a user sets (keyable) and the renderer fills per
    // sample (hidden, not saved), as the template treats them.
    static Names nodeRoles()
    {
        Names roles;
        for (const mayahost::AttributeInfo* a : node_->added) {
            if (a->parent != nullptr) continue;
            if (a->keyable) roles[a->longName] = "-addControl";
            if (a->hidden && !a->storable && a->writable) roles[a->longName] = "-suppress";
        }
        return roles;
    }

    static fs::path source(const char* path) { return fs::path(GLOSSY_SOURCE_DIR) / path; }

    static std::unique_ptr<mayahost::LoadedPlugin> plugin_;
    static const mayahost::NodeTypeInfo* node_;
};

std::unique_ptr<mayahost::LoadedPlugin> InputCopies::plugin_;
const mayahost::NodeTypeInfo* InputCopies::node_ = nullptr;

// Every input either host offers a user is a row of the README's table, under
// the hosts that have it, and the table names nothing else.
TEST_F(InputCopies, ReadmeTableListsEveryInputUnderItsHosts)
{
    Names hosts;
    for (const auto& [name, role] : nodeRoles())
        if (role == "-addControl") hosts[name] = "Maya";
    for (const mrhost::Parameter& p : mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy").parameters) {
        const bool userInput = !p.isArray && p.type != mrhost::ParamType::Light &&
                               p.type != mrhost::ParamType::Shader && p.type != mrhost::ParamType::Texture;
        if (userInput) hosts[p.name] = hosts.count(p.name) ? "both" : "renderer";
    }
    EXPECT_EQ(readmeInputs(readText(source("README.md"))), hosts);
}

TEST_F(InputCopies, TemplateShowsEveryUserInputAndHidesEveryRenderInput)
{
    EXPECT_EQ(templateControls(readText(source("install/scripts/AEglossyTemplate.mel"))), nodeRoles());
}

// A preset sets attributes a user keys, or their channels, each with as many
// numbers as it holds.
TEST_F(InputCopies, PresetsSetUserInputsWithTheirNumberOfValues)
{
    std::size_t presets = 0;
    for (const auto& entry : fs::directory_iterator(source("install/presets/attrPresets/glossy"))) {
        Names expected;
        for (const auto& [name, count] : presetValues(readText(entry.path()))) {
            const mayahost::AttributeInfo* a = node_->attribute(name);
            const mayahost::AttributeInfo* top = a && a->parent ? a->parent : a;
            if (top && top->keyable) expected[name] = std::to_string(a->children.empty() ? 1 : a->children.size());
        }
        EXPECT_EQ(presetValues(readText(entry.path())), expected) << entry.path();
        ++presets;
    }
    EXPECT_GE(presets, 3u);
}

// The renderer's own reader types each value by the declaration: a name it
// lacks or a wrong count of numbers is an error with the line.
TEST_F(InputCopies, ExampleShaderBlockReadsAgainstTheDeclaration)
{
    const std::vector<mrhost::ShaderDeclaration> declarations = mrhost::readDeclarations(KOVA_GLOSSY_DECLARATION);
    try {
        const auto instances =
            mrhost::parseShaderInstances(readText(source("docs/lacquer.mi")), "lacquer.mi", declarations);
        ASSERT_EQ(instances.size(), 1u);
        EXPECT_EQ(instances[0].shaderName, "kova_glossy");
        EXPECT_FALSE(instances[0].values.empty());
    } catch (const mrhost::DeclarationError& error) {
        ADD_FAILURE() << error.what();
    }
}

}  // namespace
