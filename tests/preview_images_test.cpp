// The preview's image files: PNG and OpenEXR written by the preview read back
// through libpng and OpenEXR with the right size and values, a failed set of
// images leaves nothing behind, and lat-long environments read back.
#include <gtest/gtest.h>

#include <ImfArray.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfRgbaFile.h>
#include <ImfStandardAttributes.h>
#include <png.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "environment.h"
#include "environment_file.h"
#include "failing_file_calls.h"
#include "image.h"
#include "image_files.h"
#include "scene.h"

namespace fs = std::filesystem;
using preview::Image;
using preview::Vec3;

namespace {

// A fresh empty folder per test, removed afterwards.
class ImageFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Named by process too: other builds may run the same test at once.
        folder_ = fs::temp_directory_path() /
                  ("preview_images_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                   "_" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> filesInFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
};

// A gradient with values outside [0, 1] that only the float file can keep.
Image testImage()
{
    Image image(7, 5);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.at(x, y) = {float(x) * 0.25f, float(y) * -0.5f, 3.5f};
    return image;
}

std::vector<png_byte> readPng(const std::string& path, int& width, int& height)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&png, path.c_str())) << path;
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(png));
    EXPECT_TRUE(png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) << path;
    width = int(png.width);
    height = int(png.height);
    return bytes;
}

// A lat-long image whose red grows along each row (column c holds c + 1) and
// whose green is 4 in the upper half, 0.5 in the lower.
void writeLatLong(const std::string& path, int width, int height)
{
    std::vector<Imf::Rgba> pixels(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[std::size_t(y) * width + x] = Imf::Rgba(float(x + 1), y < height / 2 ? 4.0f : 0.5f, 0.0f);
    Imf::RgbaOutputFile file(path.c_str(), width, height, Imf::WRITE_RGBA);
    file.setFrameBuffer(pixels.data(), 1, width);
    file.writePixels(height);
}

// An OpenEXR file of the given data window whose channels are each one
// value throughout; `pixels` false leaves the pixels unwritten (a header
// and an offset table only).
void writeChannels(const std::string& path, const std::vector<std::pair<std::string, float>>& channels,
                   Imf::PixelType type, const Imath::Box2i& window, Imf::Compression compression = Imf::ZIP_COMPRESSION,
                   bool pixels = true)
{
    Imf::Header header(window, window);
    header.compression() = compression;
    for (const auto& channel : channels) header.channels().insert(channel.first, Imf::Channel(type));
    Imf::OutputFile file(path.c_str(), header);
    if (!pixels) return;
    const std::size_t texels =
        std::size_t(window.max.x - window.min.x + 1) * std::size_t(window.max.y - window.min.y + 1);
    std::vector<std::vector<float>> floats;
    std::vector<std::vector<half>> halves;
    Imf::FrameBuffer frame;
    for (const auto& [name, value] : channels) {
        floats.emplace_back(texels, value);
        halves.emplace_back(texels, half(value));
        const void* data = type == Imf::FLOAT ? static_cast<const void*>(floats.back().data()) : halves.back().data();
        frame.insert(name, Imf::Slice::Make(type, data, window));
    }
    file.setFrameBuffer(frame);
    file.writePixels(window.max.y - window.min.y + 1);
}

const Imath::Box2i kSmallWindow(Imath::V2i(0, 0), Imath::V2i(3, 1));

}  // namespace

// The linear toe (12.92 x) up to 0.0031308, the power curve above it. Points
// on both sides of the threshold, where the other segment gives another code
// (0.002 on the curve gives 6, 0.01 on the line 33), and the clamps.
TEST(SrgbEncoding, EachSegmentGivesItsOwnCodesAndOnlyTheLastStepClamps)
{
    const std::pair<float, int> codes[] = {
        {0.0f, 0},   {-2.0f, 0},  {NAN, 0},    {0.001f, 3}, {0.002f, 7}, {0.007f, 20}, {0.01f, 25},
        {0.02f, 39}, {0.03f, 48}, {0.2f, 124}, {0.5f, 188}, {0.9f, 243}, {1.0f, 255},  {40.0f, 255},
    };
    for (const auto& [linear, code] : codes) EXPECT_EQ(preview::toSrgb8(linear), code) << "linear " << linear;
}

