// The install tree a Maya user drops in: `cmake --install` into a fresh prefix,
// then its files, the module description's paths, the attribute-editor
// template against the registered node, and the installed shader library
// shading one sample through its installed declaration.
#include <gtest/gtest.h>

#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <mrhost/declaration.h>
#include <mrhost/parameter_record.h>
#include <mrhost/sample.h>
#include <mrhost/scene.h>
#include <mrhost/shader_library.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a program without a shell, its output going to `log`; the exit status,
// or -1 when it could not be started or did not exit normally.
int runProgram(const std::vector<std::string>& arguments, const fs::path& log)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Every regular file under root, as paths relative to it.
std::set<std::string> filesUnder(const fs::path& root)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).generic_string());
    return files;
}

// One `cmake --install` of the build tree per test program, into a prefix of
// its own, so that test programs running side by side never share a tree.
class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string scratch = (fs::temp_directory_path() / "glossy-install-XXXXXX").string();
        if (mkdtemp(scratch.data()) == nullptr) return;
        scratch_ = scratch;
        prefix_ = scratch_ / "prefix";
        const fs::path log = scratch_ / "install.log";
        installStatus_ = runProgram({CMAKE_COMMAND, "--install", GLOSSY_BUILD_DIR, "--prefix", prefix_.string()}, log);
        installLog_ = readText(log);
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
    }
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.empty()) << "no scratch folder could be made under " << fs::temp_directory_path();
        ASSERT_EQ(installStatus_, 0) << "cmake --install failed:\n" << installLog_;
    }

    static fs::path prefix_;

private:
    static fs::path scratch_;
    static int installStatus_;
    static std::string installLog_;
};

fs::path InstalledTree::prefix_;
fs::path InstalledTree::scratch_;
int InstalledTree::installStatus_ = -1;
std::string InstalledTree::installLog_;

const char* const kModuleFile = "glossy.mod";
const char* const kPlugin = "plug-ins/glossy.so";
const char* const kTemplate = "scripts/AEglossyTemplate.mel";
const char* const kDeclaration = "mentalray/include/kova_glossy.mi";
const char* const kShaderLibrary = "mentalray/lib/kova_glossy.so";
// Maya looks for a node type's icon as render_<type> on its icon path and for
// its presets under attrPresets/<type>/ on its preset path; a module adds its
// icons/ and presets/ folders to those paths.
const char* const kIcons[] = {"icons/render_glossy.png", "icons/render_glossy.xpm"};
const char* const kPresetFolder = "presets/attrPresets/glossy";

std::set<std::string> installedPresets()
{
    std::set<std::string> presets;
    for (const auto& entry : fs::directory_iterator(fs::path(GLOSSY_SOURCE_DIR) / "install" / kPresetFolder))
        presets.insert(std::string(kPresetFolder) + "/" + entry.path().filename().string());
    return presets;
}

TEST_F(InstalledTree, HoldsTheModuleFilesAndNothingElse)
{
    std::set<std::string> expected{kModuleFile, kPlugin, kTemplate, kDeclaration, kShaderLibrary, kIcons[0], kIcons[1]};
    const std::set<std::string> presets = installedPresets();
    EXPECT_GE(presets.size(), 3u);
    expected.insert(presets.begin(), presets.end());
    EXPECT_EQ(filesUnder(prefix_), expected);
}

// The icon's size from its header: a PNG's IHDR, an XPM's values line.
TEST_F(InstalledTree, IconsAreSmallSquareImagesOfTheirFormat)
{
    const std::string png = readText(prefix_ / kIcons[0]);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << "PNG signature";
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(png[i]); };
    const unsigned width = (byteAt(16) << 24) | (byteAt(17) << 16) | (byteAt(18) << 8) | byteAt(19);
    const unsigned height = (byteAt(20) << 24) | (byteAt(21) << 16) | (byteAt(22) << 8) | byteAt(23);
    EXPECT_EQ(width, 32u);
    EXPECT_EQ(height, 32u);

    const std::string xpm = readText(prefix_ / kIcons[1]);
    EXPECT_EQ(xpm.rfind("/* XPM */", 0), 0u);
    EXPECT_NE(xpm.find("static char *render_glossy[]"), std::string::npos);
    EXPECT_NE(xpm.find("\"32 32 "), std::string::npos) << "32 x 32 pixels";
}

