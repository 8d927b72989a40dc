// The glossy node shading through the stand-in, as the renderer drives it.
// Expected colours were worked out independently in single precision (each
// operation rounded to float, in the order the node defines) and are written
// as hex floats.
#include <gtest/gtest.h>
#include <maya/MString.h>
#include <mayahost/tracer.h>

#include <functional>
#include <thread>
#include <vector>

#include "support/allocation_counter.h"
#include "support/mayaplugin_fixture.h"

namespace {

using mayahost::LightSample;

// Everything the tracer was handed, and the colour it answers with.
struct TraceRecord {
    int calls = 0;
    MFloatVector origin, direction, colorOnEntry{-1.0f, -1.0f, -1.0f}, transparencyOnEntry{-1.0f, -1.0f, -1.0f};
    const void* objectId = nullptr;
    const void* raySampler = nullptr;
    short depth = -1;
    bool reflected = false;
    MFloatVector answer{0.25f, 0.5f, 1.0f};
};

MStatus recordTrace(void* user, const MFloatVector& origin, const MFloatVector& direction, const void* objectId,
                    const void* raySampler, short depth, MFloatVector& color, MFloatVector& transparency,
                    bool reflected)
{
    auto& r = *static_cast<TraceRecord*>(user);
    ++r.calls;
    r.origin = origin;
    r.direction = direction;
    r.objectId = objectId;
    r.raySampler = raySampler;
    r.depth = depth;
    r.colorOnEntry = color;
    r.transparencyOnEntry = transparency;
    r.reflected = reflected;
    color = r.answer;
    transparency = MFloatVector(0.75f, 0.75f, 0.75f);
    return MStatus::kSuccess;
}

// A tracer any thread may call: the colour depends on the ray alone.
MStatus skyTrace(void*, const MFloatVector&, const MFloatVector& direction, const void*, const void*, short,
                 MFloatVector& color, MFloatVector&, bool)
{
    color = MFloatVector(0.5f * direction.y + 0.5f, 0.25f, 0.5f * direction.z + 0.5f);
    return MStatus::kSuccess;
}

class Compute : public testsupport::GlossyTest {
protected:
    void SetUp() override
    {
        testsupport::GlossyTest::SetUp();
        mayahost::installTracer(recordTrace, &trace);
    }
    void TearDown() override
    {
        mayahost::installTracer(nullptr, nullptr);
        testsupport::GlossyTest::TearDown();
    }

    void setMaterial(const char* name, const MFloatVector& value)
    {
        ASSERT_TRUE(context->setFloat3(attribute(name), value));
    }
    void setMaterial(const char* name, float value) { ASSERT_TRUE(context->setFloat(attribute(name), value)); }

    // Only the highlight's own inputs are non-zero.
    void blackMaterial()
    {
        setMaterial("color", {0.0f, 0.0f, 0.0f});
        setMaterial("reflectivity", 0.0f);
        setMaterial("translucence", 0.0f);
    }

    // The mixed scene's colour at depth 0, every term at work.
    static const MFloatVector kMixedSceneColor;

    // Every term at work: two lights, partial transparency, a reflection.
    void mixedScene(short depth)
    {
        setMaterial("color", {0.5f, 0.25f, 0.75f});
        setMaterial("ambientColor", {0.1f, 0.2f, 0.3f});
        setMaterial("incandescence", {0.05f, 0.1f, 0.15f});
        setMaterial("specularColor", {0.5f, 0.5f, 0.5f});
        setMaterial("reflectedColor", {0.8f, 0.6f, 0.4f});
        setMaterial("diffuse", 0.8f);
        setMaterial("translucence", 0.3f);
        setMaterial("roughness", 0.5f);
        setMaterial("sharpness", 0.2f);
        setMaterial("reflectivity", 0.5f);
        setMaterial("transparency", {0.25f, 0.5f, 0.0f});
        context->setRayDirection({0.0f, -0.6f, -0.8f});
        context->setPointCamera({1.0f, 2.0f, -5.0f});
        context->setNormalCamera({0.0f, 0.0f, 1.0f});
        context->setRayDepth(depth);
        context->setObjectId(&objectTag);
        context->setRaySampler(&samplerTag);
        lights[0] = light({1.0f, 0.9f, 0.8f}, {0.0f, 0.6f, 0.8f}, true, true, true);
        lights[1] = light({0.5f, 0.5f, 0.5f}, {0.6f, 0.0f, 0.8f}, false, true, false);
        ASSERT_TRUE(context->setLights(lights, 2));
    }