TEST_F(ImageFilesTest, PngAndExrReadBackWithTheirSizeAndValues)
{
    const Image image = testImage();
    preview::writeImages(folder_.string(),
                         {{"a.png", &image, preview::ImageFormat::Png}, {"a.exr", &image, preview::ImageFormat::Exr}});

    int width = 0, height = 0;
    const std::vector<png_byte> bytes = readPng((folder_ / "a.png").string(), width, height);
    ASSERT_EQ(width, 7);
    ASSERT_EQ(height, 5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const png_byte* p = &bytes[(std::size_t(y) * width + x) * 3];
            EXPECT_EQ(p[0], preview::toSrgb8(float(x) * 0.25f)) << x << "," << y;
            EXPECT_EQ(p[1], 0) << x << "," << y;
            EXPECT_EQ(p[2], 255) << x << "," << y;
        }

    // Read as RGBA halves: every test value is exactly representable as a half.
    Imf::RgbaInputFile exr((folder_ / "a.exr").string().c_str());
    const Imath::Box2i window = exr.dataWindow();
    ASSERT_EQ(window.max.x - window.min.x + 1, 7);
    ASSERT_EQ(window.max.y - window.min.y + 1, 5);
    Imf::Array2D<Imf::Rgba> pixels(5, 7);
    exr.setFrameBuffer(&pixels[0][0], 1, 7);
    exr.readPixels(window.min.y, window.max.y);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(float(pixels[y][x].r), float(x) * 0.25f);
            EXPECT_EQ(float(pixels[y][x].g), float(y) * -0.5f) << "negative values survive";
            EXPECT_EQ(float(pixels[y][x].b), 3.5f) << "values above 1 survive";
        }
    EXPECT_EQ(filesInFolder().size(), 2u) << "no temporary file is left";
}

TEST_F(ImageFilesTest, AFailedSetLeavesNoFileAtAll)
{
    const Image good = testImage();
    const Image empty;  // no writer accepts an image without pixels
    EXPECT_THROW(preview::writeImages(folder_.string(), {{"good.png", &good, preview::ImageFormat::Png},
                                                         {"good.exr", &good, preview::ImageFormat::Exr},
                                                         {"bad.exr", &empty, preview::ImageFormat::Exr}}),
                 std::runtime_error);
    EXPECT_TRUE(filesInFolder().empty()) << "first file left: " << filesInFolder().front();
}

// Every signal whose default ends the program undoes the set, not only the
// usual interrupts.
TEST_F(ImageFilesTest, ASignalThatEndsTheRunWhileWritingLeavesNoFile)
{
    Image big(1000, 1000);
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x) big.at(x, y) = {float(x % 97) / 97.0f, float(y % 89) / 89.0f, 0.5f};
    std::vector<preview::ImageFile> files;
    for (int i = 0; i < 12; ++i) files.push_back({"f" + std::to_string(i) + ".png", &big, preview::ImageFormat::Png});

    for (const int signal : {SIGTERM, SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGPIPE, SIGVTALRM, SIGPROF}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                preview::writeImages(folder_.string(), files);
            } catch (...) {
            }
            ::_exit(0);
        }
        // Signal as soon as the first temporary file exists.
        for (int waited = 0; waited < 10000 && filesInFolder().empty(); ++waited) ::usleep(1000);
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << strsignal(signal) << ": the writer finished before the signal";
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(filesInFolder().empty()) << strsignal(signal) << " left behind " << filesInFolder().front();
    }
}

