// Small renders of the material ball through both hosts, with the real
// deliverables loaded: properties that catch real faults (a highlight where
// there is none, transparency dimming the highlight, a highlight in the wrong
// place, thread-dependent pixels, allocation per sample), and a tiny stored
// reference image for the whole command.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <ImfArray.h>
#include <ImfRgbaFile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "allocation_counter.h"
#include "child_process.h"
#include "contact_sheet.h"
#include "image_files.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "preview_command.h"
#include "render.h"

namespace fs = std::filesystem;
using namespace preview;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

enum class HostKind { Maya, MentalRay };

std::unique_ptr<MaterialHost> makeHost(HostKind kind, const BallScene& scene)
{
    const DeliverablePaths paths = builtDeliverables();
    if (kind == HostKind::Maya) return std::make_unique<MayaHost>(scene, paths.mayaModule);
    return std::make_unique<MentalRayHost>(scene, paths.shaderLibrary, paths.shaderDeclaration);
}

MaterialValue color(float r, float g, float b) { return {InputKind::Triple, {r, g, b}}; }
MaterialValue scalar(float v) { return {InputKind::Scalar, {v, 0.0f, 0.0f}}; }

class PreviewRender : public ::testing::TestWithParam<HostKind> {
protected:
    PreviewRender() : scene_(Environment(), 2), host_(makeHost(GetParam(), scene_)) {}

    // One sample per pixel through its centre, so that "on the ball" is exact.
    Image renderImage(int threads = 2, bool seeThrough = true, int samples = 1)
    {
        RenderSettings settings;
        settings.width = kWidth;
        settings.height = kHeight;
        settings.samples = samples;
        settings.threads = threads;
        settings.seeThrough = seeThrough;
        return render(scene_, *host_, settings);
    }

    bool onBall(int x, int y) const
    {
        const Ray ray = scene_.cameraRay(float(x) + 0.5f, float(y) + 0.5f, kWidth, kHeight);
        return scene_.intersect(ray, true).surface == Surface::Ball;
    }

    BallScene scene_;
    std::unique_ptr<MaterialHost> host_;
};

// Index of the first pixel that differs, or -1 when the images are identical.
long firstDifference(const Image& a, const Image& b)
{
    if (a.pixels.size() != b.pixels.size()) return 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i].x != b.pixels[i].x || a.pixels[i].y != b.pixels[i].y || a.pixels[i].z != b.pixels[i].z)
            return long(i);
    return -1;
}

std::string hostKindName(const ::testing::TestParamInfo<HostKind>& info)
{
    return info.param == HostKind::Maya ? "Maya" : "MentalRay";
}

// A host without inputs whose every shader is a `Shader`.
template <typename Shader>
class OneShaderHost : public MaterialHost {
public:
    const char* name() const override { return "test"; }
    LightView lightView() const override { return LightView::Centres; }
    bool hasInput(const std::string&) const override { return false; }
    void setInput(const std::string&, const MaterialValue&) override {}
    std::unique_ptr<MaterialShader> makeShader() override { return std::make_unique<Shader>(); }
};

}  // namespace

TEST_P(PreviewRender, BlackSpecularColorLeavesNoHighlightAnywhere)
{
    host_->setInput("specularColor", color(0.0f, 0.0f, 0.0f));
    const Image flat = renderImage();
    // Roughness and sharpness shape only the highlight: with nothing to
    // shape, no pixel may change.
    host_->setInput("roughness", scalar(0.05f));
    host_->setInput("sharpness", scalar(0.9f));
    const Image reshaped = renderImage();
    EXPECT_EQ(firstDifference(flat, reshaped), -1) << "first pixel that changed";
}

