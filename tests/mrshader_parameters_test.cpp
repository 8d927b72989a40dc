// kova_glossy's parameter record: the layout the declaration gives the
// renderer against the shader's own record, and the rule by which each
// parameter is read in place or through its connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "kova_glossy_params.h"
#include "support/mrshader_fixture.h"

namespace {

using mrhost::Call;
using mrhost::ParamType;

TEST(KovaGlossyRecord, DeclarationLaysOutTheShadersOwnRecord)
{
    const mrhost::ShaderDeclaration d = mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy");
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.resultType, ParamType::Color);
    struct Expected {
        const char* name;
        ParamType type;
        std::size_t offset;
    };
    const Expected fields[] = {
        {"color", ParamType::Color, offsetof(kova_glossy_params, color)},
        {"ambientColor", ParamType::Color, offsetof(kova_glossy_params, ambientColor)},
        {"incandescence", ParamType::Color, offsetof(kova_glossy_params, incandescence)},
        {"normalOffset", ParamType::Vector, offsetof(kova_glossy_params, normalOffset)},
        {"diffuse", ParamType::Scalar, offsetof(kova_glossy_params, diffuse)},
        {"roughness", ParamType::Scalar, offsetof(kova_glossy_params, roughness)},
        {"sharpness", ParamType::Scalar, offsetof(kova_glossy_params, sharpness)},
        {"specularWeight", ParamType::Scalar, offsetof(kova_glossy_params, specularWeight)},
        {"specularColor", ParamType::Color, offsetof(kova_glossy_params, specularColor)},
        {"reflectivity", ParamType::Scalar, offsetof(kova_glossy_params, reflectivity)},
        {"useIrradiance", ParamType::Boolean, offsetof(kova_glossy_params, useIrradiance)},
        {"irradianceColor", ParamType::Color, offsetof(kova_glossy_params, irradianceColor)},
        {"light", ParamType::Light, offsetof(kova_glossy_params, light)},
    };
    ASSERT_EQ(d.parameters.size(), std::size(fields));
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        const mrhost::Parameter& p = d.parameters[i];
        EXPECT_EQ(p.name, fields[i].name) << "parameter " << i;
        EXPECT_EQ(p.type, fields[i].type) << p.name;
        EXPECT_EQ(p.offset, fields[i].offset) << p.name;
        EXPECT_EQ(p.isArray, p.name == "light") << p.name;
    }
    const mrhost::Parameter& light = d.parameters.back();
    EXPECT_EQ(light.firstOffset, offsetof(kova_glossy_params, i_light));
    EXPECT_EQ(light.countOffset, offsetof(kova_glossy_params, n_light));
    EXPECT_EQ(d.recordSize, sizeof(kova_glossy_params));
}

TEST(KovaGlossyRecord, DeclaredDefaultsReachTheRecord)
{
    const mrhost::ShaderDeclaration d = mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy");
    const mrhost::ParameterRecord record(d);
    const auto& p = *static_cast<const kova_glossy_params*>(record.parameters());
    EXPECT_EQ(p.color.g, 0.5f);
    EXPECT_EQ(p.diffuse, 0.8f);
    EXPECT_EQ(p.roughness, 0.3f);
    EXPECT_EQ(p.sharpness, 0.2f);
    EXPECT_EQ(p.specularWeight, 1.0f);
    EXPECT_EQ(p.reflectivity, 0.5f);
    EXPECT_EQ(p.useIrradiance, miFALSE);
    EXPECT_EQ(p.irradianceColor.b, 1.0f);
    EXPECT_EQ(p.n_light, 0);
}

// A sample lit by one light, with reflection, so that every colour the
// shader keeps by reference is used.
struct LitSample : testsupport::KovaGlossyHost {
    LitSample()
    {
        useLights({light({{0.6f, 0.0f, 0.8f}}, {{0.5f, 1.0f, 2.0f, 1.0f}})});
        record.setScalar("reflectivity", 0.5f);
        reflection = {true, {1.0f, 1.0f, 1.0f, 1.0f}};
    }
    int evaluations() const
    {
        const auto kinds = callKinds();
        return static_cast<int>(std::count(kinds.begin(), kinds.end(), Call::PhenEval));
    }
};

void expectColor(const miColor& got, float r, float g, float b)
{
    EXPECT_EQ(got.r, r) << std::hexfloat << got.r;
    EXPECT_EQ(got.g, g) << std::hexfloat << got.g;
    EXPECT_EQ(got.b, b) << std::hexfloat << got.b;
}

TEST(KovaGlossyRecord, WithoutConnectionsEveryFieldIsReadInPlace)
{
    LitSample sample;
    expectColor(sample.shade(), 0x1.066668p-1f, 0x1.a66668p-1f, 0x1.6cccdp+1f);
    EXPECT_EQ(sample.evaluations(), 0);

    // Ghost slots in use but all empty: still in place.
    mrhost::useGhostSlots(sample.record, true);
    sample.record.setBoolean("useIrradiance", true);
    sample.shade();
    EXPECT_EQ(sample.evaluations(), 0);
}

TEST(KovaGlossyRecord, ConnectedSpecularColorIsEvaluatedOnceAndTintsHighlightAndReflection)
{
    LitSample sample;
    mrhost::connect(sample.record, "specularColor",
                    mrhost::addChecker(sample.scene, {2.0f, 0.5f, 0.25f, 1.0f}, {9.0f, 9.0f, 9.0f, 1.0f}, 1.0f));
    expectColor(sample.shade(), 0x1.28f5c2p+1f, 0x1.a66668p-1f, 0x1.0051ecp+1f);
    ASSERT_EQ(sample.evaluations(), 1);
    EXPECT_EQ(sample.calls.front().record.parameter, sample.parameterAddress("specularColor"));
}

TEST(KovaGlossyRecord, ConnectionThatYieldsNothingLeavesTheStoredValue)
{
    // A light is no shader: the renderer evaluates nothing for it.
    LitSample sample;
    mrhost::connect(sample.record, "specularColor", sample.light({{0.0f, 0.0f, 1.0f}}, {{1.0f, 1.0f, 1.0f, 1.0f}}));
    expectColor(sample.shade(), 0x1.066668p-1f, 0x1.a66668p-1f, 0x1.6cccdp+1f);
    EXPECT_EQ(sample.evaluations(), 1);
}

}  // namespace
