// Looks developed on the command line: settings for one host only, sweeps
// around a preset's look, looks saved in each host's language that render
// the same bits when read back, images that record what made them, and
// exposure for the pictures alone.
#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfStringAttribute.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "host_inputs.h"
#include "image_files.h"
#include "look_files.h"
#include "options.h"
#include "preview_command.h"
#include "run_record.h"

namespace fs = std::filesystem;
using namespace preview;

namespace {

TEST(LookFiles, NumbersReadBackToTheSameFloat)
{
    // Six digits (%g) would lose all but the first two.
    for (const float value : {0.1f, 0.123456789f, 1.0f / 3.0f, 1e-5f, -2.5e-38f, 3.4028235e38f, 0.0f}) {
        const auto back = parseNumber(exactNumber(value));
        ASSERT_TRUE(back) << exactNumber(value);
        EXPECT_EQ(std::memcmp(&*back, &value, sizeof value), 0) << exactNumber(value);
    }
}

TEST(LookFiles, EachHostKeepsTheLastSettingItTook)
{
    const HostInputs inputs = readHostInputs(builtDeliverables());
    const PreviewOptions options =
        parseOptions({"--set", "roughness=0.5", "--set", "maya:roughness=0.25", "--set", "specularWeight=2", "--set",
                      "color=1,0,0", "--set", "mentalray:color=0,1,0", "--set", "reflectedColor=0,0,1"},
                     inputs);
    std::vector<MaterialSetting> settings;
    for (const SettingSource& source : options.settings) settings.push_back(source.setting);
    const struct {
        HostSide host;
        std::string text;
    } cases[] = {
        {HostSide::Maya,
         "startAttrPreset( \"glossy\" );\nblendAttr \"color\" 1 0 0;\nblendAttr \"roughness\" 0.25;\n"
         "blendAttr \"reflectedColor\" 0 0 1;\nendAttrPreset();\n"},
        {HostSide::MentalRay,
         "shader \"look\" \"kova_glossy\" (\n    \"color\" 0 1 0 1,\n    \"roughness\" 0.5,\n"
         "    \"specularWeight\" 2\n)\n"},
    };
    for (const auto& c : cases) {
        const auto look = hostLook(inputs, settings, c.host);
        EXPECT_EQ(
            c.host == HostSide::Maya ? attributePresetText(look) : shaderBlockText(look, "look", inputs.mentalRay),
            c.text);
    }
    EXPECT_EQ(runRecord(options, settings, inputs),
              "glossy-preview --width 480 --height 360 --samples 8 --area-samples 3 --set maya:color=1,0,0 --set "
              "mentalray:color=0,1,0 --set maya:roughness=0.25 --set mentalray:roughness=0.5 --set specularWeight=2 "
              "--set reflectedColor=0,0,1");
}

class LookRuns : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("preview_looks_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // Renders into ROOT/name; the arguments' ROOT stands for the folder.
    std::string run(const std::string& name, std::vector<std::string> args)
    {
        for (std::string& arg : args)
            if (arg.rfind("ROOT", 0) == 0) arg = (root_ / arg.substr(5)).string();
        const std::string out = (root_ / name).string();
        std::vector<std::string> all{"--width", "32", "--height", "24", "--samples", "2", "--out", out};
        all.insert(all.end(), args.begin(), args.end());
        std::ostringstream stdoutText, stderrText;
        EXPECT_EQ(runPreview(all, stdoutText, stderrText, builtDeliverables(), false), 0) << stderrText.str();
        return out;
    }

    // The float pixels of an EXR image, and its record.
    static std::vector<float> pixels(const std::string& path, std::string* record = nullptr)
    {
        Imf::InputFile file(path.c_str());
        const Imath::Box2i window = file.header().dataWindow();
        const int width = window.max.x - window.min.x + 1, height = window.max.y - window.min.y + 1;
        std::vector<float> values(std::size_t(width) * height * 3);
        Imf::FrameBuffer frame;
        const char* names[] = {"R", "G", "B"};
        for (int c = 0; c < 3; ++c)
            frame.insert(names[c], Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(values.data() + c), 3 * sizeof(float),
                                              3 * sizeof(float) * std::size_t(width)));
        file.setFrameBuffer(frame);
        file.readPixels(window.min.y, window.max.y);
        if (record) {
            const auto* attribute = file.header().findTypedAttribute<Imf::StringAttribute>(kRecordKey);
            *record = attribute ? attribute->value() : "";
        }
        return values;
    }

