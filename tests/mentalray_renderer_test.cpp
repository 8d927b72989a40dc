// The stand-in renderer's per-sample functions as a shader meets them:
// light sampling (point, area, shadowed), the mirror direction, the host's
// tracers, evaluation of connected parameters, and that none of it allocates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

extern "C" {
#include <shader.h>
}

#include "allocation_counter.h"
#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/record_hooks.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"
#include "mrhost/scene_hooks.h"
#include "shader_layout.h"

namespace {

const mrhost::ShaderDeclaration kDeclaration = mrhost::parseDeclarations(
    "declare shader color \"s\" (color \"tint\" default 1 1 1 1, scalar \"k\") end declare", "s.mi")[0];

struct Sampled {
    std::vector<miVector> directions;
    std::vector<miColor> colors;
};

Sampled sampleAll(miState& state, miTag light)
{
    Sampled s;
    miColor color;
    miVector direction;
    float cosine;
    int samples = 0;
    while (mi_sample_light(&color, &direction, &cosine, &state, light, &samples)) {
        s.directions.push_back(direction);
        s.colors.push_back(color);
        EXPECT_EQ(samples, static_cast<int>(s.directions.size())) << "the counter counts the samples";
    }
    return s;
}

class MentalRayFunctions : public ::testing::Test {
protected:
    mrhost::Scene scene;
    mrhost::ParameterRecord record{kDeclaration};
    mrhost::SampleGeometry geometry;
};

TEST_F(MentalRayFunctions, PointLightGivesOneSampleTowardItself)
{
    const miTag light = scene.addPointLight({0.0f, 3.0f, 4.0f}, {1.0f, 0.5f, 0.25f, 1.0f});
    mrhost::SampleContext context(scene);
    miState& state = context.begin(record, geometry);
    const Sampled s = sampleAll(state, light);
    ASSERT_EQ(s.directions.size(), 1u);
    EXPECT_FLOAT_EQ(s.directions[0].y, 0.6f);
    EXPECT_FLOAT_EQ(s.directions[0].z, 0.8f);
    EXPECT_EQ(s.colors[0].g, 0.5f) << "point lights do not fall off";
}

TEST_F(MentalRayFunctions, AreaLightGivesOneSamplePerCellThroughTheShadowTest)
{
    const miTag light = scene.addAreaLight({-1.0f, -1.0f, 1.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}, 2, 2,
                                           {1.0f, 1.0f, 1.0f, 1.0f});
    // Samples on the +x side are blocked.
    scene.setShadowTest(
        [](const miState*, const miVector*, const miVector* at, void*) { return at->x > 0.0f ? 0.0f : 1.0f; }, nullptr);
    mrhost::SampleContext context(scene);
    miState& state = context.begin(record, geometry);
    const Sampled s = sampleAll(state, light);
    ASSERT_EQ(s.directions.size(), 4u);
    const float side = 0.5f / std::sqrt(1.5f);
    const float xs[] = {-side, side, -side, side};
    const float ys[] = {-side, -side, side, side};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(s.directions[i].x, xs[i], 1e-6) << "sample " << i;
        EXPECT_NEAR(s.directions[i].y, ys[i], 1e-6) << "sample " << i;
        EXPECT_EQ(s.colors[i].r, xs[i] > 0.0f ? 0.0f : 1.0f) << "sample " << i;
    }
    EXPECT_THROW(scene.addAreaLight({}, {}, {}, 0, 1, {}), std::invalid_argument);
}

TEST_F(MentalRayFunctions, UnknownTagsGiveNoSampleAndMissingTracersNoColor)
{
    const miTag checker = mrhost::addChecker(scene, {}, {}, 1.0f);
    mrhost::SampleContext context(scene);
    miState& state = context.begin(record, geometry);
    EXPECT_TRUE(sampleAll(state, 99u).directions.empty());
    EXPECT_TRUE(sampleAll(state, checker).directions.empty());

    miColor color{0.5f, 0.5f, 0.5f, 0.5f};
    miVector direction{0.0f, 0.0f, 1.0f};
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), miFALSE);
    EXPECT_EQ(mi_trace_environment(&color, &state, &direction), miFALSE);
    EXPECT_EQ(mi_compute_irradiance(&color, &state), miFALSE);
    EXPECT_EQ(color.r, 0.5f) << "a call that finds nothing leaves the colour alone";
}

