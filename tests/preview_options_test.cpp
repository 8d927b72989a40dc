// glossy-preview's command line: every bad input gives one line naming the
// problem and what was expected, exit status 2, and writes nothing (not even
// the output folder); --help lists every option with its default; a
// deliverable that does not load fails the run without an image.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host_inputs.h"
#include "options.h"
#include "preview_command.h"

namespace fs = std::filesystem;

namespace {

// "unknown option" -> "UnknownOption", for test and folder names.
std::string caseName(const std::string& what)
{
    std::string name;
    bool upper = true;
    for (char c : what) {
        if (c == ' ')
            upper = true;
        else {
            name += upper ? char(std::toupper(static_cast<unsigned char>(c))) : c;
            upper = false;
        }
    }
    return name;
}

struct BadInput {
    const char* what;
    std::vector<std::string> args;
    const char* message;  // a part of the line that names the problem
};

void PrintTo(const BadInput& input, std::ostream* os) { *os << input.what; }

class PreviewBadInput : public ::testing::TestWithParam<BadInput> {
protected:
    void SetUp() override
    {
        // Named by process too: other builds may run the same test at once.
        root_ = fs::temp_directory_path() /
                ("preview_options_" + caseName(GetParam().what) + "_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        // A plain file, for the cases that need one where a folder is expected.
        std::FILE* f = std::fopen((root_ / "file").c_str(), "w");
        std::fclose(f);
        // A link to nothing, a link to itself, a pipe and a folder where an
        // image would go, for the cases that need them.
        fs::create_symlink(root_ / "missing", root_ / "nowhere");
        fs::create_symlink(root_ / "loop", root_ / "loop");
        ::mkfifo((root_ / "pipe").c_str(), 0600);
        fs::create_directories(root_ / "taken" / "mentalray.exr");
    }
    void TearDown() override { fs::remove_all(root_); }

    // The test's own paths stand in for the placeholders ROOT.
    std::vector<std::string> argsOf(const BadInput& input) const
    {
        std::vector<std::string> args;
        bool outGiven = false;
        for (const std::string& arg : input.args) outGiven = outGiven || arg == "--out";
        // First, so that an option left without its value stays last.
        if (!outGiven) {
            args.push_back("--out");
            args.push_back((root_ / "out").string());
        }
        for (std::string arg : input.args) {
            const std::size_t at = arg.find("ROOT");
            if (at != std::string::npos) arg.replace(at, 4, root_.string());
            args.push_back(arg);
        }
        return args;
    }

    fs::path root_;
};

// Deliverables that do not load.
const preview::DeliverablePaths kUnused{"/nonexistent/glossy.so", "/nonexistent/kova_glossy.so",
                                        "/nonexistent/kova_glossy.mi", "/nonexistent/presets"};

// The inputs the built deliverables declare.
const preview::HostInputs& inputs()
{
    static const preview::HostInputs declared = preview::readHostInputs(preview::builtDeliverables());
    return declared;
}

}  // namespace

TEST_P(PreviewBadInput, OneLineStatusTwoAndNothingWritten)
{
    const BadInput& input = GetParam();
    std::ostringstream out, err;
    const int status = preview::runPreview(argsOf(input), out, err, preview::builtDeliverables(), false);
    EXPECT_EQ(status, 2) << input.what;
    const std::string line = err.str();
    EXPECT_NE(line.find(input.message), std::string::npos) << input.what << ": " << line;
    EXPECT_EQ(line.rfind("glossy-preview: ", 0), 0u) << line;
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "exactly one line: " << line;
    for (const char c : line.substr(0, line.size() - 1))
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "a byte the terminal would not show as itself in: " << line;
    EXPECT_TRUE(out.str().empty());
    EXPECT_FALSE(fs::exists(root_ / "out")) << input.what << ": the output folder was made";
    std::size_t entries = 0;
    for (auto it = fs::recursive_directory_iterator(root_); it != fs::recursive_directory_iterator(); ++it) ++entries;
    EXPECT_EQ(entries, 6u) << input.what << ": only the test's own files and links may be there";
}

INSTANTIATE_TEST_SUITE_P(
    Options, PreviewBadInput,
    ::testing::Values(
        BadInput{"unknown option", {"--colour", "red"}, "unknown option '--colour'"},
        BadInput{"stray argument", {"roughness=0.3"}, "unknown option 'roughness=0.3'"},
        BadInput{"missing value", {"--samples"}, "--samples: missing value"},
        BadInput{"unknown material input", {"--set", "rougness=0.3"}, "unknown material input 'rougness'"},
        BadInput{"set without a value", {"--set", "roughness"}, "expected NAME=VALUE"},
        BadInput{"malformed number", {"--set", "roughness=0.3x"}, "(expected a number such as 0.3)"},
        BadInput{"number that is not finite", {"--set=diffuse=inf"}, "(expected a number"},
        BadInput{"colour with two channels", {"--set", "color=1,0"}, "(expected three numbers r,g,b"},
        BadInput{"colour with four channels", {"--set", "color=1,0,0,1"}, "(expected three numbers r,g,b"},
        BadInput{"number with two signs", {"--set", "roughness=+-1"}, "'+-1' is not a value for roughness"},
        BadInput{"number after a space", {"--set", "roughness= 1"}, "' 1' is not a value for roughness"},
        BadInput{"hexadecimal number cut short", {"--set", "roughness=0x"}, "'0x' is not a value for roughness"},
        BadInput{"number that underflows",
                 {"--set", "color=1,1e-50,1"},
                 "--set color=1,1e-50,1: '1e-50' underflows to zero in single precision for color (expected three"},
        BadInput{
            "number that overflows", {"--set", "diffuse=1e39"}, "'1e39' overflows to infinity in single precision"},
        BadInput{"sweep from a number that underflows",
                 {"--sweep", "roughness=-1e-60:1:3"},
                 "'-1e-60' underflows to zero in single precision; FROM and TO must each be"},
        BadInput{"malformed boolean", {"--set", "useIrradiance=maybe"}, "(expected on or off)"},
        BadInput{"malformed count", {"--samples", "4k"}, "--samples 4k: expected a whole number"},
        BadInput{"sweep without steps", {"--sweep", "roughness=0.1:0.9"}, "expected NAME=FROM:TO:STEPS"},
        BadInput{"sweep of a malformed value", {"--sweep", "roughness=a:0.9:3"}, "FROM and TO must each be"},
        BadInput{"sweep of a boolean", {"--sweep", "useIrradiance=0:1:2"}, "cannot be swept"},
        BadInput{"sweep span beyond a float", {"--sweep", "roughness=-3e38:3e38:3"}, "FROM and TO are too far apart"},
        BadInput{"three sweeps",
                 {"--sweep", "roughness=0:1:2", "--sweep", "sharpness=0:1:2", "--sweep", "diffuse=0:1:2"},
                 "given 3 times"},
        BadInput{
            "the same input swept twice", {"--sweep", "roughness=0:1:2", "--sweep", "roughness=0:1:3"}, "given twice"},
        BadInput{"set of a swept input",
                 {"--set", "roughness=0.2", "--sweep", "roughness=0:1:3"},
                 "roughness is also set by --set roughness=0.2"},
        BadInput{"set of a swept input after its sweep",
                 {"--sweep", "sharpness=0:1:3", "--set", "sharpness=1"},
                 "sharpness is also set by --set sharpness=1"},
        BadInput{"set of a swept input on one host",
                 {"--sweep", "roughness=0:1:3", "--set", "mentalray:roughness=0.2"},
                 "roughness is also set by --set mentalray:roughness=0.2"},
        BadInput{"set for an unknown host", {"--set", "nuke:roughness=0.2"}, "unknown host 'nuke'"},
        BadInput{"set for a host without the input",
                 {"--set", "maya:specularWeight=2"},
                 "specularWeight is not an input of the Maya node"},
        BadInput{"lights neither on nor off", {"--lights", "dim"}, "--lights dim: expected on or off"},
        BadInput{"negative environment intensity", {"--env-intensity", "-1"}, "expected a number from 0 to"},
        BadInput{"exposure that is no number", {"--exposure", "nan"}, "expected a number from -20 to 20"},
        BadInput{"environment turn past a whole turn", {"--env-turn", "400"}, "expected a number from -360 to 360"},
        BadInput{"no irradiance rays", {"--irradiance-rays", "0"}, "expected a whole number from 1"},
        BadInput{"saved look without a file name", {"--save-mi", ""}, "--save-mi : expected a file name"},
        BadInput{"saved look in a missing folder",
                 {"--save-preset", "ROOT/missing/look.mel"},
                 "expected a file in an existing folder"},
        BadInput{"shader without its mi", {"--shader", "look"}, "expected it right after the --mi FILE"},
        BadInput{"two shaders for one mi", {"--mi", "a.mi", "--shader", "x", "--shader", "y"}, "expected one per --mi"},
        BadInput{"unreadable environment", {"--env", "ROOT/missing.exr"}, "cannot read it"},
        BadInput{"environment that is not an image", {"--env", "ROOT/file"}, "expected a latitude-longitude OpenEXR"},
        BadInput{"output folder that is a file", {"--out", "ROOT/file"}, "is not a folder"},
        BadInput{"output folder that is a link to nothing", {"--out", "ROOT/nowhere"}, "is a link to nothing"},
        BadInput{"output folder that cannot be made", {"--out", "ROOT/file/sub"}, "cannot create it"},
        BadInput{"output folder that is a link loop",
                 {"--out", "ROOT/loop"},
                 "cannot reach it (Too many levels of symbolic links)"},
        BadInput{"output image name that is a folder",
                 {"--out", "ROOT/taken"},
                 "taken: mentalray.exr in it is a folder, which an image cannot replace"},
        BadInput{
            "environment that is a pipe", {"--env", "ROOT/pipe"}, "cannot read it (it is a pipe, device or socket"},
        BadInput{"control bytes in a set value", {"--set", "rough\x1b[2Jness=1"}, "rough\\x1b[2Jness"},
        BadInput{"control bytes in a sweep", {"--sweep", "roughness=0:1:3\a"}, "STEPS is '3\\x07'"},
        BadInput{"control bytes in the environment name", {"--env", "ROOT/sky\r.exr"}, "sky\\x0d.exr: cannot read it"},
        BadInput{"control bytes in the output folder name",
                 {"--out",
                  "ROOT/file/\x9b"
                  "2J"},
                 "file/\\x9b2J: cannot create it"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return caseName(info.param.what); });

// Every limit at its edge: the last value allowed is taken, the next one is
// refused with the range it had to be in.
TEST(PreviewOptions, EachLimitTakesItsLastAllowedValueAndRefusesTheNext)
{
    using Args = std::vector<std::string>;
    const struct {
        Args accepted, refused;
        const char* message;
    } edges[] = {
        {{"--width=1"}, {"--width=0"}, "--width 0: expected a whole number from 1 to 16384"},
        {{"--width=16384"}, {"--width=16385"}, "--width 16385: expected a whole number from 1 to 16384"},
        {{"--height=1"}, {"--height=0"}, "--height 0: expected a whole number from 1 to 16384"},
        {{"--height=16384"}, {"--height=16385"}, "--height 16385: expected"},
        {{"--samples=1"}, {"--samples=0"}, "--samples 0: expected a whole number from 1 to 4096"},
        {{"--samples=4096"}, {"--samples=4097"}, "--samples 4097: expected"},
        {{"--threads=1"}, {"--threads=0"}, "--threads 0: expected a whole number from 1 to 1024"},
        {{"--threads=1024"}, {"--threads=1025"}, "--threads 1025: expected"},
        {{"--area-samples=1"}, {"--area-samples=0"}, "--area-samples 0: expected a whole number from 1 to 16"},
        {{"--area-samples=16"}, {"--area-samples=17"}, "--area-samples 17: expected"},
        {{"--sweep=roughness=0:1:2"},
         {"--sweep=roughness=0:1:1"},
         "STEPS is '1' (expected a whole number from 2 to 64)"},
        {{"--width=1024", "--sweep=roughness=0:1:64"}, {"--width=1024", "--sweep=roughness=0:1:65"}, "STEPS is '65'"},
        // Sixteen pixels per ball each way, columns then rows.
        {{"--width=48", "--sweep=roughness=0:1:3"},
         {"--width=47", "--sweep=roughness=0:1:3"},
         "--width 47 --height 360 is too small for a sheet of 3 x 1 balls"},
        {{"--height=32", "--sweep=roughness=0:1:3", "--sweep=sharpness=0:1:2"},
         {"--height=31", "--sweep=roughness=0:1:3", "--sweep=sharpness=0:1:2"},
         "--height 31 is too small for a sheet of 3 x 2 balls"},
    };
    for (const auto& edge : edges) {
        EXPECT_NO_THROW(preview::parseOptions(edge.accepted, inputs())) << edge.accepted.back();
        try {
            preview::parseOptions(edge.refused, inputs());
            ADD_FAILURE() << edge.refused.back() << ": accepted";
        } catch (const preview::UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(edge.message), std::string::npos) << e.what();
        }
    }
}

// Step i of n lies at FROM + (TO - FROM) × (i / (n - 1)), every step checked:
// FROM × (1 - t) + TO × t, or t as i / n, agree with it only at some.
TEST(PreviewOptions, EverySweepStepLiesAtItsShareOfTheSpan)
{
    using Steps = std::vector<std::array<float, 3>>;
    const std::pair<const char*, Steps> sweeps[] = {
        {"roughness=0.1:0.9:5",
         {{0x1.99999ap-4f, 0, 0},
          {0x1.333332p-2f, 0, 0},
          {0x1.fffffep-2f, 0, 0},
          {0x1.666666p-1f, 0, 0},
          {0x1.ccccccp-1f, 0, 0}}},
        // TO - FROM rounds, so FROM + 3 x step would miss TO (0.2) by a bit:
        // the last step is TO itself, as the first is FROM.
        {"specularColor=0.1,1.7,0.3:0.9,0.2,-0.7:4",
         {{0x1.99999ap-4f, 0x1.b33334p+0f, 0x1.333334p-2f},
          {0x1.777776p-2f, 0x1.333334p+0f, -0x1.11111p-5f},
          {0x1.444444p-1f, 0x1.666668p-1f, -0x1.777778p-2f},
          {0.9f, 0.2f, -0.7f}}},
    };
    for (const auto& [text, steps] : sweeps) {
        const preview::PreviewOptions o = preview::parseOptions({"--sweep", text}, inputs());
        ASSERT_EQ(o.sweeps.at(0).steps, int(steps.size())) << text;
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(o.sweeps[0].valueAt(int(i)).values, steps[i]) << text << ", step " << i;
    }
}

TEST(PreviewHelp, ListsEveryOptionWithItsDefaultAndEveryInput)
{
    std::ostringstream out, err;
    EXPECT_EQ(preview::runPreview({"--help"}, out, err, preview::builtDeliverables(), false), 0);
    const std::string text = out.str();
    EXPECT_TRUE(err.str().empty());
    for (const char* item : {"--width N", "[480]", "--height N", "[360]", "--samples N", "[8]", "--threads N",
                             "[all cores]", "--area-samples N", "[3]", "--out DIR", "[out]", "--env FILE.exr",
                             "[a sky gradient]", "--set NAME=VALUE", "--sweep NAME=FROM:TO:STEPS", "--help"})
        EXPECT_NE(text.find(item), std::string::npos) << item;
    for (const std::string& name : inputs().names())
        EXPECT_NE(text.find("\n  " + name + " "), std::string::npos) << name;
}

// Numbers as strtof reads them, wholly, and nothing else.
TEST(PreviewOptions, NumbersFollowTheGrammarOfStrtofAndStayWithinTheFloatRange)
{
    using preview::NumberRead;
    const std::pair<const char*, NumberRead> rows[] = {
        {"0x1.8p-1", NumberRead::Number},     {"+.5", NumberRead::Number},         {"5.", NumberRead::Number},
        {"-0X1P+2", NumberRead::Number},      {"1e-40", NumberRead::Number},       {"-0e-999", NumberRead::Number},
        {"", NumberRead::Malformed},          {"+-1", NumberRead::Malformed},      {"--1", NumberRead::Malformed},
        {" 1", NumberRead::Malformed},        {"1 ", NumberRead::Malformed},       {"1e", NumberRead::Malformed},
        {"0x", NumberRead::Malformed},        {"0x-1", NumberRead::Malformed},     {"1,5", NumberRead::Malformed},
        {"inf", NumberRead::NotFinite},       {"-NaN", NumberRead::NotFinite},     {"1e-50", NumberRead::Underflow},
        {"-0x1p-200", NumberRead::Underflow}, {"1e-99999", NumberRead::Underflow}, {"1e39", NumberRead::Overflow},
        {"-1e99999", NumberRead::Overflow},
    };
    for (const auto& [text, expected] : rows) {
        float value = 7.0f;
        EXPECT_EQ(preview::readNumber(text, value), expected) << "'" << text << "'";
    }
    const std::pair<const char*, float> values[] = {
        {"0x1.8p-1", 0x1.8p-1f}, {"+.5", 0.5f}, {"-0X1P+2", -4.0f}, {"1e-40", 0x1.16c2p-133f}};
    for (const auto& [text, expected] : values) {
        float value = 7.0f;
        preview::readNumber(text, value);
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(PreviewOptions, ValuesAreParsedInEveryForm)
{
    const preview::PreviewOptions o =
        preview::parseOptions({"--set", "color=0.8,0.2,+1e-1", "--set=useIrradiance=on", "--sweep=roughness=0.1:0.9:5",
                               "--sweep", "specularColor=0,0,0:1,0.5,0:3", "--samples=2", "--width", "300"},
                              inputs());
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].setting.value.values, (std::array<float, 3>{0.8f, 0.2f, 0.1f}));
    EXPECT_EQ(o.settings[1].setting.value.values[0], 1.0f);
    ASSERT_EQ(o.sweeps.size(), 2u);
    EXPECT_EQ(o.sweeps[0].steps, 5);
    EXPECT_EQ(o.sweeps[1].valueAt(1).values, (std::array<float, 3>{0.5f, 0.25f, 0.0f}));
    EXPECT_EQ(o.samples, 2);
    EXPECT_EQ(o.width, 300);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.outDir, "out");
}