    static LightSample light(const MFloatVector& intensity, const MFloatVector& direction, bool ambient, bool diffuse,
                             bool specular)
    {
        LightSample l;
        l.intensity = intensity;
        l.direction = direction;
        l.ambient = ambient;
        l.diffuse = diffuse;
        l.specular = specular;
        return l;
    }

    MFloatVector shade()
    {
        MFloatVector color;
        EXPECT_TRUE(context->outColor(color));
        return color;
    }

    TraceRecord trace;
    LightSample lights[4];
    int objectTag = 0;
    int samplerTag = 0;
};

const MFloatVector Compute::kMixedSceneColor(0x1.1de9e4p+0f, 0x1.ef66b2p-2f, 0x1.122c6ap+1f);

void expectBits(const MFloatVector& actual, const MFloatVector& expected)
{
    EXPECT_EQ(actual.x, expected.x) << std::hexfloat << actual.x << " vs " << expected.x;
    EXPECT_EQ(actual.y, expected.y) << std::hexfloat << actual.y << " vs " << expected.y;
    EXPECT_EQ(actual.z, expected.z) << std::hexfloat << actual.z << " vs " << expected.z;
}

TEST_F(Compute, EachOutputPlugWritesAndCleansItsWholeTriple)
{
    mixedScene(0);
    for (const char* plug : {"outColor", "outColorR", "outColorG", "outColorB"}) {
        SCOPED_TRACE(plug);
        ASSERT_TRUE(context->setLights(lights, 2));  // makes the colour dirty again
        ASSERT_TRUE(context->setFloat3(attribute("outColor"), {9.0f, 9.0f, 9.0f}));
        EXPECT_TRUE(context->evaluate(attribute(plug)));
        expectBits(context->float3(attribute("outColor")), kMixedSceneColor);
        for (const char* channel : {"outColor", "outColorR", "outColorG", "outColorB"}) {
            EXPECT_FALSE(context->isDirty(attribute(channel))) << channel;
        }
    }
    for (const char* plug : {"outTransparency", "outTransparencyR", "outTransparencyG", "outTransparencyB"}) {
        SCOPED_TRACE(plug);
        ASSERT_TRUE(context->setFloat3(attribute("transparency"), {0.125f, 2.0f, -1.0f}));
        EXPECT_TRUE(context->evaluate(attribute(plug)));
        expectBits(context->float3(attribute("outTransparency")), {0.125f, 2.0f, -1.0f});
        EXPECT_FALSE(context->isDirty(attribute("outTransparencyR")));
    }
}

TEST_F(Compute, OtherPlugsAreUnknownAndTouchNothing)
{
    mixedScene(0);
    ASSERT_TRUE(context->setFloat3(attribute("outColor"), {7.0f, 8.0f, 9.0f}));
    ASSERT_TRUE(context->setFloat3(attribute("outTransparency"), {1.0f, 2.0f, 3.0f}));
    const unsigned long before = context->computeCount();
    for (const char* plug : {"color", "diffuse", "rayDepth", "lightDataArray"}) {
        EXPECT_EQ(context->evaluate(attribute(plug)), MStatus::kUnknownParameter) << plug;
    }
    EXPECT_EQ(context->computeCount(), before + 4);
    expectBits(context->float3(attribute("outColor")), {7.0f, 8.0f, 9.0f});
    expectBits(context->float3(attribute("outTransparency")), {1.0f, 2.0f, 3.0f});
    EXPECT_EQ(trace.calls, 0);
}

TEST_F(Compute, CleanOutputIsNotComputedAgain)
{
    mixedScene(0);
    shade();
    const unsigned long computed = context->computeCount();
    shade();
    EXPECT_EQ(context->computeCount(), computed);
    context->setPointCamera({0.0f, 0.0f, -1.0f});
    shade();
    EXPECT_EQ(context->computeCount(), computed + 1);
}

// One light on a material without reflection, the normal along +z: which
// terms the light reaches, by its direction, its flags and the viewer's side.
TEST_F(Compute, OneLightReachesTheTermsItsDirectionAndFlagsAllow)
{
    const MFloatVector grey{0.5f, 0.5f, 0.5f}, white{1, 1, 1}, ahead{0, 0, -1};
    const struct {
        const char* what;
        MFloatVector color, specular;
        float translucence, roughness, sharpness;
        MFloatVector rayDirection, intensity, toLight;
        bool ambient, diffuse, highlight;
        MFloatVector expected;
    } rows[] = {
        // clang-format off
        // Half vector on the normal: the band is fully on, I × Cs.
        {"straight on", {0, 0, 0}, {0.5f, 0.25f, 1}, 0, 0.25f, 0, ahead, {1, 0.5f, 2}, {0, 0, 1}, true, true, true,
         {0x1p-1f, 0x1p-3f, 0x1p+1f}},
        // The highlight model's own worked example: band value about 0.84375.
        {"worked example", {0, 0, 0}, {0.5f, 0.25f, 1}, 0, 0.25f, 0, ahead, {1, 0.5f, 2}, {0, 0.6f, 0.8f}, true, true,
         true, {0x1.b0001cp-2f, 0x1.b0001cp-4f, 0x1.b0001cp+0f}},
        // Ambient 0.5 and translucence 0.125 only.
        {"edge on", grey, grey, 0.25f, 0.3f, 0.2f, ahead, white, {1, 0, 0}, true, true, true, {0x1.4p-1f, 0x1.4p-1f, 0x1.4p-1f}},
        // H = L - V = (0, 0.6, 0.2) leans toward N, yet L·N < 0.
        {"behind the surface", grey, white, 0.25f, 1, 0.2f, ahead, white, {0, 0.6f, -0.8f}, false, true, true,
         {0x1p-3f, 0x1p-3f, 0x1p-3f}},
        {"every flag off, still translucent", grey, grey, 0.5f, 0.3f, 0.2f, ahead, {2, 1, 0.5f}, {0, 0.6f, 0.8f}, false,
         false, false, {0x1p-1f, 0x1p-2f, 0x1p-3f}},
        // The viewer behind, the light in front: ambient 0.5, diffuse 0.8 × 0.8
        // × 0.5 and translucence 0.125; cos H < 0 adds no highlight, not NaN.
        {"viewer behind the surface", grey, grey, 0.25f, 0.3f, 0.2f, {0, 0, 1}, white, {0.6f, 0, 0.8f}, true, true, true,
         {0x1.e3d70cp-1f, 0x1.e3d70cp-1f, 0x1.e3d70cp-1f}},
        // clang-format on
    };
    blackMaterial();
    context->setNormalCamera({0.0f, 0.0f, 1.0f});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        setMaterial("color", row.color);
        setMaterial("specularColor", row.specular);
        setMaterial("translucence", row.translucence);
        setMaterial("roughness", row.roughness);
        setMaterial("sharpness", row.sharpness);
        context->setRayDirection(row.rayDirection);
        lights[0] = light(row.intensity, row.toLight, row.ambient, row.diffuse, row.highlight);
        ASSERT_TRUE(context->setLights(lights, 1));
        expectBits(shade(), row.expected);
    }
}