// The parts of a module description: its header and its variable lines.
struct ModuleDescription {
    std::vector<std::string> header;           // "+", name, version, module path
    std::map<std::string, std::string> paths;  // variable -> path, from VAR+:=path
    std::vector<std::string> otherLines;
};

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "NAME:=PATH" or "NAME+:=PATH": a word for the name, one path without blanks.
bool parseVariableLine(const std::string& line, std::string& name, std::string& path)
{
    const std::size_t assign = line.find(":=");
    if (assign == std::string::npos) return false;
    name = trimmed(line.substr(0, assign));
    if (!name.empty() && name.back() == '+') name.pop_back();
    path = trimmed(line.substr(assign + 2));
    const auto isWordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    return !name.empty() && std::all_of(name.begin(), name.end(), isWordChar) && !path.empty() &&
           path.find_first_of(" \t") == std::string::npos;
}

ModuleDescription parseModuleDescription(const std::string& text)
{
    ModuleDescription description;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        std::string name;
        std::string path;
        if (description.header.empty()) {
            std::istringstream words(line);
            for (std::string word; words >> word;) description.header.push_back(word);
        } else if (parseVariableLine(line, name, path)) {
            description.paths[name] = path;
        } else {
            description.otherLines.push_back(line);
        }
    }
    return description;
}

TEST_F(InstalledTree, ModuleDescriptionResolvesEveryPathInsideTheTree)
{
    const ModuleDescription description = parseModuleDescription(readText(prefix_ / kModuleFile));
    ASSERT_EQ(description.header.size(), 4u) << "header: + name version path";
    EXPECT_EQ(description.header[0], "+");
    EXPECT_EQ(description.header[1], "glossy");
    EXPECT_TRUE(description.otherLines.empty()) << "unexpected line: " << description.otherLines.front();

    // Relative paths keep the tree relocatable: the folder holding the file
    // is the module, wherever it was copied.
    const fs::path modulePath = description.header[3];
    ASSERT_TRUE(modulePath.is_relative()) << modulePath;
    const fs::path moduleRoot = fs::weakly_canonical(prefix_ / modulePath);
    EXPECT_EQ(moduleRoot, fs::canonical(prefix_));
    // Maya finds the plug-in and the template in the module's default folders.
    EXPECT_TRUE(fs::is_regular_file(moduleRoot / kPlugin));
    EXPECT_TRUE(fs::is_regular_file(moduleRoot / kTemplate));

    // The renderer looks for declarations and libraries on its own paths.
    const std::map<std::string, std::string> expectedFile{{"MI_CUSTOM_SHADER_PATH", "kova_glossy.mi"},
                                                          {"MI_LIBRARY_PATH", "kova_glossy.so"}};
    for (const auto& [variable, file] : expectedFile) {
        const auto found = description.paths.find(variable);
        ASSERT_NE(found, description.paths.end()) << variable << " is not set";
        const fs::path folder = found->second;
        EXPECT_TRUE(folder.is_relative()) << variable << "=" << folder;
        EXPECT_TRUE(fs::is_regular_file(moduleRoot / folder / file)) << variable << "=" << folder;
    }
}

// The installed plug-in, loaded as Maya loads it, and its registered type.
class InstalledPlugin : public InstalledTree {
protected:
    void SetUp() override
    {
        InstalledTree::SetUp();
        if (HasFatalFailure()) return;
        std::string error;
        plugin_ = mayahost::LoadedPlugin::load((prefix_ / kPlugin).string(), &error);
        ASSERT_NE(plugin_, nullptr) << error;
        type_ = mayahost::findNodeType("glossy");
        ASSERT_NE(type_, nullptr) << "the installed plug-in registered no glossy type";
    }

    std::unique_ptr<mayahost::LoadedPlugin> plugin_;
    const mayahost::NodeTypeInfo* type_ = nullptr;
};

TEST_F(InstalledPlugin, ModuleVersionIsThePluginVersion)
{
    const ModuleDescription description = parseModuleDescription(readText(prefix_ / kModuleFile));
    ASSERT_EQ(description.header.size(), 4u);
    EXPECT_EQ(description.header[2], type_->version);
}

// What an attribute-editor template does, read from its MEL text.
struct EditorTemplate {
    struct Control {
        std::string attribute;
        std::string layout;  // label of the enclosing layout; empty outside any
    };
    bool definesProcedure = false;  // `global proc AEglossyTemplate(string $nodeName)`
    std::vector<Control> controls;
    std::vector<std::string> suppressed;
    std::vector<std::string> layoutErrors;
};

// The words of each statement of a MEL text, comments dropped, quotes removed.
std::vector<std::vector<std::string>> melStatements(const std::string& text)
{
    std::vector<std::vector<std::string>> statements(1);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
            if (i == std::string::npos) break;
        } else if (c == ';' || c == '{' || c == '}') {
            if (!statements.back().empty()) statements.emplace_back();
            ++i;
        } else if (c == '"') {
            const std::size_t end = text.find('"', i + 1);
            statements.back().push_back(text.substr(i + 1, end - i - 1));
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else {
            const std::size_t end = text.find_first_of(" \t\r\n;{}\"", i);
            statements.back().push_back(text.substr(i, end - i));
            i = end == std::string::npos ? text.size() : end;
        }
    }
    return statements;
}