TEST_P(PreviewRender, BrightestHighlightSitsWhereTheHalfVectorMeetsTheNormal)
{
    // The highlight alone: the same image with and without specular colour,
    // reflection off (the renderer's reflection is tinted by it too).
    host_->setInput("reflectivity", scalar(0.0f));
    const Image lit = renderImage();
    host_->setInput("specularColor", color(0.0f, 0.0f, 0.0f));
    const Image unlit = renderImage();
    std::vector<float> highlight(lit.pixels.size());
    for (std::size_t i = 0; i < highlight.size(); ++i) highlight[i] = luminance(lit.pixels[i] - unlit.pixels[i]);
    const float brightest = *std::max_element(highlight.begin(), highlight.end());
    ASSERT_GT(brightest, 0.1f) << "no highlight at all";

    // The band is flat on top: take the centre of the pixels near the top.
    float sumX = 0.0f, sumY = 0.0f, count = 0.0f;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (highlight[std::size_t(y) * kWidth + x] >= 0.9f * brightest) {
                sumX += float(x) + 0.5f;
                sumY += float(y) + 0.5f;
                count += 1.0f;
            }

    // Where the key light's half vector equals the ball's normal, found by
    // fixed-point iteration over the ball's surface (camera at the origin).
    const Vec3 key = scene_.lights()[0].centre;
    Vec3 normal = normalize(-scene_.ballCentre());
    for (int i = 0; i < 50; ++i) {
        const Vec3 point = scene_.ballCentre() + normal * scene_.ballRadius();
        normal = normalize(normalize(key - point) + normalize(-point));
    }
    float px = 0.0f, py = 0.0f;
    scene_.project(scene_.ballCentre() + normal * scene_.ballRadius(), kWidth, kHeight, px, py);
    EXPECT_NEAR(sumX / count, px, 2.0f) << "highlight centre vs half-vector point, in pixels";
    EXPECT_NEAR(sumY / count, py, 2.0f) << "highlight centre vs half-vector point, in pixels";
}

TEST_P(PreviewRender, ImageDoesNotDependOnTheThreadCount)
{
    const Image one = renderImage(1, true, 2);
    const Image three = renderImage(3, true, 2);
    EXPECT_EQ(firstDifference(one, three), -1) << "first pixel that differs";
}

// Each pixel sample's stream comes from its pixel and its index alone: the
// first two numbers of a few, worked out apart from the code (splitmix64).
// Swapped coordinates, a dropped index or a lost coordinate give others.
TEST(PreviewSampler, EachPixelSampleHasItsOwnStream)
{
    const struct {
        int x, y, sample;
        float first, second;
    } streams[] = {
        {0, 0, 0, 0x1.4e0dbap-1f, 0x1.670546p-1f},       {1, 0, 0, 0x1.9cbcd2p-1f, 0x1.155c4p-5f},
        {0, 1, 0, 0x1.a36dep-3f, 0x1.ac60a8p-2f},        {3, 5, 0, 0x1.0e8cdp-1f, 0x1.9f819p-2f},
        {3, 5, 2, 0x1.d063cep-1f, 0x1.90b808p-1f},       {5, 3, 2, 0x1.8875f8p-3f, 0x1.ad20cp-1f},
        {479, 359, 4095, 0x1.59170ep-1f, 0x1.097c8p-2f},
    };
    for (const auto& s : streams) {
        Sampler sampler(s.x, s.y, s.sample);
        EXPECT_EQ(sampler.next(), s.first) << s.x << "," << s.y << " sample " << s.sample;
        EXPECT_EQ(sampler.next(), s.second) << s.x << "," << s.y << " sample " << s.sample;
    }
}

namespace {

// Shades every point with the next three numbers of the sampler it is given.
class SamplerEcho : public MaterialShader {
public:
    ShadeResult shade(const ShadingPoint&, Sampler& sampler) override
    {
        const float r = sampler.next();
        const float g = sampler.next();
        return {{r, g, sampler.next()}, {}};
    }
};

}  // namespace