    static std::string pngRecord(const std::string& path)
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, f);
        png_read_info(png, info);
        png_textp text = nullptr;
        int count = 0;
        png_get_text(png, info, &text, &count);
        std::string record;
        for (int i = 0; i < count; ++i)
            if (std::string(text[i].key) == kRecordKey) record = text[i].text;
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return record;
    }

    fs::path root_;
};

TEST_F(LookRuns, AHostPrefixSetsThatHostOnly)
{
    const std::string plain = run("plain", {});
    const std::string one = run("one", {"--set", "mentalray:roughness=0.6"});
    EXPECT_EQ(pixels(one + "/maya.exr"), pixels(plain + "/maya.exr"));
    EXPECT_NE(pixels(one + "/mentalray.exr"), pixels(plain + "/mentalray.exr"));
}

TEST_F(LookRuns, ASweepWinsOverThePresetOrBlockBeforeIt)
{
    std::ofstream(root_ / "rough.mel") << "startAttrPreset( \"glossy\" );\nblendAttr \"roughness\" 0.9;\n"
                                          "blendAttr \"color\" 0.5 0.1 0.1;\nendAttrPreset();\n";
    std::ofstream(root_ / "plain.mel") << "startAttrPreset( \"glossy\" );\nblendAttr \"color\" 0.5 0.1 0.1;\n"
                                          "endAttrPreset();\n";
    std::ofstream(root_ / "rough.mi") << "shader \"a\" \"kova_glossy\" (\"roughness\" 0.9)\n";
    const std::vector<std::string> sweep{"--sweep", "roughness=0.1:0.4:2"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), sweep.begin(), sweep.end());
        return args;
    };
    const std::string around = run("around", with({"--preset", "ROOT/rough.mel"}));
    const std::string base = run("base", with({"--preset", "ROOT/plain.mel"}));
    const std::string block = run("block", with({"--mi", "ROOT/rough.mi", "--preset", "ROOT/plain.mel"}));
    for (const char* image : {"/maya.exr", "/mentalray.exr"}) {
        EXPECT_EQ(pixels(around + image), pixels(base + image)) << image;
        EXPECT_EQ(pixels(block + image), pixels(base + image)) << image;
    }
}

TEST_F(LookRuns, SavedLooksReadBackToTheSameImagesAndImagesRecordTheirSettings)
{
    const std::string made = run("made", {"--set", "maya:roughness=0.123456789", "--set", "color=0.3,0.1,0.7", "--set",
                                          "mentalray:specularColor=0.9,0.77777777,0.5", "--set", "useIrradiance=on",
                                          "--save-preset", "ROOT/look.mel", "--save-mi", "ROOT/look.mi"});
    const std::string fromMel = run("mel", {"--preset", "ROOT/look.mel"});
    const std::string fromMi = run("mi", {"--mi", "ROOT/look.mi"});
    std::string record;
    const std::vector<float> maya = pixels(made + "/maya.exr", &record);
    EXPECT_EQ(pixels(fromMel + "/maya.exr"), maya);
    EXPECT_EQ(pixels(fromMi + "/mentalray.exr"), pixels(made + "/mentalray.exr"));

    // Every image keeps the same record, and the record renders the same images.
    EXPECT_NE(record.find("--set maya:roughness=0.12345679 "), std::string::npos) << record;
    EXPECT_NE(record.find("--set mentalray:specularColor=0.9,0.7777778,0.5 "), std::string::npos) << record;
    for (const char* png : {"/maya.png", "/mentalray.png", "/side-by-side.png"})
        EXPECT_EQ(pngRecord(made + png), record);
    std::vector<std::string> again;
    std::istringstream words(record);
    for (std::string word; words >> word;) again.push_back(word);
    again.erase(again.begin());
    const std::string rerun = run("again", again);
    EXPECT_EQ(pixels(rerun + "/maya.exr"), maya);
    EXPECT_EQ(pixels(rerun + "/mentalray.exr"), pixels(made + "/mentalray.exr"));
}

TEST_F(LookRuns, ExposureBrightensThePicturesAndLeavesTheExrImages)
{
    const std::string plain = run("plain", {}), brighter = run("brighter", {"--exposure", "1.5"});
    auto sum = [](const std::string& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_file(&image, path.c_str());
        image.format = PNG_FORMAT_RGB;
        std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr);
        return std::accumulate(bytes.begin(), bytes.end(), 0L);
    };
    EXPECT_GT(sum(brighter + "/maya.png"), sum(plain + "/maya.png") * 5 / 4);
    EXPECT_EQ(pixels(brighter + "/maya.exr"), pixels(plain + "/maya.exr"));
}

}  // namespace
