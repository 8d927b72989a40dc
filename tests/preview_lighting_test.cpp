// SceneLight from the environment: turned and scaled, lighting the ground and,
// through the renderer's irradiance, the ball; the built-in lights switched off.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "preview_command.h"
#include "render.h"

using namespace preview;

namespace {

// 8 x 4 texels: `east` where the azimuth looks toward world +x, `west` elsewhere.
Environment halves(const Vec3& east, const Vec3& west)
{
    std::vector<Vec3> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) texels.push_back(x >= 4 ? east : west);
    return Environment::fromTexels(8, 4, texels);
}

Lighting lighting(bool lights, float turn, float intensity, int rays = 16)
{
    Lighting l;
    l.builtInLights = lights;
    l.environmentTurn = turn;
    l.environmentIntensity = intensity;
    l.irradianceRays = rays;
    return l;
}

TEST(EnvironmentLighting, TurnsAboutTheVerticalAndScales)
{
    const Vec3 east{2.0f, 0.0f, 0.0f}, west{0.0f, 0.0f, 0.5f};
    // Away from the image's seam (straight behind), where texels blend.
    const Vec3 ahead{0.0f, 0.3f, -0.95f}, right{0.95f, 0.3f, 0.0f}, left{-0.95f, 0.3f, 0.0f};
    const Vec3 behind{0.1f, 0.3f, 0.95f};
    const struct {
        float turn, intensity;
        Vec3 direction, expected;
    } cases[] = {
        {0.0f, 1.0f, normalize(right), east},          {0.0f, 1.0f, normalize(left), west},
        {90.0f, 1.0f, normalize(behind), east},        {180.0f, 3.0f, normalize(right), west * 3.0f},
        {-90.0f, 0.5f, normalize(ahead), east * 0.5f}, {0.0f, 0.0f, normalize(right), Vec3{}},
    };
    for (const auto& c : cases) {
        const BallScene scene(halves(east, west), 3, lighting(true, c.turn, c.intensity));
        const Vec3 got = scene.worldEnvironment(c.direction);
        EXPECT_NEAR(got.x, c.expected.x, 1e-4f) << c.turn << " " << c.intensity;
        EXPECT_NEAR(got.z, c.expected.z, 1e-4f) << c.turn << " " << c.intensity;
    }
}

TEST(EnvironmentLighting, AnImageLightsTheGroundWithoutTheBuiltInLights)
{
    const Vec3 sky{0.5f, 0.25f, 1.0f};
    const struct {
        bool lights;
        float intensity;
    } cases[] = {{false, 1.0f}, {false, 2.0f}, {true, 2.0f}};
    for (const auto& c : cases) {
        const BallScene scene(halves(sky, sky), 3, lighting(c.lights, 0.0f, c.intensity));
        EXPECT_EQ(scene.lights().empty(), !c.lights);
        // Far to the left in front, out of the ball's shadows.
        const Ray ray = scene.cameraRay(2.5f, 110.0f, 160, 120);
        const Hit hit = scene.intersect(ray, true);
        ASSERT_EQ(hit.surface, Surface::Ground);
        const Vec3 shade = scene.shadeGround(hit, LightView::Centres);
        // A diffuse ground under a uniform sky shows its albedo (dark or light
        // squares, fading to their mean far away) times the sky.
        const float albedo = shade.z / (sky.z * c.intensity);
        if (!c.lights) {
            EXPECT_NEAR(shade.x, albedo * sky.x * c.intensity, 1e-5f);
            EXPECT_NEAR(shade.y, albedo * sky.y * c.intensity, 1e-5f);
            EXPECT_GE(albedo, 0.25f - 1e-4f);
            EXPECT_LE(albedo, 0.7f + 1e-4f);
        } else {
            EXPECT_GT(shade.x, albedo * sky.x * c.intensity + 0.05f) << "the lights add to the sky";
        }
    }
}

TEST(EnvironmentLighting, IrradianceTakesAsManyStratifiedRaysAsAsked)
{
    const Vec3 bright{1.0f, 1.0f, 1.0f};
    struct Case {
        Environment environment;
        int rays;
        float lowest, highest;  // of pi times the sky, over 32 pixel samples
    };
    const Case cases[] = {
        {halves(bright, bright), 1, 1.0f, 1.0f},
        {halves(bright, bright), 5, 1.0f, 1.0f},
        {halves(bright, bright), 64, 1.0f, 1.0f},
        // Half the sky bright: one ray sees all of it or none, 64 close to half.
        {halves(bright, Vec3{}), 1, 0.0f, 1.0f},
        {halves(bright, Vec3{}), 64, 0.4f, 0.6f},
    };
    for (const Case& c : cases) {
        const BallScene scene(c.environment, 3, lighting(false, 0.0f, 1.0f, c.rays));
        // The ball's top, facing straight up: every ray it gathers sees the sky.
        const Vec3 up = scene.intersect(scene.cameraRay(80.0f, 119.0f, 160, 120), true).normal;
        const Vec3 top = scene.ballCentre() + up * scene.ballRadius();
        float lowest = 1e9f, highest = -1e9f;
        for (int i = 0; i < 32; ++i) {
            Sampler sampler(i, 0, 0);
            const float share = scene.irradiance(top, up, LightView::Samples, sampler).y / kPi;
            lowest = std::min(lowest, share);
            highest = std::max(highest, share);
        }
        EXPECT_NEAR(lowest, c.lowest, c.lowest == c.highest ? 1e-4f : 0.1f) << c.rays;
        EXPECT_NEAR(highest, c.highest, c.lowest == c.highest ? 1e-4f : 0.1f) << c.rays;
    }
}

TEST(EnvironmentLighting, TheRendererBallTakesTheEnvironmentThroughIrradianceAndMayaOnlyByReflection)
{
    // Without lights or reflection, a white sky instead of a black one lights
    // the renderer's ball through its irradiance and leaves Maya's as it was.
    Vec3 mayaBlack;
    for (const float sky : {0.0f, 1.0f}) {
        const BallScene scene(halves(Vec3{sky, sky, sky}, Vec3{sky, sky, sky}), 3, lighting(false, 0.0f, 1.0f));
        MayaHost maya(scene, builtDeliverables().mayaModule);
        MentalRayHost mentalRay(scene, builtDeliverables().shaderLibrary, builtDeliverables().shaderDeclaration);
        mentalRay.setInput("useIrradiance", {InputKind::Boolean, {1.0f, 0.0f, 0.0f}});
        maya.setInput("reflectivity", {InputKind::Scalar, {0.0f, 0.0f, 0.0f}});
        mentalRay.setInput("reflectivity", {InputKind::Scalar, {0.0f, 0.0f, 0.0f}});
        RenderSettings settings;
        settings.width = 40;
        settings.height = 30;
        settings.samples = 1;
        float px = 0.0f, py = 0.0f;
        scene.project(scene.ballCentre(), settings.width, settings.height, px, py);
        const Vec3 mayaBall = render(scene, maya, settings).at(int(px), int(py));
        const Vec3 rendererBall = render(scene, mentalRay, settings).at(int(px), int(py));
        if (sky == 0.0f) {
            mayaBlack = mayaBall;
            EXPECT_EQ(rendererBall.y, 0.0f);
        } else {
            EXPECT_EQ(mayaBall.y, mayaBlack.y);
            EXPECT_GT(rendererBall.y, 0.1f);
        }
    }
}

}  // namespace