// "global proc AEglossyTemplate(string $nodeName)", blanks anywhere between words.
bool definesTemplateProcedure(const std::string& text)
{
    std::string spaced;
    for (char c : text) {
        if (c == '(' || c == ')') {
            spaced += ' ';
            spaced += c;
            spaced += ' ';
        } else {
            spaced += c;
        }
    }
    std::istringstream stream(spaced);
    const std::vector<std::string> words{std::istream_iterator<std::string>(stream),
                                         std::istream_iterator<std::string>()};
    const std::vector<std::string> wanted{"global", "proc", "AEglossyTemplate", "(", "string", "$nodeName", ")"};
    return std::search(words.begin(), words.end(), wanted.begin(), wanted.end()) != words.end();
}

EditorTemplate readEditorTemplate(const std::string& text)
{
    EditorTemplate result;
    result.definesProcedure = definesTemplateProcedure(text);

    bool inScroll = false;
    bool scrollSeen = false;
    std::vector<std::string> layouts;
    for (const auto& words : melStatements(text)) {
        if (words.size() < 2 || words[0] != "editorTemplate") continue;
        const std::string& flag = words[1];
        const std::string argument = words.size() > 2 ? words[2] : "";
        if (flag == "-beginScrollLayout") {
            if (scrollSeen) result.layoutErrors.push_back("a second scroll layout");
            inScroll = scrollSeen = true;
        } else if (flag == "-endScrollLayout") {
            if (!inScroll) result.layoutErrors.push_back("-endScrollLayout without its begin");
            if (!layouts.empty()) result.layoutErrors.push_back("scroll layout closed inside " + layouts.back());
            inScroll = false;
        } else if (flag == "-beginLayout") {
            if (!inScroll) result.layoutErrors.push_back("layout " + argument + " outside the scroll layout");
            layouts.push_back(argument);
        } else if (flag == "-endLayout") {
            if (layouts.empty())
                result.layoutErrors.push_back("-endLayout without its begin");
            else
                layouts.pop_back();
        } else if (flag == "-addControl") {
            result.controls.push_back({argument, layouts.empty() ? "" : layouts.back()});
        } else if (flag == "-suppress") {
            result.suppressed.push_back(argument);
        }
    }
    if (!scrollSeen) result.layoutErrors.push_back("no scroll layout");
    if (inScroll) result.layoutErrors.push_back("scroll layout left open");
    for (const std::string& open : layouts) result.layoutErrors.push_back("layout " + open + " left open");
    return result;
}

// Top-level attributes the user edits (keyable) and those the renderer fills
// per sample (hidden, not saved), as the node registered them.
std::set<std::string> topLevelAttributes(const mayahost::NodeTypeInfo& type, bool keyable)
{
    std::set<std::string> names;
    for (const mayahost::AttributeInfo* attribute : type.added) {
        if (attribute->parent != nullptr) continue;
        const bool renderInput = attribute->hidden && !attribute->storable && attribute->writable;
        if (keyable ? attribute->keyable : renderInput) names.insert(attribute->longName);
    }
    return names;
}

TEST_F(InstalledPlugin, TemplateIsWellFormedAndNamesOnlyAttributesOfTheNode)
{
    const EditorTemplate editor = readEditorTemplate(readText(prefix_ / kTemplate));
    EXPECT_TRUE(editor.definesProcedure) << "Maya calls AEglossyTemplate(string $nodeName) by name";
    for (const std::string& error : editor.layoutErrors) ADD_FAILURE() << error;

    EXPECT_FALSE(editor.controls.empty());
    for (const auto& control : editor.controls)
        EXPECT_NE(type_->attribute(control.attribute), nullptr) << "-addControl " << control.attribute;
    for (const std::string& name : editor.suppressed)
        EXPECT_NE(type_->attribute(name), nullptr) << "-suppress " << name;
}

TEST_F(InstalledPlugin, TemplateShowsEachMaterialInputOnceAndHidesTheRenderInputs)
{
    const EditorTemplate editor = readEditorTemplate(readText(prefix_ / kTemplate));
    const std::set<std::string> materialInputs = topLevelAttributes(*type_, true);
    const std::set<std::string> renderInputs = topLevelAttributes(*type_, false);
    ASSERT_FALSE(materialInputs.empty());
    ASSERT_FALSE(renderInputs.empty());

    std::map<std::string, int> shown;
    for (const auto& control : editor.controls) {
        ++shown[control.attribute];
        EXPECT_FALSE(control.layout.empty()) << control.attribute << " is outside every layout";
    }
    for (const std::string& input : materialInputs) EXPECT_EQ(shown[input], 1) << "material input " << input;
    for (const auto& [name, count] : shown)
        EXPECT_EQ(materialInputs.count(name), 1u) << name << " is shown but is not a material input";

    const std::set<std::string> suppressed(editor.suppressed.begin(), editor.suppressed.end());
    EXPECT_EQ(suppressed, renderInputs);
}