// The renderer hands sample i of pixel (x, y) the sampler seeded with
// exactly those, whichever tile and thread render it: after the two numbers
// that jitter the samples past the first, the shader draws the next three.
TEST(PreviewRender, EachSampleDrawsFromTheSamplerOfItsPixelAndIndex)
{
    const BallScene scene(Environment(), 1);
    OneShaderHost<SamplerEcho> host;
    // 40 x 30, 3 samples, 2 threads, the ball's own colour.
    const Image image = render(scene, host, RenderSettings{40, 30, 3, 2, false, nullptr, {}});
    // Pixels well inside the ball, where every jittered sample meets it too.
    auto onBall = [&](int x, int y) {
        const Ray ray = scene.cameraRay(float(x) + 0.5f, float(y) + 0.5f, 40, 30);
        return scene.intersect(ray, true).surface == Surface::Ball;
    };
    int checked = 0;
    for (int y = 1; y < 29; ++y)
        for (int x = 1; x < 39; ++x) {
            if (!(onBall(x - 1, y - 1) && onBall(x + 1, y - 1) && onBall(x - 1, y + 1) && onBall(x + 1, y + 1)))
                continue;
            Vec3 sum;
            for (int i = 0; i < 3; ++i) {
                Sampler sampler(x, y, i);
                if (i > 0) sampler.next(), sampler.next();
                const float r = sampler.next();
                const float g = sampler.next();
                sum += Vec3{r, g, sampler.next()};
            }
            const Vec3 expected = sum * (1.0f / 3.0f);
            const Vec3& got = image.at(x, y);
            EXPECT_TRUE(got.x == expected.x && got.y == expected.y && got.z == expected.z) << "pixel " << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 40) << "pixels inside the ball";
}

TEST_P(PreviewRender, ShadingASampleAllocatesNothing)
{
    if (GetParam() == HostKind::MentalRay)
        host_->setInput("useIrradiance", MaterialValue{InputKind::Boolean, {1.0f, 0.0f, 0.0f}});
    std::unique_ptr<MaterialShader> shader = host_->makeShader();
    const Vec3 centre = scene_.ballCentre();
    auto shadeAt = [&](int i) {
        // Points spread over the front of the ball, reflection traced from each.
        const Vec3 normal = normalize(Vec3{float(i % 7) * 0.1f - 0.3f, float(i % 5) * 0.1f - 0.2f, 1.0f});
        const Vec3 point = centre + normal * scene_.ballRadius();
        Sampler sampler(i, 0, 0);
        return shader->shade({point, normal, normalize(point)}, sampler);
    };
    shadeAt(0);
    const std::uint64_t before = testsupport::allocationCount();
    Vec3 sum;
    for (int i = 0; i < 64; ++i) sum += shadeAt(i).color;
    EXPECT_EQ(testsupport::allocationCount(), before);
    EXPECT_GT(luminance(sum), 0.0f);
}

TEST_P(PreviewRender, ContactSheetCellsAreTheSweptRendersInOrderFramedOnTheBall)
{
    const std::vector<Sweep> sweeps{{"roughness", scalar(0.1f), scalar(0.6f), 2},
                                    {"sharpness", scalar(0.0f), scalar(0.8f), 2}};
    RenderSettings settings;
    settings.samples = 1;
    settings.threads = 2;
    // 81 x 61 with bands of 5 and 4: cells of 38 or 39 by 28 or 29.
    const SheetLayout layout = layoutSheet(2, 2, 81, 61, 5, 4);
    const Image sheet = renderContactSheet(scene_, *host_, sweeps, layout, settings);
    ASSERT_EQ(sheet.width, 81);
    ASSERT_EQ(sheet.height, 61);
    EXPECT_EQ(sheet.at(80, 2).x, kSheetBand);
    EXPECT_EQ(sheet.at(2, 60).x, kSheetBand);

    std::vector<Image> cells;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
            host_->setInput("roughness", sweeps[0].valueAt(column));
            host_->setInput("sharpness", sweeps[1].valueAt(row));
            settings.width = layout.cellWidth(column);
            settings.height = layout.cellHeight(row);
            settings.window = scene_.ballWindow(settings.width, settings.height);
            cells.push_back(render(scene_, *host_, settings));
            Image fromSheet(settings.width, settings.height);
            for (int y = 0; y < settings.height; ++y)
                for (int x = 0; x < settings.width; ++x)
                    fromSheet.at(x, y) = sheet.at(layout.columnEdges[column] + x, layout.rowEdges[row] + y);
            EXPECT_EQ(firstDifference(fromSheet, cells.back()), -1) << "cell " << column << "," << row;
        }
    // Each swept input changes its cells.
    EXPECT_NE(firstDifference(cells[0], cells[1]), -1);
    EXPECT_NE(firstDifference(cells[0], cells[2]), -1);
}