// The mixed scene with each term turned off in turn: the reflection is traced
// from primary rays only, with a reflectivity above 0 and a tracer installed.
TEST_F(Compute, MixedSceneSumsEveryTermAtWork)
{
    const MFloatVector unreflected(0x1.0ab6b2p+0f, 0x1.a299e2p-2f, 0x1.f1259ep+0f);
    const struct {
        const char* what;
        short depth;
        std::function<void()> change;
        MFloatVector expected;
    } rows[] = {
        {"every term", 0, [] {}, kMixedSceneColor},
        {"no light", 0, [this] { context->setLights(lights, 0); }, {0x1.333334p-3f, 0x1.333334p-3f, 0x1.266666p-1f}},
        {"full transparency: the highlights alone",
         0,
         [this] {
             setMaterial("transparency", {1.0f, 1.0f, 1.0f});
         },
         {0x1.02755p-4f, 0x1.d1399p-5f, 0x1.9d888p-5f}},
        {"a secondary ray", 1, [] {}, unreflected},
        {"a deeper ray", 3, [] {}, unreflected},
        {"reflectivity 0", 0, [this] { setMaterial("reflectivity", 0.0f); }, unreflected},
        {"reflectivity below 0", 0, [this] { setMaterial("reflectivity", -0.5f); }, unreflected},
        {"no tracer", 0, [] { mayahost::installTracer(nullptr, nullptr); }, unreflected},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        mayahost::installTracer(recordTrace, &trace);
        trace.calls = 0;
        mixedScene(row.depth);
        row.change();
        expectBits(shade(), row.expected);
        EXPECT_EQ(trace.calls, row.expected.x == unreflected.x ? 0 : 1);
    }
}