TEST_F(MentalRayFunctions, TracersAreTheHostsAndTheMirrorDirectionFollowsTheNormal)
{
    int traced = 0;
    scene.setReflectionTracer(
        [](miColor* c, miState* child, void* user) {
            ++*static_cast<int*>(user);
            *c = {child->dir.x, child->dir.y, child->dir.z, 1.0f};
            return miTRUE;
        },
        &traced);
    geometry.direction = {0.6f, -0.8f, 0.0f};
    geometry.normal = {0.0f, 1.0f, 0.0f};
    mrhost::SampleContext context(scene);
    miState& state = context.begin(record, geometry);
    miVector mirror;
    mi_reflection_dir(&mirror, &state);
    miColor found{};
    EXPECT_EQ(mi_trace_reflection(&found, &state, &mirror), miTRUE);
    EXPECT_EQ(traced, 1);
    EXPECT_FLOAT_EQ(found.r, 0.6f);
    EXPECT_FLOAT_EQ(found.g, 0.8f);
    EXPECT_EQ(found.b, 0.0f);
}

// What a tracer saw of the child state, and where it ends the ray.
struct Tracer {
    miBoolean found;
    miState child;
};

miBoolean hitElsewhere(miColor* c, miState* child, void* user)
{
    Tracer& tracer = *static_cast<Tracer*>(user);
    tracer.child = *child;
    *c = {1.0f, 1.0f, 1.0f, 1.0f};
    child->point = {4.0f, 5.0f, 6.0f};
    child->normal = {0.0f, -1.0f, 0.0f};
    child->dist = 3.0;
    child->label = 9u;
    child->motion = {0.5f, 0.0f, 0.0f};
    child->normal_geom = {1.0f, 0.0f, 0.0f};  // not written back
    child->user = nullptr;
    return tracer.found;
}

TEST_F(MentalRayFunctions, TracesThatFindSomethingWriteBackExactlyTheHitFields)
{
    using TraceCall = miBoolean (*)(miColor*, miState*, miVector*);
    const struct {
        const char* name;
        TraceCall call;
        void (mrhost::Scene::*install)(mrhost::TraceFunction, void*);
        miInteger levelsAdded;
    } cases[] = {{"reflection", mi_trace_reflection, &mrhost::Scene::setReflectionTracer, 1},
                 {"environment", mi_trace_environment, &mrhost::Scene::setEnvironment, 0}};
    for (const auto& c : cases) {
        for (const miBoolean found : {miFALSE, miTRUE}) {
            mrhost::Scene traced;
            Tracer tracer{found, {}};
            (traced.*c.install)(hitElsewhere, &tracer);
            geometry.point = {1.0f, 2.0f, 0.5f};
            mrhost::SampleContext context(traced);
            miState& state = context.begin(record, geometry);
            int user = 0;
            state.user = &user;
            const miState before = state;
            miVector direction{0.0f, 0.6f, 0.8f};
            miColor color{};
            EXPECT_EQ(c.call(&color, &state, &direction), found) << c.name;

            EXPECT_EQ(tracer.child.org.y, 2.0f) << c.name << ": the child ray starts at the point";
            EXPECT_EQ(tracer.child.dir.z, 0.8f) << c.name;
            EXPECT_EQ(tracer.child.reflection_level, before.reflection_level + c.levelsAdded) << c.name;
            miState expected = before;
            if (found) {
                expected.point = {4.0f, 5.0f, 6.0f};
                expected.normal = {0.0f, -1.0f, 0.0f};
                expected.dist = 3.0;
                expected.label = 9u;
                expected.motion = {0.5f, 0.0f, 0.0f};
            }
            EXPECT_EQ(std::memcmp(&state, &expected, sizeof state), 0) << c.name << (found ? " hit" : " miss");
        }
    }
}