TEST(PreviewScene, ABallWindowShowsTheWholeBallWhateverTheShape)
{
    const BallScene scene_(Environment(), 3);
    // The rays through the window's edges pass beside the ball; those
    // through its centre hit it.
    for (const auto& [width, height] : {std::pair{96, 72}, std::pair{96, 360}, std::pair{400, 40}}) {
        const ScreenWindow window = scene_.ballWindow(width, height);
        int edgeHits = 0;
        for (int i = 0; i <= 20; ++i) {
            const float x = float(width) * float(i) / 20.0f, y = float(height) * float(i) / 20.0f;
            for (const auto& [px, py] :
                 {std::pair{x, 0.0f}, std::pair{x, float(height)}, std::pair{0.0f, y}, std::pair{float(width), y}})
                edgeHits +=
                    scene_.intersect(scene_.cameraRay(px, py, width, height, window), true).surface == Surface::Ball;
        }
        EXPECT_EQ(edgeHits, 0) << width << "x" << height;
        EXPECT_EQ(scene_.intersect(scene_.cameraRay(width / 2.0f, height / 2.0f, width, height, window), true).surface,
                  Surface::Ball);
    }
}

TEST_P(PreviewRender, AnOpaqueBallLooksTheSameWithOrWithoutWhatLiesBehind)
{
    // Nothing on the ball lets light through, so compositing what lies behind
    // it may not change a single bit of any pixel: reflection on, and two
    // samples per pixel so that jittered rays and their samplers take part.
    host_->setInput("reflectivity", scalar(0.6f));
    const Image composited = renderImage(2, true, 2);
    const Image alone = renderImage(2, false, 2);
    EXPECT_EQ(firstDifference(composited, alone), -1) << "first pixel that differs";
}

INSTANTIATE_TEST_SUITE_P(BothHosts, PreviewRender, ::testing::Values(HostKind::Maya, HostKind::MentalRay),
                         hostKindName);

using PreviewMayaRender = PreviewRender;

TEST_P(PreviewMayaRender, FullTransparencyLeavesOnlyTheHighlights)
{
    // The shader's colour alone, nothing composited behind it.
    const Image opaque = renderImage(2, false);
    host_->setInput("specularColor", color(0.0f, 0.0f, 0.0f));
    const Image withoutHighlights = renderImage(2, false);
    host_->setInput("specularColor", color(0.5f, 0.5f, 0.5f));
    host_->setInput("transparency", color(1.0f, 1.0f, 1.0f));
    const Image clear = renderImage(2, false);

    float brightest = 0.0f;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Vec3 c = clear.at(x, y);
            if (!onBall(x, y)) {
                EXPECT_EQ(c.x, opaque.at(x, y).x) << "off the ball at " << x << "," << y;
                continue;
            }
            // Opaque it is everything plus the highlights; clear, the highlights only.
            const Vec3 expected = opaque.at(x, y) - withoutHighlights.at(x, y);
            EXPECT_NEAR(c.x, expected.x, 1e-5f) << x << "," << y;
            EXPECT_NEAR(c.y, expected.y, 1e-5f) << x << "," << y;
            EXPECT_NEAR(c.z, expected.z, 1e-5f) << x << "," << y;
            brightest = std::max(brightest, c.x);
        }
    EXPECT_GT(brightest, 0.1f) << "the highlights survive full transparency";
}

namespace {

// A shader that cannot be made, as when a host runs out of room.
class NoShader : public MaterialShader {
public:
    NoShader() { throw std::runtime_error("no shader today"); }
    ShadeResult shade(const ShadingPoint&, Sampler&) override { return {}; }
};

}  // namespace