// A second writer while the folder is locked is refused and writes nothing.
TEST_F(ImageFilesTest, ASecondWriterIntoTheSameFolderIsRefused)
{
    const int held = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const Image image = testImage();
    const std::string answer = testsupport::runInChild([&] {
        try {
            preview::writeImages(folder_.string(), {{"a.png", &image, preview::ImageFormat::Png}});
            return std::string("written");
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
    });
    ::close(held);
    EXPECT_NE(answer.find("another run is writing images there; no image was replaced"), std::string::npos) << answer;
    EXPECT_TRUE(filesInFolder().empty());
}

namespace {

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

std::string readText(const fs::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

}  // namespace

TEST_F(ImageFilesTest, LinksPlantedInTheFolderAreNeitherWrittenThroughNorLeftAsTheImage)
{
    writeText(folder_ / "victim", "keep");
    // At the image's own name, and at the name a temporary once had.
    fs::create_symlink(folder_ / "victim", folder_ / "a.png");
    fs::create_symlink(folder_ / "victim", folder_ / (".a.png.tmp-" + std::to_string(::getpid())));
    const Image image = testImage();
    preview::writeImages(folder_.string(), {{"a.png", &image, preview::ImageFormat::Png}});
    EXPECT_EQ(readText(folder_ / "victim"), "keep");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder_ / "a.png"))) << "the image is a file of its own";
    EXPECT_EQ(filesInFolder().size(), 3u) << "nothing but the image, the victim and the planted link";
}

TEST_F(ImageFilesTest, AFailedReplacementPutsBackTheImagesAlreadyReplaced)
{
    writeText(folder_ / "a.png", "earlier a");
    writeText(folder_ / "b.png", "earlier b");
    fs::create_directories(folder_ / "c.exr" / "inside");  // cannot be replaced by a file
    const Image image = testImage();
    try {
        preview::writeImages(folder_.string(), {{"a.png", &image, preview::ImageFormat::Png},
                                                {"b.png", &image, preview::ImageFormat::Png},
                                                {"c.exr", &image, preview::ImageFormat::Exr}});
        ADD_FAILURE() << "a folder was replaced by an image";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "cannot replace " + (folder_ / "c.exr").string() + ": it is a folder; no image was replaced");
    }
    EXPECT_EQ(readText(folder_ / "a.png"), "earlier a");
    EXPECT_EQ(readText(folder_ / "b.png"), "earlier b");
    EXPECT_EQ(filesInFolder().size(), 3u) << "no temporary or copy is left";
}

// Run in a child, whose file-size limit a write exceeds: the write fails with
// EFBIG (the signal would have killed the run) and is reported as such.
TEST_F(ImageFilesTest, AFileSizeLimitIsAWriteErrorThatNamesTheImage)
{
    writeText(folder_ / "big.exr", "earlier");
    const std::string message = testsupport::runInChild([this] {
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Image small = testImage();
        // Values that do not compress: far more than the limit.
        Image big(200, 200);
        std::uint32_t state = 1;
        for (Vec3& p : big.pixels) {
            state = state * 1664525u + 1013904223u;
            p = {float(state >> 8), 1.0f / float(state | 1u), float(state & 0xffffu)};
        }
        try {
            preview::writeImages(folder_.string(), {{"small.png", &small, preview::ImageFormat::Png},
                                                    {"big.exr", &big, preview::ImageFormat::Exr}});
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    });
    EXPECT_EQ(message, "cannot write " + (folder_ / "big.exr").string() + ": File too large; no image was replaced");
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"big.exr"});
    EXPECT_EQ(readText(folder_ / "big.exr"), "earlier");
}

