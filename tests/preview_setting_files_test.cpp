// Attribute presets and shader blocks on glossy-preview's command line: the
// preset reader, the shipped presets, the order in which sources apply, and
// one line naming file and line, status 2 and no image for every bad file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "attribute_preset.h"
#include "host_inputs.h"
#include "options.h"
#include "preview_command.h"
#include "setting_sources.h"

namespace fs = std::filesystem;
using namespace preview;

namespace {

// The node's inputs as the built plug-in registers them.
const std::vector<DeclaredInput>& nodeInputs()
{
    static const HostInputs inputs = readHostInputs(builtDeliverables());
    return inputs.maya;
}

std::string testName(const char* what)
{
    std::string name;
    for (const char c : std::string(what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// A scratch folder per test and process, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ =
            fs::temp_directory_path() / ("preview_files_" + testName(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string write(const std::string& name, const std::string& text) const
    {
        std::ofstream(root_ / name, std::ios::binary) << text;
        return (root_ / name).string();
    }

    fs::path root_;
};

TEST(AttributePreset, ReadsEachAttributeInOrderWithItsKind)
{
    const auto settings = parseAttributePreset(
        "// a look\r\n"
        "startAttrPreset( \"glossy\" );\r\n"
        "\tblendAttr \"specularColor\" 1 0.8 0.5;\n"
        "blendAttr \"roughness\"  +0.125 ;\n"
        "blendAttr \"ambientColorB\" 0.75;\n"
        "blendAttr \"ambientColorR\" 0.25;\n"
        "blendAttr \"ambientColorG\" 0.5;\n"
        "\n"
        "endAttrPreset();\n"
        "// done\n",
        "look.mel", nodeInputs());
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(settings[2].name, "ambientColor") << "its three channels make one setting";
    EXPECT_EQ(settings[2].value.values, (std::array<float, 3>{0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(settings[0].name, "specularColor");
    EXPECT_EQ(settings[0].value.kind, InputKind::Triple);
    EXPECT_EQ(settings[0].value.values, (std::array<float, 3>{1.0f, 0.8f, 0.5f}));
    EXPECT_EQ(settings[1].name, "roughness");
    EXPECT_EQ(settings[1].value.values[0], 0.125f);
}

struct BadPreset {
    const char* what;
    const char* text;
    int line;
    const char* message;
};

void PrintTo(const BadPreset& bad, std::ostream* os) { *os << bad.what; }

class AttributePresetBad : public ::testing::TestWithParam<BadPreset> {};

TEST_P(AttributePresetBad, NamesTheFileTheLineAndWhatWasExpected)
{
    const BadPreset& bad = GetParam();
    try {
        parseAttributePreset(bad.text, "look.mel", nodeInputs());
        FAIL() << bad.what << ": accepted";
    } catch (const UsageError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("look.mel:" + std::to_string(bad.line) + ": ", 0), 0u) << what;
        EXPECT_NE(what.find(bad.message), std::string::npos) << what;
        for (const char c : what) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "unprintable byte in: " << what;
    }
}

#define START "startAttrPreset( \"glossy\" );\n"
#define END "endAttrPreset();\n"

INSTANTIATE_TEST_SUITE_P(
    Lines, AttributePresetBad,
    ::testing::Values(
        BadPreset{"empty file", "", 1, "expected startAttrPreset( \"glossy\" );, found the end of the file"},
        BadPreset{"no start", "blendAttr \"roughness\" 0.1;\n", 1, "expected startAttrPreset"},
        BadPreset{"another node type", "startAttrPreset( \"blinn\" );\n", 1, "found one of \"blinn\""},
        BadPreset{"attribute the node lacks", START "blendAttr \"specularWeight\" 1;\n" END, 2,
                  "expected an attribute of the glossy node"},
        BadPreset{"misspelt attribute", START "blendAttr \"colour\" 1 1 1;\n" END, 2, "found \"colour\""},
        BadPreset{"too few numbers", START "blendAttr \"color\" 1 1;\n" END, 2, "expected 3 numbers for \"color\""},
        BadPreset{"too many numbers", START "blendAttr \"roughness\" 1 2;\n" END, 2, "';' after the 1 number"},
        BadPreset{"malformed number", START "blendAttr \"roughness\" 0.1x;\n" END, 2,
                  "1 number for \"roughness\", found '0.1x;'"},
        BadPreset{"no semicolon", START "blendAttr \"roughness\" 0.1\n" END, 2, "';' after"},
        BadPreset{"text after the statement", START "blendAttr \"roughness\" 0.1; x\n" END, 2, "the end of the line"},
        BadPreset{"attribute twice", START "blendAttr \"diffuse\" 1;\n\nblendAttr \"diffuse\" 0;\n" END, 4,
                  "first on line 2"},
        BadPreset{"string attribute", START "blendAttrStr \"name\" \"x\";\n" END, 2, "blendAttr \"NAME\" VALUE"},
        BadPreset{"no end", START "blendAttr \"diffuse\" 1;\n", 2, "expected endAttrPreset();"},
        BadPreset{"statement after the end", START END "blendAttr \"diffuse\" 1;\n", 3, "nothing but comments"},
        BadPreset{"control byte", START "blendAttr \"dif\x7f\" 1;\n" END, 2, "\"dif\\x7f\""},
        BadPreset{"letters for a number", START "blendAttr \"roughness\" abc;\n" END, 2,
                  "expected 1 number for \"roughness\", found 'abc;'"},
        BadPreset{"decimal comma", START "blendAttr \"color\" 1 0,5 1;\n" END, 2,
                  "expected 3 numbers for \"color\", found '0,5 1;'"},
        BadPreset{"number that underflows", START "blendAttr \"diffuse\" 1e-50;\n" END, 2,
                  "'1e-50' underflows to zero in single precision (expected 1 number for \"diffuse\")"},
        BadPreset{"number that overflows", START "blendAttr \"color\" 1 -1e39 1;\n" END, 2,
                  "'-1e39' overflows to infinity in single precision (expected 3 numbers for \"color\")"},
        BadPreset{"misspelt command", START "blendAtr \"roughness\" 0.1;\n" END, 2,
                  "found 'blendAtr \"roughness\" 0.1...'"},
        BadPreset{"misspelt start", "startAttrPrest( \"glossy\" );\n", 1, "found 'startAttrPrest( \"glossy"},
        BadPreset{"one channel of a colour alone", START "\nblendAttr \"colorR\" 0.5;\nblendAttr \"colorG\" 0.5;\n" END,
                  3, "expected \"colorR\", \"colorG\" and \"colorB\" together (or \"color\" with 3 numbers)"},
        BadPreset{"channel of a colour set whole", START "blendAttr \"color\" 1 1 1;\nblendAttr \"colorG\" 0;\n" END, 3,
                  "found \"colorG\" a second time (first on line 2)"},
        BadPreset{"channel of an input the node lacks", START "blendAttr \"normalOffsetR\" 0;\n" END, 2,
                  "found \"normalOffsetR\""}),
    [](const ::testing::TestParamInfo<BadPreset>& info) { return testName(info.param.what); });

// A text file is held to what it is whatever it reports, and a refusal
// keeps the system's reason; an editor's byte-order mark is no fault.
TEST_F(ScratchFolder, TextFilesAreReadAsWhatTheyAre)
{
    write("marked.mel", "\xEF\xBB\xBF" START "blendAttr \"diffuse\" 0.5;\n" END);
    write("file", "");
    fs::create_symlink("loop", root_ / "loop");
    ASSERT_EQ(::mkfifo((root_ / "pipe").c_str(), 0600), 0);
    const std::pair<std::string, const char*> rows[] = {
        {"marked.mel", nullptr},
        {"loop", ":0: cannot read it (Too many levels of symbolic links)"},
        {"file/x.mel", ":0: cannot read it (Not a directory)"},
        {"pipe", ":0: expected a text file, found a device, pipe or socket"},
        // Reports a size of 0 and holds far more than the limit.
        {"/proc/kallsyms", ":0: expected a text file of at most 1048576 bytes"},
    };
    for (const auto& [name, message] : rows) {
        const std::string path = name[0] == '/' ? name : (root_ / name).string();
        if (name[0] == '/' && ::access(path.c_str(), R_OK) != 0) continue;
        try {
            const auto settings = readAttributePreset(path, nodeInputs());
            EXPECT_EQ(message, nullptr) << name << ": accepted";
            EXPECT_EQ(settings.size(), 1u) << name;
        } catch (const UsageError& e) {
            ASSERT_NE(message, nullptr) << name << ": " << e.what();
            EXPECT_EQ(std::string(e.what()), path + message) << name;
        }
    }
}

TEST(ShippedPresets, AtLeastThreeLooksEachReadsAndTheyDiffer)
{
    const std::string folder = builtDeliverables().presetFolder;
    const std::vector<std::string> names = shippedPresetNames(folder);
    ASSERT_GE(names.size(), 3u) << folder;
    std::vector<std::vector<MaterialSetting>> looks;
    for (const std::string& name : names) {
        const auto settings = readAttributePreset(folder + "/" + name + ".mel", nodeInputs());
        EXPECT_GE(settings.size(), 4u) << name;
        looks.push_back(settings);
    }
    const auto roughnessOf = [](const std::vector<MaterialSetting>& look) {
        for (const MaterialSetting& s : look)
            if (s.name == "roughness") return s.value.values[0];
        return -1.0f;
    };
    for (std::size_t i = 0; i < looks.size(); ++i)
        for (std::size_t j = i + 1; j < looks.size(); ++j)
            EXPECT_NE(roughnessOf(looks[i]), roughnessOf(looks[j])) << names[i] << " and " << names[j];
}

using SettingOrder = ScratchFolder;

TEST_F(SettingOrder, SourcesApplyInCommandLineOrder)
{
    const std::string preset =
        write("mine.mel", START "blendAttr \"roughness\" 0.5;\nblendAttr \"diffuse\" 0.25;\n" END);
    const std::string block = write("scene.mi",
                                    "shader \"a\" \"kova_glossy\" (\"roughness\" 0.75, \"useIrradiance\" on)\n"
                                    "shader \"b\" \"kova_glossy\" (\"roughness\" 0.875)\n");
    const PreviewOptions options = parseOptions({"--set", "roughness=0.125", "--preset", preset, "--mi", block,
                                                 "--shader", "b", "--set", "diffuse=1", "--mi", block, "--shader", "a"},
                                                readHostInputs(builtDeliverables()));
    const DeliverablePaths paths = builtDeliverables();
    const auto settings =
        resolveSettings(options.settings, {paths.presetFolder, paths.shaderDeclaration}, readHostInputs(paths));
    std::vector<std::pair<std::string, float>> got;
    for (const MaterialSetting& s : settings) got.emplace_back(s.name, s.value.values[0]);
    const std::vector<std::pair<std::string, float>> expected{
        {"roughness", 0.125f}, {"roughness", 0.5f},  {"diffuse", 0.25f},     {"roughness", 0.875f},
        {"diffuse", 1.0f},     {"roughness", 0.75f}, {"useIrradiance", 1.0f}};
    EXPECT_EQ(got, expected);
}

struct BadFile {
    const char* what;
    const char* content;  // written to ROOT/FILE; null writes nothing
    std::vector<std::string> args;
    const char* message;  // a part of the line, with ROOT for the folder
};

void PrintTo(const BadFile& bad, std::ostream* os) { *os << bad.what; }

class PreviewBadFile : public ScratchFolder, public ::testing::WithParamInterface<BadFile> {};

TEST_P(PreviewBadFile, OneLineNamingFileAndLineStatusTwoAndNoImage)
{
    const BadFile& bad = GetParam();
    if (bad.content != nullptr) write("FILE", bad.content);
    const auto withRoot = [&](std::string text) {
        for (std::size_t at; (at = text.find("ROOT")) != std::string::npos;) text.replace(at, 4, root_.string());
        return text;
    };
    std::vector<std::string> args{"--out", (root_ / "out").string()};
    for (const std::string& arg : bad.args) args.push_back(withRoot(arg));
    std::ostringstream out, err;
    EXPECT_EQ(runPreview(args, out, err, builtDeliverables(), false), 2) << bad.what;
    const std::string line = err.str();
    EXPECT_NE(line.find(withRoot(bad.message)), std::string::npos) << bad.what << ": " << line.substr(0, 400);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "exactly one line: " << line;
    EXPECT_LT(line.size(), 400u) << "a short line: " << line.substr(0, 400);
    EXPECT_FALSE(fs::exists(root_ / "out")) << bad.what << ": the output folder was made";
}

// Files whose every part a message could quote: one token of 100 kB, and
// 20,000 blocks to choose from.
const std::string kLongToken = "shader \"a\" \"kova_glossy\" (\"" + std::string(100000, 'r') + "\" 1)";
const std::string kManyBlocks = [] {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "shader \"b" + std::to_string(i) + "\" \"kova_glossy\" ()\n";
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Files, PreviewBadFile,
    ::testing::Values(BadFile{"unknown preset name",
                              nullptr,
                              {"--preset", "satn"},
                              "no shipped preset of that name (expected one of"},
                      BadFile{"missing preset file",
                              nullptr,
                              {"--preset", "ROOT/FILE"},
                              "ROOT/FILE:0: cannot read it (No such file or directory)"},
                      BadFile{"preset folder", nullptr, {"--preset", "ROOT/"}, "ROOT/:0: expected a text file"},
                      BadFile{"binary preset",
                              "startAttrPreset( \"glossy\" );\n\x01\x02",
                              {"--preset", "ROOT/FILE"},
                              "ROOT/FILE:2: expected text"},
                      BadFile{"malformed preset line",
                              START "blendAttr roughness 0.1;\n" END,
                              {"--preset", "ROOT/FILE"},
                              "ROOT/FILE:2: expected the quoted name of an attribute"},
                      BadFile{"missing mi file", nullptr, {"--mi", "ROOT/FILE"}, "ROOT/FILE:0: cannot read it"},
                      BadFile{"unknown shader parameter",
                              "shader \"a\" \"kova_glossy\" (\n\"rougness\" 0.1)",
                              {"--mi", "ROOT/FILE"},
                              "ROOT/FILE:2: expected a parameter of \"kova_glossy\", found \"rougness\""},
                      BadFile{"shader value of the wrong type",
                              "shader \"a\" \"kova_glossy\" (\n\n\"useIrradiance\" 0.5)",
                              {"--mi", "ROOT/FILE"},
                              "ROOT/FILE:3: expected a value for boolean \"useIrradiance\""},
                      BadFile{"shader colour of two numbers",
                              "shader \"a\" \"kova_glossy\" (\"color\" 1 0)",
                              {"--mi", "ROOT/FILE"},
                              "ROOT/FILE:1: expected 3 or 4 numbers for color \"color\""},
                      BadFile{"two blocks and no shader named",
                              "shader \"a\" \"kova_glossy\" ()\nshader \"b\" \"kova_glossy\" ()",
                              {"--mi", "ROOT/FILE"},
                              "ROOT/FILE:0: expected one kova_glossy block or --shader NAME, found \"a\", \"b\""},
                      BadFile{"name beyond ASCII, escaped once",
                              "shader \"a\" \"kova_glossy\" (\"r\xc3\xb6ughness\" 0.1)",
                              {"--mi", "ROOT/FILE"},
                              "found \"r\\xc3\\xb6ughness\", which it does not declare"},
                      BadFile{"token of 100 kB",
                              kLongToken.c_str(),
                              {"--mi", "ROOT/FILE"},
                              "found \"rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr...\", which"},
                      BadFile{"20000 blocks and no shader named",
                              kManyBlocks.c_str(),
                              {"--mi", "ROOT/FILE"},
                              "found \"b0\", \"b1\", \"b2\", \"b3\", \"b4\" and 19995 more"},
                      BadFile{"a bad number, not what follows it",
                              START "blendAttr \"roughness\" 0,5;\n" END,
                              {"--preset", "ROOT/FILE"},
                              "ROOT/FILE:2: expected 1 number for \"roughness\", found '0,5;'"},
                      BadFile{"shader named that is not there",
                              "shader \"a\" \"kova_glossy\" ()",
                              {"--mi", "ROOT/FILE", "--shader", "b"},
                              "ROOT/FILE:0: expected a shader block named \"b\""}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return testName(info.param.what); });

}  // namespace