// A reflected ray can meet the same material again: the renderer then shades
// it on the same data block, inside the trace, overwriting the render inputs
// and the colour. What the first sample read before its trace must not be read
// again after it.
TEST_F(Compute, ATraceThatShadesTheSameBlockAgainLeavesTheSampleAsItWas)
{
    struct Nested {
        mayahost::EvaluationContext* context;
        LightSample* lights;
        int depth;
    } nested{context.get(), lights, 0};
    const auto shadeAgain = [](void* user, const MFloatVector&, const MFloatVector&, const void*, const void*, short,
                               MFloatVector& color, MFloatVector&, bool) -> MStatus {
        auto& n = *static_cast<Nested*>(user);
        if (n.depth++ == 0) {
            mayahost::EvaluationContext& c = *n.context;
            c.setRayDirection({0.6f, 0.0f, -0.8f});
            c.setNormalCamera({0.0f, 0.6f, 0.8f});
            c.setPointCamera({-3.0f, 1.0f, -2.0f});
            c.setRayDepth(1);
            n.lights[0] = light({2.0f, 0.1f, 0.3f}, {0.8f, 0.0f, 0.6f}, true, true, true);
            c.setLights(n.lights, 1);
            MFloatVector inner;
            c.outColor(inner);
        }
        color = MFloatVector(0.25f, 0.5f, 1.0f);
        return MStatus::kSuccess;
    };
    mixedScene(0);
    mayahost::installTracer(shadeAgain, &nested);
    EXPECT_TRUE(context->evaluate(attribute("outColor")));
    EXPECT_EQ(nested.depth, 1);
    expectBits(context->float3(attribute("outColor")), kMixedSceneColor);
}

TEST_F(Compute, EachProductRoundsInItsWrittenOrder)
{
    // No operand a power of two, so that grouping any product otherwise
    // changes every channel.
    blackMaterial();
    context->setRayDirection({0.0f, 0.0f, -1.0f});
    context->setRayDepth(0);

    // Translucence: (I × Cb) × kt, not I × (Cb × kt).
    setMaterial("color", {0.81f, 0.49f, 0.55f});
    setMaterial("translucence", 0.3f);
    lights[0] = light({0.37f, 1.57f, 0.62f}, {0.0f, 0.0f, 1.0f}, false, false, false);
    ASSERT_TRUE(context->setLights(lights, 1));
    expectBits(shade(), {0x1.704578p-4f, 0x1.d8a87p-3f, 0x1.a30556p-4f});

    // Diffuse: ((d × kd) × I) × Cb with d = (L.x N.x + L.y N.y) + L.z N.z.
    setMaterial("translucence", 0.0f);
    setMaterial("color", {0.94f, 0.85f, 0.26f});
    setMaterial("diffuse", 0.28f);
    context->setNormalCamera({0.27f, 0.24f, 0.81f});
    lights[0] = light({0.96f, 1.41f, 1.19f}, {-0.14f, -0.34f, 0.71f}, false, true, false);
    ASSERT_TRUE(context->setLights(lights, 1));
    expectBits(shade(), {0x1.d79fcep-4f, 0x1.39301ep-3f, 0x1.4367ccp-5f});

    // Reflection: (traced × kr) × reflectedColor.
    ASSERT_TRUE(context->setLights(lights, 0));
    setMaterial("reflectivity", 0.3f);
    setMaterial("reflectedColor", {0.49f, 0.95f, 0.13f});
    trace.answer = {0.79f, 0.91f, 0.3f};
    expectBits(shade(), {0x1.dbab24p-4f, 0x1.09930ep-2f, 0x1.7f62b6p-7f});
}