// A deliverable that does not load, or a declaration that lacks what the
// preview sets, is a failure of the run, not of the command line: status 1,
// one line naming it (said once), no image.
TEST(PreviewRun, ADeliverableThatDoesNotLoadFailsWithStatusOneAndNoImage)
{
    const fs::path out = fs::temp_directory_path() / ("preview_run_" + std::to_string(::getpid()));
    const fs::path noLight = fs::temp_directory_path() / ("preview_run_no_light_" + std::to_string(::getpid()) + ".mi");
    {
        std::FILE* f = std::fopen(noLight.c_str(), "w");
        std::fputs("declare shader color \"kova_glossy\" (scalar \"diffuse\") version 1 end declare\n", f);
        std::fclose(f);
    }
    preview::DeliverablePaths noShader = preview::builtDeliverables();
    noShader.shaderLibrary = "/nonexistent/kova_glossy.so";
    preview::DeliverablePaths noLightArray = preview::builtDeliverables();
    noLightArray.shaderDeclaration = noLight.string();
    preview::DeliverablePaths declarationFolder = preview::builtDeliverables();
    declarationFolder.shaderDeclaration = fs::temp_directory_path().string();
    const std::pair<preview::DeliverablePaths, const char*> cases[] = {
        {kUnused, "cannot load the Maya plug-in /nonexistent/glossy.so"},
        {noShader, "cannot load the renderer shader"},
        {noLightArray, "cannot load the renderer shader: shader \"kova_glossy\" has no array parameter \"light\""},
        {declarationFolder, "expected a declaration file, found a folder"}};
    for (const auto& [paths, message] : cases) {
        fs::remove_all(out);
        std::ostringstream stdoutText, stderrText;
        testing::internal::CaptureStderr();
        EXPECT_EQ(preview::runPreview({"--width", "16", "--height", "16", "--out", out.string()}, stdoutText,
                                      stderrText, paths, false),
                  1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "reported beside the run's own line";
        const std::string line = stderrText.str();
        EXPECT_NE(line.find(message), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "exactly one line: " << line;
        EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << message;
    }
    fs::remove_all(out);
    fs::remove(noLight);
}

namespace {

// An output that takes nothing, as a full device.
class RefusingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

}  // namespace

TEST(PreviewHelp, AnOutputThatCannotTakeItFailsTheRun)
{
    RefusingBuffer refusing;
    std::ostream out(&refusing);
    std::ostringstream err;
    EXPECT_EQ(preview::runPreview({"--help"}, out, err, preview::builtDeliverables(), false), 1);
    EXPECT_EQ(err.str().rfind("glossy-preview: cannot write the help text", 0), 0u) << err.str();
}