TEST_F(MentalRayFunctions, AReflectionLevelAtItsCeilingStaysThere)
{
    // Far beyond any trace depth: the environment gets the ray.
    mrhost::Scene traced;
    Tracer tracer{miFALSE, {}};
    traced.setEnvironment(hitElsewhere, &tracer);
    mrhost::SampleContext context(traced);
    miState& state = context.begin(record, geometry);
    state.reflection_level = std::numeric_limits<miInteger>::max();
    miVector direction{0.0f, 0.6f, 0.8f};
    miColor color{};
    mi_trace_reflection(&color, &state, &direction);
    EXPECT_EQ(tracer.child.reflection_level, std::numeric_limits<miInteger>::max());
}

// A tracer answering with its own colour, found or not, counting its calls.
struct Answering {
    miBoolean found;
    miColor color;
    int calls;
};

miBoolean answer(miColor* c, miState*, void* user)
{
    Answering& a = *static_cast<Answering*>(user);
    ++a.calls;
    *c = a.color;
    return a.found;
}

TEST_F(MentalRayFunctions, ReflectionRaysBeyondTheDepthOrOutOfTheSceneGetTheEnvironment)
{
    const miColor kMirror{1.0f, 0.0f, 0.0f, 1.0f};
    const miColor kSky{0.0f, 0.0f, 1.0f, 1.0f};
    const struct {
        const char* name;
        miInteger level;
        miBoolean mirrorFinds;
        miBoolean skyFinds;
        int mirrorCalls;
        miBoolean returned;
        float blue;  // kSky's channel: the environment's colour was taken
    } cases[] = {
        {"within the depth, hit", 1, miTRUE, miTRUE, 1, miTRUE, 0.0f},
        {"within the depth, left the scene", 1, miFALSE, miTRUE, 1, miTRUE, 1.0f},
        {"at the depth", 2, miTRUE, miTRUE, 0, miTRUE, 1.0f},
        {"at the depth, no environment colour", 2, miTRUE, miFALSE, 0, miFALSE, 1.0f},
        {"below level 0", -3, miTRUE, miTRUE, 1, miTRUE, 0.0f},
    };
    for (const auto& c : cases) {
        mrhost::Scene traced;
        traced.setReflectionDepth(2);
        Answering mirror{c.mirrorFinds, kMirror, 0};
        Answering sky{c.skyFinds, kSky, 0};
        traced.setReflectionTracer(answer, &mirror);
        traced.setEnvironment(answer, &sky);
        mrhost::SampleContext context(traced);
        miState& state = context.begin(record, geometry);
        state.reflection_level = c.level;
        miVector direction{0.0f, 0.0f, 1.0f};
        miColor color{};
        EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), c.returned) << c.name;
        EXPECT_EQ(mirror.calls, c.mirrorCalls) << c.name;
        EXPECT_EQ(color.b, c.blue) << c.name;
    }
}

// A mirror whose hit is another mirror: shading the hit traces again.
miBoolean mirrorOfMirrors(miColor* c, miState* child, void* user)
{
    ++*static_cast<int*>(user);
    miVector back{-child->dir.x, -child->dir.y, -child->dir.z};
    return mi_trace_reflection(c, child, &back);
}

TEST_F(MentalRayFunctions, MirrorsFacingEachOtherEndAtTheTraceDepth)
{
    for (const miInteger depth : {0, 1, 3, 40}) {
        mrhost::Scene traced;
        traced.setReflectionDepth(depth);
        int bounces = 0;
        Answering sky{miTRUE, {0.25f, 0.5f, 0.75f, 1.0f}, 0};
        traced.setReflectionTracer(mirrorOfMirrors, &bounces);
        traced.setEnvironment(answer, &sky);
        mrhost::SampleContext context(traced);
        miState& state = context.begin(record, geometry);
        miVector direction{0.0f, 0.0f, 1.0f};
        miColor color{};
        EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), miTRUE) << depth;
        EXPECT_EQ(bounces, depth);
        EXPECT_EQ(sky.calls, 1) << depth;
        EXPECT_EQ(color.g, 0.5f) << depth;
    }
}

TEST_F(MentalRayFunctions, SamplingALightLeavesTheStateAsItWas)
{
    const miTag light = scene.addAreaLight({-1.0f, -1.0f, 1.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}, 2, 1,
                                           {1.0f, 1.0f, 1.0f, 1.0f});
    mrhost::SampleContext context(scene);
    miState& state = context.begin(record, geometry);
    const miState before = state;
    EXPECT_EQ(sampleAll(state, light).directions.size(), 2u);
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
}