TEST_F(Compute, TermsAreSummedAndScaledInTheirWrittenOrder)
{
    // Sa + ((((Sd + Am) + Ci) + St) + Rf), then (1 - T) × that + Ss: any other
    // grouping of the sum, or U - T × U, changes the bits.
    setMaterial("color", {0.16f, 0.6f, 0.49f});
    setMaterial("ambientColor", {0.45f, 0.34f, 0.17f});
    setMaterial("incandescence", {0.08f, 0.29f, 0.21f});
    setMaterial("specularColor", {0.15f, 0.19f, 0.3f});
    setMaterial("reflectedColor", {0.82f, 0.39f, 0.94f});
    setMaterial("diffuse", 0.86f);
    setMaterial("translucence", 0.21f);
    setMaterial("roughness", 1.0f);
    setMaterial("sharpness", 0.07f);
    setMaterial("reflectivity", 0.57f);
    setMaterial("transparency", {0.66f, 0.1f, 0.82f});
    context->setRayDirection({0.0f, 0.0f, -1.0f});
    context->setNormalCamera({0.0f, 0.0f, 1.0f});
    context->setRayDepth(0);
    trace.answer = {0.39f, 0.56f, 0.77f};
    lights[0] = light({0.21f, 1.09f, 1.16f}, {0.0f, 0.0f, 1.0f}, true, true, true);
    ASSERT_TRUE(context->setLights(lights, 1));
    expectBits(shade(), {0x1.59b664p-3f, 0x1.fb6d9ap+0f, 0x1.5fa9b8p-1f});
}