namespace {

// Answers every point with the same colour and transparency.
class FixedShader : public MaterialShader {
public:
    explicit FixedShader(const ShadeResult& result) : result_(result) {}
    ShadeResult shade(const ShadingPoint&, Sampler&) override { return result_; }

private:
    ShadeResult result_;
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(PreviewAreaLight, AFewJitteredSamplesComeCloseToManyOnTheRenderer)
{
    // The renderer's ball and ground under 3 x 3 area light samples against
    // 16 x 16, 16 pixel samples each. Samples at the cells' centres (nine
    // copies of the light's highlight, a stepped shadow) left an RMS error of
    // 0.00228 here; spread over the cells, it at least halves.
    constexpr double kGridError = 0.00228;
    auto renderWith = [](int areaSamples) {
        const BallScene scene(Environment(), areaSamples);
        MentalRayHost host(scene, builtDeliverables().shaderLibrary, builtDeliverables().shaderDeclaration);
        RenderSettings settings;
        settings.width = 64;
        settings.height = 48;
        settings.samples = 16;
        settings.threads = 2;
        return render(scene, host, settings);
    };
    const Image few = renderWith(3), many = renderWith(16);
    double squares = 0.0;
    for (std::size_t i = 0; i < few.pixels.size(); ++i) {
        const Vec3 d = few.pixels[i] - many.pixels[i];
        squares += double(d.x * d.x + d.y * d.y + d.z * d.z);
    }
    EXPECT_LT(std::sqrt(squares / double(few.pixels.size())), kGridError / 2.0);
}

TEST(PreviewCompositing, WhatLiesBehindShowsThroughEveryChannelThatIsNotExactlyZero)
{
    const BallScene scene(Environment(), 1);
    // The ray through the ball's centre, and what it meets once past the ball.
    float px = 0.0f, py = 0.0f;
    scene.project(scene.ballCentre(), kWidth, kHeight, px, py);
    const Ray ray = scene.cameraRay(px, py, kWidth, kHeight);
    const Vec3 behind = scene.traceFromBall(ray, LightView::Centres);
    ASSERT_GT(luminance(behind), 0.0f);

    const Vec3 color{0.3f, 0.2f, 0.1f};
    const float nan = std::nanf("");
    // A negative or NaN channel still composites, as it did before the ray
    // behind was skipped for opaque results.
    const Vec3 transparencies[] = {{0.0f, 0.0f, 0.0f},  {-0.0f, -0.0f, -0.0f}, {0.0f, 0.0f, 0.25f},
                                   {-0.5f, 0.0f, 0.0f}, {0.0f, nan, 0.0f},     {1.0f, 1.0f, 1.0f}};
    for (const Vec3& t : transparencies) {
        FixedShader shader({color, t});
        Sampler sampler(0, 0, 0);
        const Vec3 c = traceCameraRay(scene, shader, LightView::Centres, px, py, kWidth, kHeight, true, sampler);
        const float expected[] = {color.x + t.x * behind.x, color.y + t.y * behind.y, color.z + t.z * behind.z};
        const float got[] = {c.x, c.y, c.z};
        for (int i = 0; i < 3; ++i) {
            if (std::isnan(expected[i])) {
                EXPECT_TRUE(std::isnan(got[i]))
                    << "transparency " << t.x << " " << t.y << " " << t.z << ", channel " << i;
            } else {
                EXPECT_TRUE(sameBits(got[i], expected[i]))
                    << "transparency " << t.x << " " << t.y << " " << t.z << ", channel " << i << ": " << got[i]
                    << " vs " << expected[i];
            }
        }
    }
}

TEST(PreviewRenderFailure, AShaderThatCannotBeMadeFailsTheRenderOnEveryThreadCount)
{
    const BallScene scene(Environment(), 1);
    OneShaderHost<NoShader> host;
    for (int threads : {1, 3}) {
        RenderSettings settings;
        settings.width = 40;
        settings.height = 30;
        settings.threads = threads;
        EXPECT_THROW(render(scene, host, settings), std::runtime_error) << threads << " threads";
    }
}

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Runs `body` in a child whose address space may grow by `room` bytes only.
std::string underAddressSpaceLimit(std::size_t room, const std::function<std::string()>& body)
{
    return testsupport::runInChild([&] {
        std::size_t pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm == nullptr || std::fscanf(statm, "%zu", &pages) != 1) return std::string("no statm");
        std::fclose(statm);
        const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + room;
        const rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_AS, &cap);
        return body();
    });
}