// Each installed preset, in the form the Attribute Editor saves, sets only
// attributes of the registered node that a user keys, each with as many
// numbers as the attribute holds.
TEST_F(InstalledPlugin, PresetsSetOnlyKeyableAttributesOfTheNode)
{
    for (const std::string& preset : installedPresets()) {
        const std::string text = readText(prefix_ / preset);
        std::istringstream lines(text);
        std::vector<std::string> statements;
        for (std::string line; std::getline(lines, line);) {
            line = trimmed(line);
            if (!line.empty() && line.rfind("//", 0) != 0) statements.push_back(line);
        }
        ASSERT_GE(statements.size(), 3u) << preset;
        EXPECT_EQ(statements.front(), "startAttrPreset( \"glossy\" );") << preset;
        EXPECT_EQ(statements.back(), "endAttrPreset();") << preset;
        for (std::size_t i = 1; i + 1 < statements.size(); ++i) {
            std::istringstream words(statements[i].substr(0, statements[i].size() - 1));
            std::string command, quoted;
            words >> command >> quoted;
            EXPECT_EQ(command, "blendAttr") << preset << ": " << statements[i];
            const std::string name = quoted.size() > 2 ? quoted.substr(1, quoted.size() - 2) : quoted;
            const mayahost::AttributeInfo* attribute = type_->attribute(name);
            ASSERT_NE(attribute, nullptr) << preset << ": the node has no attribute " << name;
            EXPECT_TRUE(attribute->keyable) << preset << ": " << name;
            std::size_t numbers = 0;
            for (std::string number; words >> number;) ++numbers;
            EXPECT_EQ(numbers, std::max<std::size_t>(attribute->children.size(), 1)) << preset << ": " << statements[i];
        }
    }
}

// The installed declaration and library, loaded as the renderer loads them.
struct LoadedShader {
    LoadedShader(const fs::path& declarationFile, const fs::path& libraryFile)
        : declaration(mrhost::readDeclaration(declarationFile.string(), "kova_glossy")),
          library(libraryFile.string(), declaration)
    {
    }
    mrhost::ShaderDeclaration declaration;
    mrhost::ShaderLibrary library;
};

// One lit sample of a grey material: a light straight above a surface seen
// head-on, and a dark environment.
miColor shadeOneSample(LoadedShader& shader)
{
    mrhost::Scene scene;
    const miTag light = scene.addPointLight({0.0f, 1.0f, 10.0f}, {1.0f, 1.0f, 1.0f, 1.0f});
    mrhost::ParameterRecord record(shader.declaration);
    record.setColor("color", {0.5f, 0.5f, 0.5f, 1.0f});
    record.setScalar("diffuse", 0.8f);
    record.setScalar("roughness", 0.3f);
    record.setScalar("sharpness", 0.2f);
    record.setScalar("specularWeight", 1.0f);
    record.setColor("specularColor", {0.5f, 0.5f, 0.5f, 1.0f});
    record.setArray("light", &light, 1);
    mrhost::SampleContext context(scene);
    mrhost::SampleGeometry geometry;
    geometry.origin = {0.0f, 0.0f, 5.0f};
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    EXPECT_EQ(context.shade(shader.library.shader(), record, geometry, result), miTRUE);
    return result;
}

TEST_F(InstalledTree, ShaderLibraryShadesThroughItsInstalledDeclaration)
{
    std::unique_ptr<LoadedShader> installed;
    try {
        installed = std::make_unique<LoadedShader>(prefix_ / kDeclaration, prefix_ / kShaderLibrary);
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
    const miColor color = shadeOneSample(*installed);
    EXPECT_EQ(color.a, 1.0f);
    EXPECT_GT(color.r, 0.0f) << "the light above the surface should light it";
    EXPECT_EQ(color.r, color.g) << "a grey material under a white light stays grey";
    EXPECT_EQ(color.r, color.b) << "a grey material under a white light stays grey";

    // The installed library is the one the build made: the same sample, bit
    // for bit.
    LoadedShader built(fs::path(GLOSSY_SOURCE_DIR) / "mrshader/kova_glossy.mi", KOVA_GLOSSY_PATH);
    const miColor expected = shadeOneSample(built);
    EXPECT_EQ(std::memcmp(&color, &expected, sizeof color), 0)
        << "installed " << color.r << " " << color.g << " " << color.b << ", built " << expected.r << " " << expected.g
        << " " << expected.b;
}

}  // namespace