TEST_F(Compute, LightFlagsOneByOne)
{
    mixedScene(0);
    setMaterial("reflectivity", 0.0f);
    struct Case {
        const char* name;
        bool ambient, diffuse, specular;
        MFloatVector expected;
    };
    const Case cases[] = {
        {"ambient", true, false, false, {0x1.2p-1f, 0x1.c51eb8p-3f, 0x1.27ae14p+0f}},
        {"diffuse", false, true, false, {0x1.b5c292p-2f, 0x1.722d0ep-3f, 0x1.e0c49ep-1f}},
        {"specular", false, false, true, {0x1.009d54p-2f, 0x1.5306b6p-3f, 0x1.36017ep-1f}},
        // Translucence comes from a light whatever its flags.
        {"none", false, false, false, {0x1.8p-3f, 0x1.bd70a4p-4f, 0x1.1c28f6p-1f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lights[0] = light({1.0f, 0.9f, 0.8f}, {0.0f, 0.6f, 0.8f}, c.ambient, c.diffuse, c.specular);
        ASSERT_TRUE(context->setLights(lights, 1));
        expectBits(shade(), c.expected);
    }
}

TEST_F(Compute, SharpnessOfOneOrMoreActsAsPointNineSeven)
{
    blackMaterial();
    setMaterial("specularColor", {1.0f, 1.0f, 1.0f});
    setMaterial("roughness", 0.5f);
    context->setRayDirection({0.0f, 0.0f, -1.0f});
    context->setNormalCamera({0.0f, 0.0f, 1.0f});
    // A lobe inside the narrowest band, so the band value is partial.
    lights[0] = light({1.0f, 1.0f, 1.0f}, {0x1.cbca46p-1f, 0.0f, 0x1.c27f6ap-2f}, false, false, true);
    ASSERT_TRUE(context->setLights(lights, 1));
    for (float sharpness : {0x1.f0a3d8p-1f, 1.0f, 1.5f, 40.0f}) {
        SCOPED_TRACE(sharpness);
        setMaterial("sharpness", sharpness);
        expectBits(shade(), {0x1.fbab12p-2f, 0x1.fbab12p-2f, 0x1.fbab12p-2f});
    }
    setMaterial("sharpness", 0.9f);
    expectBits(shade(), {0x1.feb35p-2f, 0x1.feb35p-2f, 0x1.feb35p-2f});
    float stored = 0.0f;
    ASSERT_TRUE(node->getFloat("sharpness", stored));
    EXPECT_EQ(stored, 0.2f) << "the ceiling changes no attribute";
}

TEST_F(Compute, PrimarySampleTracesTheMirrorRayWithItsInputs)
{
    mixedScene(0);
    shade();
    ASSERT_EQ(trace.calls, 1);
    expectBits(trace.origin, {1.0f, 2.0f, -5.0f});
    expectBits(trace.direction, {0.0f, -0x1.333334p-1f, 0x1.99999ap-1f});
    EXPECT_EQ(trace.objectId, &objectTag);
    EXPECT_EQ(trace.raySampler, &samplerTag);
    EXPECT_EQ(trace.depth, 0);
    expectBits(trace.colorOnEntry, {0.0f, 0.0f, 0.0f});
    expectBits(trace.transparencyOnEntry, {0.0f, 0.0f, 0.0f});
    EXPECT_TRUE(trace.reflected);
}

// A sample that differs with the index, so threads disagree if they mix.
void fillSample(mayahost::EvaluationContext& context, int i, LightSample* lights)
{
    const float t = static_cast<float>(i) / 64.0f;
    context.setRayDirection({0.1f * t, -0.6f + 0.2f * t, -0.8f});
    context.setPointCamera({t, 1.0f - t, -4.0f});
    context.setNormalCamera({0.0f, 0.2f * t, 1.0f});
    context.setRayDepth(static_cast<short>(i % 2));
    lights[0].intensity = {1.0f, 0.9f - 0.5f * t, 0.8f};
    lights[0].direction = {0.3f * t, 0.6f, 0.8f};
    lights[0].specular = true;
    lights[1].intensity = {0.5f * t, 0.5f, 0.5f};
    lights[1].direction = {0.6f, -0.2f * t, 0.8f};
    lights[1].specular = (i % 3) != 0;
    context.setLights(lights, 2);
}

TEST_F(Compute, ThreadsEachWithTheirOwnBlockAgreeWithOneThread)
{
    mayahost::installTracer(skyTrace, nullptr);
    constexpr int kSamples = 256;
    std::vector<MFloatVector> expected(kSamples);
    {
        LightSample sampleLights[2];
        for (int i = 0; i < kSamples; ++i) {
            fillSample(*context, i, sampleLights);
            ASSERT_TRUE(context->outColor(expected[static_cast<std::size_t>(i)]));
        }
    }
    constexpr int kThreads = 4;
    std::vector<std::vector<MFloatVector>> results(kThreads, std::vector<MFloatVector>(kSamples));
    std::vector<std::unique_ptr<mayahost::EvaluationContext>> contexts;
    for (int t = 0; t < kThreads; ++t) contexts.push_back(std::make_unique<mayahost::EvaluationContext>(*node, 2));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            LightSample sampleLights[2];
            for (int i = 0; i < kSamples; ++i) {
                // Each thread walks the samples in its own order.
                const int sample = (i * (2 * t + 1) + t) % kSamples;
                fillSample(*contexts[static_cast<std::size_t>(t)], sample, sampleLights);
                contexts[static_cast<std::size_t>(t)]->outColor(
                    results[static_cast<std::size_t>(t)][static_cast<std::size_t>(sample)]);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kSamples; ++i) {
            SCOPED_TRACE(testing::Message() << "thread " << t << " sample " << i);
            expectBits(results[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)],
                       expected[static_cast<std::size_t>(i)]);
        }
    }
}

TEST_F(Compute, PerSamplePathAllocatesNothing)
{
    mayahost::installTracer(skyTrace, nullptr);
    LightSample sampleLights[2];
    MFloatVector color, transparency;
    const mayahost::AttributeInfo* transparencyInput = attribute("transparency");
    fillSample(*context, 0, sampleLights);
    context->outColor(color);
    const auto before = testsupport::allocationCount();
    for (int i = 0; i < 2000; ++i) {
        fillSample(*context, i % 64, sampleLights);
        context->setObjectId(&objectTag);
        context->setRaySampler(&samplerTag);
        context->setRayOrigin({0.0f, 0.0f, 0.0f});
        context->setFloat3(transparencyInput, {0.1f, 0.2f, 0.3f});
        context->outColor(color);
        context->outTransparency(transparency);
    }
    EXPECT_EQ(testsupport::allocationCount(), before);
}

}  // namespace