// A shader that gives black, so that only the threads matter.
class Black : public MaterialShader {
public:
    ShadeResult shade(const ShadingPoint&, Sampler&) override { return {}; }
};

}  // namespace

// Each thread's stack needs address space: under a tight limit only a few
// start. The render stops those, joins them and says so; it never aborts.
TEST(PreviewRenderFailure, ThreadsThatCannotStartFailTheRenderCleanly)
{
    if (kSanitized) GTEST_SKIP() << "a sanitizer's own allocations do not survive an address-space limit";
    const std::string message = underAddressSpaceLimit(std::size_t{48} << 20, [] {
        const BallScene scene(Environment(), 1);
        OneShaderHost<Black> host;
        RenderSettings settings;
        settings.width = 256;
        settings.height = 256;
        settings.threads = 256;
        try {
            render(scene, host, settings);
            return std::string("rendered");
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
    });
    EXPECT_EQ(message.rfind("cannot start 256 render threads, only ", 0), 0u) << message;
    EXPECT_NE(message.find("; try a smaller --threads"), std::string::npos) << message;
}

// The largest image the options allow needs more memory than the child may
// have: the run says what it was making, with status 1 and no image.
TEST(PreviewCommand, RunningOutOfMemoryNamesWhatWasBeingMadeAndWritesNoImage)
{
    if (kSanitized) GTEST_SKIP() << "a sanitizer reports a failed allocation and ends the run by design";
    const fs::path out = fs::temp_directory_path() / ("preview_memory_test_" + std::to_string(::getpid()));
    fs::remove_all(out);
    const std::string result = underAddressSpaceLimit(std::size_t{512} << 20, [&out] {
        std::ostringstream stdoutText, stderrText;
        const int status =
            runPreview({"--width", "16384", "--height", "16384", "--samples", "1", "--out", out.string()}, stdoutText,
                       stderrText, builtDeliverables(), false);
        return std::to_string(status) + " " + stderrText.str();
    });
    EXPECT_EQ(result, "1 glossy-preview: out of memory rendering the maya image; no image was written\n");
    EXPECT_TRUE(fs::is_empty(out));
    fs::remove_all(out);
}

INSTANTIATE_TEST_SUITE_P(Maya, PreviewMayaRender, ::testing::Values(HostKind::Maya), hostKindName);

namespace {

std::vector<png_byte> readPng(const std::string& path, int& width, int& height)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) return {};
    width = int(png.width);
    height = int(png.height);
    return bytes;
}

void writePngBytes(const std::string& path, const std::vector<png_byte>& bytes, int width, int height)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(width);
    png.height = png_uint_32(height);
    png.format = PNG_FORMAT_RGB;
    png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr);
}

}  // namespace

// Finite inputs whose products leave the float range give pixels that are
// not numbers; the run says so for the image that holds them, and only then.
TEST(PreviewCommand, AnImageWithPixelsThatAreNotFiniteIsSaid)
{
    const fs::path out = fs::temp_directory_path() / ("preview_nonfinite_test_" + std::to_string(::getpid()));
    const std::pair<const char*, const char*> rows[] = {
        {"specularColor=-3e38,0,0", "pixels of the mentalray image are NaN or infinite"},
        {"specularColor=1,0.5,0.25", nullptr},
    };
    for (const auto& [setting, warning] : rows) {
        std::ostringstream stdoutText, stderrText;
        EXPECT_EQ(
            runPreview({"--width", "32", "--height", "24", "--samples", "1", "--set", setting, "--out", out.string()},
                       stdoutText, stderrText, builtDeliverables(), false),
            0)
            << stderrText.str();
        const std::string said = stderrText.str();
        EXPECT_EQ(said.find("NaN or infinite") != std::string::npos, warning != nullptr) << setting << ": " << said;
        if (warning != nullptr) {
            EXPECT_NE(said.find(warning), std::string::npos) << said;
        }
    }
    fs::remove_all(out);
}

