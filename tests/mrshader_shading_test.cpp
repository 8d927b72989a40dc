// kova_glossy shading one sample through the scripted renderer: what each
// step adds to the result, and which renderer calls it makes, in which order
// and with which state. Expected colours were worked out separately in single
// precision, rounding after every operation, and are written as hex floats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/mrshader_fixture.h"

namespace {

using mrhost::Call;
using testsupport::KovaGlossyHost;

void expectColor(const miColor& got, float r, float g, float b)
{
    EXPECT_EQ(got.r, r) << std::hexfloat << got.r << " != " << r;
    EXPECT_EQ(got.g, g) << std::hexfloat << got.g << " != " << g;
    EXPECT_EQ(got.b, b) << std::hexfloat << got.b << " != " << b;
    EXPECT_EQ(got.a, 1.0f) << "the result is always opaque";
}

// Directions toward the lights used below, seen from a surface facing +z.
const miVector kSteep{0.0f, 0.96f, 0.28f};  // cos H 0.8: inside the highlight band
const miVector kTilted{0.6f, 0.0f, 0.8f};   // cos H above the band: full highlight
const miVector kBehind{0.0f, 0.6f, -0.8f};  // below the surface
const miVector kOverhead{0.0f, 0.0f, 1.0f};

const miColor kWarm{1.0f, 0.5f, 0.25f, 1.0f};
const miColor kCool{0.5f, 1.0f, 2.0f, 1.0f};

int count(const std::vector<Call>& kinds, Call kind)
{
    return static_cast<int>(std::count(kinds.begin(), kinds.end(), kind));
}

// Every term after the lights switched on, so one shade shows their order:
// reflection, ambient, incandescence, then irradiance.
void setReflectionAmbientAndIrradiance(KovaGlossyHost& host)
{
    host.record.setScalar("reflectivity", 0.5f);
    host.record.setColor("ambientColor", {0.1f, 0.2f, 0.3f, 1.0f});
    host.record.setColor("incandescence", {0.01f, 0.02f, 0.03f, 1.0f});
    host.record.setBoolean("useIrradiance", true);
    host.record.setColor("irradianceColor", {1.0f, 0.5f, 0.25f, 1.0f});
}

TEST(KovaGlossyShading, WithoutLightsKeepsTheEntryColorScaledByReflectionPlusTheRest)
{
    KovaGlossyHost host;
    setReflectionAmbientAndIrradiance(host);
    host.reflection = {true, {2.0f, 1.0f, 0.5f, 1.0f}};
    host.irradiance = {true, {0.75f, 0.5f, 0.25f, 1.0f}};

    for (const miInteger lightCount : {0, -1}) {
        host.record.setInteger("n_light", lightCount);
        // The shader adds to what the result holds; alpha is overwritten.
        const miColor got = host.shade({0.25f, 0.5f, 0.125f, 0.3f});
        expectColor(got, 0x1.1bd5e4p-1f, 0x1.6e06a2p-1f, 0x1.f64ab6p-2f);
        EXPECT_EQ(count(host.callKinds(), Call::SampleLight), 0) << "n_light " << lightCount;
    }
}

TEST(KovaGlossyShading, TwoLightsOfOneSampleEachAddTheirTermsOnce)
{
    KovaGlossyHost host;
    host.useLights({host.light({kSteep}, {kWarm}), host.light({kTilted}, {kCool})});
    expectColor(host.shade(), 0x1.dafa88p-1f, 0x1.c81d02p-1f, 0x1.37fd7ep+1f);
    // Each light is sampled until it says it is done.
    EXPECT_EQ(count(host.callKinds(), Call::SampleLight), 4);
}

TEST(KovaGlossyShading, ALightsSamplesAreAveragedBehindOnesIncluded)
{
    KovaGlossyHost host;
    const miColor bright{4.0f, 4.0f, 4.0f, 1.0f};
    const miColor dim{0.25f, 0.25f, 0.25f, 1.0f};
    host.useLights({host.light({kSteep, kTilted, kBehind, kOverhead}, {kWarm, kCool, bright, dim})});
    // The sum of the three lit samples divided by four.
    expectColor(host.shade(), 0x1.2716dep-2f, 0x1.10db4ep-2f, 0x1.619716p-1f);

    // The counter starts at 0 and is handed back as the renderer left it.
    std::vector<int> counters;
    for (const testsupport::LoggedCall& c : host.calls) {
        counters.push_back(c.record.samplesBefore);
    }
    EXPECT_EQ(counters, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(KovaGlossyShading, LightSumsRoundInTheirWrittenOrder)
{
    // No operand a power of two and three samples, so that every channel
    // changes if the normal's length or N'·L is grouped otherwise, the
    // diffuse product is not light × (cosL × diffuse) × color, a sample's
    // diffuse and highlight are added together before the sum, the sum is
    // scaled by 1/3 instead of divided by 3, or the lights are summed apart
    // from the result.
    KovaGlossyHost host;
    host.record.setColor("color", {0.61f, 0.23f, 0.81f, 1.0f});
    host.record.setColor("specularColor", {0.64f, 0.15f, 0.27f, 1.0f});
    host.record.setScalar("sharpness", 0.21f);
    host.record.setScalar("diffuse", 0.85f);
    host.record.setScalar("specularWeight", 1.33f);
    host.record.setVector("normalOffset", {-0.13f, 0.16f, 0.25f});
    host.useLights({host.light({{0.53f, -0.4f, 0.81f}, {-0.11f, -0.22f, 0.66f}, {-0.03f, 0.53f, 0.76f}},
                               {{0.3f, 1.82f, 0.79f, 1.0f}, {1.37f, 1.43f, 1.72f, 1.0f}, {1.6f, 0.71f, 0.59f, 1.0f}}),
                    host.light({{-0.21f, -0.29f, 0.63f}}, {{1.37f, 1.36f, 1.07f, 1.0f}})});
    expectColor(host.shade({0.24f, 0.11f, 0.04f, 0.0f}), 0x1.96c25cp+1f, 0x1.f87ffep-1f, 0x1.bac546p+0f);
}

TEST(KovaGlossyShading, LightsAreTakenFromEntryILightOnInOrder)
{
    KovaGlossyHost host;
    std::vector<miTag> tags;
    for (int i = 0; i < 6; ++i) {
        tags.push_back(host.light({kOverhead}, {kWarm}));
        mrhost::setArrayEntry(host.record, "light", i, tags.back());
    }
    host.record.setInteger("i_light", 2);
    host.record.setInteger("n_light", 3);
    host.shade();
    std::vector<miTag> sampled;
    for (const testsupport::LoggedCall& c : host.calls) {
        if (sampled.empty() || sampled.back() != c.record.light) {
            sampled.push_back(c.record.light);
        }
    }
    EXPECT_EQ(sampled, (std::vector<miTag>{tags[2], tags[3], tags[4]}));
}

TEST(KovaGlossyShading, NoReflectionCallUnlessReflectivityIsAboveZero)
{
    for (const float reflectivity : {0.0f, -0.0f, -0.25f}) {
        KovaGlossyHost host;
        host.useLights({host.light({kSteep}, {kWarm})});
        host.record.setScalar("reflectivity", reflectivity);
        host.reflection = {true, {8.0f, 8.0f, 8.0f, 1.0f}};
        expectColor(host.shade(), 0x1.090f02p-1f, 0x1.d8c5f2p-3f, 0x1.426712p-3f);
        EXPECT_EQ(host.callKinds(), (std::vector<Call>{Call::SampleLight, Call::SampleLight}))
            << "reflectivity " << reflectivity;
    }
}

TEST(KovaGlossyShading, ReflectionScalesTheLitColorSoBlackStaysBlack)
{
    KovaGlossyHost host;
    host.record.setScalar("reflectivity", 1.0f);
    host.reflection = {true, {5.0f, 5.0f, 5.0f, 1.0f}};
    expectColor(host.shade(), 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(count(host.callKinds(), Call::TraceReflection), 1);
}

TEST(KovaGlossyShading, EnvironmentStandsInWhenTheTraceFindsNothing)
{
    KovaGlossyHost host;
    setReflectionAmbientAndIrradiance(host);
    host.environment = {true, {2.0f, 1.0f, 0.5f, 1.0f}};
    host.irradiance = {true, {0.75f, 0.5f, 0.25f, 1.0f}};

    // The same colour from the environment as from the trace in the test
    // without lights gives the same result.
    // The renderer's reflection trace answers with the environment itself.
    expectColor(host.shade({0.25f, 0.5f, 0.125f, 0.0f}), 0x1.1bd5e4p-1f, 0x1.6e06a2p-1f, 0x1.f64ab6p-2f);
    ASSERT_EQ(host.callKinds(),
              (std::vector<Call>{Call::ReflectionDir, Call::TraceReflection, Call::ComputeIrradiance}));
    // The lookup goes along the mirror direction about the normal.
    const miVector& d = host.calls[1].record.direction;
    EXPECT_EQ(d.x, 0.0f);
    EXPECT_EQ(d.y, 0.0f);
    EXPECT_EQ(d.z, 1.0f);

    // Neither finding anything leaves the lit colour as it was.
    host.environment.found = false;
    host.record.setBoolean("useIrradiance", false);
    expectColor(host.shade({0.25f, 0.5f, 0.125f, 0.0f}), 0x1.3d70a4p-2f, 0x1.23d70ap-1f, 0x1.d1eb86p-2f);
    EXPECT_EQ(host.callKinds(),
              (std::vector<Call>{Call::ReflectionDir, Call::TraceReflection, Call::TraceEnvironment}));
}

// A sample at the reflection trace depth casts no reflection ray: its
// reflection is the environment's, as at level 0 with a trace that left the
// scene; one level above the depth, the mirror's.
TEST(KovaGlossyShading, AtTheTraceDepthTheReflectionIsTheEnvironments)
{
    KovaGlossyHost host;
    host.record.setScalar("reflectivity", 0.5f);
    host.useLights({host.light({kTilted}, {kWarm})});
    host.scene.setReflectionDepth(3);
    host.reflection = {true, {4.0f, 2.0f, 1.0f, 1.0f}};
    host.environment = {true, {0.5f, 1.0f, 3.0f, 1.0f}};
    const miColor mirrored = host.shade();
    host.reflection.found = false;
    const miColor environment = host.shade();
    host.reflection.found = true;
    ASSERT_NE(mirrored.r, environment.r);

    const struct {
        miInteger level;
        const miColor& expected;
    } cases[] = {{2, mirrored}, {3, environment}, {4, environment}};
    for (const auto& c : cases) {
        host.geometry.reflectionLevel = c.level;
        const miColor got = host.shade();
        EXPECT_EQ(std::memcmp(&got, &c.expected, sizeof got), 0) << "level " << c.level;
    }
}

TEST(KovaGlossyShading, SpecularColorTintsHighlightAndReflection)
{
    KovaGlossyHost host;
    host.useLights({host.light({kTilted}, {kCool})});
    host.record.setScalar("reflectivity", 0.5f);
    host.reflection = {true, {1.0f, 1.0f, 1.0f, 1.0f}};
    expectColor(host.shade(), 0x1.066668p-1f, 0x1.a66668p-1f, 0x1.6cccdp+1f);
}

TEST(KovaGlossyShading, ReflectionAmbientAndIrradianceRoundInTheirWrittenOrder)
{
    KovaGlossyHost host;
    // result + ((result × reflectivity) × traced) × specular, then + ambient ×
    // color, then + incandescence: (reflectivity × traced) or (traced ×
    // specular) first, result × (1 + ...), or ambient and incandescence added
    // together change every channel.
    host.record.setColor("color", {0.58f, 0.52f, 0.89f, 1.0f});
    host.record.setColor("specularColor", {0.55f, 0.54f, 0.37f, 1.0f});
    host.record.setColor("ambientColor", {0.34f, 0.1f, 0.16f, 1.0f});
    host.record.setColor("incandescence", {0.37f, 0.22f, 0.07f, 1.0f});
    host.record.setScalar("reflectivity", 0.71f);
    host.reflection = {true, {0.99f, 1.5f, 0.93f, 1.0f}};
    expectColor(host.shade({0.68f, 0.8f, 0.59f, 0.0f}), 0x1.8294e6p+0f, 0x1.883668p+0f, 0x1.e4a15ap-1f);

    // ((irradiance × color) × irradianceColor) / pi: (color ×
    // irradianceColor) first, or a factor 1/pi, change every channel.
    KovaGlossyHost irradiance;
    irradiance.record.setColor("color", {0.63f, 0.64f, 0.34f, 1.0f});
    irradiance.record.setBoolean("useIrradiance", true);
    irradiance.record.setColor("irradianceColor", {0.88f, 0.22f, 0.9f, 1.0f});
    irradiance.irradiance = {true, {0.6f, 0.4f, 0.64f, 1.0f}};
    expectColor(irradiance.shade(), 0x1.b1b1f6p-4f, 0x1.25b83p-6f, 0x1.feabdcp-5f);
}

TEST(KovaGlossyShading, IrradianceOnlyForAColorThatIsNotExactlyBlack)
{
    KovaGlossyHost host;
    host.useLights({host.light({kSteep}, {kWarm})});
    host.record.setBoolean("useIrradiance", true);
    host.irradiance = {true, {0.75f, 0.5f, 0.25f, 1.0f}};

    host.record.setColor("irradianceColor", {0.0f, 0.0f, 0.0f, 1.0f});
    expectColor(host.shade(), 0x1.090f02p-1f, 0x1.d8c5f2p-3f, 0x1.426712p-3f);
    EXPECT_EQ(count(host.callKinds(), Call::ComputeIrradiance), 0);

    host.record.setColor("irradianceColor", {0.0f, 0.0f, 0.001f, 0.0f});
    expectColor(host.shade(), 0x1.090f02p-1f, 0x1.d8c5f2p-3f, 0x1.4290cap-3f);
    EXPECT_EQ(count(host.callKinds(), Call::ComputeIrradiance), 1);

    host.record.setBoolean("useIrradiance", false);
    host.shade();
    EXPECT_EQ(count(host.callKinds(), Call::ComputeIrradiance), 0);
}

TEST(KovaGlossyShading, FailedIrradianceAddsNothingStale)
{
    // The colour storage still holds the light sample when the irradiance
    // call fails; none of it may reach the result.
    KovaGlossyHost host;
    host.useLights({host.light({kSteep}, {kWarm})});
    host.record.setBoolean("useIrradiance", true);
    host.irradiance = {false, {}};
    const miColor got = host.shade({0.0f, 0.0f, 0.0f, 0.5f});
    expectColor(got, 0x1.090f02p-1f, 0x1.d8c5f2p-3f, 0x1.426712p-3f);
    EXPECT_EQ(count(host.callKinds(), Call::ComputeIrradiance), 1);
}

TEST(KovaGlossyShading, NormalOffsetTiltsOrCancelsTheShadingNormal)
{
    KovaGlossyHost host;
    host.useLights({host.light({kSteep}, {kWarm})});

    host.record.setVector("normalOffset", {0.0f, 1.0f, -1.0f});
    expectColor(host.shade(), 0x1.af245p-2f, 0x1.d51156p-4f, 0x1.9c2dcep-3f);
    EXPECT_EQ(host.calls.front().normal.y, 1.0f);

    // A zero normal stays zero: every cosine is 0, so nothing is lit.
    host.record.setVector("normalOffset", {0.0f, 0.0f, -1.0f});
    expectColor(host.shade(), 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(host.calls.front().normal.z, 0.0f);

    // A long normal with no offset is made unit length.
    host.record.setVector("normalOffset", {0.0f, 0.0f, 0.0f});
    host.geometry.normal = {0.0f, 0.0f, 2.0f};
    expectColor(host.shade(), 0x1.090f02p-1f, 0x1.d8c5f2p-3f, 0x1.426712p-3f);
}

TEST(KovaGlossyShading, IrradianceIsGatheredAtTheShadedPointAfterAReflectionHitsElsewhere)
{
    KovaGlossyHost host;
    setReflectionAmbientAndIrradiance(host);
    host.record.setVector("normalOffset", {0.0f, 0.75f, 0.0f});
    host.geometry.point = {0.25f, -0.5f, 2.0f};
    host.reflection = {true, {2.0f, 1.0f, 0.5f, 1.0f}};
    host.irradiance = {true, {0.75f, 0.5f, 0.25f, 1.0f}};
    host.irradiance.keepsState = true;
    host.shade();

    ASSERT_EQ(count(host.callKinds(), Call::TraceReflection), 1);
    ASSERT_EQ(count(host.callKinds(), Call::ComputeIrradiance), 1);
    const miState& given = host.givenState();
    const miState& seen = host.irradiance.seen;
    EXPECT_EQ(seen.point.x, 0.25f);
    EXPECT_EQ(seen.point.y, -0.5f);
    EXPECT_EQ(seen.point.z, 2.0f);
    // N' = (0, 0.75, 1) / 1.25.
    EXPECT_EQ(seen.normal.x, 0.0f);
    EXPECT_EQ(seen.normal.y, 0x1.333334p-1f);
    EXPECT_EQ(seen.normal.z, 0x1.99999ap-1f);
    EXPECT_EQ(seen.dist, given.dist);
    EXPECT_EQ(seen.label, given.label);
    EXPECT_EQ(seen.motion.x, given.motion.x);
    EXPECT_EQ(seen.dir.z, given.dir.z) << "the ray itself is the shaded sample's";
}

TEST(KovaGlossyShading, ShadingNormalIsScaledByTheReciprocalOfItsLength)
{
    // A normal along one axis becomes a × (1/a) = 1 - 2^-24 there, not a / a = 1,
    // and the diffuse light 0.6 × that cosine shows the difference.
    const struct {
        miVector offset, toLight;
    } axes[] = {
        {{1.95f, 0.0f, -1.0f}, {0.6f, 0.0f, 0.8f}},
        {{0.0f, 0.77f, -1.0f}, {0.0f, 0.6f, 0.8f}},
        {{0.0f, 0.0f, 0.95f}, {0.8f, 0.0f, 0.6f}},
    };
    for (const auto& a : axes) {
        KovaGlossyHost host;
        host.record.setColor("color", {1.0f, 1.0f, 1.0f, 1.0f});
        host.record.setColor("specularColor", {0.0f, 0.0f, 0.0f, 1.0f});
        host.record.setScalar("diffuse", 1.0f);
        host.record.setVector("normalOffset", a.offset);
        host.useLights({host.light({a.toLight}, {{1.0f, 1.0f, 1.0f, 1.0f}})});
        expectColor(host.shade(), 0x1.333332p-1f, 0x1.333332p-1f, 0x1.333332p-1f);
    }
}

TEST(KovaGlossyShading, RendererCallsGetOneCopyOfTheStateWithTheShadingNormal)
{
    KovaGlossyHost host;
    host.useLights({host.light({kSteep, kTilted}, {kWarm, kCool})});
    host.record.setScalar("reflectivity", 0.5f);
    host.record.setBoolean("useIrradiance", true);
    host.record.setVector("normalOffset", {0.0f, 1.0f, -1.0f});
    mrhost::connect(host.record, "color", mrhost::addChecker(host.scene, kWarm, kCool, 1.0f));
    host.shade();

    ASSERT_EQ(host.callKinds(), (std::vector<Call>{Call::PhenEval, Call::SampleLight, Call::SampleLight,
                                                   Call::SampleLight, Call::ReflectionDir, Call::TraceReflection,
                                                   Call::TraceEnvironment, Call::ComputeIrradiance}));
    const miState* given = &host.givenState();
    EXPECT_EQ(host.calls[0].record.state, given) << "parameters are evaluated against the given state";
    const miState* copy = host.calls[1].record.state;
    EXPECT_NE(copy, given);
    for (std::size_t i = 1; i < host.calls.size(); ++i) {
        EXPECT_EQ(host.calls[i].record.state, copy) << "call " << i;
        EXPECT_EQ(host.calls[i].normal.y, 1.0f) << "call " << i;
        EXPECT_EQ(host.calls[i].normal.z, 0.0f) << "call " << i;
    }
    EXPECT_EQ(given->normal.z, 1.0f) << "the given state is never written";
}

}  // namespace