TEST_F(MentalRayFunctions, ConnectedParametersAreEvaluatedIntoPerSampleStorage)
{
    const miTag checker = mrhost::addChecker(scene, {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f);
    void* tint = static_cast<char*>(record.parameters()) + mrhost::offsetOf(record, "tint");
    mrhost::SampleContext context(scene, 0, 2);

    miState* state = &context.begin(record, geometry);
    EXPECT_EQ(mi_phen_eval(state, tint), tint) << "nothing connected: the value in place";

    mrhost::connect(record, "tint", checker);
    geometry.point = {1.5f, 0.5f, 0.0f};
    state = &context.begin(record, geometry);
    const auto* odd = static_cast<const miColor*>(mi_phen_eval(state, tint));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->r, 0.0f);
    geometry.point = {1.5f, 1.5f, 0.0f};
    state = &context.begin(record, geometry);
    const auto* even = static_cast<const miColor*>(mi_phen_eval(state, tint));
    const auto* again = static_cast<const miColor*>(mi_phen_eval(state, tint));
    ASSERT_NE(again, nullptr);
    EXPECT_NE(even, again) << "each evaluation keeps its own storage for the call";
    EXPECT_EQ(even->r, 1.0f);
    EXPECT_EQ(mi_phen_eval(state, tint), nullptr) << "with the storage used up, no value";
    state = &context.begin(record, geometry);
    EXPECT_NE(mi_phen_eval(state, tint), nullptr) << "a new sample starts with empty storage";
}

TEST_F(MentalRayFunctions, PerSampleFunctionsAllocateNothing)
{
    const miTag area = scene.addAreaLight({-1.0f, -1.0f, 1.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}, 3, 3,
                                          {1.0f, 1.0f, 1.0f, 1.0f});
    mrhost::connect(record, "tint", mrhost::addChecker(scene, {1.0f, 1.0f, 1.0f, 1.0f}, {}, 1.0f));
    scene.setShadowTest([](const miState*, const miVector*, const miVector*, void*) { return 1.0f; }, nullptr);
    mrhost::SampleContext context(scene);
    void* tint = static_cast<char*>(record.parameters()) + mrhost::offsetOf(record, "tint");

    const std::uint64_t before = testsupport::allocationCount();
    for (int i = 0; i < 100; ++i) {
        miState& state = context.begin(record, geometry);
        mi_phen_eval(&state, tint);
        miColor color;
        miVector direction;
        float cosine;
        int samples = 0;
        while (mi_sample_light(&color, &direction, &cosine, &state, area, &samples)) {}
        mi_reflection_dir(&direction, &state);
        mi_trace_reflection(&color, &state, &direction);
        mi_trace_environment(&color, &state, &direction);
        mi_compute_irradiance(&color, &state);
    }
    EXPECT_EQ(testsupport::allocationCount(), before);
}

}  // namespace

TEST(ShaderHeader, CompilesAsCWithTheLayoutCxxSees)
{
    ShaderLayout c{};
    shaderLayoutSeenByC(&c);
    const struct {
        const char* what;
        std::size_t inC;
        std::size_t inCxx;
    } rows[] = {{"miBoolean", c.boolean, sizeof(miBoolean)},
                {"miInteger", c.integer, sizeof(miInteger)},
                {"miTag", c.tag, sizeof(miTag)},
                {"miColor", c.color, sizeof(miColor)},
                {"miState", c.state, sizeof(miState)},
                {"miState::shader", c.stateShader, offsetof(miState, shader)},
                {"miFunction", c.function, sizeof(miFunction)},
                {"miFunction::ghost_offs", c.ghostOffs, offsetof(miFunction, ghost_offs)},
                {"miFunction::parameters", c.parameters, offsetof(miFunction, parameters)}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.inC, row.inCxx) << row.what;
    }
    EXPECT_EQ(c.boolean, 4u);
    EXPECT_EQ(c.integer, 4u);
    EXPECT_EQ(c.tag, 4u) << "tags are 32-bit";
    EXPECT_NE(c.ghostOffs, 0u) << "shaders find ghost_offs by name, not first in the record";
}