// The whole command at 40x30 against a stored picture of both hosts. The
// pictures come from deterministic code, but a tolerance of 3 codes per
// channel absorbs last-bit differences of the maths library between systems;
// a change to the material or the scene moves far more than that.
TEST(PreviewCommand, WritesEveryImageAndMatchesTheStoredReference)
{
    const fs::path out = fs::temp_directory_path() / ("preview_command_test_" + std::to_string(::getpid()));
    fs::remove_all(out);
    std::ostringstream stdoutText, stderrText;
    const int status =
        runPreview({"--width", "40", "--height", "30", "--samples", "2", "--threads", "2", "--out", out.string()},
                   stdoutText, stderrText, builtDeliverables(), false);
    ASSERT_EQ(status, 0) << stderrText.str();
    EXPECT_NE(stderrText.str().find("40x30"), std::string::npos) << stderrText.str();
    EXPECT_NE(stderrText.str().find("samples/s"), std::string::npos) << stderrText.str();

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"maya.exr", "maya.png", "mentalray.exr", "mentalray.png", "side-by-side.png"}));

    // Each host's PNG is its EXR encoded: same size, same values.
    for (const char* host : {"maya", "mentalray"}) {
        int width = 0, height = 0;
        const std::vector<png_byte> png = readPng((out / (std::string(host) + ".png")).string(), width, height);
        ASSERT_EQ(width, 40) << host;
        ASSERT_EQ(height, 30) << host;
        Imf::RgbaInputFile exr((out / (std::string(host) + ".exr")).string().c_str());
        const Imath::Box2i window = exr.dataWindow();
        ASSERT_EQ(window.max.x - window.min.x + 1, 40) << host;
        ASSERT_EQ(window.max.y - window.min.y + 1, 30) << host;
        Imf::Array2D<Imf::Rgba> pixels(30, 40);
        exr.setFrameBuffer(&pixels[0][0], 1, 40);
        exr.readPixels(window.min.y, window.max.y);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                // The half-float read rounds: allow one code.
                const int code = preview::toSrgb8(float(pixels[y][x].g));
                EXPECT_NEAR(png[(std::size_t(y) * 40 + x) * 3 + 1], code, 1) << host << " " << x << "," << y;
            }
    }

    int width = 0, height = 0, refWidth = 0, refHeight = 0;
    const std::vector<png_byte> both = readPng((out / "side-by-side.png").string(), width, height);
    const std::vector<png_byte> reference = readPng(PREVIEW_REFERENCE_IMAGE, refWidth, refHeight);
    ASSERT_FALSE(reference.empty()) << "cannot read " << PREVIEW_REFERENCE_IMAGE;
    ASSERT_EQ(width, refWidth);
    ASSERT_EQ(height, refHeight);
    int worst = 0;
    std::vector<png_byte> difference(both.size());
    for (std::size_t i = 0; i < both.size(); ++i) {
        const int d = std::abs(int(both[i]) - int(reference[i]));
        worst = std::max(worst, d);
        difference[i] = png_byte(std::min(255, d * 16));
    }
    if (worst > 3) {
        const std::string diffPath = (fs::current_path() / "preview_reference_difference.png").string();
        writePngBytes(diffPath, difference, width, height);
        fs::copy_file(out / "side-by-side.png", fs::current_path() / "preview_reference_actual.png",
                      fs::copy_options::overwrite_existing);
        ADD_FAILURE() << "side-by-side image differs from the reference by up to " << worst
                      << " codes (tolerance 3); difference (x16) written to " << diffPath;
    }
    fs::remove_all(out);
}