// A write refused when the PNG's last bytes are flushed, or a sync or close
// that fails at the end of a file, fails the whole set: the earlier images
// stay as they were and nothing is left beside them. A descriptor that
// cannot be synced at all (EINVAL) is not a failure.
TEST_F(ImageFilesTest, AFailureAtTheEndOfAnyFileReplacesNothing)
{
    using testsupport::FileCall;
    const struct {
        FileCall call;
        int skip;  // calls that go through first: one per file
        int error;
        const char* failed;  // the image named, or nullptr when the set is written
    } rows[] = {
        {FileCall::Write, 0, ENOSPC, "a.png: No space left on device"},
        {FileCall::Sync, 0, EIO, "a.png: Input/output error"},
        {FileCall::Sync, 1, EDQUOT, "b.exr: Disk quota exceeded"},
        {FileCall::Close, 1, EIO, "b.exr: Input/output error"},
        {FileCall::Close, 2, ENOSPC, "c.png: No space left on device"},
        {FileCall::Sync, 2, EINVAL, nullptr},
    };
    const Image image = testImage();
    for (const auto& row : rows) {
        for (const char* name : {"a.png", "b.exr", "c.png"}) writeText(folder_ / name, std::string("earlier ") + name);
        testsupport::failFileCall(row.call, row.skip, row.error);
        std::string message = "written";
        try {
            preview::writeImages(folder_.string(), {{"a.png", &image, preview::ImageFormat::Png},
                                                    {"b.exr", &image, preview::ImageFormat::Exr},
                                                    {"c.png", &image, preview::ImageFormat::Png}});
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        testsupport::stopFailingFileCalls();
        EXPECT_EQ(filesInFolder().size(), 3u) << message;
        if (row.failed == nullptr) {
            EXPECT_EQ(message, "written");
            EXPECT_NE(readText(folder_ / "c.png"), "earlier c.png");
            continue;
        }
        EXPECT_EQ(message, "cannot write " + (folder_ / row.failed).string() + "; no image was replaced");
        for (const char* name : {"a.png", "b.exr", "c.png"})
            EXPECT_EQ(readText(folder_ / name), std::string("earlier ") + name) << row.failed;
    }
}

// Azimuth 0 looks at -z, the middle of each row, and grows toward +x; the
// rows' ends meet behind (+z), where the lookup wraps. Columns are 8 wide, so
// each texel's centre and each seam fall on simple directions.
TEST_F(ImageFilesTest, LatLongEnvironmentIsLookedUpByDirectionAndWrapsAtItsSeam)
{
    const std::string path = (folder_ / "sky.exr").string();
    writeLatLong(path, 8, 4);
    const preview::Environment environment = preview::Environment::fromLatLongFile(path);
    const preview::BallScene scene(preview::Environment::fromLatLongFile(path), 1);
    const struct {
        const char* what;
        Vec3 direction;
        float red, green;  // a negative value is not checked
        bool fromCamera;   // the same through the scene: the camera's x and z lie along the world's
    } rows[] = {
        {"up", {0, 1, 0}, -1, 4.0f, false},
        {"down", {0, -1, 0}, -1, 0.5f, false},
        {"ahead, between columns 3 and 4", {0, 0, -1}, 4.5f, -1, true},
        {"right, between columns 5 and 6", {1, 0, 0}, 6.5f, -1, true},
        {"left, between columns 1 and 2", {-1, 0, 0}, 2.5f, -1, true},
        {"the centre of column 6", {0.92388f, 0, 0.38268f}, 7.0f, -1, false},
        {"above the horizon to the front right", {1, 1, -1}, 5.5f, 4.0f, false},
        {"above the horizon behind", {0, 0.5f, 1}, -1, 4.0f, false},
        // Across the seam, between the last column and the first.
        {"behind, on the seam", {0, 0, 1}, 4.5f, -1, true},
        {"behind, right of the seam", {0.05f, 0, 1}, 4.945f, -1, false},
        {"behind, left of the seam", {-0.05f, 0, 1}, 4.055f, -1, false},
    };
    for (const auto& row : rows) {
        std::vector<Vec3> colors{environment.radiance(preview::normalize(row.direction))};
        if (row.fromCamera) colors.push_back(scene.environment(row.direction));
        for (const Vec3& color : colors) {
            if (row.red >= 0) {
                EXPECT_NEAR(color.x, row.red, 0.002f) << row.what;
            }
            if (row.green >= 0) {
                EXPECT_NEAR(color.y, row.green, 0.002f) << row.what;
            }
        }
    }
}

TEST_F(ImageFilesTest, UnreadableEnvironmentThrowsOneLine)
{
    const std::string notExr = (folder_ / "sky.exr").string();
    {
        std::FILE* f = std::fopen(notExr.c_str(), "w");
        std::fputs("not an image\n", f);
        std::fclose(f);
    }
    for (const std::string& path : {notExr, (folder_ / "missing.exr").string()}) {
        try {
            preview::Environment::fromLatLongFile(path);
            ADD_FAILURE() << path << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
        }
    }
}

TEST(ImageLayout, SideBySideKeepsBothImagesAndTheGap)
{
    Image left(3, 2), right(2, 4);
    for (Vec3& p : left.pixels) p = {1, 0, 0};
    for (Vec3& p : right.pixels) p = {0, 1, 0};
    const Image both = preview::sideBySide(left, right, 4);
    ASSERT_EQ(both.width, 9);
    ASSERT_EQ(both.height, 4);
    EXPECT_EQ(both.at(2, 1).x, 1.0f);
    EXPECT_EQ(both.at(2, 3).x, 0.02f) << "below the shorter image is background";
    EXPECT_EQ(both.at(5, 0).x, 0.02f) << "the gap";
    EXPECT_EQ(both.at(7, 3).y, 1.0f);
    EXPECT_EQ(both.at(8, 0).y, 1.0f);
}

TEST_F(ImageFilesTest, EnvironmentChannelsAreReadInTheirOwnTypeFromTheOnlyPlaceTheyCanBe)
{
    using Channels = std::vector<std::pair<std::string, float>>;
    struct Row {
        const char* what;
        Channels channels;
        Imf::PixelType type;
        Vec3 expected;
    };
    // Values beyond the half range and finer than a half step survive.
    const float big = 0x1.86ap+19f;  // 800000
    const float fine = 0x1.000002p+0f;
    const Row rows[] = {
        {"float R G B", {{"R", big}, {"G", fine}, {"B", -3.0f}}, Imf::FLOAT, {big, fine, -3.0f}},
        {"half R G B and A",
         {{"A", 1.0f}, {"B", 0.25f}, {"G", 2.0f}, {"R", 65504.0f}},
         Imf::HALF,
         {65504.0f, 2.0f, 0.25f}},
        {"luminance", {{"Y", 0.75f}}, Imf::HALF, {0.75f, 0.75f, 0.75f}},
        {"luminance of one layer", {{"sky.Y", fine}}, Imf::FLOAT, {fine, fine, fine}},
        {"one layer",
         {{"diffuse.R", 1.0f}, {"diffuse.G", 2.0f}, {"diffuse.B", 4.0f}, {"diffuse.A", 8.0f}},
         Imf::FLOAT,
         {1.0f, 2.0f, 4.0f}},
        {"lower case", {{"r", 1.0f}, {"g", 2.0f}, {"b", 4.0f}}, Imf::FLOAT, {1.0f, 2.0f, 4.0f}},
        {"unlayered beside layers",
         {{"R", 1.0f}, {"G", 2.0f}, {"B", 4.0f}, {"shine.R", 8.0f}, {"shine.G", 8.0f}, {"shine.B", 8.0f}},
         Imf::FLOAT,
         {1.0f, 2.0f, 4.0f}},
    };
    const std::string path = (folder_ / "sky.exr").string();
    for (const Row& row : rows) {
        writeChannels(path, row.channels, row.type, kSmallWindow);
        const preview::LatLongImage image = preview::readLatLongImage(path);
        ASSERT_EQ(image.width, 4) << row.what;
        ASSERT_EQ(image.height, 2) << row.what;
        for (const Vec3& texel : image.texels) {
            EXPECT_EQ(texel.x, row.expected.x) << row.what;
            EXPECT_EQ(texel.y, row.expected.y) << row.what;
            EXPECT_EQ(texel.z, row.expected.z) << row.what;
        }
    }

    // Luminance and chroma turn back into colour, within their half precision.
    {
        std::vector<Imf::Rgba> pixels(8, Imf::Rgba(0.5f, 0.25f, 0.125f));
        Imf::RgbaOutputFile yc(path.c_str(), 4, 2, Imf::WRITE_YC);
        yc.setFrameBuffer(pixels.data(), 1, 4);
        yc.writePixels(2);
    }
    for (const Vec3& texel : preview::readLatLongImage(path).texels) {
        EXPECT_NEAR(texel.x, 0.5f, 0.01f) << "luminance and chroma";
        EXPECT_NEAR(texel.y, 0.25f, 0.01f) << "luminance and chroma";
        EXPECT_NEAR(texel.z, 0.125f, 0.01f) << "luminance and chroma";
    }

    // The preview's own output serves as an environment, every value kept.
    Image own(4, 2);
    for (Vec3& p : own.pixels) p = {big, fine, 1e30f};
    preview::writeImages(folder_.string(), {{"own.exr", &own, preview::ImageFormat::Exr}});
    for (const Vec3& texel : preview::readLatLongImage((folder_ / "own.exr").string()).texels) {
        EXPECT_EQ(texel.x, big);
        EXPECT_EQ(texel.y, fine);
        EXPECT_EQ(texel.z, 1e30f);
    }
}

TEST_F(ImageFilesTest, EnvironmentColorThatWouldBeAGuessIsRefusedNamingTheChannels)
{
    struct Row {
        std::vector<std::pair<std::string, float>> channels;
        const char* message;
    };
    const Row rows[] = {
        {{{"a.R", 1}, {"a.G", 1}, {"a.B", 1}, {"b.R", 1}, {"b.G", 1}, {"b.B", 1}},
         "colour in more than one layer: expected R, G and B or a luminance Y, in one layer, but found a.B, a.G, a.R, "
         "b.B, b.G, b.R"},
        {{{"R", 1}, {"G", 1}},
         "no channels it can read as colour: expected R, G and B or a luminance Y, in one layer, but "
         "found G, R"},
        {{{"R", 1}, {"r", 1}, {"G", 1}, {"B", 1}}, "but found B, G, R, r"},
        {{{"Z", 1}, {"depth\x01", 1}}, "but found Z, depth\\x01"},
    };
    const std::string path = (folder_ / "sky.exr").string();
    for (const Row& row : rows) {
        writeChannels(path, row.channels, Imf::FLOAT, kSmallWindow);
        try {
            preview::readLatLongImage(path);
            ADD_FAILURE() << row.message << ": accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

TEST_F(ImageFilesTest, EnvironmentWindowFarFromTheOriginIsRead)
{
    const std::string path = (folder_ / "sky.exr").string();
    for (const Imath::V2i& corner : {Imath::V2i(1000000000, -1000000000), Imath::V2i(-1000000000, 1000000000)}) {
        writeChannels(path, {{"R", 1.0f}, {"G", 2.0f}, {"B", 4.0f}}, Imf::FLOAT,
                      Imath::Box2i(corner, corner + Imath::V2i(15, 7)));
        const preview::LatLongImage image = preview::readLatLongImage(path);
        ASSERT_EQ(image.texels.size(), 128u);
        for (const Vec3& texel : image.texels) EXPECT_EQ(texel.z, 4.0f) << corner.x;
    }
}

TEST_F(ImageFilesTest, EnvironmentPromisingMoreThanItsFileOrTheLimitIsRefusedBeforeReading)
{
    struct Row {
        Imath::V2i size;
        Imf::Compression compression;
        const char* message;
    };
    const Row rows[] = {
        {{100000, 100000}, Imf::ZIP_COMPRESSION, "the image is 100000 x 100000 texels, more than the 67108864"},
        {{8000, 8000}, Imf::NO_COMPRESSION, "the header promises 8000 x 8000 texels, more than a file of"},
        {{8000, 8000}, Imf::ZIP_COMPRESSION, "the header promises 8000 x 8000 texels, more than a file of"},
    };
    const std::string path = (folder_ / "sky.exr").string();
    for (const Row& row : rows) {
        writeChannels(path, {{"R", 1}, {"G", 1}, {"B", 1}}, Imf::HALF,
                      Imath::Box2i(Imath::V2i(0, 0), row.size - Imath::V2i(1, 1)), row.compression, false);
        try {
            preview::readLatLongImage(path);
            ADD_FAILURE() << row.message << ": accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

// What the file says it is decides how it is read: its display window is the
// sphere, its envmap attribute its kind, its texels finite colour.
TEST_F(ImageFilesTest, EnvironmentIsReadAsWhatTheFileSaysItIs)
{
    const std::string path = (folder_ / "sky.exr").string();
    struct Row {
        const char* what;
        float red;
        Imf::PixelType type;
        int envmap;  // -1: no attribute; -2: none, and a display window beyond the limit
        const char* message;
    };
    const float nan = std::nanf("");
    const Row rows[] = {
        {"NaN texel", nan, Imf::FLOAT, -1, "the texel at x 2, y 1 is NaN (expected finite colour)"},
        {"infinite half texel", 70000.0f, Imf::HALF, -1, "the texel at x 2, y 1 is infinite"},
        {"cube map", 1.0f, Imf::FLOAT, Imf::ENVMAP_CUBE, "its envmap attribute marks it as a cube map"},
        {"unknown map", 1.0f, Imf::FLOAT, 7, "its envmap attribute names an unknown kind of map"},
        {"display window beyond the limit", 1.0f, Imf::FLOAT, -2, "the image is 9000 x 9000 texels, more than the"},
        {"lat-long map", 1.0f, Imf::FLOAT, Imf::ENVMAP_LATLONG, nullptr},
    };
    // Data window 2..5 x 1..2 inside a display window 0..7 x 0..3.
    const Imath::Box2i data(Imath::V2i(2, 1), Imath::V2i(5, 2));
    const Imath::Box2i display(Imath::V2i(0, 0), Imath::V2i(7, 3));
    for (const Row& row : rows) {
        {
            Imf::Header header(row.envmap == -2 ? Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(8999, 8999)) : display,
                               data);
            for (const char* name : {"R", "G", "B"}) header.channels().insert(name, Imf::Channel(row.type));
            if (row.envmap >= 0) Imf::addEnvmap(header, Imf::Envmap(row.envmap));
            std::vector<float> floats(8, 0.25f);
            std::vector<half> halves(8, half(0.25f));
            floats[0] = row.red;
            halves[0] = half(row.red);
            Imf::OutputFile file(path.c_str(), header);
            Imf::FrameBuffer frame;
            for (const char* name : {"R", "G", "B"})
                frame.insert(name, Imf::Slice::Make(row.type,
                                                    row.type == Imf::FLOAT ? static_cast<const void*>(floats.data())
                                                                           : static_cast<const void*>(halves.data()),
                                                    data));
            file.setFrameBuffer(frame);
            file.writePixels(2);
        }
        try {
            const preview::LatLongImage image = preview::readLatLongImage(path);
            ASSERT_EQ(row.message, nullptr) << row.what << ": accepted";
            ASSERT_EQ(image.width, 8);
            ASSERT_EQ(image.height, 4);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x) {
                    const bool inData = x >= 2 && x <= 5 && y >= 1 && y <= 2;
                    const bool first = x == 2 && y == 1;
                    EXPECT_EQ(image.texels[std::size_t(y * 8 + x)].y, first    ? 1.0f
                                                                      : inData ? 0.25f
                                                                               : 0.0f)
                        << x << ", " << y;
                }
        } catch (const std::runtime_error& e) {
            ASSERT_NE(row.message, nullptr) << row.what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << row.what << ": " << e.what();
        }
    }
}

// A pipe is refused at once instead of waiting for a writer that never comes.
TEST_F(ImageFilesTest, EnvironmentThatIsNotAFileIsRefusedWithoutWaiting)
{
    const std::string pipe = (folder_ / "sky.exr").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string answer = testsupport::runInChild([&] {
        ::alarm(20);
        for (const std::string& path : {pipe, folder_.string()}) {
            try {
                preview::readLatLongImage(path);
                return path + " accepted";
            } catch (const std::runtime_error& e) {
                if (std::string(e.what()).find(path == pipe ? "it is a pipe" : "it is a folder") == std::string::npos)
                    return std::string(e.what());
            }
        }
        return std::string("refused");
    });
    EXPECT_EQ(answer, "refused");
}
